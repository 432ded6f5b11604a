#include "CircuitHealth.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>

using cocos2d::Vec2;

namespace circuit {

namespace {

// Cells far off the board all share the outermost row or column, so a stray
// coordinate never overflows the key.
constexpr double kCellLimit = 1e9;

std::int64_t cellCoordinate(float v)
{
    const double c = std::floor(double(v) / double(CircuitHealth::kGapReach));
    return std::int64_t(std::max(-kCellLimit, std::min(kCellLimit, c)));
}

std::int64_t cellKey(std::int64_t x, std::int64_t y)
{
    return std::int64_t(std::uint64_t(x) << 32 | std::uint32_t(y));
}

void eraseOne(std::vector<int>& v, int value)
{
    auto found = std::find(v.begin(), v.end(), value);
    if (found == v.end()) return;
    *found = v.back();
    v.pop_back();
}

} // namespace

CircuitHealth::CircuitHealth(CircuitModel& model) : _model(model)
{
    // A model that already holds parts is taken as if they had just come.
    for (std::size_t i = 0; i < model.parts().size(); ++i) partAdded(model.parts()[i], i);
    _model.addObserver(this);
}

CircuitHealth::~CircuitHealth()
{
    _model.removeObserver(this);
}

int CircuitHealth::slotOf(PartId id) const
{
    auto found = _slotOf.find(id);
    return found == _slotOf.end() ? -1 : found->second;
}

void CircuitHealth::markDirty(int partSlot)
{
    PartSlot& p = _parts[std::size_t(partSlot)];
    if (p.dirty) return;
    p.dirty = true;
    _dirty.push_back(partSlot);
}

void CircuitHealth::partAdded(const Part& part, std::size_t)
{
    int s;
    if (!_spare.empty()) {
        s = _spare.back();
        _spare.pop_back();
    } else {
        s = int(_parts.size());
        _parts.emplace_back();
        _ends.resize(_ends.size() + 2);
    }
    _parts[std::size_t(s)] = PartSlot{part.id, false, false};
    _slotOf[part.id] = s;
    for (int e = 0; e < 2; ++e) {
        EndSlot& end = _ends[std::size_t(2 * s + e)];
        end = EndSlot();
        end.free = part.ends[e].link == kNoPart;
        if (end.free) ++_openEnds;
    }
    markDirty(s);
    _piecesKnown = false;
    ++_revision;
}

void CircuitHealth::partMoved(const Part& part)
{
    const int s = slotOf(part.id);
    if (s < 0) return;
    // A part whose ends are all joined moves no free end: nothing to redo.
    bool matters = false;
    for (int e = 0; e < 2; ++e) {
        const EndSlot& end = _ends[std::size_t(2 * s + e)];
        matters = matters || end.free || end.placed;
    }
    if (!matters) return;
    markDirty(s);
    ++_revision;
}

void CircuitHealth::partRemoved(const Part& part, std::size_t)
{
    const int s = slotOf(part.id);
    if (s < 0) return;
    for (int e = 0; e < 2; ++e) {
        EndSlot& end = _ends[std::size_t(2 * s + e)];
        if (end.free) --_openEnds;
        end.free = false;
    }
    _parts[std::size_t(s)].gone = true;
    _slotOf.erase(part.id);
    markDirty(s);
    _piecesKnown = false;
    ++_revision;
}

void CircuitHealth::linkChanged(const Part& part, int end)
{
    const int s = slotOf(part.id);
    if (s < 0) return;
    EndSlot& slot = _ends[std::size_t(2 * s + end)];
    const bool free = part.ends[end].link == kNoPart;
    if (slot.free != free) {
        _openEnds += free ? 1 : -1;
        slot.free = free;
        markDirty(s);
    }
    _piecesKnown = false;
    ++_revision;
}

void CircuitHealth::cleared()
{
    _openEnds = 0;
    _parts.clear();
    _ends.clear();
    _spare.clear();
    _slotOf.clear();
    _dirty.clear();
    _grid.clear();
    _gaps.clear();
    _piecesKnown = false;
    ++_revision;
}

int CircuitHealth::pieces()
{
    if (_piecesKnown) return _pieces;
    const std::vector<Part>& parts = _model.parts();
    std::vector<std::size_t> root(parts.size());
    std::iota(root.begin(), root.end(), std::size_t(0));
    auto find = [&root](std::size_t i) {
        while (root[i] != i) i = root[i] = root[root[i]];
        return i;
    };
    int pieces = int(parts.size());
    for (std::size_t i = 0; i < parts.size(); ++i) {
        for (const PartEnd& end : parts[i].ends) {
            if (!end.link) continue;
            const std::ptrdiff_t j = _model.indexOf(end.link);
            if (j < 0) continue;
            const std::size_t a = find(i), b = find(std::size_t(j));
            if (a == b) continue;
            root[a] = b;
            --pieces;
        }
    }
    _pieces = pieces;
    _piecesKnown = true;
    return _pieces;
}

CircuitHealth::Gap CircuitHealth::nearestGap()
{
    settle();
    Gap gap;
    if (_gaps.empty()) return gap;
    const auto& [distance, part, end, slot] = *_gaps.begin();
    const int partner = _ends[std::size_t(slot)].nearest;
    gap.a = {part, end};
    gap.b = {partOf(partner), partner & 1};
    gap.distance = distance;
    const int angle = connection::angleBetween(_ends[std::size_t(slot)].inward, _ends[std::size_t(partner)].inward);
    gap.turn = 180 - std::abs(angle);
    return gap;
}

EndRef CircuitHealth::nextOpenEnd(const EndRef& after) const
{
    const std::vector<Part>& parts = _model.parts();
    if (_openEnds == 0 || parts.empty()) return {};
    std::size_t i = 0;
    int e = 0;
    const std::ptrdiff_t at = after ? _model.indexOf(after.part) : -1;
    if (at >= 0) {
        i = std::size_t(at) + std::size_t(after.end);
        e = 1 - after.end;
    }
    // Every end once, the one after `after` first and `after` itself last.
    for (std::size_t step = 0; step < 2 * parts.size(); ++step) {
        const Part& p = parts[i % parts.size()];
        if (!p.ends[e].link) return {p.id, e};
        if (e == 1) ++i;
        e = 1 - e;
    }
    return {};
}

bool CircuitHealth::closer(float d, int a, float dBest, int b) const
{
    if (d != dBest) return d < dBest;
    const PartId pa = partOf(a), pb = partOf(b);
    return pa != pb ? pa < pb : (a & 1) < (b & 1);
}

CircuitHealth::Ranked CircuitHealth::ranked(int slot) const
{
    return Ranked{_ends[std::size_t(slot)].nearestDistance, partOf(slot), slot & 1, slot};
}

CircuitHealth::CellKey CircuitHealth::cellOf(const Vec2& at) const
{
    return cellKey(cellCoordinate(at.x), cellCoordinate(at.y));
}

void CircuitHealth::settle()
{
    for (int ps : _dirty) {
        PartSlot& p = _parts[std::size_t(ps)];
        p.dirty = false;
        for (int e = 0; e < 2; ++e)
            if (_ends[std::size_t(2 * ps + e)].placed) unplace(2 * ps + e);
        if (p.gone) {
            p = PartSlot();
            _spare.push_back(ps);
            continue;
        }
        for (int e = 0; e < 2; ++e) {
            EndSlot& end = _ends[std::size_t(2 * ps + e)];
            if (!end.free) continue;
            end.at = _model.endToBoard({p.id, e});
            end.inward = _model.endToBoard({p.id, e}, true) - end.at;
            if (std::isfinite(end.at.x) && std::isfinite(end.at.y)) place(2 * ps + e);
        }
    }
    _dirty.clear();
}

void CircuitHealth::setNearest(int slot, int partner, float distance)
{
    dropNearest(slot);
    EndSlot& s = _ends[std::size_t(slot)];
    s.nearest = partner;
    s.nearestDistance = distance;
    _ends[std::size_t(partner)].nearestOf.push_back(slot);
    _gaps.insert(ranked(slot));
}

void CircuitHealth::dropNearest(int slot)
{
    EndSlot& s = _ends[std::size_t(slot)];
    if (s.nearest < 0) return;
    _gaps.erase(ranked(slot));
    eraseOne(_ends[std::size_t(s.nearest)].nearestOf, slot);
    s.nearest = -1;
}

template <class Visit>
void CircuitHealth::forEachWithinReach(int slot, Visit visit) const
{
    const EndSlot& s = _ends[std::size_t(slot)];
    const std::int64_t cx = cellCoordinate(s.at.x), cy = cellCoordinate(s.at.y);
    for (std::int64_t dx = -1; dx <= 1; ++dx) {
        for (std::int64_t dy = -1; dy <= 1; ++dy) {
            auto cell = _grid.find(cellKey(cx + dx, cy + dy));
            if (cell == _grid.end()) continue;
            for (int u : cell->second) {
                // The part's own other end is never a gap.
                if ((u >> 1) == (slot >> 1)) continue;
                const float d = s.at.distance(_ends[std::size_t(u)].at);
                if (d <= kGapReach) visit(u, d);
            }
        }
    }
}

void CircuitHealth::place(int slot)
{
    EndSlot& s = _ends[std::size_t(slot)];
    s.cell = cellOf(s.at);
    std::vector<int>& own = _grid[s.cell];
    s.cellIndex = own.size();
    own.push_back(slot);
    s.placed = true;

    int best = -1;
    float bestDistance = 0;
    forEachWithinReach(slot, [&](int u, float d) {
        if (best < 0 || closer(d, u, bestDistance, best)) {
            best = u;
            bestDistance = d;
        }
        // The new end may be nearer to u than u's nearest so far.
        const EndSlot& other = _ends[std::size_t(u)];
        if (other.nearest < 0 || closer(d, slot, other.nearestDistance, other.nearest)) setNearest(u, slot, d);
    });
    if (best >= 0) setNearest(slot, best, bestDistance);
}

void CircuitHealth::findNearest(int slot)
{
    int best = -1;
    float bestDistance = 0;
    forEachWithinReach(slot, [&](int u, float d) {
        if (best < 0 || closer(d, u, bestDistance, best)) {
            best = u;
            bestDistance = d;
        }
    });
    if (best >= 0) setNearest(slot, best, bestDistance);
}

void CircuitHealth::unplace(int slot)
{
    EndSlot& s = _ends[std::size_t(slot)];
    std::vector<int>& own = _grid[s.cell];
    const int last = own.back();
    own[s.cellIndex] = last;
    _ends[std::size_t(last)].cellIndex = s.cellIndex;
    own.pop_back();
    s.placed = false;
    dropNearest(slot);
    // Whoever had this end nearest looks again among those that stay.
    std::vector<int> orphans;
    orphans.swap(s.nearestOf);
    for (int t : orphans) {
        _gaps.erase(ranked(t));
        _ends[std::size_t(t)].nearest = -1;
        findNearest(t);
    }
}

} // namespace circuit
