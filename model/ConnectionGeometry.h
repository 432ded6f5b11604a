#pragma once

#include <vector>

#include "math/Vec2.h"

// The search for joints between track ends, on points and link tags alone.
namespace connection {

// An end that comes nearer than this to a free end facing it snaps onto it,
// and a snapped end breaks away once the finger takes the joint this far.
constexpr float kJoinDistance = 30.0f;
// Ends this close that face each other exactly are linked without moving.
constexpr float kTouchDistance = 5.0f;

// Signed angle in whole degrees between two inward directions: 0 for the same
// way, 180 for exactly facing; negative only when v lies clockwise of u by a
// sine of -0.5 or less, which is exact for parts at multiples of 45 degrees.
int angleBetween(const cocos2d::Vec2& u, const cocos2d::Vec2& v);

// An end as the search sees it: where it lies on the board, and for a moving
// end the part it belongs to, for a target end the part it is linked to.
struct EndSpot {
    cocos2d::Vec2 position;
    const void* part = nullptr;
};

struct Candidate {
    int moving = -1; // index into the moving ends, -1 when nothing is near
    int target = -1; // index into the target ends
    float distance = 0.0f;
    explicit operator bool() const { return moving >= 0; }
};

// The nearest (moving, target) pair nearer than limit, where a target counts
// only while it is free or linked to the moving end's own part. Moving ends are
// tried in order and targets in order for each; a tie keeps the pair found
// first.
Candidate nearestFreeEnd(const std::vector<EndSpot>& moving, const std::vector<EndSpot>& targets, float limit);

} // namespace connection
