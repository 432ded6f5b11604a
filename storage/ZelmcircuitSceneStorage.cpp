#include <cmath>
#include <cstdio>
#include <ctime>
#include <iostream>

#include "AppConstants.h"
#include "CircuitDocument.h"
#include "ZelmcircuitScene.h"

USING_NS_CC;

namespace {

const char* const kSaveListKey = "savelist";
const char* const kOpenCircuitKey = "load";
constexpr double kThumbnailScale = 0.3125;

// Stored texts are the program's own; a broken one is reported where a
// developer can see it and otherwise read as empty.
void reportParseError(const std::string& error)
{
    if (!error.empty()) std::cerr << error << '\n';
}

std::string thumbnailName(const std::string& id)
{
    return std::string(veloquix::kThumbnailFolder) + "/" + id + ".png";
}

} // namespace

std::string ZelmcircuitScene::thumbnailPath(const std::string& id)
{
    return FileUtils::getInstance()->getWritablePath() + thumbnailName(id);
}

void ZelmcircuitScene::saveCircuit(const std::string& key)
{
    // No circuit is open before the first one is created or opened.
    if (key.empty()) return;
    std::vector<circuitdoc::PartRecord> parts;
    std::vector<circuitdoc::PartText*> memos;
    parts.reserve(_model->size());
    memos.reserve(_model->size());
    for (const circuit::Part& part : _model->parts()) {
        parts.push_back({part.type, part.rotation, part.position.x, part.position.y});
        memos.push_back(&_savedTexts[part.id]);
    }
    auto* store = UserDefault::getInstance();
    store->setStringForKey(key.c_str(), circuitdoc::writeCircuit(parts, memos));
    store->flush();
}

void ZelmcircuitScene::loadCircuit(const std::string& key)
{
    const std::string text = UserDefault::getInstance()->getStringForKey(key.c_str());
    if (text.empty()) return;
    std::string error;
    const auto parts = circuitdoc::readCircuit(text, &error);
    reportParseError(error);
    for (const circuitdoc::PartRecord& record : parts) {
        const circuit::PartId part = addPartToBoard(record.type, Vec2(record.x, record.y), record.rotation);
        linkTouchingEnd({part, 0});
        linkTouchingEnd({part, 1});
    }
}

void ZelmcircuitScene::restoreSavedCircuits()
{
    auto* store = UserDefault::getInstance();
    const std::string open = store->getStringForKey(kOpenCircuitKey);
    if (circuitdoc::isCircuitId(open)) {
        currentCircuitId = open;
        loadCircuit(open);
        showSavedList(false);
    } else {
        showSavedList(true);
    }
    std::string error;
    const auto entries = circuitdoc::readSaveList(store->getStringForKey(kSaveListKey), &error);
    reportParseError(error);
    // Every new item takes the first place, so oldest first ends newest first.
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) addListItem(it->id, it->name);
}

void ZelmcircuitScene::addSavedCircuit(const std::string& sourceId)
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
    currentCircuitId = id;
    newCircuitDate = circuitdoc::displayDate(when);

    store->setStringForKey(kSaveListKey, circuitdoc::saveListWithNewEntry(listText, id, newCircuitDate));
    store->setStringForKey(kOpenCircuitKey, id);
    store->flush();

    if (!sourceId.empty()) {
        store->setStringForKey(id.c_str(), store->getStringForKey(sourceId.c_str()));
        store->flush();
        // Without a source picture the copy shows the no-image picture, as
        // its source does; an empty file would only fail to decode.
        const Data picture = files->getDataFromFile(thumbnailPath(sourceId));
        if (!picture.isNull()) files->writeDataToFile(picture, thumbnailPath(id));
        addListItem(id, newCircuitDate);
        return;
    }

    renderBoardSnapshot();
    RenderTexture* thumbnail = renderThumbnail();
    thumbnail->saveToFile(thumbnailName(id), Image::Format::PNG, true, [this](RenderTexture*, const std::string&) {
        addListItem(currentCircuitId, newCircuitDate);
    });
}

void ZelmcircuitScene::openSavedCircuit(ZelmLoadSprite* item)
{
    currentCircuitId = item->id;
    auto* store = UserDefault::getInstance();
    store->setStringForKey(kOpenCircuitKey, item->id);
    store->flush();
    loadCircuit(item->id);
    showSavedList(false);
    peekDrawer(true);
    currentItem = item;
}

