#include "base/CCTouch.h"

#include "base/CCDirector.h"

namespace cocos2d {

Vec2 Touch::getLocation() const { return Director::getInstance()->convertToGL(_point); }

Vec2 Touch::getPreviousLocation() const { return Director::getInstance()->convertToGL(_prevPoint); }

Vec2 Touch::getStartLocation() const { return Director::getInstance()->convertToGL(_startPoint); }

Vec2 Touch::getDelta() const { return getLocation() - getPreviousLocation(); }

void Touch::setTouchInfo(int id, float x, float y)
{
    _id = id;
    _prevPoint = _point;
    _point.set(x, y);
    if (!_startPointCaptured) {
        _startPoint = _point;
        _startPointCaptured = true;
        _prevPoint = _point;
    }
}

} // namespace cocos2d
