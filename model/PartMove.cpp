#include "PartMove.h"

#include <cstdint>

using cocos2d::Vec2;

namespace circuit {

namespace {

EndRef otherEnd(const EndRef& end)
{
    return {end.part, 1 - end.end};
}

} // namespace

void PartMove::reset()
{
    clearSnap();
    _chain.clear();
    _inChain.clear();
    _chainEnds[0] = _chainEnds[1] = EndRef();
}

void PartMove::clearSnap()
{
    _snapTarget = EndRef();
    _snapMoving = EndRef();
    _snapDrag = Vec2::ZERO;
}

void PartMove::snapOnto(const EndRef& m, const EndRef& t)
{
    _model.join(m, t);
    _snapTarget = t;
    _snapMoving = m;
    _snapAnchor = _model.endToBoard(m);
    const Part& owner = _model.part(m.part);
    _snapSavedPosition = owner.position;
    _snapSavedRotation = int32_t(owner.rotation);
}

void PartMove::moveSingleWithSnap(PartId part, const Vec2& step)
{
    if (_snapTarget) {
        _snapDrag += step;
        if (_model.endToBoard(_snapTarget).distance(_snapAnchor + _snapDrag) > connection::kJoinDistance)
            breakAway(part);
        return;
    }

    const Vec2 moved = _model.part(part).position + step;
    _model.placeClamped(part, moved);
    // Moved in small steps, a part snaps back onto the neighbours it was
    // lifted from and breaks away past the join distance; a first step that
    // already goes further must not leave it joined to ends it left behind.
    for (int e = 0; e < 2; ++e) {
        const PartId partner = _model.part(part).ends[e].link;
        if (!partner || !_model.contains(partner)) continue;
        bool near = false;
        for (int f = 0; f < 2; ++f)
            near = near || (_model.part(partner).ends[f].link == part &&
                            _model.endToBoard({part, e}).distance(_model.endToBoard({partner, f})) <=
                                connection::kJoinDistance);
        if (!near) _model.unlinkEnd({part, e});
    }

    _model.collectEnds([part](PartId id) { return id == part; }, &_targets, &_targetRefs);
    _moving.clear();
    for (int e = 0; e < 2; ++e) _moving.push_back({_model.endToBoard({part, e}), CircuitModel::linkTag(part)});
    const connection::Candidate found = connection::nearestFreeEnd(_moving, _targets, connection::kJoinDistance);
    if (!found) return;

    const EndRef m{part, found.moving};
    const EndRef t = _targetRefs[std::size_t(found.target)];
    const int a = _model.endAngle(m, t);
    if (a > -90 && a < 90) {
        // Pointing the same way: never a join, but the far end may touch.
        _model.linkTouchingEnd(otherEnd(m));
        return;
    }

    snapOnto(m, t);
    if (a != 180) _model.setRotation(part, float(_snapSavedRotation - a + 180));
    const Vec2 diff = _model.endToBoard(t) - _model.endToBoard(m);
    _model.placeClamped(part, moved + diff);
    _model.linkTouchingEnd(otherEnd(m));
}

void PartMove::breakAway(PartId part)
{
    _model.setRotation(part, float(_snapSavedRotation));
    _model.placeClamped(part, _snapSavedPosition + _snapDrag);
    for (int e = 0; e < 2; ++e)
        if (_model.part(part).ends[e].link) _model.unlinkEnd({part, e});
    clearSnap();
}

void PartMove::liftChain(PartId part)
{
    // A chain lifted once the part was already in the hand snaps anew.
    _snapTarget = EndRef();
    _chainEnds[0] = _model.findChainEnd(part, 0);
    _chainEnds[1] = _model.findChainEnd(part, 1);
    // Collected from one of its free ends the chain comes out in chain order;
    // a closed loop from the touched part.
    _chain = _model.collectChain(_chainEnds[0] && _chainEnds[1] ? _chainEnds[0].part : part);
    _inChain.clear();
    _inChain.insert(_chain.begin(), _chain.end());
    if (!_chainEnds[0] || !_chainEnds[1]) _chainEnds[0] = _chainEnds[1] = EndRef();
}

void PartMove::moveGroupWithSnap(const Vec2& step)
{
    if (_snapTarget) {
        _snapDrag += step;
        if (_model.endToBoard(_snapTarget).distance(_snapAnchor + _snapDrag) <= connection::kJoinDistance) return;
        const PartId o = _snapMoving.part;
        _model.setRotation(o, float(_snapSavedRotation));
        _model.placeClamped(o, _snapSavedPosition + _snapDrag);
        if (_chain.size() > 1) {
            const Part& owner = _model.part(o);
            const PartId next = owner.ends[0].link == _snapTarget.part ? owner.ends[1].link : owner.ends[0].link;
            if (next) realignChain(next, o, o);
        }
        for (const EndRef& end : _chainEnds)
            if (end && _model.part(end.part).ends[end.end].link) _model.unlinkEnd(end);
        clearSnap();
        return;
    }

    for (PartId p : _chain) _model.setPosition(p, _model.part(p).position + step);
    // A closed loop has no free end to join with.
    if (!_chainEnds[0]) return;

    _model.collectEnds([this](PartId id) { return inChain(id); }, &_targets, &_targetRefs);
    _moving.clear();
    for (const EndRef& end : _chainEnds) _moving.push_back({_model.endToBoard(end), CircuitModel::linkTag(end.part)});
    const connection::Candidate found = connection::nearestFreeEnd(_moving, _targets, connection::kJoinDistance);
    if (!found) return;

    const EndRef m = _chainEnds[found.moving];
    const EndRef t = _targetRefs[std::size_t(found.target)];
    const int a = _model.endAngle(m, t);
    if (a <= -90 || a >= 90) {
        snapOnto(m, t);
        realignChain(m.part, t.part, m.part);
    }
    _model.linkTouchingEnd(_chainEnds[1 - found.moving]);
}

void PartMove::realignChain(PartId from, PartId previous, PartId owner)
{
    if (_chain.empty()) return;
    std::ptrdiff_t start = -1;
    for (std::size_t i = 0; i < _chain.size(); ++i)
        if (_chain[i] == from) {
            start = std::ptrdiff_t(i);
            break;
        }
    if (start < 0) return;
    const std::ptrdiff_t n = std::ptrdiff_t(_chain.size());
    if (owner == _chain.front()) {
        for (std::ptrdiff_t i = start; i < n; ++i) {
            alignToNeighbour(_chain[std::size_t(i)], previous);
            previous = _chain[std::size_t(i)];
        }
    } else if (owner == _chain.back()) {
        for (std::ptrdiff_t i = start; i >= 0; --i) {
            alignToNeighbour(_chain[std::size_t(i)], previous);
            previous = _chain[std::size_t(i)];
        }
    }
}

void PartMove::alignToNeighbour(PartId part, PartId previous)
{
    const Part& p = _model.part(part);
    const Part& q = _model.part(previous);
    const int pe = p.ends[0].link == previous ? 0 : p.ends[1].link == previous ? 1 : -1;
    const int qe = q.ends[0].link == part ? 0 : q.ends[1].link == part ? 1 : -1;
    if (pe < 0 || qe < 0) return;
    const int a = _model.endAngle({part, pe}, {previous, qe});
    if (a != 180) _model.setRotation(part, _model.part(part).rotation + float(180 - a));
    _model.setPosition(part, _model.part(part).position + _model.endToBoard({previous, qe}) -
                                 _model.endToBoard({part, pe}));
}

} // namespace circuit
