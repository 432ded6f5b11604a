// Opens the settings store of a data folder as the next start would and
// checks what a start relies on: the save list and every saved circuit's
// document read back, each link of a loaded circuit is paired, the list and
// the documents agree, and the open circuit is listed. Given snapshots of the
// store (the replay tool's `store` files), the store must also hold what one
// of them holds, read the same way, so that nothing finished before a crash
// is missing. Exit status 0 when all holds, 1 with every fault on stderr.
// With --seed, it writes a snapshot's keys into a folder's store instead, to
// start a session from.
#include <picojson.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "AppConstants.h"
#include "CircuitDocument.h"
#include "CircuitModel.h"
#include "HistoryDocument.h"
#include "cocos2d.h"

namespace {

using Entries = std::map<std::string, std::string>;

const char* const kSaveListKey = "savelist";
const char* const kOpenCircuitKey = "load";

std::vector<std::string> s_faults;

void fault(const std::string& text) { s_faults.push_back(text); }

// Each part's geometry follows its picture, as the palette shows it: the
// files hold pictures at the content scale of 2.
circuit::PictureSizes pictureSizes()
{
    circuit::PictureSizes sizes;
    for (PartType t = 0; t < PartTypes::count; ++t) {
        cocos2d::Image image;
        if (!image.initWithImageFile(veloquix::partImageFiles[t])) {
            fault("cannot read " + veloquix::partImageFiles[t]);
            continue;
        }
        sizes[t] = cocos2d::Size(image.getWidth() / 2.0f, image.getHeight() / 2.0f);
    }
    return sizes;
}

bool isDisplayDate(const std::string& name)
{
    // "%Y-%m-%d  %H : %M : %S": a new circuit's name is the time it was made.
    if (name.size() != 24) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool digit = c >= '0' && c <= '9';
        if (digit != (std::string("dddd-dd-dd  dd : dd : dd")[i] == 'd')) return false;
    }
    return true;
}

// What the store says of the saved circuits, with ids and time-made names
// replaced by their places in the list (oldest first), so that two runs of
// one session made at different times read the same.
std::string describe(const Entries& entries)
{
    auto text = [&](const char* key) {
        auto it = entries.find(key);
        return it == entries.end() ? std::string() : it->second;
    };
    const auto list = circuitdoc::readSaveList(text(kSaveListKey));
    std::map<std::string, std::string> place;
    for (size_t i = 0; i < list.size(); ++i) place[list[i].id] = "#" + std::to_string(list.size() - 1 - i);
    std::string out = "list:";
    for (const auto& entry : list)
        out += " " + place[entry.id] + "=" + (isDisplayDate(entry.name) ? std::string("<date>") : entry.name);
    const std::string open = text(kOpenCircuitKey);
    out += "\nopen: " + (open.empty() ? "-" : place.count(open) ? place[open] : "unlisted " + open);
    for (const auto& entry : list) out += "\n" + place[entry.id] + ": " + text(entry.id.c_str());
    return out + "\n";
}

