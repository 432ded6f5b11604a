#pragma once

#include "CircuitModel.h"
#include "Palette.h"
#include "PartMove.h"
#include "PartSprites.h"
#include "Trash.h"
#include "ZelmPartSprite.h"
#include "cocos2d.h"
#include "extensions/cocos-ext.h"

// Everything a finger does to parts: dragging a new one out of the palette,
// pressing a board part, lifting it alone (after a short hold) or with its
// chain (after a longer one), moving and snapping what is lifted, turning a
// part with a tap and throwing parts into the trash.
class PartGesture {
public:
    // What the gesture needs to know of, and tells, the rest of the screen.
    class Host {
    public:
        virtual ~Host() = default;
        virtual bool listShowing() const = 0;
        // The board scrolled during this touch, or a touch only stopped it.
        virtual bool boardTapSpent() const = 0;
        virtual void partTouchReset() = 0;
        // The circuit changed: it is saved and pictured.
        virtual void commitEdit() = 0;
    };

    // Delayed steps run on actionNode; the ghost is drawn on ghostLayer.
    PartGesture(Host& host, circuit::CircuitModel& model, PartSprites& sprites, Trash& trash,
                cocos2d::extension::ScrollView* board, cocos2d::Node* actionNode, cocos2d::Node* ghostLayer);
    PartGesture(const PartGesture&) = delete;
    PartGesture& operator=(const PartGesture&) = delete;

    void registerPalette(const Palette& palette);
    // Takes touches for a part sprite new on the board.
    void attach(ZelmPartSprite* sprite);

    // True when the touch's point lies in the part's touch outline.
    static bool hitTestPart(ZelmPartSprite* part, const cocos2d::Vec2& worldPoint);

    void moveSingleWithSnap(circuit::PartId part, const cocos2d::Vec2& step);
    void moveGroupWithSnap(const cocos2d::Vec2& step);
    void updateTrashHover(ZelmPartSprite* part, const cocos2d::Vec2& worldLocation);
    void dropOnTrash(circuit::PartId part, const cocos2d::Vec2& worldLocation);
    void rotateByTap(circuit::PartId part);

    // A part lifted, or one on its way from the palette.
    bool partInHand() const { return _dragging || _ghost; }
    // A press that has not lifted its part yet lets go of it.
    void letGo();

    circuit::PartId selectedPart() const { return _selected; }
    bool isDragging() const { return _dragging; }
    bool isChainDrag() const { return _groupDrag; }
    ZelmPartSprite* ghost() const { return _ghost; }
    circuit::PartId paletteNewPart() const { return _newPart; }
    const circuit::PartMove& move() const { return _move; }

private:
    void registerPartListener(ZelmPartSprite* sprite);
    bool pickUpStillDue(cocos2d::Touch* touch, unsigned serial) const;
    void pickUp(cocos2d::Touch* touch, unsigned serial);
    void pickUpChain(cocos2d::Touch* touch, unsigned serial);
    void endPartTouch(cocos2d::Touch* touch);
    void cancelPartTouch();
    void resetPartTouch();
    void setOpacity(circuit::PartId part, uint8_t opacity);
    cocos2d::EventDispatcher* dispatcher() const;

    Host& _host;
    circuit::CircuitModel& _model;
    PartSprites& _sprites;
    Trash& _trash;
    cocos2d::extension::ScrollView* _board;
    cocos2d::Node* _actionNode;
    cocos2d::Node* _ghostLayer;
    circuit::PartMove _move;

    // The palette drag: the ghost following the finger over the palette band,
    // and the part it became below it.
    ZelmPartSprite* _ghost = nullptr;
    circuit::PartId _newPart = circuit::kNoPart;

    // The press on a board part.
    circuit::PartId _selected = circuit::kNoPart;
    cocos2d::Touch* _selectedTouch = nullptr;
    bool _touchStill = true;
    bool _dragging = false;
    bool _groupDrag = false;
    cocos2d::Vec2 _dragTotal;
    // Counts part touches, so a delayed pick-up step left over from an earlier
    // touch never acts on a later one that happens to reuse its Touch object.
    unsigned _touchSerial = 0;
};
