#include "PartGesture.h"

#include "AppConstants.h"
#include "TouchHit.h"

USING_NS_CC;

namespace {

// Opacities of a part while it is handled.
constexpr uint8_t kSingleLifted = 150;
constexpr uint8_t kChainLifted = 100;
constexpr uint8_t kResting = 255;

// A press held this long without moving lifts the part, and this much longer
// lifts its whole chain.
constexpr float kPickUpDelay = 0.05f;
constexpr float kChainPickUpDelay = 0.3f;

// The palette strip is the bottom band of the drawer.
constexpr float kPaletteBand = 100.0f;

} // namespace

PartGesture::PartGesture(Host& host, circuit::CircuitModel& model, PartSprites& sprites, Trash& trash,
                         extension::ScrollView* board, Node* actionNode, Node* ghostLayer)
    : _host(host), _model(model), _sprites(sprites), _trash(trash), _board(board), _actionNode(actionNode),
      _ghostLayer(ghostLayer), _move(model)
{
}

EventDispatcher* PartGesture::dispatcher() const
{
    return _actionNode->getEventDispatcher();
}

bool PartGesture::hitTestPart(ZelmPartSprite* part, const Vec2& worldPoint)
{
    const auto outline = part->touchOutline();
    const Mat4& toWorld = part->getNodeToWorldTransform();
    Vec2 q[4];
    for (int i = 0; i < 4; ++i) q[i] = PointApplyTransform(outline[i], toWorld);
    // On a board zoomed to nothing the outline is a point, which the edge
    // test below would take for a part under every touch.
    if (q[0] == q[1] && q[1] == q[2] && q[2] == q[3]) return false;
    for (int i = 0; i < 4; ++i) {
        const Vec2 e = q[(i + 1) % 4] - q[i];
        const Vec2 d = q[i] - worldPoint;
        if (d.y * e.x - e.y * d.x < 0) return false;
    }
    return true;
}

void PartGesture::setOpacity(circuit::PartId part, uint8_t opacity)
{
    if (ZelmPartSprite* sprite = _sprites.sprite(part)) sprite->setOpacity(opacity);
}

void PartGesture::registerPalette(const Palette& palette)
{
    auto* listener = EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [this](Touch* touch, Event* event) {
        // One palette drag at a time: a second finger would orphan the ghost.
        if (_host.listShowing() || _ghost || !touchhit::inTarget(touch, event)) return false;
        auto* item = static_cast<ZelmPartSprite*>(event->getCurrentTarget());
        _ghost = ZelmPartSprite::create(veloquix::partImageFiles[item->type()]);
        if (!_ghost) return false;
        _ghost->setType(item->type());
        _ghost->setOpacity(kSingleLifted);
        _ghost->setPosition(item->getParent()->convertToWorldSpace(item->getPosition()));
        _ghostLayer->addChild(_ghost);
        return true;
    };
    listener->onTouchMoved = [this](Touch* touch, Event*) {
        const Vec2 g = _ghost->getPosition();
        const float visibleHeight = Director::getInstance()->getVisibleSize().height;
        if (g.y > visibleHeight - kPaletteBand - _ghost->getContentSize().height * 0.5f) {
            _ghost->setPosition(g + touch->getDelta());
            return;
        }
        // A board zoomed to nothing has no place for the part yet.
        const float zoom = _board->getZoomScale();
        if (zoom <= 0) return;
        if (!_newPart) {
            // The part appears where the ghost left the band; this step's
            // movement is not applied.
            _ghost->setVisible(false);
            _newPart = _model.add(_ghost->type(), (g - _board->getContentOffset()) / zoom, 0);
            setOpacity(_newPart, kSingleLifted);
            return;
        }
        moveSingleWithSnap(_newPart, touch->getDelta() / zoom);
    };
    // A cancelled drag keeps what it placed, like a released one.
    listener->onTouchEnded = listener->onTouchCancelled = [this](Touch*, Event*) {
        const bool placed = _newPart != circuit::kNoPart;
        if (placed) setOpacity(_newPart, kResting);
        _ghost->removeFromParentAndCleanup(true);
        _ghost = nullptr;
        _newPart = circuit::kNoPart;
        _move.clearSnap();
        // A drag that never left the band changed nothing worth writing.
        if (placed) _host.commitEdit();
    };
    for (int t = 0; t < PartTypes::count; ++t)
        dispatcher()->addEventListenerWithSceneGraphPriority(listener->clone(), palette.item(t));
}

void PartGesture::attach(ZelmPartSprite* sprite)
{
    registerPartListener(sprite);
}

