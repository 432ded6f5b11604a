#include "base/CCEventListener.h"

namespace cocos2d {

bool EventListener::init(Type type, const std::function<void(Event*)>& callback)
{
    _type = type;
    _onEvent = callback;
    _isRegistered = false;
    _paused = true;
    _isEnabled = true;
    return true;
}

} // namespace cocos2d
