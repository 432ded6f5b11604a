#include "BoardSnapshot.h"

#include <utility>
#include <vector>

#include "CircuitStore.h"
#include "Trash.h"

USING_NS_CC;

namespace {

constexpr double kThumbnailScale = 0.3125;

} // namespace

BoardSnapshot::~BoardSnapshot()
{
    CC_SAFE_RELEASE_NULL(_picture);
}

void BoardSnapshot::render(Node* container)
{
    const Size visible = Director::getInstance()->getVisibleSize();
    // Every finished touch takes a picture of the board: the last one is
    // drawn over while nothing but the editor holds it, rather than a new
    // screen-sized texture allocated and cleared each time.
    RenderTexture* snapshot = _picture;
    const Size size(float(int(visible.width)), float(int(visible.height)));
    const bool reusable =
        snapshot && snapshot->getReferenceCount() == 1 && snapshot->getSprite()->getContentSize().equals(size);
    if (!reusable) {
        snapshot = RenderTexture::create(int(visible.width), int(visible.height));
        if (!snapshot) return;
        snapshot->retain();
        CC_SAFE_RELEASE(_picture);
        _picture = snapshot;
    }
    ++_serial;
    // Parts playing their removal frames are no longer part of the circuit.
    std::vector<Node*> leaving;
    for (Node* child : container->getChildren())
        if (child->getTag() == Trash::kLeavingPartTag && child->isVisible()) leaving.push_back(child);
    for (Node* part : leaving) part->setVisible(false);
    snapshot->beginWithClear(0, 0, 0, 0);
    container->visit();
    snapshot->end();
    for (Node* part : leaving) part->setVisible(true);
}

void BoardSnapshot::take(extension::ScrollView* board, bool scrolled)
{
    // A view still coasting would be caught mid-move.
    if (scrolled) return;
    const Size visible = Director::getInstance()->getVisibleSize();
    const Vec2 o = board->getContentOffset();
    const Size s = board->getContainer()->getContentSize();
    const float z = board->getZoomScale();
    // Only a board that covers the whole screen makes a picture worth keeping.
    const bool covers = 0 >= o.x && o.x >= visible.width - s.width * z && 0 >= o.y &&
                        o.y >= visible.height - s.height * z;
    if (covers) render(board->getContainer());
}

RenderTexture* BoardSnapshot::renderThumbnail()
{
    Sprite* picture = _picture->getSprite();
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

void BoardSnapshot::refreshThumbnail(const std::string& circuitId, std::function<void(const std::string&)> written)
{
    if (!_picture) return;
    RenderTexture* thumbnail = renderThumbnail();
    Director::getInstance()->getTextureCache()->removeTextureForKey(CircuitStore::thumbnailPath(circuitId));
    const unsigned serial = _serial;
    thumbnail->saveToFile(CircuitStore::thumbnailName(circuitId), Image::Format::PNG, true,
                          [this, serial, written = std::move(written)](RenderTexture*, const std::string& path) {
                              if (FileUtils::getInstance()->isFileExist(path)) written(path);
                              // A snapshot taken since belongs to the next refresh.
                              if (_serial == serial) CC_SAFE_RELEASE_NULL(_picture);
                          });
}
