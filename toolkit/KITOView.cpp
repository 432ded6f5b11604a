#include "KITOView.h"

USING_NS_CC;

namespace CocosKito {

KITOView* KITOView::create()
{
    auto* view = new KITOView();
    if (view->init()) {
        view->autorelease();
        return view;
    }
    delete view;
    return nullptr;
}

KITOView::~KITOView()
{
    CC_SAFE_RELEASE(trackingTouch);
}

bool KITOView::init()
{
    setEventDispatcher(Director::getInstance()->getEventDispatcher());
    ignoreAnchorPointForPosition(true);
    setAnchorPoint(Vec2::ZERO);
    return true;
}

void KITOView::onEnter()
{
    Node::onEnter();
    for (Node* ancestor = getParent(); ancestor; ancestor = ancestor->getParent()) {
        if (auto* view = dynamic_cast<KITOView*>(ancestor)) {
            parentView = view;
            break;
        }
    }
    if (!parentView && !touchListener) {
        auto* listener = EventListenerTouchOneByOne::create();
        listener->setSwallowTouches(true);
        listener->onTouchBegan = [this](Touch* t, Event* e) { return onTouchBegan(t, e); };
        listener->onTouchMoved = [this](Touch* t, Event* e) { onTouchMoved(t, e); };
        listener->onTouchEnded = [this](Touch* t, Event* e) { onTouchEnded(t, e); };
        listener->onTouchCancelled = [this](Touch* t, Event* e) { onTouchCancelled(t, e); };
        getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, this);
        touchListener = listener;
    }
}

void KITOView::onExit()
{
    // The dispatcher owns the listener; forgetting it lets the next entry register a new one.
    if (getEventDispatcher() && touchListener) getEventDispatcher()->removeEventListener(touchListener);
    touchListener = nullptr;
    parentView = nullptr;
    // The end of a touch followed now would never reach a view that left the
    // scene; keeping it would make the view ignore every later touch.
    if (trackingTouch) {
        trackingTouch->release();
        trackingTouch = nullptr;
    }
    Node::onExit();
}

void KITOView::draw(Renderer* renderer, const Mat4& transform, uint32_t flags)
{
    Node::draw(renderer, transform, flags);
}

bool KITOView::onTouchBegan(Touch* touch, Event* event)
{
    if (!touchEnabled) return false;
    if (trackingTouch) return true;

    Vec2 point = convertTouchToNodeSpace(touch);
    Rect bounds(Vec2::ZERO, getContentSize());
    bool result = false;
    if (!clippingEnabled || bounds.containsPoint(point)) {
        trackingTouch = touch;
        trackingTouch->retain();
        result = touchBegan(touch, event);
    }
    // An outermost view claims every touch it is asked about, so views below it never see one.
    if (parentView) return result;
    return true;
}

void KITOView::onTouchMoved(Touch* touch, Event* event)
{
    if (touch == trackingTouch) touchMoved(touch, event);
}

void KITOView::onTouchEnded(Touch* touch, Event* event)
{
    if (touch != trackingTouch) return;
    touchEnded(touch, event);
    stopTracking();
}

void KITOView::onTouchCancelled(Touch* touch, Event* event)
{
    if (touch != trackingTouch) return;
    touchCancelled(touch, event);
    stopTracking();
}

void KITOView::stopTracking()
{
    CC_SAFE_RELEASE_NULL(trackingTouch);
}

bool KITOView::touchBegan(Touch* touch, Event* event)
{
    auto& children = getChildren();
    for (ptrdiff_t i = children.size() - 1; i >= 0; --i) {
        auto* view = dynamic_cast<KITOView*>(children.at(i));
        if (view && view->onTouchBegan(touch, event)) return true;
    }
    return false;
}

void KITOView::touchMoved(Touch* touch, Event* event)
{
    auto& children = getChildren();
    for (ptrdiff_t i = children.size() - 1; i >= 0; --i) {
        if (auto* view = dynamic_cast<KITOView*>(children.at(i))) view->onTouchMoved(touch, event);
    }
}

