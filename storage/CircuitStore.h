#pragma once

#include <ctime>
#include <string>
#include <unordered_map>
#include <vector>

#include "CircuitDocument.h"
#include "CircuitModel.h"
#include "History.h"
#include "HistoryDocument.h"
#include "base/CCData.h"

// The saved circuits in the settings store: one document per circuit under
// its id, the save list, the id of the circuit that is open, and the
// thumbnail files beside them, and each circuit's undo history beside its
// document. Every change is flushed at once. No node.
class CircuitStore {
public:
    // "screen/ID.png", under the writable folder, and the full path of it.
    static std::string thumbnailName(const std::string& id);
    static std::string thumbnailPath(const std::string& id);

    // The open circuit's id; empty before one is created or opened.
    const std::string& openId() const { return _openId; }
    // The date a circuit made by addCircuit is listed under.
    const std::string& newCircuitDate() const { return _newCircuitDate; }

    // Writes the model as the document stored under key (nothing for an
    // empty key: no circuit is open), and in the same commit what the
    // history has not yet written of itself.
    void saveCircuit(const std::string& key, const circuit::CircuitModel& model, circuit::History* history = nullptr);
    // The parts of the document stored under key, in board order.
    std::vector<circuitdoc::PartRecord> loadCircuit(const std::string& key) const;
    // The history kept with that document; empty when it does not read.
    circuitdoc::StoredHistory loadHistory(const std::string& key) const;

    // The circuit the last run left open, now open again; false when none.
    bool reopenLast();
    // Opens a listed circuit: it is the one reopened at the next launch.
    void openCircuit(const std::string& id);
    // The listed circuits, newest first.
    std::vector<circuitdoc::SaveEntry> savedCircuits() const;
    // A new circuit, now open, listed first under the time it was made: a
    // copy of sourceId's document and thumbnail, or empty when sourceId is.
    std::string addCircuit(const std::string& sourceId);
    // Forgets the circuit with its thumbnail and history; true when it was
    // the open one. What it forgets is kept in memory for this session.
    bool deleteCircuit(const std::string& id);
    void renameCircuit(const std::string& id, const std::string& name);

    // A circuit deleted in this session, as it comes back.
    struct RestoredCircuit {
        std::string id;
        std::string name;
        // Among the listed circuits, counted from the newest.
        std::size_t place = 0;
        bool open = false;
    };
    // Brings back the circuit deleted last: its document, history, thumbnail
    // and entry at its old place in the list, and as the circuit reopened
    // at the next launch when it was and none has been opened since. False
    // when there is none, or when its id has been taken again since.
    bool restoreDeletedCircuit(RestoredCircuit* restored);

private:
    struct DeletedCircuit {
        RestoredCircuit shown;
        std::size_t listPlace = 0;
        std::string document;
        std::vector<std::pair<std::string, std::string>> history;
        cocos2d::Data thumbnail;
    };
    // The keys of the history stored for a circuit.
    std::vector<std::string> historyKeys(const std::string& id) const;
    void writeHistory(const std::string& key, circuit::History& history);

    std::string _openId;
    std::string _newCircuitDate;
    // Each part's text in the last saved document, reused while it stays put.
    std::unordered_map<circuit::PartId, circuitdoc::PartText> _savedTexts;
    std::vector<DeletedCircuit> _deleted;
};
