#include "CircuitStore.h"

#include <algorithm>
#include <iostream>

#include "AppConstants.h"
#include "cocos2d.h"

USING_NS_CC;

namespace {

const char* const kThumbnailBehindKey = "thumbnailBehind";

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

void CircuitStore::saveCircuit(const std::string& key, const circuit::CircuitModel& model, circuit::History* history)
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
    if (history) writeHistory(key, *history);
    // Until its thumbnail is written again the store knows it is behind, so
    // a start after a kill draws it again before anyone looks at it.
    if (store->getStringForKey(kThumbnailBehindKey) != key) store->setStringForKey(kThumbnailBehindKey, key);
    // One commit: a history never disagrees with the document it undoes.
    store->flush();
}

std::string CircuitStore::thumbnailBehind() const
{
    return UserDefault::getInstance()->getStringForKey(kThumbnailBehindKey);
}

void CircuitStore::thumbnailWritten(const std::string& id)
{
    auto* store = UserDefault::getInstance();
    if (id.empty() || store->getStringForKey(kThumbnailBehindKey) != id) return;
    store->deleteValueForKey(kThumbnailBehindKey);
    store->flush();
}

void CircuitStore::writeHistory(const std::string& key, circuit::History& history)
{
    if (!history.unsaved()) return;
    auto* store = UserDefault::getInstance();
    const std::uint64_t first = history.firstSerial();
    const std::uint64_t end = history.endSerial();
    for (std::uint64_t s = std::max(history.newFrom(), first); s < end; ++s)
        store->setStringForKey(circuitdoc::historyStepKey(key, s).c_str(),
                               circuitdoc::writeHistoryStep(history.steps()[std::size_t(s - first)]));
    for (std::uint64_t s = history.savedFirst(); s < history.savedEnd(); ++s)
        if (s < first || s >= end) store->deleteValueForKey(circuitdoc::historyStepKey(key, s).c_str());
    store->setStringForKey(circuitdoc::historyKey(key).c_str(),
                           circuitdoc::writeHistoryHead({first, history.steps().size(), history.done()}));
    history.markSaved();
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

circuitdoc::StoredHistory CircuitStore::loadHistory(const std::string& key) const
{
    auto* store = UserDefault::getInstance();
    auto stepText = [&](std::uint64_t serial) {
        return store->getStringForKey(circuitdoc::historyStepKey(key, serial).c_str());
    };
    std::string error;
    auto history = circuitdoc::readHistory(store->getStringForKey(circuitdoc::historyKey(key).c_str()), stepText,
                                           circuit::History::kDepth, &error);
    reportParseError(error);
    return history;
}

std::vector<std::string> CircuitStore::historyKeys(const std::string& id) const
{
    const std::string headKey = circuitdoc::historyKey(id);
    std::vector<std::string> keys;
    circuitdoc::HistoryHead head;
    const std::string text = UserDefault::getInstance()->getStringForKey(headKey.c_str());
    if (text.empty()) return keys;
    keys.push_back(headKey);
    if (circuitdoc::readHistoryHead(text, &head, circuit::History::kDepth))
        for (std::size_t i = 0; i < head.steps; ++i) keys.push_back(circuitdoc::historyStepKey(id, head.first + i));
    return keys;
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
        return !store->getStringForKey(id.c_str()).empty() ||
               !store->getStringForKey(circuitdoc::historyKey(id).c_str()).empty() ||
               files->isFileExist(thumbnailPath(id));
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
    auto* files = FileUtils::getInstance();
    const std::string listText = store->getStringForKey(kSaveListKey);
    const bool wasOpen = id == _openId;

    // Kept for this session, so that the deletion can be taken back.
    DeletedCircuit deleted;
    deleted.shown.id = id;
    deleted.shown.open = wasOpen && !store->getStringForKey(kOpenCircuitKey).empty();
    const auto entries = circuitdoc::readSaveList(listText);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].id != id) continue;
        deleted.shown.name = entries[i].name;
        deleted.shown.place = i;
    }
    const std::ptrdiff_t listPlace = circuitdoc::saveListPlace(listText, id);
    deleted.listPlace = listPlace < 0 ? 0 : std::size_t(listPlace);
    deleted.document = store->getStringForKey(id.c_str());
    for (const std::string& key : historyKeys(id)) {
        deleted.history.emplace_back(key, store->getStringForKey(key.c_str()));
        store->deleteValueForKey(key.c_str());
    }
    const std::string path = thumbnailPath(id);
    if (files->isFileExist(path)) deleted.thumbnail = files->getDataFromFile(path);
    if (listPlace >= 0) _deleted.push_back(std::move(deleted));

    store->deleteValueForKey(id.c_str());
    if (!listText.empty()) {
        std::string error;
        const std::string updated = circuitdoc::saveListWithout(listText, id, &error);
        reportParseError(error);
        store->setStringForKey(kSaveListKey, updated);
    }
    if (wasOpen) store->deleteValueForKey(kOpenCircuitKey);
    store->flush();
    files->removeFile(path);
    // A later circuit under this id must not show the old picture.
    Director::getInstance()->getTextureCache()->removeTextureForKey(path);
    return wasOpen;
}

bool CircuitStore::restoreDeletedCircuit(RestoredCircuit* restored)
{
    if (_deleted.empty()) return false;
    DeletedCircuit deleted = std::move(_deleted.back());
    _deleted.pop_back();
    auto* store = UserDefault::getInstance();
    auto* files = FileUtils::getInstance();
    const std::string& id = deleted.shown.id;
    const std::string listText = store->getStringForKey(kSaveListKey);
    // Another circuit made since in the same second may have its id.
    if (circuitdoc::saveListPlace(listText, id) >= 0 || !store->getStringForKey(id.c_str()).empty() ||
        !store->getStringForKey(circuitdoc::historyKey(id).c_str()).empty() || files->isFileExist(thumbnailPath(id)))
        return false;

    if (!deleted.document.empty()) store->setStringForKey(id.c_str(), deleted.document);
    for (const auto& entry : deleted.history) store->setStringForKey(entry.first.c_str(), entry.second);
    std::string error;
    store->setStringForKey(
        kSaveListKey, circuitdoc::saveListWithEntryAt(listText, deleted.listPlace, id, deleted.shown.name, &error));
    reportParseError(error);
    // Reopened at the next launch as before, unless another was opened since.
    deleted.shown.open = deleted.shown.open && id == _openId && store->getStringForKey(kOpenCircuitKey).empty();
    if (deleted.shown.open) store->setStringForKey(kOpenCircuitKey, id);
    store->flush();
    if (!deleted.thumbnail.isNull()) files->writeDataToFile(deleted.thumbnail, thumbnailPath(id));
    *restored = deleted.shown;
    return true;
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
