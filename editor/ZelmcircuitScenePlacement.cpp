#include <string>

#include "AppConstants.h"
#include "ZelmcircuitScene.h"

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

void ZelmcircuitScene::addPartToBoard(ZelmPartSprite* part)
{
    boardParts.pushBack(part);
    ++partCounts[part->type];
    refreshPartCount(part->type);
    part->assignEndGeometry();
    registerPartListener(part);
}

bool ZelmcircuitScene::hitTestPart(ZelmPartSprite* part, const Vec2& worldPoint)
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

void ZelmcircuitScene::refreshPartCount(PartType type)
{
    partCountLabels[type]->setString(std::to_string(partCounts[type]));
}

void ZelmcircuitScene::registerPlacementListeners()
{
    auto* palette = EventListenerTouchOneByOne::create();
    palette->setSwallowTouches(true);
    palette->onTouchBegan = [this](Touch* touch, Event* event) {
        // One palette drag at a time: a second finger would orphan the ghost.
        if (savedListShown || paletteGhost || !hitTestNode(touch, event)) return false;
        auto* item = static_cast<ZelmPartSprite*>(event->getCurrentTarget());
        paletteGhost = ZelmPartSprite::create(veloquix::partImageFiles[item->type]);
        if (!paletteGhost) return false;
        paletteGhost->type = item->type;
        paletteGhost->setOpacity(kSingleLifted);
        paletteGhost->setPosition(item->getParent()->convertToWorldSpace(item->getPosition()));
        addChild(paletteGhost);
        return true;
    };
    palette->onTouchMoved = [this](Touch* touch, Event*) {
        const Vec2 g = paletteGhost->getPosition();
        const float visibleHeight = Director::getInstance()->getVisibleSize().height;
        if (g.y > visibleHeight - kPaletteBand - paletteGhost->getContentSize().height * 0.5f) {
            paletteGhost->setPosition(g + touch->getDelta());
            return;
        }
        // A board zoomed to nothing has no place for the part yet.
        const float zoom = boardView->getZoomScale();
        if (zoom <= 0) return;
        if (!paletteNewPart) {
            // The part appears where the ghost left the band; this step's
            // movement is not applied.
            paletteGhost->setVisible(false);
            auto* part = ZelmPartSprite::create(veloquix::partImageFiles[paletteGhost->type]);
            if (!part) return;
            part->setPosition((g - boardView->getContentOffset()) / zoom);
            part->setOpacity(kSingleLifted);
            boardView->addChild(part);
            part->type = paletteGhost->type;
            addPartToBoard(part);
            paletteNewPart = part;
            return;
        }
        moveSingleWithSnap(paletteNewPart, touch->getDelta() / zoom);
    };
    // A cancelled drag keeps what it placed, like a released one.
    palette->onTouchEnded = palette->onTouchCancelled = [this](Touch*, Event*) {
        const bool placed = paletteNewPart != nullptr;
        if (placed) paletteNewPart->setOpacity(kResting);
        paletteGhost->removeFromParentAndCleanup(true);
        paletteGhost = nullptr;
        paletteNewPart = nullptr;
        clearSnap();
        // A drag that never left the band changed nothing worth writing.
        if (placed) {
            saveCircuit(currentCircuitId);
            takeBoardSnapshot();
        }
    };
    for (ZelmPartSprite* item : paletteItems)
        _eventDispatcher->addEventListenerWithSceneGraphPriority(palette->clone(), item);
}

void ZelmcircuitScene::registerPartListener(ZelmPartSprite* part)
{
    auto* listener = EventListenerTouchOneByOne::create();
    // Not swallowing: a touch that moves at once scrolls the board instead.
    listener->setSwallowTouches(false);
    listener->onTouchBegan = [this, part](Touch* touch, Event*) {
        const Vec2 location = Director::getInstance()->convertToGL(touch->getLocationInView());
        if (selectedPart || !hitTestPart(part, location)) return false;
        selectedPart = part;
        selectedTouch = touch;
        const unsigned serial = ++partTouchSerial;
        runAction(Sequence::create(DelayTime::create(kPickUpDelay),
                                   CallFunc::create([this, touch, serial] { pickUp(touch, serial); }), nullptr));
        return true;
    };
    listener->onTouchMoved = [this](Touch* touch, Event*) {
        const Vec2 delta = touch->getDelta();
        if (delta.length() > 0) touchStill = false;
        const float zoom = boardView->getZoomScale();
        // A finger step on a board zoomed to nothing is no distance on it.
        if (!dragging || zoom <= 0) return;
        const Vec2 step = delta / zoom;
        dragTotal += step;
        const Vec2 location = touch->getLocation();
        if (!groupDrag) {
            moveSingleWithSnap(selectedPart, step);
            updateTrashHover(selectedPart, location);
        } else {
            moveGroupWithSnap(step);
            for (ZelmPartSprite* p : groupParts) updateTrashHover(p, location);
        }
    };
    listener->onTouchEnded = [this](Touch* touch, Event*) { endPartTouch(touch); };
    listener->onTouchCancelled = [this](Touch*, Event*) { cancelPartTouch(); };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(listener, part);
}

