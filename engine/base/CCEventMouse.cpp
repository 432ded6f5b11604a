#include "base/CCEventMouse.h"

#include "base/CCDirector.h"

namespace cocos2d {

Vec2 EventMouse::getLocationInView() const { return Director::getInstance()->convertToUI(Vec2(_x, _y)); }

} // namespace cocos2d
