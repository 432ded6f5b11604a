#pragma once

#include <cstdint>
#include <vector>

#include "PartType.h"

// One step of a circuit's undo history as plain numbers, so that it can be
// kept beside the circuit and read back after a relaunch. Ids live only as
// long as a session; a kept step names parts by their place in placement
// order instead, on either side of the step.
namespace circuit {

constexpr std::int32_t kNoPlace = -1;

// A part as one side of a step has it.
struct PlacedPart {
    std::int32_t place = 0; // in placement order on this side of the step
    PartType type = 0;
    float x = 0;
    float y = 0;
    float rotation = 0;
    std::int32_t links[2] = {kNoPlace, kNoPlace}; // places of the parts the ends are joined to
    // The part's id in this session, a hint for putting it back under the
    // same id; 0 in a step read from the store.
    std::uint32_t id = 0;
};

// One part the step changed: as it was before it and as it is after it. A
// part placed by the step has no before, a part taken away no after.
struct PartChange {
    bool hasBefore = false;
    bool hasAfter = false;
    PlacedPart before;
    PlacedPart after;
};

// Every part one finished gesture changed, links included; never empty.
struct HistoryStep {
    std::vector<PartChange> changes;
};

} // namespace circuit
