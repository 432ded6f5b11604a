#pragma once

#include "cocos2d.h"

// The finger's movement in the latest frame of a drag. A touch's own delta
// at its end is the movement of that end event, which is nothing on every
// input path; what tells a flick from a slow pull is the last frame's move.
class DragPace {
public:
    void add(const cocos2d::Vec2& delta);
    // The last frame's movement, or zero when the finger rested before lifting.
    cocos2d::Vec2 releaseMove(cocos2d::Touch* touch);
    float releaseY(cocos2d::Touch* touch) { return releaseMove(touch).y; }

private:
    cocos2d::Vec2 _lastMove;
    unsigned _lastFrame = 0;
};
