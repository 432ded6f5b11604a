#include "CircuitStore.h"

#include <iostream>

#include "AppConstants.h"
#include "cocos2d.h"

USING_NS_CC;

namespace {

const char* const kSaveListKey = "savelist";
const char* const kOpenCircuitKey = "load";

// Stored texts are the program's own; a broken one is reported where a
// developer can see it and otherwise read as empty.
void reportParseError(const std::string& error)
{
    if (!error.empty()) std::cerr << error << '\n';
}

} // namespace

std::string CircuitStore::thumbnailName(const std::string& id)
{
    return std::string(veloquix::kThumbnailFolder) + "/" + id + ".png";
}

std::string CircuitStore::thumbnailPath(const std::string& id)
{
    return FileUtils::getInstance()->getWritablePath() + thumbnailName(id);
}

void CircuitStore::saveCircuit(const std::string& key, const circuit::CircuitModel& model)
{
    // No circuit is open before the first one is created or opened.
    if (key.empty()) return;
    std::vector<circuitdoc::PartRecord> parts;
    std::vector<circuitdoc::PartText*> memos;
    parts.reserve(model.size());
    memos.reserve(model.size());
    for (const circuit::Part& part : model.parts()) {
        parts.push_back({part.type, part.rotation, part.position.x, part.position.y});
        memos.push_back(&_savedTexts[part.id]);
    }
    // Parts that left the board leave their texts behind.
    if (_savedTexts.size() > model.size()) {
        for (auto it = _savedTexts.begin(); it != _savedTexts.end();)
            it = model.contains(it->first) ? std::next(it) : _savedTexts.erase(it);
    }
    auto* store = UserDefault::getInstance();
    store->setStringForKey(key.c_str(), circuitdoc::writeCircuit(parts, memos));
    store->flush();
}

std::vector<circuitdoc::PartRecord> CircuitStore::loadCircuit(const std::string& key) const
{
    const std::string text = UserDefault::getInstance()->getStringForKey(key.c_str());
    if (text.empty()) return {};
    std::string error;
    auto parts = circuitdoc::readCircuit(text, &error);
    reportParseError(error);
    return parts;
}

bool CircuitStore::reopenLast()
{
    const std::string open = UserDefault::getInstance()->getStringForKey(kOpenCircuitKey);
    if (!circuitdoc::isCircuitId(open)) return false;
    _openId = open;
    return true;
}

void CircuitStore::openCircuit(const std::string& id)
{
    _openId = id;
    auto* store = UserDefault::getInstance();
    store->setStringForKey(kOpenCircuitKey, id);
    store->flush();
}

std::vector<circuitdoc::SaveEntry> CircuitStore::savedCircuits() const
{
    std::string error;
    auto entries = circuitdoc::readSaveList(UserDefault::getInstance()->getStringForKey(kSaveListKey), &error);
    reportParseError(error);
    return entries;
}

std::string CircuitStore::addCircuit(const std::string& sourceId)
{
    auto* store = UserDefault::getInstance();
    auto* files = FileUtils::getInstance();
    const std::string listText = store->getStringForKey(kSaveListKey);
    const auto entries = circuitdoc::readSaveList(listText);
    const std::time_t when = circuitdoc::firstFreeSecond(std::time(nullptr), [&](const std::string& id) {
        for (const auto& entry : entries)
            if (entry.id == id) return true;
        return !store->getStringForKey(id.c_str()).empty() || files->isFileExist(thumbnailPath(id));
    });
    const std::string id = circuitdoc::circuitId(when);
    _openId = id;
    _newCircuitDate = circuitdoc::displayDate(when);

    store->setStringForKey(kSaveListKey, circuitdoc::saveListWithNewEntry(listText, id, _newCircuitDate));
    store->setStringForKey(kOpenCircuitKey, id);
    // One commit with the list entry: a copy is never listed, or opened at
    // the next start, without its document, whenever the program stops.
    if (!sourceId.empty()) store->setStringForKey(id.c_str(), store->getStringForKey(sourceId.c_str()));
    store->flush();

    if (!sourceId.empty()) {
        // Without a source picture the copy shows the no-image picture, as
        // its source does; an empty file would only fail to decode.
        const Data picture = files->getDataFromFile(thumbnailPath(sourceId));
        if (!picture.isNull()) files->writeDataToFile(picture, thumbnailPath(id));
    }
    return id;
}

bool CircuitStore::deleteCircuit(const std::string& id)
{
    auto* store = UserDefault::getInstance();
    store->deleteValueForKey(id.c_str());
    const std::string listText = store->getStringForKey(kSaveListKey);
    if (!listText.empty()) {
        std::string error;
        const std::string updated = circuitdoc::saveListWithout(listText, id, &error);
        reportParseError(error);
        store->setStringForKey(kSaveListKey, updated);
    }
    const bool wasOpen = id == _openId;
    if (wasOpen) store->deleteValueForKey(kOpenCircuitKey);
    store->flush();
    const std::string path = thumbnailPath(id);
    FileUtils::getInstance()->removeFile(path);
    // A later circuit under this id must not show the old picture.
    Director::getInstance()->getTextureCache()->removeTextureForKey(path);
    return wasOpen;
}

void CircuitStore::renameCircuit(const std::string& id, const std::string& name)
{
    auto* store = UserDefault::getInstance();
    std::string error;
    const std::string updated = circuitdoc::saveListRenamed(store->getStringForKey(kSaveListKey), id, name, &error);
    reportParseError(error);
    store->setStringForKey(kSaveListKey, updated);
    store->flush();
}
