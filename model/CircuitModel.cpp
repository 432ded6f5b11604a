#include "CircuitModel.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>
#include <utility>

#include "math/CCAffineTransform.h"

using cocos2d::Mat4;
using cocos2d::Rect;
using cocos2d::Size;
using cocos2d::Vec2;

namespace circuit {

std::array<PartEnd, 2> endGeometry(PartType type, const Size& picture)
{
    const float w = picture.width;
    const float h = picture.height;
    std::array<PartEnd, 2> ends;
    // The pictures are drawn so that the track's centre line meets their edges
    // at these points.
    switch (type) {
    case PartTypes::corner:
        ends[0].point = Vec2(0, 22.5f);
        ends[1].point = Vec2(w - 15.75f, h - 15.75f);
        break;
    case PartTypes::wave:
        ends[0].point = Vec2(0, h - 22.5f);
        ends[1].point = Vec2(w, h - 22.5f);
        break;
    case PartTypes::changer:
        ends[0].point = Vec2(23, h * 0.5f);
        ends[1].point = Vec2(w - 23, h * 0.5f);
        break;
    default:
        ends[0].point = Vec2(0, h * 0.5f);
        ends[1].point = Vec2(w, h * 0.5f);
        break;
    }
    ends[0].inner = ends[0].point + Vec2(1, 0);
    // The corner turns 45 degrees left, so a car enters end B heading down-left.
    ends[1].inner = ends[1].point + (type == PartTypes::corner ? Vec2(-1, -1) : Vec2(-1, 0));
    return ends;
}

std::array<Vec2, 4> touchOutline(PartType type, const Size& picture)
{
    const float w = picture.width;
    const float h = picture.height;
    if (type == PartTypes::corner) return {Vec2(0, 0), Vec2(0, h - 13.5f), Vec2(w - 31.5f, h), Vec2(w, 27)};
    return {Vec2(0, 0), Vec2(0, h), Vec2(w, h), Vec2(w, 0)};
}

namespace {

int linksTo(const Part& from, PartId to)
{
    return int(from.ends[0].link == to) + int(from.ends[1].link == to);
}

} // namespace

CircuitModel::CircuitModel(const PictureSizes& pictures, const Size& board) : _pictures(pictures), _board(board) {}

void CircuitModel::addObserver(CircuitObserver* observer)
{
    _observers.push_back(observer);
}

void CircuitModel::removeObserver(CircuitObserver* observer)
{
    _observers.erase(std::remove(_observers.begin(), _observers.end(), observer), _observers.end());
}

std::ptrdiff_t CircuitModel::indexOf(PartId id) const
{
    auto found = _index.find(id);
    return found == _index.end() ? -1 : std::ptrdiff_t(found->second);
}

void CircuitModel::updateTransform(std::size_t index)
{
    const Part& p = _parts[index];
    const Size& picture = _pictures[p.type];
    _transforms[index] = cocos2d::NodeToParentTransform(p.position, p.rotation, 1.0f, 1.0f,
                                                        Vec2(picture.width * 0.5f, picture.height * 0.5f), false);
    for (int e = 0; e < 2; ++e) _endPoints[index][e] = _transforms[index].transformPoint(p.ends[e].point);
}

void CircuitModel::reindexFrom(std::size_t index)
{
    for (std::size_t i = index; i < _parts.size(); ++i) _index[_parts[i].id] = i;
}

PartId CircuitModel::add(PartType type, const Vec2& position, float rotation)
{
    return insert(_parts.size(), type, position, rotation);
}

PartId CircuitModel::insert(std::size_t index, PartType type, const Vec2& position, float rotation, PartId formerId)
{
    index = std::min(index, _parts.size());
    Part p;
    // An id handed out before and not on the board is the same part coming
    // back; any other id could name a different part.
    const bool former = formerId != kNoPart && formerId < _nextId && !contains(formerId);
    p.id = former ? formerId : _nextId++;
    p.type = type;
    p.position = position;
    p.rotation = rotation;
    const auto ends = endGeometry(type, _pictures[type]);
    p.ends[0] = ends[0];
    p.ends[1] = ends[1];
    _parts.insert(_parts.begin() + std::ptrdiff_t(index), p);
    _transforms.emplace(_transforms.begin() + std::ptrdiff_t(index));
    _endPoints.emplace(_endPoints.begin() + std::ptrdiff_t(index));
    updateTransform(index);
    reindexFrom(index);
    ++_counts[type];
    for (CircuitObserver* o : _observers) o->partAdded(_parts[index], index);
    return p.id;
}

namespace {

// End points of the parts placed so far, by cell of the touching distance:
// an end nearer than that to a point lies in the point's cell or one of the
// eight around it.
class EndGrid {
public:
    void insert(const EndRef& end, const Vec2& at) { _cells[key(cell(at.x), cell(at.y))].push_back({end, at}); }

