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

void BoardSnapshot::renderContainer(Node* container)
{
    if (!_picture) {
        const Size visible = Director::getInstance()->getVisibleSize();
        _picture = RenderTexture::create(int(visible.width), int(visible.height));
        if (!_picture) return;
        _picture->retain();
    }
    // Parts playing their removal frames are no longer part of the circuit,
    // and marks over the board are not the circuit's either.
    std::vector<Node*> hidden;
    for (Node* child : container->getChildren())
        if ((child->getTag() == Trash::kLeavingPartTag || child->getTag() == kUnpicturedTag) && child->isVisible())
            hidden.push_back(child);
    for (Node* node : hidden) node->setVisible(false);
    _picture->beginWithClear(0, 0, 0, 0);
    container->visit();
    _picture->end();
    for (Node* node : hidden) node->setVisible(true);
}

void BoardSnapshot::render(extension::ScrollView* board)
{
    Node* container = board->getContainer();
    _position = container->getPosition();
    _scaleX = container->getScaleX();
    _scaleY = container->getScaleY();
    _pending = true;
    ++_serial;
    renderContainer(container);
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
    if (!covers) return;
    Node* container = board->getContainer();
    _position = container->getPosition();
    _scaleX = container->getScaleX();
    _scaleY = container->getScaleY();
    _pending = true;
    ++_serial;
}

RenderTexture* BoardSnapshot::draw(extension::ScrollView* board)
{
    if (!_pending) return nullptr;
    // The board may have moved on since (zoomed out to leave it, say): it is
    // drawn where it lay, and put back.
    Node* container = board->getContainer();
    const Vec2 position = container->getPosition();
    const float scaleX = container->getScaleX();
    const float scaleY = container->getScaleY();
    container->setPosition(_position);
    container->setScaleX(_scaleX);
    container->setScaleY(_scaleY);
    renderContainer(container);
    container->setPosition(position);
    container->setScaleX(scaleX);
    container->setScaleY(scaleY);
    return _picture;
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

bool BoardSnapshot::refreshThumbnail(extension::ScrollView* board, const std::string& circuitId,
                                     std::function<void(const std::string&)> written)
{
    if (!draw(board)) return false;
    RenderTexture* thumbnail = renderThumbnail();
    Director::getInstance()->getTextureCache()->removeTextureForKey(CircuitStore::thumbnailPath(circuitId));
    const unsigned serial = _serial;
    thumbnail->saveToFile(CircuitStore::thumbnailName(circuitId), Image::Format::PNG, true,
                          [this, serial, written = std::move(written)](RenderTexture*, const std::string& path) {
                              if (FileUtils::getInstance()->isFileExist(path)) written(path);
                              // A picture taken since belongs to the next refresh.
                              if (_serial == serial) _pending = false;
                          });
    return true;
}
