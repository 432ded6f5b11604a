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
        KEY_OTHER,
    };

    EventKeyboard(KeyCode keyCode, bool isPressed) : Event(Type::KEYBOARD), _keyCode(keyCode), _isPressed(isPressed)
    {
    }

    KeyCode getKeyCode() const { return _keyCode; }
    bool isPressed() const { return _isPressed; }

private:
    KeyCode _keyCode;
    bool _isPressed;
};

} // namespace cocos2d
