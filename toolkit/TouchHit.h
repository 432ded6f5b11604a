#pragma once

#include <functional>

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

// The press pattern of a plain picture button: grey while the finger is on
// it, white again when it leaves or lifts; action runs for a lift inside.
// The touch is not swallowed.
void registerButton(cocos2d::Node* button, const std::function<void()>& action);
// The same for a button laid over something that takes touches itself: it
// answers only while it and every node above it are visible, and a touch it
// takes never reaches what lies below.
void registerCoveringButton(cocos2d::Node* button, const std::function<void()>& action);

} // namespace touchhit