void checkConsistency(const Entries& entries, const circuit::PictureSizes& pictures)
{
    auto find = [&](const std::string& key) {
        auto it = entries.find(key);
        return it == entries.end() ? std::string() : it->second;
    };
    std::string error;
    const auto list = circuitdoc::readSaveList(find(kSaveListKey), &error);
    if (!error.empty()) fault("the save list does not read: " + error);
    std::map<std::string, int> listed;
    for (const auto& entry : list)
        if (++listed[entry.id] > 1) fault("circuit " + entry.id + " is listed twice");
    for (const auto& entry : entries) {
        if (circuitdoc::isCircuitId(entry.first) && !listed.count(entry.first))
            fault("the document of circuit " + entry.first + " is not in the list");
        // A circuit's undo history lives under keys that begin with its id.
        const std::string id = entry.first.substr(0, entry.first.find('.'));
        if (id.size() < entry.first.size() && circuitdoc::isCircuitId(id) &&
            entry.first.rfind(circuitdoc::historyKey(id), 0) == 0 && !listed.count(id))
            fault("the history key " + entry.first + " belongs to no listed circuit");
    }
    const std::string open = find(kOpenCircuitKey);
    if (!open.empty() && !listed.count(open)) fault("the open circuit " + open + " is not in the list");
    for (const auto& entry : list) {
        // A circuit made and not yet touched has no document: an empty board.
        const std::string text = find(entry.id);
        std::string parseError;
        const auto records = circuitdoc::readCircuit(text, &parseError);
        if (!parseError.empty()) {
            fault("the document of circuit " + entry.id + " does not read: " + parseError);
            continue;
        }
        circuit::CircuitModel model(pictures, cocos2d::Size(2048, 1536));
        std::vector<circuit::PartPlacement> placements;
        for (const auto& record : records)
            placements.push_back({record.type, cocos2d::Vec2(record.x, record.y), record.rotation});
        model.addTouching(placements);
        for (const circuit::Part& part : model.parts()) {
            for (const circuit::PartEnd& end : part.ends) {
                if (end.link == circuit::kNoPart) continue;
                const bool paired = model.contains(end.link) &&
                                    (model.part(end.link).ends[0].link == part.id ||
                                     model.part(end.link).ends[1].link == part.id);
                if (!paired) {
                    fault("circuit " + entry.id + ": part " + std::to_string(part.id) + " links to " +
                          std::to_string(end.link) + ", which does not link back");
                }
            }
        }
    }
}

bool readSnapshot(const std::string& path, Entries* entries)
{
    std::ifstream in(path);
    std::stringstream bytes;
    bytes << in.rdbuf();
    picojson::value value;
    const std::string error = picojson::parse(value, bytes.str());
    if (!in || !error.empty() || !value.is<picojson::object>()) return false;
    for (const auto& member : value.get<picojson::object>()) {
        if (!member.second.is<std::string>()) return false;
        (*entries)[member.first] = member.second.get<std::string>();
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--seed") {
        Entries snapshot;
        if (!readSnapshot(argv[3], &snapshot)) {
            std::fprintf(stderr, "veloquix-storecheck: cannot read the snapshot %s\n", argv[3]);
            return 1;
        }
        setenv("VELOQUIX_HOME", argv[2], 1);
        auto* store = cocos2d::UserDefault::getInstance();
        for (const auto& entry : snapshot) store->setStringForKey(entry.first.c_str(), entry.second);
        store->flush();
        cocos2d::UserDefault::destroyInstance();
        return 0;
    }
    if (argc < 2 || std::string(argv[1]).rfind("-", 0) == 0) {
        std::fprintf(stderr, "usage: veloquix-storecheck FOLDER [SNAPSHOT.json ...]\n"
                             "       veloquix-storecheck --seed FOLDER SNAPSHOT.json\n"
                             "  checks the store in FOLDER; with snapshots, it must hold what one of them holds\n");
        return 2;
    }
    setenv("VELOQUIX_HOME", argv[1], 1);
    const std::string storePath = cocos2d::UserDefault::getStoreFilePath();
    std::ifstream probe(storePath);
    if (!probe) fault("there is no store at " + storePath);
    Entries entries;
    for (const auto& entry : cocos2d::UserDefault::getInstance()->getAllEntries()) entries.insert(entry);
    cocos2d::UserDefault::destroyInstance();
    checkConsistency(entries, pictureSizes());

    if (argc > 2) {
        const std::string found = describe(entries);
        std::string wanted;
        bool matched = false;
        for (int i = 2; i < argc && !matched; ++i) {
            Entries snapshot;
            if (!readSnapshot(argv[i], &snapshot)) {
                fault(std::string("cannot read the snapshot ") + argv[i]);
                continue;
            }
            const std::string described = describe(snapshot);
            matched = described == found;
            wanted += std::string("--- ") + argv[i] + "\n" + described;
        }
        if (!matched) fault("the store holds none of the snapshots:\n--- the store\n" + found + wanted);
    }
    for (const std::string& text : s_faults) std::fprintf(stderr, "veloquix-storecheck: %s\n", text.c_str());
    return s_faults.empty() ? 0 : 1;
}
