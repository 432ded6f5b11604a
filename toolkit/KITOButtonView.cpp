#include "KITOButtonView.h"

#include "AppConstants.h"

USING_NS_CC;

namespace CocosKito {

KITOButtonView* KITOButtonView::create()
{
    auto* button = new KITOButtonView();
    if (button->init()) {
        button->autorelease();
        return button;
    }
    delete button;
    return nullptr;
}

KITOButtonView* KITOButtonView::create(Node* content, KITOButtonViewDelegate* delegate, const Size& size)
{
    KITOButtonView* button = create();
    if (!button) return nullptr;
    if (button->getChildByName(veloquix::kButtonBackgroundName)) {
        button->removeChildByName(veloquix::kButtonBackgroundName, true);
    }
    content->ignoreAnchorPointForPosition(true);
    button->setContentSize(size);
    button->Node::addChild(content, 0, veloquix::kButtonBackgroundName);
    button->delegate = delegate;
    return button;
}

KITOButtonView* KITOButtonView::createCloseButton(KITOButtonViewDelegate* delegate)
{
    Sprite* sprite = Sprite::create("res/common_close.png");
    if (!sprite) return nullptr;
    return create(sprite, delegate, sprite->getContentSize());
}

void KITOButtonView::addChild(Node* child) { Node::addChild(child); }

void KITOButtonView::addChild(Node* child, int localZOrder) { Node::addChild(child, localZOrder); }

void KITOButtonView::addChild(Node* child, int localZOrder, int tag) { Node::addChild(child, localZOrder, tag); }

void KITOButtonView::addChild(Node* child, int localZOrder, const std::string& name)
{
    Node::addChild(child, localZOrder, name);
}

void KITOButtonView::onEnter() { KITOView::onEnter(); }

void KITOButtonView::onExit()
{
    // A button removed while pressed must not come back grey.
    highlight(false);
    KITOView::onExit();
}

void KITOButtonView::setOpacity(uint8_t opacity)
{
    if (Node* background = getChildByName(veloquix::kButtonBackgroundName)) background->setOpacity(opacity);
}

void KITOButtonView::setColor(const Color3B& color)
{
    if (Node* background = getChildByName(veloquix::kButtonBackgroundName)) background->setColor(color);
}

void KITOButtonView::setCallback(int event, EventCallback callback)
{
    if (event >= 1 && event <= 7) callbacks[size_t(event - 1)] = std::move(callback);
}

bool KITOButtonView::isInside(Touch* touch) const
{
    Vec2 point = convertTouchToNodeSpaceAR(touch);
    const Size& size = getContentSize();
    const Vec2& anchor = getAnchorPoint();
    Rect rect(-anchor.x * size.width, -anchor.y * size.height, size.width, size.height);
    return rect.origin.x <= point.x && point.x <= rect.origin.x + rect.size.width && rect.origin.y <= point.y &&
           point.y <= rect.origin.y + rect.size.height;
}

void KITOButtonView::highlight(bool grey)
{
    auto* background = dynamic_cast<Sprite*>(getChildByName(veloquix::kButtonBackgroundName));
    if (background && highlightEnabled) background->setColor(grey ? Color3B::GRAY : Color3B::WHITE);
}

void KITOButtonView::raise(int event, Touch* touch)
{
    if (delegate) delegate->onButtonViewEvent(this, event, touch);
    if (event >= 1 && event <= 7 && callbacks[size_t(event - 1)]) callbacks[size_t(event - 1)](this, touch);
}

bool KITOButtonView::touchBegan(Touch* touch, cocos2d::Event*)
{
    if (!touchEnabled) return false;
    // Refusing lets the parent view offer the touch to its next child view.
    if (!isInside(touch)) return false;
    pressed = true;
    touchInside = true;
    highlight(true);
    raise(TouchDown, touch);
    return true;
}

void KITOButtonView::touchMoved(Touch* touch, cocos2d::Event*)
{
    if (!pressed) return;
    if (isInside(touch)) {
        highlight(true);
        touchInside = true;
        raise(DragInside, touch);
    } else {
        highlight(false);
        touchInside = false;
        raise(DragOutside, touch);
    }
}

void KITOButtonView::touchEnded(Touch* touch, cocos2d::Event*)
{
    if (!pressed) return;
    pressed = false;
    highlight(false);
    // The release point itself is not tested: the last begin or move decides.
    raise(touchInside ? TouchUpInside : TouchUpOutside, touch);
}

void KITOButtonView::touchCancelled(Touch* touch, cocos2d::Event*)
{
    if (!pressed) return;
    pressed = false;
    highlight(false);
    raise(Cancel, touch);
}

} // namespace CocosKito
