#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "CircuitModel.h"
#include "HistoryStep.h"

namespace circuit {

// The undo history of the circuit on the board, and its recorder: it
// watches the model, keeps each part's record as it was before its first
// change since the last step, and turns them into one step when the
// gesture ends. Undo and redo put records back exactly, links included.
class History : public CircuitObserver {
public:
    // Steps kept; past that the oldest goes.
    static constexpr std::size_t kDepth = 1000;

    explicit History(CircuitModel& model);
    ~History() override;
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    // The gesture ended: what changed since the last step becomes a step,
    // and the steps that could have been redone go. False when nothing did.
    bool closeStep();

    bool canUndo() const { return _done > 0; }
    bool canRedo() const { return _done < _steps.size(); }
    // The circuit as before the last done step, or as after the first undone
    // one. False when there is none, and when the step does not fit the
    // circuit (a history that disagrees with its circuit is dropped whole,
    // and the circuit left as it is).
    bool undo();
    bool redo();

    // A history read from the store: steps numbered from firstSerial on, the
    // first `done` of them done. What the board did since is forgotten.
    void load(std::vector<HistoryStep> steps, std::size_t done, std::uint64_t firstSerial);
    // No circuit's history, and nothing kept in the store to account for.
    void clear();

    const std::deque<HistoryStep>& steps() const { return _steps; }
    std::size_t done() const { return _done; }
    // Each step has a serial, counted from the first ever kept.
    std::uint64_t firstSerial() const { return _first; }
    std::uint64_t endSerial() const { return _first + _steps.size(); }

    // What the store has not been told since markSaved(): whether anything
    // changed, the first serial whose step is new, and the serials the store
    // held then.
    bool unsaved() const { return _unsaved; }
    std::uint64_t newFrom() const { return _newFrom; }
    std::uint64_t savedFirst() const { return _savedFirst; }
    std::uint64_t savedEnd() const { return _savedEnd; }
    void markSaved();

    void partAdded(const Part& part, std::size_t index) override;
    void partChanging(const Part& part) override;
    void cleared() override;

private:
    void open(const Part* added);
    void discardOpenStep();
    bool apply(const HistoryStep& step, bool backward);
    void drop();

    CircuitModel& _model;
    std::deque<HistoryStep> _steps;
    std::size_t _done = 0;
    std::uint64_t _first = 0;
    bool _applying = false;

    // The step being recorded: the parts' order when it opened, the records
    // of the parts it changed as they were, and the parts it placed.
    bool _open = false;
    std::vector<PartId> _openOrder;
    std::unordered_map<PartId, Part> _before;
    std::unordered_set<PartId> _added;

    bool _unsaved = false;
    std::uint64_t _newFrom = 0;
    std::uint64_t _savedFirst = 0;
    std::uint64_t _savedEnd = 0;
};

} // namespace circuit
