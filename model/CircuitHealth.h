#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "CircuitModel.h"

// Whether the circuit closes: how many ends are still open, how many joined
// pieces it makes, the nearest pair of free ends of different parts, and the
// open ends one after another in placement order.
//
// It watches the model. The count of open ends is kept with every change; the
// pieces and the nearest gap are worked out when asked for, from what changed
// since the last question, so asking once a frame costs what the frame's
// changes cost, not what the whole board would.
namespace circuit {

class CircuitHealth : public CircuitObserver {
public:
    // Two free ends further apart than this are no gap worth showing.
    static constexpr float kGapReach = 60.0f;

    struct Gap {
        EndRef a, b;
        float distance = 0;
        // Whole degrees by which the two ends' inward directions miss facing
        // each other exactly: 0 when they face, 180 when they point the same way.
        int turn = 0;
        explicit operator bool() const { return bool(a); }
    };

    explicit CircuitHealth(CircuitModel& model);
    ~CircuitHealth() override;
    CircuitHealth(const CircuitHealth&) = delete;
    CircuitHealth& operator=(const CircuitHealth&) = delete;

    int openEnds() const { return _openEnds; }
    // Separate groups of joined parts (a part on its own is one).
    int pieces();
    // The nearest pair of free ends of different parts no further apart than
    // kGapReach, or none.
    Gap nearestGap();
    // The first open end after `after` in placement order (end A before end B),
    // wrapping round to the first part; from the start of the board when
    // `after` is none or no longer on it. None when every end is linked.
    EndRef nextOpenEnd(const EndRef& after) const;
    // Counts the changes seen, so a reader can tell whether anything moved.
    std::uint64_t revision() const { return _revision; }

    void partAdded(const Part& part, std::size_t index) override;
    void partMoved(const Part& part) override;
    void partRemoved(const Part& part, std::size_t index) override;
    void linkChanged(const Part& part, int end) override;
    void cleared() override;

private:
    using CellKey = std::int64_t;
    // A free end as the gap search keeps it: where it lay when last looked
    // at, and the nearest other free end then.
    struct EndSlot {
        cocos2d::Vec2 at;
        cocos2d::Vec2 inward;
        bool free = false;   // as the model has it now
        bool placed = false; // in the grid, with the position above
        CellKey cell = 0;
        std::size_t cellIndex = 0;
        int nearest = -1; // slot of the nearest placed partner, -1 for none
        float nearestDistance = 0;
        // Slots whose nearest partner this one is.
        std::vector<int> nearestOf;
    };
    struct PartSlot {
        PartId id = kNoPart;
        bool dirty = false;
        bool gone = false;
    };
    // Ordered nearest first; ties go to the earlier part, then end.
    using Ranked = std::tuple<float, PartId, int, int>; // distance, part, end, slot

    int slotOf(PartId id) const;
    PartId partOf(int slot) const { return _parts[std::size_t(slot / 2)].id; }
    void markDirty(int partSlot);
    void settle();
    void place(int slot);
    void unplace(int slot);
    void findNearest(int slot);
    // Calls visit(other, distance) for every placed end of another part
    // within kGapReach of the slot's end.
    template <class Visit>
    void forEachWithinReach(int slot, Visit visit) const;
    void setNearest(int slot, int partner, float distance);
    void dropNearest(int slot);
    bool closer(float d, int a, float dBest, int b) const;
    Ranked ranked(int slot) const;
    CellKey cellOf(const cocos2d::Vec2& at) const;

    CircuitModel& _model;
    int _openEnds = 0;
    std::uint64_t _revision = 0;

    // Two end slots per part slot; part slots are used again once settled.
    std::vector<PartSlot> _parts;
    std::vector<EndSlot> _ends;
    std::vector<int> _spare;
    std::unordered_map<PartId, int> _slotOf;
    std::vector<int> _dirty;
    // Free ends by grid cell of kGapReach a side: a partner within reach lies
    // in the cell or one of its eight neighbours.
    std::unordered_map<CellKey, std::vector<int>> _grid;
    // Every placed end that has a partner, by its distance to it.
    std::set<Ranked> _gaps;

    bool _piecesKnown = false;
    int _pieces = 0;
};

} // namespace circuit