    template <class Visit>
    void near(const Vec2& at, Visit visit) const
    {
        const long cx = cell(at.x), cy = cell(at.y);
        for (long dx = -1; dx <= 1; ++dx)
            for (long dy = -1; dy <= 1; ++dy) {
                auto found = _cells.find(key(cx + dx, cy + dy));
                if (found == _cells.end()) continue;
                for (const Entry& e : found->second) visit(e.end, e.at);
            }
    }

private:
    struct Entry {
        EndRef end;
        Vec2 at;
    };
    // Far-off points (a stored document may hold any finite number) share
    // the outermost cells rather than overflow.
    static long cell(float v)
    {
        const double c = std::floor(double(v) / double(connection::kTouchDistance));
        return long(std::max(-1e12, std::min(1e12, c)));
    }
    static std::uint64_t key(long x, long y) { return (std::uint64_t(std::uint32_t(x)) << 32) | std::uint32_t(y); }
    std::unordered_map<std::uint64_t, std::vector<Entry>> _cells;
};

} // namespace

void CircuitModel::addTouching(const std::vector<PartPlacement>& placements)
{
    for (CircuitObserver* o : _observers) o->batchStarted();
    EndGrid grid;
    for (const Part& p : _parts)
        for (int e = 0; e < 2; ++e) grid.insert({p.id, e}, endToBoard({p.id, e}));
    for (const PartPlacement& placed : placements) {
        const PartId id = add(placed.type, placed.position, placed.rotation);
        for (int e = 0; e < 2; ++e) {
            // The nearest end within touching distance that is free or linked
            // to this part; of equal ones the first in board order, end A
            // first, as the search over every end keeps the first it meets.
            const Vec2 from = endToBoard({id, e});
            EndRef best;
            float bestDistance = connection::kTouchDistance;
            std::size_t bestOrder = 0;
            grid.near(from, [&](const EndRef& end, const Vec2& at) {
                const PartId link = part(end.part).ends[end.end].link;
                if (link && link != id) return;
                const float d = from.distance(at);
                const std::size_t order = std::size_t(indexOf(end.part)) * 2 + std::size_t(end.end);
                if (d < bestDistance || (best && d == bestDistance && order < bestOrder)) {
                    best = end;
                    bestDistance = d;
                    bestOrder = order;
                }
            });
            if (best && endAngle({id, e}, best) == 180) join({id, e}, best);
        }
        for (int e = 0; e < 2; ++e) grid.insert({id, e}, endToBoard({id, e}));
    }
    for (CircuitObserver* o : _observers) o->batchEnded();
}

void CircuitModel::notifyChanging(std::size_t index)
{
    for (CircuitObserver* o : _observers) o->partChanging(_parts[index]);
}

void CircuitModel::remove(PartId id)
{
    const std::ptrdiff_t at = indexOf(id);
    if (at < 0) return;
    notifyChanging(std::size_t(at));
    for (int e = 0; e < 2; ++e)
        if (part(id).ends[e].link) unlinkEnd({id, e});
    // Links that were never paired (a part that reached the same neighbour
    // with both ends) must not outlive the part either.
    for (Part& other : _parts) {
        if (other.id == id) continue;
        for (int e = 0; e < 2; ++e)
            if (other.ends[e].link == id) setLink({other.id, e}, kNoPart);
    }
    const Part gone = _parts[std::size_t(at)];
    _parts.erase(_parts.begin() + at);
    _transforms.erase(_transforms.begin() + at);
    _endPoints.erase(_endPoints.begin() + at);
    _index.erase(id);
    reindexFrom(std::size_t(at));
    --_counts[gone.type];
    for (CircuitObserver* o : _observers) o->partRemoved(gone, std::size_t(at));
}

void CircuitModel::clear()
{
    _parts.clear();
    _transforms.clear();
    _endPoints.clear();
    _index.clear();
    for (int& c : _counts) c = 0;
    for (CircuitObserver* o : _observers) o->cleared();
}

Vec2 CircuitModel::endToBoard(const EndRef& end, bool inner) const
{
    const std::size_t i = _index.at(end.part);
    if (!inner) return _endPoints[i][end.end];
    return _transforms[i].transformPoint(_parts[i].ends[end.end].inner);
}

int CircuitModel::endAngle(const EndRef& a, const EndRef& b) const
{
    return connection::angleBetween(endToBoard(a, true) - endToBoard(a, false),
                                    endToBoard(b, true) - endToBoard(b, false));
}

Rect CircuitModel::bounds(PartId id) const
{
    const Size& picture = _pictures[part(id).type];
    return cocos2d::RectApplyTransform(Rect(0, 0, picture.width, picture.height), transform(id));
}

void CircuitModel::setPosition(PartId id, const Vec2& position)
{
    const std::size_t i = _index.at(id);
    notifyChanging(i);
    _parts[i].position = position;
    updateTransform(i);
    for (CircuitObserver* o : _observers) o->partMoved(_parts[i]);
}

void CircuitModel::setRotation(PartId id, float rotation)
{
    const std::size_t i = _index.at(id);
    notifyChanging(i);
    _parts[i].rotation = rotation;
    updateTransform(i);
    for (CircuitObserver* o : _observers) o->partMoved(_parts[i]);
}

void CircuitModel::placeClamped(PartId id, const Vec2& position)
{
    const Size b = bounds(id).size;
    // The lower bound wins on a board narrower than the part.
    const float x = std::max(b.width * 0.5f, std::min(position.x, _board.width - b.width * 0.5f));
    const float y = std::max(b.height * 0.5f, std::min(position.y, _board.height - b.height * 0.5f));
    setPosition(id, Vec2(x, y));
}

void CircuitModel::setLink(const EndRef& end, PartId partner)
{
    const std::size_t i = _index.at(end.part);
    Part& p = _parts[i];
    if (p.ends[end.end].link == partner) return;
    notifyChanging(i);
    p.ends[end.end].link = partner;
    for (CircuitObserver* o : _observers) o->linkChanged(p, end.end);
}

void CircuitModel::join(const EndRef& a, const EndRef& b)
{
    setLink(a, b.part);
    setLink(b, a.part);
}

void CircuitModel::linkTouchingEnd(const EndRef& end)
{
    collectEnds([&](PartId id) { return id == end.part; }, &_targets, &_targetRefs);
    _moving.assign(1, {endToBoard(end), linkTag(end.part)});
    const connection::Candidate found = connection::nearestFreeEnd(_moving, _targets, connection::kTouchDistance);
    if (!found) return;
    const EndRef t = _targetRefs[std::size_t(found.target)];
    if (endAngle(end, t) != 180) return;
    join(end, t);
}

void CircuitModel::unlinkEnd(const EndRef& end)
{
    const PartId partner = part(end.part).ends[end.end].link;
    if (!partner) return;
    setLink(end, kNoPart);
    // Clear the partner's side (end A first) only as far as this part no
    // longer links back, so links that came in pairs stay paired.
    for (int e = 0; e < 2; ++e) {
        if (linksTo(part(partner), end.part) <= linksTo(part(end.part), partner)) break;
        if (part(partner).ends[e].link == end.part) setLink({partner, e}, kNoPart);
    }
}

EndRef CircuitModel::findChainEnd(PartId start, int dir) const
{
    // Bounded by the number of parts, so links that form no simple path or
    // ring read as a loop instead of walking for ever.
    const std::size_t maxSteps = _parts.size() + 1;
    PartId cur = start;
    for (std::size_t step = 0; step <= maxSteps; ++step) {
        const PartId next = part(cur).ends[dir].link;
        if (next == start) return {};
        if (!next) return {cur, dir};
        // Entered next through its end dir: leave through the other one.
        if (part(next).ends[dir].link == cur) dir = 1 - dir;
        cur = next;
    }
    return {};
}

std::vector<PartId> CircuitModel::collectChain(PartId start) const
{
    std::vector<PartId> chain;
    std::unordered_set<PartId> seen;
    // (part, the part it was reached from); the top is walked next, so a
    // part's end-A branch is finished before its end-B continuation.
    std::vector<std::pair<PartId, PartId>> pending{{start, kNoPart}};
    while (!pending.empty()) {
        auto [id, previous] = pending.back();
        pending.pop_back();
        if (!seen.insert(id).second) continue;
        chain.push_back(id);
        const Part& p = part(id);
        const PartId afterB = p.ends[1].link;
        if (afterB && afterB != previous) pending.emplace_back(afterB, id);
        const PartId afterA = p.ends[0].link;
        if (afterA && afterA != previous) pending.emplace_back(afterA, id);
    }
    return chain;
}

void CircuitModel::turn(PartId id)
{
    setRotation(id, part(id).rotation + 45.0f);
    // The turned part's bounds differ, so it may now poke off the board.
    placeClamped(id, part(id).position);
    for (int e = 0; e < 2; ++e)
        if (part(id).ends[e].link) unlinkEnd({id, e});
    linkTouchingEnd({id, 0});
    linkTouchingEnd({id, 1});
}

} // namespace circuit
