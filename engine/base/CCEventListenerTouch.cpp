#include "base/CCEventListenerTouch.h"

#include <new>

namespace cocos2d {

EventListenerTouchOneByOne* EventListenerTouchOneByOne::create()
{
    auto* listener = new (std::nothrow) EventListenerTouchOneByOne();
    if (listener && listener->init(Type::TOUCH_ONE_BY_ONE, nullptr)) {
        listener->autorelease();
        return listener;
    }
    delete listener;
    return nullptr;
}

EventListenerTouchOneByOne* EventListenerTouchOneByOne::clone()
{
    auto* listener = create();
    listener->onTouchBegan = onTouchBegan;
    listener->onTouchMoved = onTouchMoved;
    listener->onTouchEnded = onTouchEnded;
    listener->onTouchCancelled = onTouchCancelled;
    listener->_needSwallow = _needSwallow;
    return listener;
}

bool EventListenerTouchOneByOne::checkAvailable()
{
    // Without a began callback it could never claim anything.
    return static_cast<bool>(onTouchBegan);
}

} // namespace cocos2d
