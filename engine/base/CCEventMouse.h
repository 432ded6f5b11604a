#pragma once

#include "base/CCEvent.h"
#include "math/Vec2.h"

namespace cocos2d {

class EventMouse : public Event {
public:
    enum class MouseEventType { MOUSE_NONE, MOUSE_DOWN, MOUSE_UP, MOUSE_MOVE, MOUSE_SCROLL };
    enum class MouseButton { BUTTON_UNSET = -1, BUTTON_LEFT = 0, BUTTON_RIGHT = 1, BUTTON_MIDDLE = 2 };

    explicit EventMouse(MouseEventType type) : Event(Type::MOUSE), _mouseEventType(type) {}

    MouseEventType getMouseEventType() const { return _mouseEventType; }
    // Positive when the wheel turns away from the user; 0.1 per notch.
    void setScrollData(float scrollX, float scrollY)
    {
        _scrollX = scrollX;
        _scrollY = scrollY;
    }
    float getScrollX() const { return _scrollX; }
    float getScrollY() const { return _scrollY; }

    // Cursor in design points, y up.
    void setCursorPosition(float x, float y)
    {
        _x = x;
        _y = y;
    }
    float getCursorX() const { return _x; }
    float getCursorY() const { return _y; }
    Vec2 getLocation() const { return Vec2(_x, _y); }
    Vec2 getLocationInView() const;

    void setMouseButton(MouseButton button) { _mouseButton = button; }
    MouseButton getMouseButton() const { return _mouseButton; }

private:
    MouseEventType _mouseEventType;
    MouseButton _mouseButton = MouseButton::BUTTON_UNSET;
    float _x = 0, _y = 0;
    float _scrollX = 0, _scrollY = 0;
};

} // namespace cocos2d
