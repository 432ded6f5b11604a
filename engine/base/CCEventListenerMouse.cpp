#include "base/CCEventListenerMouse.h"

#include <new>

#include "base/CCEventMouse.h"

namespace cocos2d {

EventListenerMouse* EventListenerMouse::create()
{
    auto* listener = new (std::nothrow) EventListenerMouse();
    if (listener && listener->init(Type::MOUSE, [listener](Event* event) { listener->handle(event); })) {
        listener->autorelease();
        return listener;
    }
    delete listener;
    return nullptr;
}

void EventListenerMouse::handle(Event* event)
{
    auto* mouse = static_cast<EventMouse*>(event);
    switch (mouse->getMouseEventType()) {
    case EventMouse::MouseEventType::MOUSE_DOWN:
        if (onMouseDown) onMouseDown(mouse);
        break;
    case EventMouse::MouseEventType::MOUSE_UP:
        if (onMouseUp) onMouseUp(mouse);
        break;
    case EventMouse::MouseEventType::MOUSE_MOVE:
        if (onMouseMove) onMouseMove(mouse);
        break;
    case EventMouse::MouseEventType::MOUSE_SCROLL:
        if (onMouseScroll) onMouseScroll(mouse);
        break;
    default:
        break;
    }
}

EventListenerMouse* EventListenerMouse::clone()
{
    auto* listener = create();
    listener->onMouseDown = onMouseDown;
    listener->onMouseUp = onMouseUp;
    listener->onMouseMove = onMouseMove;
    listener->onMouseScroll = onMouseScroll;
    return listener;
}

} // namespace cocos2d
