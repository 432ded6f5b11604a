#include "base/CCEventListenerKeyboard.h"

#include <new>

namespace cocos2d {

EventListenerKeyboard* EventListenerKeyboard::create()
{
    auto* listener = new (std::nothrow) EventListenerKeyboard();
    if (listener && listener->init(Type::KEYBOARD, [listener](Event* event) { listener->handle(event); })) {
        listener->autorelease();
        return listener;
    }
    delete listener;
    return nullptr;
}

void EventListenerKeyboard::handle(Event* event)
{
    auto* key = static_cast<EventKeyboard*>(event);
    if (key->isPressed()) {
        if (onKeyPressed) onKeyPressed(key->getKeyCode(), event);
    } else if (onKeyReleased) {
        onKeyReleased(key->getKeyCode(), event);
    }
}

EventListenerKeyboard* EventListenerKeyboard::clone()
{
    auto* listener = create();
    listener->onKeyPressed = onKeyPressed;
    listener->onKeyReleased = onKeyReleased;
    return listener;
}

} // namespace cocos2d
