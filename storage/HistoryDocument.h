#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "HistoryStep.h"

// The texts a circuit's undo history is kept in, beside its document: a head
// under "ID.history" and one text per step under "ID.history.SERIAL", so a
// commit writes only the step that is new. JSON written compactly with
// members sorted by name, as picojson writes it.
//   head  {"done":D,"first":F,"steps":N}   steps F .. F+N-1, the first D done
//   step  [{"a":PART,"b":PART}, ...]       each changed part after and before
//   PART  [place,type,x,y,rotation,linkA,linkB]   links are places, -1 none
namespace circuitdoc {

struct HistoryHead {
    std::uint64_t first = 0;
    std::size_t steps = 0;
    std::size_t done = 0;
};

// The history as read back: empty unless every text read.
struct StoredHistory {
    std::uint64_t first = 0;
    std::size_t done = 0;
    std::vector<circuit::HistoryStep> steps;
};

std::string historyKey(const std::string& circuitId);
std::string historyStepKey(const std::string& circuitId, std::uint64_t serial);

std::string writeHistoryHead(const HistoryHead& head);
std::string writeHistoryStep(const circuit::HistoryStep& step);

// False for a text of any other shape: not JSON, other members or kinds,
// numbers out of range or not whole where they must be, more than
// maxSteps steps, or a step that names one place twice on a side.
bool readHistoryHead(const std::string& text, HistoryHead* head, std::size_t maxSteps);
bool readHistoryStep(const std::string& text, circuit::HistoryStep* step);

// The whole history from its head text and the text of each step, by
// serial; an empty history when any of them does not read, and then error,
// when given, says which.
StoredHistory readHistory(const std::string& headText, const std::function<std::string(std::uint64_t)>& stepText,
                          std::size_t maxSteps, std::string* error = nullptr);

} // namespace circuitdoc
