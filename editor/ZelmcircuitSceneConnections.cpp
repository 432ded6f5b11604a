#include <algorithm>

#include "ConnectionGeometry.h"
#include "ZelmcircuitScene.h"

USING_NS_CC;

namespace {

PartEnd& otherEnd(PartEnd& end)
{
    ZelmPartSprite* owner = end.owner;
    return &end == &owner->ends[0] ? owner->ends[1] : owner->ends[0];
}

int linksTo(const ZelmPartSprite* from, const ZelmPartSprite* to)
{
    return int(from->ends[0].link == to) + int(from->ends[1].link == to);
}

} // namespace

Vec2 ZelmcircuitScene::endToBoard(const PartEnd& end, bool inner) const
{
    const Vec2& local = inner ? end.inner : end.point;
    const ZelmPartSprite* owner = end.owner;
    Node* container = boardView->getContainer();
    // A part on the board is a child of the container, so its own transform
    // takes it to board space directly: the same point as through world
    // space, without inverting the zoomed container's transform.
    if (owner->getParent() == container) return PointApplyTransform(local, owner->getNodeToParentTransform());
    return container->convertToNodeSpace(owner->convertToWorldSpace(local));
}

int ZelmcircuitScene::endAngle(const PartEnd& a, const PartEnd& b) const
{
    return connection::angleBetween(endToBoard(a, true) - endToBoard(a, false),
                                    endToBoard(b, true) - endToBoard(b, false));
}

void ZelmcircuitScene::placePartClamped(ZelmPartSprite* part, const Vec2& position)
{
    const Size b = part->getBoundingBox().size;
    const Size board = boardView->getContentSize();
    // The lower bound wins on a board narrower than the part.
    const float x = std::max(b.width * 0.5f, std::min(position.x, board.width - b.width * 0.5f));
    const float y = std::max(b.height * 0.5f, std::min(position.y, board.height - b.height * 0.5f));
    part->setPosition(x, y);
}

void ZelmcircuitScene::collectTargets(const ZelmPartSprite* movingPart, bool skipGroup)
{
    searchTargets.clear();
    searchTargetEnds.clear();
    for (ZelmPartSprite* other : boardParts) {
        if (other == movingPart) continue;
        if (skipGroup && groupParts.contains(other)) continue;
        for (PartEnd& end : other->ends) {
            searchTargets.push_back({endToBoard(end, false), end.link});
            searchTargetEnds.push_back(&end);
        }
    }
}

void ZelmcircuitScene::moveSingleWithSnap(ZelmPartSprite* part, const Vec2& step)
{
    if (snapTargetEnd) {
        snapDrag += step;
        if (endToBoard(*snapTargetEnd, false).distance(snapAnchor + snapDrag) > connection::kJoinDistance)
            breakAway(part);
        return;
    }

    const Vec2 moved = part->getPosition() + step;
    placePartClamped(part, moved);

    collectTargets(part, false);
    searchMoving.clear();
    for (PartEnd& end : part->ends) searchMoving.push_back({endToBoard(end, false), part});
    const connection::Candidate found =
        connection::nearestFreeEnd(searchMoving, searchTargets, connection::kJoinDistance);
    if (!found) return;

    PartEnd& m = part->ends[found.moving];
    PartEnd& t = *searchTargetEnds[found.target];
    const int a = endAngle(m, t);
    if (a > -90 && a < 90) {
        // Pointing the same way: never a join, but the far end may touch.
        linkTouchingEnd(otherEnd(m));
        return;
    }

    m.link = t.owner;
    t.link = m.owner;
    snapTargetEnd = &t;
    snapMovingEnd = &m;
    snapAnchor = endToBoard(m, false);
    snapSavedPosition = part->getPosition();
    snapSavedRotation = int32_t(part->getRotation());
    if (a != 180) part->setRotation(float(snapSavedRotation - a + 180));
    const Vec2 diff = endToBoard(t, false) - endToBoard(m, false);
    placePartClamped(part, moved + diff);
    linkTouchingEnd(otherEnd(m));
}

void ZelmcircuitScene::breakAway(ZelmPartSprite* part)
{
    part->setRotation(float(snapSavedRotation));
    placePartClamped(part, snapSavedPosition + snapDrag);
    for (PartEnd& end : part->ends)
        if (end.link) unlinkEnd(end);
    clearSnap();
}

