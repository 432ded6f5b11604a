#pragma once

#include "base/CCEvent.h"

namespace cocos2d {

class EventKeyboard : public Event {
public:
    enum class KeyCode {
        KEY_NONE,
        KEY_BACKSPACE,
        KEY_TAB,
        KEY_ENTER,
        KEY_KP_ENTER,
        KEY_ESCAPE,
        KEY_DELETE,
        KEY_LEFT_ARROW,
        KEY_RIGHT_ARROW,
        KEY_UP_ARROW,
        KEY_DOWN_ARROW,
        KEY_HOME,
        KEY_END,
        KEY_SPACE,
        KEY_A,
        KEY_V,
        KEY_Y,
        KEY_Z,
        KEY_OTHER,
    };

    // ctrl and shift: the modifier keys held with the key.
    EventKeyboard(KeyCode keyCode, bool isPressed, bool ctrl = false, bool shift = false)
        : Event(Type::KEYBOARD), _keyCode(keyCode), _isPressed(isPressed), _ctrl(ctrl), _shift(shift)
    {
    }

    KeyCode getKeyCode() const { return _keyCode; }
    bool isPressed() const { return _isPressed; }
    bool isCtrlDown() const { return _ctrl; }
    bool isShiftDown() const { return _shift; }

private:
    KeyCode _keyCode;
    bool _isPressed;
    bool _ctrl;
    bool _shift;
};

} // namespace cocos2d
