#pragma once

#include "cocos2d.h"

namespace touchhit {

// True when the touch lies in the node's bounding box, its origin taken to
// world space through the node's parent.
bool inside(cocos2d::Touch* touch, cocos2d::Node* node);
// The same for the node a listener was registered on.
inline bool inTarget(cocos2d::Touch* touch, cocos2d::Event* event)
{
    return inside(touch, event->getCurrentTarget());
}

} // namespace touchhit