void ZelmcircuitScene::deleteSavedCircuit(const std::string& id)
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
    if (id == currentCircuitId) {
        store->deleteValueForKey(kOpenCircuitKey);
        currentItem = nullptr;
    }
    store->flush();
    const std::string path = thumbnailPath(id);
    FileUtils::getInstance()->removeFile(path);
    // A later circuit under this id must not show the old picture.
    Director::getInstance()->getTextureCache()->removeTextureForKey(path);
}

void ZelmcircuitScene::renameSavedCircuit(const std::string& id, const std::string& name)
{
    auto* store = UserDefault::getInstance();
    std::string error;
    const std::string updated = circuitdoc::saveListRenamed(store->getStringForKey(kSaveListKey), id, name, &error);
    reportParseError(error);
    store->setStringForKey(kSaveListKey, updated);
    store->flush();
}

void ZelmcircuitScene::renderBoardSnapshot()
{
    const Size visible = Director::getInstance()->getVisibleSize();
    // Every finished touch takes a picture of the board: the last one is
    // drawn over while nothing but the editor holds it, rather than a new
    // screen-sized texture allocated and cleared each time.
    RenderTexture* snapshot = boardSnapshot;
    const Size size(float(int(visible.width)), float(int(visible.height)));
    const bool reusable =
        snapshot && snapshot->getReferenceCount() == 1 && snapshot->getSprite()->getContentSize().equals(size);
    if (!reusable) {
        snapshot = RenderTexture::create(int(visible.width), int(visible.height));
        if (!snapshot) return;
        snapshot->retain();
        CC_SAFE_RELEASE(boardSnapshot);
        boardSnapshot = snapshot;
    }
    ++boardSnapshotSerial;
    // Parts playing their removal frames are no longer part of the circuit.
    Node* container = boardView->getContainer();
    std::vector<Node*> leaving;
    for (Node* child : container->getChildren())
        if (child->getTag() == Trash::kLeavingPartTag && child->isVisible()) leaving.push_back(child);
    for (Node* part : leaving) part->setVisible(false);
    snapshot->beginWithClear(0, 0, 0, 0);
    container->visit();
    snapshot->end();
    for (Node* part : leaving) part->setVisible(true);
}

void ZelmcircuitScene::takeBoardSnapshot()
{
    // A view still coasting would be caught mid-move.
    if (viewScrolled) return;
    const Size visible = Director::getInstance()->getVisibleSize();
    const Vec2 o = boardView->getContentOffset();
    const Size s = boardView->getContainer()->getContentSize();
    const float z = boardView->getZoomScale();
    // Only a board that covers the whole screen makes a picture worth keeping.
    const bool covers = 0 >= o.x && o.x >= visible.width - s.width * z && 0 >= o.y &&
                        o.y >= visible.height - s.height * z;
    if (covers) renderBoardSnapshot();
}

RenderTexture* ZelmcircuitScene::renderThumbnail()
{
    Sprite* picture = boardSnapshot->getSprite();
    picture->setAnchorPoint(Vec2::ZERO);
    picture->setScale(float(kThumbnailScale));
    const Size size = picture->getContentSize();
    RenderTexture* thumbnail = RenderTexture::create(int(double(size.width) * kThumbnailScale),
                                                     int(double(size.height) * kThumbnailScale));
    thumbnail->beginWithClear(0, 0, 0, 0);
    picture->visit();
    thumbnail->end();
    return thumbnail;
}

void ZelmcircuitScene::refreshThumbnail()
{
    if (!boardSnapshot || !currentItem) return;
    RenderTexture* thumbnail = renderThumbnail();
    const std::string path = thumbnailPath(currentCircuitId);
    Director::getInstance()->getTextureCache()->removeTextureForKey(path);
    const unsigned serial = boardSnapshotSerial;
    thumbnail->saveToFile(thumbnailName(currentCircuitId), Image::Format::PNG, true,
                          [this, serial](RenderTexture*, const std::string& fullPath) {
                              if (currentItem && FileUtils::getInstance()->isFileExist(fullPath))
                                  currentItem->setTexture(fullPath);
                              // A snapshot taken since belongs to the next refresh.
                              if (boardSnapshotSerial == serial) CC_SAFE_RELEASE_NULL(boardSnapshot);
                          });
}
