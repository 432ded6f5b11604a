#pragma once

#include "cocos2d.h"

// The wobble that shows a refused showcase call: a few ever smaller nods
// that end with the node back at home, upright. 0.34 s in all.
cocos2d::Sequence* failureShake(const cocos2d::Vec2& home);