void ZelmcircuitScene::moveGroupWithSnap(const Vec2& step)
{
    if (snapTargetEnd) {
        snapDrag += step;
        if (endToBoard(*snapTargetEnd, false).distance(snapAnchor + snapDrag) <= connection::kJoinDistance) return;
        ZelmPartSprite* o = snapMovingEnd->owner;
        o->setRotation(float(snapSavedRotation));
        placePartClamped(o, snapSavedPosition + snapDrag);
        if (groupParts.size() > 1) {
            ZelmPartSprite* next = o->ends[0].link == snapTargetEnd->owner ? o->ends[1].link : o->ends[0].link;
            if (next) realignChain(next, o, o);
        }
        for (PartEnd* end : chainEnds)
            if (end && end->link) unlinkEnd(*end);
        clearSnap();
        return;
    }

    for (ZelmPartSprite* part : groupParts) part->setPosition(part->getPosition() + step);
    // A closed loop has no free end to join with.
    if (!chainEnds[0]) return;

    collectTargets(nullptr, true);
    searchMoving.clear();
    for (PartEnd* end : chainEnds) searchMoving.push_back({endToBoard(*end, false), end->owner});
    const connection::Candidate found =
        connection::nearestFreeEnd(searchMoving, searchTargets, connection::kJoinDistance);
    if (!found) return;

    PartEnd& m = *chainEnds[found.moving];
    PartEnd& t = *searchTargetEnds[found.target];
    const int a = endAngle(m, t);
    if (a <= -90 || a >= 90) {
        m.link = t.owner;
        t.link = m.owner;
        snapTargetEnd = &t;
        snapMovingEnd = &m;
        snapAnchor = endToBoard(m, false);
        snapSavedPosition = m.owner->getPosition();
        snapSavedRotation = int32_t(m.owner->getRotation());
        realignChain(m.owner, t.owner, m.owner);
    }
    linkTouchingEnd(*chainEnds[1 - found.moving]);
}

void ZelmcircuitScene::linkTouchingEnd(PartEnd& end)
{
    collectTargets(end.owner, false);
    searchMoving.assign(1, {endToBoard(end, false), end.owner});
    const connection::Candidate found =
        connection::nearestFreeEnd(searchMoving, searchTargets, connection::kTouchDistance);
    if (!found) return;
    PartEnd& t = *searchTargetEnds[found.target];
    if (endAngle(end, t) != 180) return;
    end.link = t.owner;
    t.link = end.owner;
}

void ZelmcircuitScene::unlinkEnd(PartEnd& end)
{
    ZelmPartSprite* partner = end.link;
    if (!partner) return;
    end.link = nullptr;
    // Clear the partner's side (end A first) only as far as this part no
    // longer links back, so links that came in pairs stay paired.
    for (PartEnd& back : partner->ends) {
        if (linksTo(partner, end.owner) <= linksTo(end.owner, partner)) break;
        if (back.link == end.owner) back.link = nullptr;
    }
}

PartEnd* ZelmcircuitScene::findChainEnd(ZelmPartSprite* start, int direction)
{
    return connection::findChainEnd(start, direction, std::size_t(boardParts.size()) + 1);
}

void ZelmcircuitScene::collectChain(ZelmPartSprite* start)
{
    for (ZelmPartSprite* part : connection::collectChain(start))
        if (!groupParts.contains(part)) groupParts.pushBack(part);
}

void ZelmcircuitScene::realignChain(ZelmPartSprite* from, ZelmPartSprite* previous, ZelmPartSprite* owner)
{
    if (groupParts.empty()) return;
    const ssize_t start = groupParts.getIndex(from);
    if (start < 0) return;
    if (owner == groupParts.front()) {
        for (ssize_t i = start; i < ssize_t(groupParts.size()); ++i) {
            alignToNeighbour(groupParts.at(i), previous);
            previous = groupParts.at(i);
        }
    } else if (owner == groupParts.back()) {
        for (ssize_t i = start; i >= 0; --i) {
            alignToNeighbour(groupParts.at(i), previous);
            previous = groupParts.at(i);
        }
    }
}

void ZelmcircuitScene::alignToNeighbour(ZelmPartSprite* part, ZelmPartSprite* previous)
{
    PartEnd* pe = part->ends[0].link == previous ? &part->ends[0]
                  : part->ends[1].link == previous ? &part->ends[1]
                                                   : nullptr;
    PartEnd* qe = previous->ends[0].link == part ? &previous->ends[0]
                  : previous->ends[1].link == part ? &previous->ends[1]
                                                   : nullptr;
    if (!pe || !qe) return;
    const int a = endAngle(*pe, *qe);
    if (a != 180) part->setRotation(part->getRotation() + float(180 - a));
    part->setPosition(part->getPosition() + endToBoard(*qe, false) - endToBoard(*pe, false));
}
