#pragma once

#include <unordered_set>
#include <vector>

#include "CircuitModel.h"

namespace circuit {

// One part or one chain in the hand: each step moves it, snaps a free end
// onto a facing free end of the rest of the board, and breaks the joint
// again once the finger takes it far enough away.
class PartMove {
public:
    explicit PartMove(CircuitModel& model) : _model(model) {}

    // Forgets the snap and the lifted chain.
    void reset();
    void clearSnap();

    void moveSingleWithSnap(PartId part, const cocos2d::Vec2& step);

    // Lifts the chain through part: its parts in chain order (collected from
    // one of its free ends; a closed loop from part itself) and its two free
    // ends, none for a closed loop.
    void liftChain(PartId part);
    void moveGroupWithSnap(const cocos2d::Vec2& step);
    // After a snap, walks the lifted chain from `from` (joined to previous)
    // towards the far end, lining each part up with the one before it. owner
    // is the chain's part that snapped, and tells the direction.
    void realignChain(PartId from, PartId previous, PartId owner);
    // Turns and moves part so that its end joined to previous meets it.
    void alignToNeighbour(PartId part, PartId previous);

    const std::vector<PartId>& chain() const { return _chain; }
    bool inChain(PartId part) const { return _inChain.count(part) != 0; }
    // A free end of the lifted chain; none for a closed loop.
    EndRef chainEnd(int i) const { return _chainEnds[i]; }

    bool snapped() const { return bool(_snapTarget); }
    EndRef snapTarget() const { return _snapTarget; }
    EndRef snapMoving() const { return _snapMoving; }

private:
    void breakAway(PartId part);
    void snapOnto(const EndRef& moving, const EndRef& target);

    CircuitModel& _model;
    EndRef _snapTarget;
    EndRef _snapMoving;
    // Where the moving end was when it snapped, and how far the finger has
    // gone since: the joint breaks once they are too far apart.
    cocos2d::Vec2 _snapAnchor;
    cocos2d::Vec2 _snapDrag;
    // The snapped part as it was before the snap turned and moved it.
    cocos2d::Vec2 _snapSavedPosition;
    int _snapSavedRotation = 0;

    std::vector<PartId> _chain;
    std::unordered_set<PartId> _inChain;
    EndRef _chainEnds[2];

    // Kept between steps so a step allocates nothing.
    std::vector<connection::EndSpot> _moving;
    std::vector<connection::EndSpot> _targets;
    std::vector<EndRef> _targetRefs;
};

} // namespace circuit
