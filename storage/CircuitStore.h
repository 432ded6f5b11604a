#pragma once

#include <ctime>
#include <string>
#include <unordered_map>
#include <vector>

#include "CircuitDocument.h"
#include "CircuitModel.h"

// The saved circuits in the settings store: one document per circuit under
// its id, the save list, the id of the circuit that is open, and the
// thumbnail files beside them. Every change is flushed at once. No node.
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
    // empty key: no circuit is open).
    void saveCircuit(const std::string& key, const circuit::CircuitModel& model);
    // The parts of the document stored under key, in board order.
    std::vector<circuitdoc::PartRecord> loadCircuit(const std::string& key) const;

    // The circuit the last run left open, now open again; false when none.
    bool reopenLast();
    // Opens a listed circuit: it is the one reopened at the next launch.
    void openCircuit(const std::string& id);
    // The listed circuits, newest first.
    std::vector<circuitdoc::SaveEntry> savedCircuits() const;
    // A new circuit, now open, listed first under the time it was made: a
    // copy of sourceId's document and thumbnail, or empty when sourceId is.
    std::string addCircuit(const std::string& sourceId);
    // Forgets the circuit with its thumbnail; true when it was the open one.
    bool deleteCircuit(const std::string& id);
    void renameCircuit(const std::string& id, const std::string& name);

private:
    std::string _openId;
    std::string _newCircuitDate;
    // Each part's text in the last saved document, reused while it stays put.
    std::unordered_map<circuit::PartId, circuitdoc::PartText> _savedTexts;
};