void KITOView::touchEnded(Touch* touch, Event* event)
{
    auto& children = getChildren();
    for (ptrdiff_t i = children.size() - 1; i >= 0; --i) {
        if (auto* view = dynamic_cast<KITOView*>(children.at(i))) view->onTouchEnded(touch, event);
    }
}

void KITOView::touchCancelled(Touch* touch, Event* event)
{
    auto& children = getChildren();
    for (ptrdiff_t i = children.size() - 1; i >= 0; --i) {
        if (auto* view = dynamic_cast<KITOView*>(children.at(i))) view->onTouchCancelled(touch, event);
    }
}

void KITOView::intersect(ClipRect& rect, const ClipRect& with)
{
    if (with.left > rect.left) rect.left = with.left;
    if (with.bottom > rect.bottom) rect.bottom = with.bottom;
    if (with.right < rect.right) rect.right = with.right;
    if (with.top < rect.top) rect.top = with.top;
}

void KITOView::visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags)
{
    const Vec2& position = getPosition();
    const Size& size = getContentSize();
    Vec2 far(position.x + size.width, position.y + size.height);
    ClipRect rect;
    Node* parent = getParent();
    if (parent) {
        // Only the parent's transform enters: the view's own scale and rotation do not.
        Vec2 lb = parent->convertToWorldSpace(position);
        Vec2 rt = parent->convertToWorldSpace(far);
        rect = {lb.x, lb.y, rt.x, rt.y};
        auto* parentAsView = dynamic_cast<KITOView*>(parent);
        if (parentAsView && parentAsView->clipActive) {
            intersect(rect, parentAsView->clipRect);
            clipActive = true;
            if (!clippingEnabled) clipRect = parentAsView->clipRect;
        } else {
            clipActive = clippingEnabled;
        }
    } else {
        Vec2 lb = convertToWorldSpace(position);
        Vec2 rt = convertToWorldSpace(far);
        rect = {lb.x, lb.y, rt.x, rt.y};
    }

    if (!clippingEnabled) {
        Node::visit(renderer, parentTransform, parentFlags);
        return;
    }
    clipRect = rect;

    // The scissor state is read now, while visiting; the switches only take effect when
    // the queued commands run after the visit.
    GLView* glView = Director::getInstance()->getOpenGLView();
    if (glView->isScissorEnabled()) {
        Rect box = glView->getScissorRect();
        float x = box.origin.x;
        float y = box.origin.y;
        float w = box.size.width;
        float h = box.size.height;
        intersect(rect, {x, y, x + w, y + h});
        if (rect.right - rect.left > 0 && rect.top - rect.bottom > 0) {
            beforeVisitCommand.init(getGlobalZOrder());
            beforeVisitCommand.func = [rect]() {
                Director::getInstance()->getOpenGLView()->setScissorInPoints(rect.left, rect.bottom,
                                                                             rect.right - rect.left,
                                                                             rect.top - rect.bottom);
            };
            renderer->addCommand(&beforeVisitCommand);
            Node::visit(renderer, parentTransform, parentFlags);
            afterVisitCommand.init(getGlobalZOrder());
            afterVisitCommand.func = [x, y, w, h]() {
                Director::getInstance()->getOpenGLView()->setScissorInPoints(x, y, w, h);
            };
            renderer->addCommand(&afterVisitCommand);
        }
    } else if (rect.right - rect.left > 0 && rect.top - rect.bottom > 0) {
        beforeVisitCommand.init(getGlobalZOrder());
        beforeVisitCommand.func = [rect]() {
            GLView* view = Director::getInstance()->getOpenGLView();
            view->enableScissor();
            view->setScissorInPoints(rect.left, rect.bottom, rect.right - rect.left, rect.top - rect.bottom);
        };
        renderer->addCommand(&beforeVisitCommand);
        Node::visit(renderer, parentTransform, parentFlags);
        afterVisitCommand.init(getGlobalZOrder());
        afterVisitCommand.func = []() { Director::getInstance()->getOpenGLView()->disableScissor(); };
        renderer->addCommand(&afterVisitCommand);
    }
}

} // namespace CocosKito
