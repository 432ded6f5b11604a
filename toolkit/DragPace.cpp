#include "DragPace.h"

USING_NS_CC;

void DragPace::add(const Vec2& delta)
{
    const unsigned frame = Director::getInstance()->getTotalFrames();
    if (frame != _lastFrame) _lastMove = Vec2::ZERO;
    _lastMove += delta;
    _lastFrame = frame;
}

Vec2 DragPace::releaseMove(Touch* touch)
{
    if (touch->getDelta() != Vec2::ZERO) add(touch->getDelta());
    // A finger that rested before lifting was not moving any more.
    if (Director::getInstance()->getTotalFrames() - _lastFrame > 1) return Vec2::ZERO;
    return _lastMove;
}