bool ZelmcircuitScene::pickUpStillDue(Touch* touch, unsigned serial) const
{
    return selectedPart && touchStill && selectedTouch == touch && serial == partTouchSerial;
}

void ZelmcircuitScene::pickUp(Touch* touch, unsigned serial)
{
    if (!pickUpStillDue(touch, serial)) return;
    selectedPart->setOpacity(kSingleLifted);
    dragging = true;
    boardView->setTouchEnabled(false);
    fadeTrash(true);
    runAction(Sequence::create(DelayTime::create(kChainPickUpDelay),
                               CallFunc::create([this, touch, serial] { pickUpChain(touch, serial); }), nullptr));
}

void ZelmcircuitScene::pickUpChain(Touch* touch, unsigned serial)
{
    if (!pickUpStillDue(touch, serial)) return;
    groupDrag = true;
    snapTargetEnd = nullptr;
    chainEnds[0] = findChainEnd(selectedPart, 0);
    chainEnds[1] = findChainEnd(selectedPart, 1);
    // A chain is collected from one of its free ends so that it comes out in
    // chain order; a closed loop from the touched part.
    collectChain(chainEnds[0] && chainEnds[1] ? chainEnds[0]->owner : selectedPart);
    if (!chainEnds[0] || !chainEnds[1]) chainEnds[0] = chainEnds[1] = nullptr;
    for (ZelmPartSprite* p : groupParts) p->setOpacity(kChainLifted);
}

void ZelmcircuitScene::endPartTouch(Touch* touch)
{
    ZelmPartSprite* part = selectedPart;
    if (dragging) {
        boardView->setTouchEnabled(true);
        fadeTrash(false);
        const Vec2 location = touch->getLocation();
        if (!groupDrag) {
            part->setOpacity(kResting);
            dropOnTrash(part, location);
        } else {
            // A drop takes the part off boardParts, never off groupParts.
            for (ZelmPartSprite* p : groupParts) {
                p->setOpacity(kResting);
                dropOnTrash(p, location);
            }
        }
    }
    if (part && !viewScrolled && !listTapBlocked && dragTotal.length() == 0 && !groupDrag &&
        boardParts.contains(part))
        rotateByTap(part);
    resetPartTouch();
    saveCircuit(currentCircuitId);
    takeBoardSnapshot();
}

void ZelmcircuitScene::cancelPartTouch()
{
    if (dragging) {
        boardView->setTouchEnabled(true);
        fadeTrash(false);
        if (!groupDrag) {
            selectedPart->setOpacity(kResting);
            selectedPart->setColor(Color3B::WHITE);
        }
        for (ZelmPartSprite* p : groupParts) {
            p->setOpacity(kResting);
            p->setColor(Color3B::WHITE);
        }
    }
    resetPartTouch();
}

void ZelmcircuitScene::rotateByTap(ZelmPartSprite* part)
{
    part->setRotation(part->getRotation() + 45.0f);
    // The turned part's bounding box differs, so it may now poke off the board.
    placePartClamped(part, part->getPosition());
    for (PartEnd& end : part->ends)
        if (end.link) unlinkEnd(end);
    linkTouchingEnd(part->ends[0]);
    linkTouchingEnd(part->ends[1]);
}

void ZelmcircuitScene::clearSnap()
{
    snapTargetEnd = nullptr;
    snapMovingEnd = nullptr;
    snapDrag = Vec2::ZERO;
}

void ZelmcircuitScene::resetPartTouch()
{
    selectedPart = nullptr;
    selectedTouch = nullptr;
    touchStill = true;
    dragging = false;
    groupDrag = false;
    skipDoubleTap = true;
    clearSnap();
    dragTotal = Vec2::ZERO;
    chainEnds[0] = chainEnds[1] = nullptr;
    groupParts.clear();
}
