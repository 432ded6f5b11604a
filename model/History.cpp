#include "History.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <utility>

using cocos2d::Vec2;

namespace circuit {

namespace {

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The same picture in the same place: type, position and rotation to the bit.
bool samePlacement(const Part& part, const PlacedPart& placed)
{
    return part.type == placed.type && sameBits(part.position.x, placed.x) && sameBits(part.position.y, placed.y) &&
           sameBits(part.rotation, placed.rotation);
}

bool sameRecord(const Part& a, const Part& b)
{
    return a.type == b.type && sameBits(a.position.x, b.position.x) && sameBits(a.position.y, b.position.y) &&
           sameBits(a.rotation, b.rotation) && a.ends[0].link == b.ends[0].link && a.ends[1].link == b.ends[1].link;
}

template <class PlaceOf>
PlacedPart placed(const Part& part, std::int32_t place, PlaceOf placeOf)
{
    PlacedPart out;
    out.place = place;
    out.type = part.type;
    out.x = part.position.x;
    out.y = part.position.y;
    out.rotation = part.rotation;
    for (int e = 0; e < 2; ++e) out.links[e] = part.ends[e].link ? placeOf(part.ends[e].link) : kNoPlace;
    out.id = part.id;
    return out;
}

} // namespace

History::History(CircuitModel& model) : _model(model) { _model.addObserver(this); }

History::~History() { _model.removeObserver(this); }

// ---- Recording ---------------------------------------------------------------

void History::open(const Part* added)
{
    _open = true;
    _openOrder.clear();
    _openOrder.reserve(_model.size());
    for (const Part& part : _model.parts())
        if (&part != added) _openOrder.push_back(part.id);
}

void History::partAdded(const Part& part, std::size_t)
{
    if (_applying) return;
    if (!_open) open(&part);
    _added.insert(part.id);
}

void History::partChanging(const Part& part)
{
    if (_applying) return;
    if (!_open) open(nullptr);
    if (_added.count(part.id) == 0) _before.emplace(part.id, part);
}

void History::cleared() { clear(); }

void History::discardOpenStep()
{
    _open = false;
    _openOrder.clear();
    _before.clear();
    _added.clear();
}

bool History::closeStep()
{
    if (!_open) return false;
    // Places before the step, of the parts it changed and of those they
    // were joined to: one walk over the order the step opened with.
    std::unordered_map<PartId, std::int32_t> placeBefore;
    for (const auto& kept : _before) {
        placeBefore.emplace(kept.first, kNoPlace);
        for (const PartEnd& end : kept.second.ends)
            if (end.link) placeBefore.emplace(end.link, kNoPlace);
    }
    for (std::size_t i = 0; i < _openOrder.size() && !placeBefore.empty(); ++i) {
        auto found = placeBefore.find(_openOrder[i]);
        if (found != placeBefore.end()) found->second = std::int32_t(i);
    }
    auto before = [&](PartId id) { return placeBefore.at(id); };
    auto after = [&](PartId id) { return std::int32_t(_model.indexOf(id)); };

    HistoryStep step;
    for (const auto& kept : _before) {
        PartChange change;
        change.hasBefore = true;
        change.before = placed(kept.second, before(kept.first), before);
        if (_model.contains(kept.first)) {
            const Part& now = _model.part(kept.first);
            if (sameRecord(kept.second, now)) continue;
            change.hasAfter = true;
            change.after = placed(now, after(kept.first), after);
        }
        step.changes.push_back(change);
    }
    for (PartId id : _added) {
        if (!_model.contains(id)) continue;
        PartChange change;
        change.hasAfter = true;
        change.after = placed(_model.part(id), after(id), after);
        step.changes.push_back(change);
    }
    discardOpenStep();
    if (step.changes.empty()) return false;
    // One order for the same step, however the records were met.
    std::sort(step.changes.begin(), step.changes.end(), [](const PartChange& a, const PartChange& b) {
        if (a.hasBefore != b.hasBefore) return a.hasBefore;
        return a.hasBefore ? a.before.place < b.before.place : a.after.place < b.after.place;
    });

    _steps.erase(_steps.begin() + std::ptrdiff_t(_done), _steps.end());
    _steps.push_back(std::move(step));
    _newFrom = std::min(_newFrom, endSerial() - 1);
    ++_done;
    while (_steps.size() > kDepth) {
        _steps.pop_front();
        ++_first;
        --_done;
    }
    _unsaved = true;
    return true;
}

// ---- Undo and redo -------------------------------------------------------------

bool History::undo()
{
    if (!canUndo()) return false;
    discardOpenStep();
    if (!apply(_steps[_done - 1], true)) {
        drop();
        return false;
    }
    --_done;
    _unsaved = true;
    return true;
}

bool History::redo()
{
    if (!canRedo()) return false;
    discardOpenStep();
    if (!apply(_steps[_done], false)) {
        drop();
        return false;
    }
    ++_done;
    _unsaved = true;
    return true;
}

bool History::apply(const HistoryStep& step, bool backward)
{
    auto hasFrom = [backward](const PartChange& c) { return backward ? c.hasAfter : c.hasBefore; };
    auto hasTo = [backward](const PartChange& c) { return backward ? c.hasBefore : c.hasAfter; };
    auto from = [backward](const PartChange& c) -> const PlacedPart& { return backward ? c.after : c.before; };
    auto to = [backward](const PartChange& c) -> const PlacedPart& { return backward ? c.before : c.after; };

    // Everything is checked before anything changes: a step that does not
    // fit the circuit leaves it untouched.
    const std::vector<Part>& parts = _model.parts();
    const std::size_t size = parts.size();
    const std::size_t n = step.changes.size();
    std::vector<PartId> fromIds(n, kNoPart);
    std::unordered_set<PartId> leaving;
    std::vector<std::size_t> arriving; // changes whose part comes onto the board
    for (std::size_t i = 0; i < n; ++i) {
        const PartChange& c = step.changes[i];
        if (!hasFrom(c)) {
            if (!hasTo(c)) return false;
            arriving.push_back(i);
            continue;
        }
        const PlacedPart& f = from(c);
        if (f.place < 0 || std::size_t(f.place) >= size || !samePlacement(parts[std::size_t(f.place)], f)) return false;
        // A part never changes its type: a step that says so was not made here.
        if (hasTo(c) && to(c).type != f.type) return false;
        fromIds[i] = parts[std::size_t(f.place)].id;
        if (!hasTo(c) && !leaving.insert(fromIds[i]).second) return false;
    }
    std::vector<PartId> changedIds(fromIds);
    std::sort(changedIds.begin(), changedIds.end());
    if (std::adjacent_find(changedIds.begin(), changedIds.end(), [](PartId a, PartId b) { return a && a == b; }) !=
        changedIds.end())
        return false;
    std::sort(arriving.begin(), arriving.end(),
              [&](std::size_t a, std::size_t b) { return to(step.changes[a]).place < to(step.changes[b]).place; });
    const std::size_t finalSize = size - leaving.size() + arriving.size();

    // Parts that stay keep their order, and those that arrive take their
    // places between them: each part that stays must land on its place.
    if (leaving.empty() && arriving.empty()) {
        for (std::size_t i = 0; i < n; ++i)
            if (to(step.changes[i]).place != from(step.changes[i]).place) return false;
    } else {
        std::vector<PartId> order;
        order.reserve(finalSize);
        std::size_t a = 0;
        auto arrivalsAt = [&](std::size_t place) {
            while (a < arriving.size() && std::size_t(to(step.changes[arriving[a]]).place) == place) {
                order.push_back(kNoPart);
                ++a;
                ++place;
            }
        };
        for (const Part& part : parts) {
            if (leaving.count(part.id)) continue;
            arrivalsAt(order.size());
            order.push_back(part.id);
        }
        arrivalsAt(order.size());
        if (a != arriving.size() || order.size() != finalSize) return false;
        for (std::size_t i = 0; i < n; ++i) {
            const PartChange& c = step.changes[i];
            if (!hasFrom(c) || !hasTo(c)) continue;
            const std::int32_t place = to(c).place;
            if (place < 0 || std::size_t(place) >= finalSize || order[std::size_t(place)] != fromIds[i]) return false;
        }
    }
    for (const PartChange& c : step.changes) {
        if (!hasTo(c)) continue;
        for (std::int32_t link : to(c).links)
            if (link != kNoPlace && (link < 0 || std::size_t(link) >= finalSize)) return false;
    }

    _applying = true;
    for (std::size_t i = 0; i < n; ++i)
        if (!hasTo(step.changes[i])) _model.remove(fromIds[i]);
    for (std::size_t i : arriving) {
        const PlacedPart& t = to(step.changes[i]);
        _model.insert(std::size_t(t.place), t.type, Vec2(t.x, t.y), t.rotation, t.id);
    }
    for (std::size_t i = 0; i < n; ++i) {
        const PartChange& c = step.changes[i];
        if (!hasFrom(c) || !hasTo(c)) continue;
        const PlacedPart& t = to(c);
        const Part& now = _model.part(fromIds[i]);
        if (!sameBits(now.position.x, t.x) || !sameBits(now.position.y, t.y))
            _model.setPosition(fromIds[i], Vec2(t.x, t.y));
        if (!sameBits(now.rotation, t.rotation)) _model.setRotation(fromIds[i], t.rotation);
    }
    // Links last, once every part stands at its place: each end exactly as
    // the record has it, one-sided links included.
    for (const PartChange& c : step.changes) {
        if (!hasTo(c)) continue;
        const PlacedPart& t = to(c);
        const PartId id = parts[std::size_t(t.place)].id;
        for (int e = 0; e < 2; ++e)
            _model.setEndLink({id, e}, t.links[e] == kNoPlace ? kNoPart : parts[std::size_t(t.links[e])].id);
    }
    _applying = false;
    return true;
}

void History::drop()
{
    std::cerr << "history: a step does not fit the circuit; the history is dropped\n";
    _first = endSerial();
    _newFrom = _first;
    _steps.clear();
    _done = 0;
    _unsaved = true;
}

// ---- Kept in the store ---------------------------------------------------------

void History::load(std::vector<HistoryStep> steps, std::size_t done, std::uint64_t firstSerial)
{
    discardOpenStep();
    _steps.assign(std::make_move_iterator(steps.begin()), std::make_move_iterator(steps.end()));
    _done = std::min(done, _steps.size());
    _first = firstSerial;
    _savedFirst = _first;
    _savedEnd = endSerial();
    _newFrom = _savedEnd;
    _unsaved = false;
}

void History::clear() { load({}, 0, 0); }

void History::markSaved()
{
    _savedFirst = _first;
    _savedEnd = endSerial();
    _newFrom = _savedEnd;
    _unsaved = false;
}

} // namespace circuit