void PartGesture::registerPartListener(ZelmPartSprite* sprite)
{
    auto* listener = EventListenerTouchOneByOne::create();
    // Not swallowing: a touch that moves at once scrolls the board instead.
    listener->setSwallowTouches(false);
    listener->onTouchBegan = [this, sprite](Touch* touch, Event*) {
        const Vec2 location = Director::getInstance()->convertToGL(touch->getLocationInView());
        if (_selected || !hitTestPart(sprite, location)) return false;
        _selected = sprite->partId();
        _selectedTouch = touch;
        const unsigned serial = ++_touchSerial;
        _actionNode->runAction(Sequence::create(
            DelayTime::create(kPickUpDelay), CallFunc::create([this, touch, serial] { pickUp(touch, serial); }),
            nullptr));
        return true;
    };
    listener->onTouchMoved = [this](Touch* touch, Event*) {
        const Vec2 delta = touch->getDelta();
        if (delta.length() > 0) _touchStill = false;
        const float zoom = _board->getZoomScale();
        // A finger step on a board zoomed to nothing is no distance on it.
        if (!_dragging || zoom <= 0) return;
        const Vec2 step = delta / zoom;
        _dragTotal += step;
        const Vec2 location = touch->getLocation();
        if (!_groupDrag) {
            moveSingleWithSnap(_selected, step);
            if (ZelmPartSprite* sprite = _sprites.sprite(_selected)) updateTrashHover(sprite, location);
        } else {
            moveGroupWithSnap(step);
            for (circuit::PartId p : _move.chain())
                if (ZelmPartSprite* sprite = _sprites.sprite(p)) updateTrashHover(sprite, location);
        }
    };
    listener->onTouchEnded = [this](Touch* touch, Event*) { endPartTouch(touch); };
    listener->onTouchCancelled = [this](Touch*, Event*) { cancelPartTouch(); };
    dispatcher()->addEventListenerWithSceneGraphPriority(listener, sprite);
}

void PartGesture::moveSingleWithSnap(circuit::PartId part, const Vec2& step)
{
    _move.moveSingleWithSnap(part, step);
}

void PartGesture::moveGroupWithSnap(const Vec2& step)
{
    _move.moveGroupWithSnap(step);
}

void PartGesture::updateTrashHover(ZelmPartSprite* part, const Vec2& worldLocation)
{
    _trash.hover(part, worldLocation);
}

void PartGesture::dropOnTrash(circuit::PartId part, const Vec2& worldLocation)
{
    if (!_trash.covers(worldLocation)) return;
    // The container keeps the sprite alive while its frames play.
    ZelmPartSprite* sprite = _sprites.detach(part);
    _model.remove(part);
    if (sprite) _trash.playRemoval(sprite);
}

void PartGesture::rotateByTap(circuit::PartId part)
{
    _model.turn(part);
}

bool PartGesture::pickUpStillDue(Touch* touch, unsigned serial) const
{
    return _selected && _touchStill && _selectedTouch == touch && serial == _touchSerial;
}

void PartGesture::pickUp(Touch* touch, unsigned serial)
{
    if (!pickUpStillDue(touch, serial)) return;
    setOpacity(_selected, kSingleLifted);
    _dragging = true;
    _board->setTouchEnabled(false);
    _trash.fade(true);
    _actionNode->runAction(
        Sequence::create(DelayTime::create(kChainPickUpDelay),
                         CallFunc::create([this, touch, serial] { pickUpChain(touch, serial); }), nullptr));
}

void PartGesture::pickUpChain(Touch* touch, unsigned serial)
{
    if (!pickUpStillDue(touch, serial)) return;
    _groupDrag = true;
    _move.liftChain(_selected);
    for (circuit::PartId p : _move.chain()) setOpacity(p, kChainLifted);
}

void PartGesture::endPartTouch(Touch* touch)
{
    const circuit::PartId part = _selected;
    if (_dragging) {
        _board->setTouchEnabled(true);
        _trash.fade(false);
        const Vec2 location = touch->getLocation();
        if (!_groupDrag) {
            setOpacity(part, kResting);
            dropOnTrash(part, location);
        } else {
            for (circuit::PartId p : _move.chain()) {
                setOpacity(p, kResting);
                dropOnTrash(p, location);
            }
        }
    }
    if (part && !_host.boardTapSpent() && _dragTotal.length() == 0 && !_groupDrag && _model.contains(part))
        rotateByTap(part);
    resetPartTouch();
    _host.commitEdit();
}

void PartGesture::cancelPartTouch()
{
    if (_dragging) {
        _board->setTouchEnabled(true);
        _trash.fade(false);
        auto rest = [this](circuit::PartId p) {
            if (ZelmPartSprite* sprite = _sprites.sprite(p)) {
                sprite->setOpacity(kResting);
                sprite->setColor(Color3B::WHITE);
            }
        };
        if (!_groupDrag) rest(_selected);
        for (circuit::PartId p : _move.chain()) rest(p);
    }
    resetPartTouch();
}

void PartGesture::letGo()
{
    if (_selected) resetPartTouch();
}

void PartGesture::resetPartTouch()
{
    _selected = circuit::kNoPart;
    _selectedTouch = nullptr;
    _touchStill = true;
    _dragging = false;
    _groupDrag = false;
    _host.partTouchReset();
    _move.reset();
    _dragTotal = Vec2::ZERO;
}
