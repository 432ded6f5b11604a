#include "HistoryButtons.h"

#include "TouchHit.h"

USING_NS_CC;

namespace {

const Vec2 kUndoCentre(880, 50);
const Vec2 kRedoCentre(960, 50);
constexpr uint8_t kDimmed = 100;
constexpr uint8_t kLit = 255;

// The press that ends is still counted; any other is a finger on the board.
bool otherFingerDown()
{
    const GLView* view = Director::getInstance()->getOpenGLView();
    return view && view->getActiveTouchCount() > 1;
}

} // namespace

bool HistoryButtons::build(Node* layer)
{
    _undo = Sprite::create("res/undo.png");
    _redo = Sprite::create("res/redo.png");
    if (!_undo || !_redo) return false;
    _undo->setPosition(kUndoCentre);
    _redo->setPosition(kRedoCentre);
    layer->addChild(_undo);
    layer->addChild(_redo);
    refresh(false, false);
    // The saved list shows until a circuit opens.
    setShown(false);
    return true;
}

void HistoryButtons::registerListeners(std::function<void()> undo, std::function<void()> redo)
{
    touchhit::registerCoveringButton(_undo, [undo] {
        if (!otherFingerDown()) undo();
    });
    touchhit::registerCoveringButton(_redo, [redo] {
        if (!otherFingerDown()) redo();
    });
}

void HistoryButtons::refresh(bool canUndo, bool canRedo)
{
    _undo->setOpacity(canUndo ? kLit : kDimmed);
    _redo->setOpacity(canRedo ? kLit : kDimmed);
}

void HistoryButtons::setShown(bool shown)
{
    _undo->setVisible(shown);
    _redo->setVisible(shown);
}
