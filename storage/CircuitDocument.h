#pragma once

#include <cstddef>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

// The texts circuit storage keeps in the settings store: a circuit document
// (one record per part, in board order) and the save list (newest first).
// JSON written compactly with members sorted by name, through picojson.
namespace circuitdoc {

struct PartRecord {
    int type = 0;
    float rotation = 0;
    float x = 0;
    float y = 0;
};

struct SaveEntry {
    std::string id;
    std::string name;
};

std::string writeCircuit(const std::vector<PartRecord>& parts);

// One part's text in the document and the record it was written from. A
// board of a thousand parts is saved at every touch while one part or one
// chain moved, so the parts that did not move are copied, not written again.
struct PartText {
    PartRecord record;
    std::string text;
};
// The same bytes as writeCircuit(parts); memos[i], when not null, is part
// i's text from an earlier save, reused when its record is the same to the
// bit and rewritten otherwise.
std::string writeCircuit(const std::vector<PartRecord>& parts, const std::vector<PartText*>& memos);

// Appends a number as picojson writes it.
void appendNumber(std::string& out, double value);

// The parts of a stored document. An empty text is an empty circuit. Text that
// is not JSON sets parseError to the parser's message and gives no parts;
// elements that are not a part of a known type with finite numbers are
// skipped. Rotations lose their fraction, as they always have.
std::vector<PartRecord> readCircuit(const std::string& text, std::string* parseError = nullptr);

// The entries of a stored save list whose id is a circuit id and whose name is
// a string.
std::vector<SaveEntry> readSaveList(const std::string& text, std::string* parseError = nullptr);

// Save-list edits: each reads the stored text (empty or unreadable reads as
// an empty list), changes it and returns the text to store. Entries the
// program does not understand are kept as they are.
std::string saveListWithNewEntry(const std::string& text, const std::string& id, const std::string& name,
                                 std::string* parseError = nullptr);
// The same, with the entry at `place` (at most the list's length; entries
// the program does not understand count).
std::string saveListWithEntryAt(const std::string& text, std::size_t place, const std::string& id,
                                const std::string& name, std::string* parseError = nullptr);
std::string saveListWithout(const std::string& text, const std::string& id, std::string* parseError = nullptr);
// Where the entry for id stands in the list, counted as above; -1 when it is not there.
std::ptrdiff_t saveListPlace(const std::string& text, const std::string& id);
std::string saveListRenamed(const std::string& text, const std::string& id, const std::string& name,
                            std::string* parseError = nullptr);

// True for the 14 decimal digits of a circuit id. Ids name files, so
// anything else read from the store (such as "../x") is not an id.
bool isCircuitId(const std::string& text);

// "%Y%m%d%H%M%S" and "%Y-%m-%d  %H : %M : %S" of a local time.
std::string circuitId(std::time_t when);
std::string displayDate(std::time_t when);

// The first second from `when` on whose circuit id is not taken, so that two
// circuits made within one second never share a document or a thumbnail.
std::time_t firstFreeSecond(std::time_t when, const std::function<bool(const std::string& id)>& taken);

} // namespace circuitdoc
