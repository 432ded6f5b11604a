#pragma once

#include "math/Vec2.h"

class ZelmPartSprite;

// One end of a track part, in the part's own node space.
struct PartEnd {
    cocos2d::Vec2 point;
    // point plus the inward direction; other spaces get the direction as
    // image(inner) - image(point), so it survives any node transform.
    cocos2d::Vec2 inner;
    ZelmPartSprite* owner = nullptr;
    ZelmPartSprite* link = nullptr; // not owning
};
