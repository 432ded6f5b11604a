#pragma once

#include <cstddef>
#include <unordered_set>
#include <utility>
#include <vector>

#include "math/Vec2.h"

// Geometry and graph walks of joined track parts that need no scene: the scene
// hands in board-space points and link pointers and acts on the answer.
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

// The free end of the chain through start in direction dir (0 = end A,
// 1 = end B), or null when walking that way comes back to start (a closed
// loop). Part is any type with `ends[2]` whose `link` points at a Part.
// maxSteps bounds the walk, so links that do not form a simple path or ring
// read as a loop instead of walking forever.
template <class Part>
auto findChainEnd(Part* start, int dir, std::size_t maxSteps) -> decltype(&start->ends[0])
{
    Part* cur = start;
    for (std::size_t step = 0; step <= maxSteps; ++step) {
        Part* next = cur->ends[dir].link;
        if (next == start) return nullptr;
        if (!next) return &cur->ends[dir];
        // Entered next through its end dir: leave through the other one.
        if (next->ends[dir].link == cur) dir = 1 - dir;
        cur = next;
    }
    return nullptr;
}

// Every part joined to start, each once. Started at a chain end the result is
// in chain order, so its front and back own the chain's two free ends. From
// each part the walk goes first into whatever hangs at end A, then on through
// end B.
template <class Part>
std::vector<Part*> collectChain(Part* start)
{
    std::vector<Part*> chain;
    std::unordered_set<Part*> seen;
    // (part, the part it was reached from); the top is walked next, so a
    // part's end-A branch is finished before its end-B continuation.
    std::vector<std::pair<Part*, Part*>> pending{{start, nullptr}};
    while (!pending.empty()) {
        auto [part, previous] = pending.back();
        pending.pop_back();
        if (!seen.insert(part).second) continue;
        chain.push_back(part);
        Part* afterB = part->ends[1].link;
        if (afterB && afterB != previous) pending.emplace_back(afterB, part);
        Part* afterA = part->ends[0].link;
        if (afterA && afterA != previous) pending.emplace_back(afterA, part);
    }
    return chain;
}

} // namespace connection
