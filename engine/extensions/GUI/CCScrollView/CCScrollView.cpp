#include "extensions/GUI/CCScrollView/CCScrollView.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "2d/CCActionInstant.h"
#include "2d/CCActionInterval.h"
#include "base/CCDirector.h"
#include "base/CCEventDispatcher.h"
#include "base/CCEventListenerTouch.h"
#include "base/CCTouch.h"
#include "math/CCAffineTransform.h"
#include "platform/CCGLView.h"
#include "renderer/CCRenderer.h"

namespace cocos2d {
namespace extension {

namespace {
// A finger must travel 7/160 inch before the content follows it; the view
// takes 160 points to the inch, so a small jiggle stays a tap.
constexpr float kPointsPerInch = 160.0f;
constexpr float kDragThreshold = 7.0f / 160.0f * kPointsPerInch;
constexpr float kDecelerationRate = 0.95f;
constexpr float kDecelerationStop = 1.0f;
// Share of the view size the content may be pulled past its edges.
constexpr float kOverscrollRatio = 0.2f;
constexpr float kBounceDuration = 0.15f;
constexpr int kAnimatedScrollTag = 0x5c011;
constexpr int kZoomTweenTag = 0x5c012;

const char* const kDecelerateKey = "ScrollView.decelerate";
const char* const kAnimatedScrollKey = "ScrollView.animatedScroll";

bool allowsX(ScrollView::Direction d)
{
    return d == ScrollView::Direction::BOTH || d == ScrollView::Direction::HORIZONTAL;
}

bool allowsY(ScrollView::Direction d)
{
    return d == ScrollView::Direction::BOTH || d == ScrollView::Direction::VERTICAL;
}

unsigned int currentFrame() { return Director::getInstance()->getTotalFrames(); }

// Moves the zoom scale linearly on the action clock, so an animated zoom
// keeps time with the animated offsets on the container.
class ZoomTween : public ActionInterval {
public:
    using Apply = std::function<void(float)>;

    static ZoomTween* create(float duration, float from, float to, const Apply& apply)
    {
        auto* tween = new (std::nothrow) ZoomTween();
        if (tween && tween->initWithDuration(duration)) {
            tween->_from = from;
            tween->_to = to;
            tween->_apply = apply;
            tween->autorelease();
            return tween;
        }
        delete tween;
        return nullptr;
    }

    ZoomTween* clone() const override { return create(_duration, _from, _to, _apply); }
    ZoomTween* reverse() const override { return create(_duration, _to, _from, _apply); }
    void update(float time) override
    {
        if (_apply) _apply(time >= 1.0f ? _to : _from + (_to - _from) * time);
    }

private:
    float _from = 1.0f;
    float _to = 1.0f;
    Apply _apply;
};
} // namespace

ScrollView::ScrollView() = default;

ScrollView::~ScrollView()
{
    if (_touchListener) _eventDispatcher->removeEventListener(_touchListener);
    _touchListener = nullptr;
    for (Touch* touch : _touches) touch->release();
    _touches.clear();
}

ScrollView* ScrollView::create(Size size, Node* container)
{
    auto* view = new (std::nothrow) ScrollView();
    if (view && view->initWithViewSize(size, container)) {
        view->autorelease();
        return view;
    }
    delete view;
    return nullptr;
}

ScrollView* ScrollView::create()
{
    auto* view = new (std::nothrow) ScrollView();
    if (view && view->init()) {
        view->autorelease();
        return view;
    }
    delete view;
    return nullptr;
}

bool ScrollView::init() { return initWithViewSize(Size(200, 200), nullptr); }

bool ScrollView::initWithViewSize(Size size, Node* container)
{
    if (!Layer::init()) return false;
    if (!container) container = Layer::create();
    setContainer(container);
    setViewSize(size);
    setTouchEnabled(true);
    return true;
}

void ScrollView::setViewSize(Size size)
{
    _viewSize = size;
    Node::setContentSize(size);
}

void ScrollView::setContainer(Node* container)
{
    if (!container || container == _container) return;
    stopAnimatedContentOffset();
    stopDeceleration();
    if (_container) Node::removeChild(_container, true);
    _container = container;
    // Scaling turns the content about its bottom-left corner, which is also its position.
    _container->setIgnoreAnchorPointForPosition(false);
    _container->setAnchorPoint(Vec2::ZERO);
    Node::addChild(_container, _container->getLocalZOrder(), _container->getName());
}

void ScrollView::setContentSize(const Size& size)
{
    if (_container) _container->setContentSize(size);
}

const Size& ScrollView::getContentSize() const { return _container ? _container->getContentSize() : _contentSize; }

void ScrollView::addChild(Node* child, int localZOrder, int tag)
{
    if (child == _container || !_container) {
        Node::addChild(child, localZOrder, tag);
    } else {
        _container->addChild(child, localZOrder, tag);
    }
}

void ScrollView::addChild(Node* child, int localZOrder, const std::string& name)
{
    if (child == _container || !_container) {
        Node::addChild(child, localZOrder, name);
    } else {
        _container->addChild(child, localZOrder, name);
    }
}

void ScrollView::removeChild(Node* child, bool cleanup)
{
    if (child && _container && child != _container && child->getParent() == _container) {
        _container->removeChild(child, cleanup);
    } else {
        Node::removeChild(child, cleanup);
    }
}

void ScrollView::removeAllChildrenWithCleanup(bool cleanup)
{
    if (_container) _container->removeAllChildrenWithCleanup(cleanup);
}

// Offsets ------------------------------------------------------------------

Vec2 ScrollView::getContentOffset() { return _container->getPosition(); }

void ScrollView::setContentOffset(Vec2 offset, bool animated)
{
    if (animated) {
        setContentOffsetInDuration(offset, kBounceDuration);
        return;
    }
    // An explicit offset replaces any movement still on its way elsewhere.
    stopAnimatedContentOffset();
    stopDeceleration();
    applyOffset(offset);
}

void ScrollView::applyOffset(const Vec2& offset)
{
    Vec2 target = offset;
    if (!_bounceable) {
        Vec2 lo = minContainerOffset();
        Vec2 hi = maxContainerOffset();
        target.x = std::max(lo.x, std::min(hi.x, target.x));
        target.y = std::max(lo.y, std::min(hi.y, target.y));
    }
    _container->setPosition(target);
    if (_delegate) _delegate->scrollViewDidScroll(this);
}

void ScrollView::setContentOffsetInDuration(Vec2 offset, float dt)
{
    if (dt <= 0.0f) {
        setContentOffset(offset, false);
        return;
    }
    stopAnimatedContentOffset();
    stopDeceleration();
    auto* move = MoveTo::create(dt, offset);
    auto* done = CallFunc::create([this]() { stoppedAnimatedScroll(); });
    auto* sequence = Sequence::create(move, done, nullptr);
    sequence->setTag(kAnimatedScrollTag);
    _container->runAction(sequence);
    _animatingOffset = true;
    schedule([this](float delta) { animatedScrollStep(delta); }, kAnimatedScrollKey);
}

void ScrollView::stopAnimatedContentOffset()
{
    if (!_animatingOffset) return;
    _animatingOffset = false;
    _container->stopActionByTag(kAnimatedScrollTag);
    unschedule(kAnimatedScrollKey);
}

void ScrollView::animatedScrollStep(float)
{
    if (_delegate) _delegate->scrollViewDidScroll(this);
}

void ScrollView::stoppedAnimatedScroll()
{
    _animatingOffset = false;
    unschedule(kAnimatedScrollKey);
    if (_delegate) _delegate->scrollViewDidScroll(this);
}

Vec2 ScrollView::minContainerOffset()
{
    const Size& content = _container->getContentSize();
    return Vec2(_viewSize.width - content.width * _container->getScaleX(),
                _viewSize.height - content.height * _container->getScaleY());
}

Vec2 ScrollView::maxContainerOffset() { return Vec2::ZERO; }

Vec2 ScrollView::clampToOverscroll(const Vec2& offset) const
{
    auto* self = const_cast<ScrollView*>(this);
    Vec2 a = self->minContainerOffset();
    Vec2 b = self->maxContainerOffset();
    float dx = _viewSize.width * kOverscrollRatio;
    float dy = _viewSize.height * kOverscrollRatio;
    Vec2 result = offset;
    result.x = std::max(std::min(a.x, b.x) - dx, std::min(std::max(a.x, b.x) + dx, result.x));
    result.y = std::max(std::min(a.y, b.y) - dy, std::min(std::max(a.y, b.y) + dy, result.y));
    return result;
}

void ScrollView::relocateContainer(bool animated)
{
    Vec2 lo = minContainerOffset();
    Vec2 hi = maxContainerOffset();
    Vec2 old = _container->getPosition();
    Vec2 target = old;
    // Content smaller than the view rests against the left and top edges.
    if (allowsX(_direction)) target.x = std::min(std::max(target.x, lo.x), hi.x);
    if (allowsY(_direction)) target.y = std::max(std::min(target.y, hi.y), lo.y);
    if (target != old) setContentOffset(target, animated);
}

// Zoom ---------------------------------------------------------------------

float ScrollView::getZoomScale() { return _container->getScale(); }

void ScrollView::setZoomScale(float s)
{
    stopZoomTween();
    Vec2 center = _pinching ? _pinchCenter : Vec2(_viewSize.width * 0.5f, _viewSize.height * 0.5f);
    zoomAbout(s, center);
}

void ScrollView::setZoomScale(float s, bool animated)
{
    if (animated) {
        setZoomScaleInDuration(s, kBounceDuration);
    } else {
        setZoomScale(s);
    }
}

void ScrollView::setZoomScaleInDuration(float s, float dt)
{
    if (dt <= 0.0f) {
        setZoomScale(s);
        return;
    }
    stopZoomTween();
    if (getZoomScale() == s) return;
    auto* tween = ZoomTween::create(dt, getZoomScale(), s, [this](float scale) {
        Vec2 center = _pinching ? _pinchCenter : Vec2(_viewSize.width * 0.5f, _viewSize.height * 0.5f);
        zoomAbout(scale, center);
    });
    tween->setTag(kZoomTweenTag);
    runAction(tween);
}

void ScrollView::stopZoomTween() { stopActionByTag(kZoomTweenTag); }

void ScrollView::zoomAbout(float s, const Vec2& centerInView)
{
    if (!std::isfinite(s)) return;
    float scale = std::max(_minScale, std::min(_maxScale, s));
    float old = _container->getScale();
    if (scale == old) return;
    // Keep the content point under the centre where it is. From a scale of 0
    // there is no such point; the offset then stays as it was.
    Vec2 offset = _container->getPosition();
    if (old != 0.0f) offset = centerInView - (centerInView - offset) * (scale / old);
    _container->setScale(scale);
    if (_delegate) _delegate->scrollViewDidZoom(this);
    applyOffset(offset);
}

// Touch --------------------------------------------------------------------

void ScrollView::setTouchEnabled(bool enabled)
{
    if (enabled == isTouchEnabled()) return;
    if (enabled) {
        _touchListener = EventListenerTouchOneByOne::create();
        _touchListener->setSwallowTouches(false);
        _touchListener->onTouchBegan = [this](Touch* t, Event* e) { return onTouchBegan(t, e); };
        _touchListener->onTouchMoved = [this](Touch* t, Event* e) { onTouchMoved(t, e); };
        _touchListener->onTouchEnded = [this](Touch* t, Event* e) { onTouchEnded(t, e); };
        _touchListener->onTouchCancelled = [this](Touch* t, Event* e) { onTouchCancelled(t, e); };
        _eventDispatcher->addEventListenerWithSceneGraphPriority(_touchListener, this);
    } else {
        _eventDispatcher->removeEventListener(_touchListener);
        _touchListener = nullptr;
        dropTouches();
    }
}

void ScrollView::dropTouches()
{
    for (Touch* touch : _touches) touch->release();
    _touches.clear();
    _dragging = false;
    _touchMoved = false;
    _pinching = false;
    _pinchedInSequence = false;
}

void ScrollView::onExit()
{
    // Touches that end while the view is off stage never reach it.
    dropTouches();
    Layer::onExit();
}

bool ScrollView::hasVisibleParents() const
{
    for (const Node* p = getParent(); p; p = p->getParent()) {
        if (!p->isVisible()) return false;
    }
    return true;
}

Rect ScrollView::worldRectFor(const Mat4& transform) const
{
    return RectApplyTransform(Rect(0, 0, _viewSize.width, _viewSize.height), transform);
}

Rect ScrollView::getViewRect() { return worldRectFor(getNodeToWorldTransform()); }

bool ScrollView::isNodeVisible(Node* node)
{
    if (!node) return false;
    Node* parent = node->getParent();
    Rect box = node->getBoundingBox();
    if (parent) {
        Mat4 toWorld = parent->getNodeToWorldTransform();
        Vec2 a = toWorld.transformPoint(Vec2(box.getMinX(), box.getMinY()));
        Vec2 b = toWorld.transformPoint(Vec2(box.getMaxX(), box.getMaxY()));
        box = Rect(std::min(a.x, b.x), std::min(a.y, b.y), std::fabs(b.x - a.x), std::fabs(b.y - a.y));
    }
    return getViewRect().intersectsRect(box);
}

bool ScrollView::onTouchBegan(Touch* touch, Event*)
{
    if (!isVisible() || !hasVisibleParents()) return false;
    // Two fingers at most, and a drag already under way takes no second finger.
    if (_touches.size() >= 2 || _touchMoved) return false;
    if (!getViewRect().containsPoint(touch->getLocation())) return false;

    touch->retain();
    _touches.push_back(touch);
    if (_touches.size() == 1) {
        // A finger on the view stops any movement of its own.
        stopDeceleration();
        stopAnimatedContentOffset();
        _touchPoint = convertTouchToNodeSpace(touch);
        _touchMoved = false;
        _dragging = true;
        _scrollDistance = Vec2::ZERO;
        _pinching = false;
        _pinchedInSequence = false;
    } else {
        Vec2 a = _touches[0]->getLocation();
        Vec2 b = _touches[1]->getLocation();
        _pinching = true;
        _pinchedInSequence = true;
        _dragging = false;
        _pinchStartDistance = a.distance(b);
        _pinchStartScale = getZoomScale();
        _pinchCenter = convertToNodeSpace((a + b) * 0.5f);
    }
    return true;
}

void ScrollView::onTouchMoved(Touch* touch, Event*)
{
    if (!isVisible()) return;
    if (std::find(_touches.begin(), _touches.end(), touch) == _touches.end()) return;

    if (_touches.size() == 1 && _dragging) {
        Vec2 newPoint = convertTouchToNodeSpace(touch);
        Vec2 move = newPoint - _touchPoint;
        if (!allowsX(_direction)) move.x = 0.0f;
        if (!allowsY(_direction)) move.y = 0.0f;
        if (!_touchMoved) {
            // The threshold is a distance the finger travels, in points, along the allowed directions.
            Vec2 travel = touch->getLocation() - touch->getStartLocation();
            if (!allowsX(_direction)) travel.x = 0.0f;
            if (!allowsY(_direction)) travel.y = 0.0f;
            if (_direction == Direction::NONE || travel.length() < kDragThreshold) return;
            _touchMoved = true;
        }
        _touchPoint = newPoint;
        // A finger outside the view moves nothing; it picks up again where it comes back.
        if (!getViewRect().containsPoint(touch->getLocation())) return;

        Vec2 before = _container->getPosition();
        Vec2 target = before + move;
        if (_bounceable) target = clampToOverscroll(target);
        stopAnimatedContentOffset();
        applyOffset(target);
        Vec2 moved = _container->getPosition() - before;

        unsigned int frame = currentFrame();
        if (frame != _scrollFrame) _scrollDistance = Vec2::ZERO;
        _scrollDistance += moved;
        _scrollFrame = frame;
    } else if (_touches.size() == 2 && _pinching) {
        float distance = _touches[0]->getLocation().distance(_touches[1]->getLocation());
        if (_pinchStartDistance > 0.0f) zoomAbout(_pinchStartScale * distance / _pinchStartDistance, _pinchCenter);
    }
}

void ScrollView::onTouchEnded(Touch* touch, Event*) { finishTouch(touch, true); }

void ScrollView::onTouchCancelled(Touch* touch, Event*) { finishTouch(touch, false); }

void ScrollView::finishTouch(Touch* touch, bool ended)
{
    auto it = std::find(_touches.begin(), _touches.end(), touch);
    if (it == _touches.end()) return;

    bool pinchEnded = _touches.size() == 2 && _pinching;
    bool flick = ended && _touches.size() == 1 && _touchMoved && _dragging;
    _touches.erase(it);
    touch->release();
    if (pinchEnded) _pinching = false;

    bool last = _touches.empty();
    if (last) {
        bool pinched = _pinchedInSequence;
        _dragging = false;
        _touchMoved = false;
        _pinchedInSequence = false;
        // A finger that rested before lifting gives no inertia.
        if (flick && currentFrame() - _scrollFrame > 1) flick = false;
        if (flick && (std::fabs(_scrollDistance.x) >= kDecelerationStop ||
                      std::fabs(_scrollDistance.y) >= kDecelerationStop)) {
            startDeceleration();
        } else if (!pinched) {
            relocateContainer(true);
        }
    }

    // The delegate may take the view off stage or switch its touch off.
    retain();
    if (pinchEnded && _delegate) _delegate->scrollViewZoomFinished(this);
    if (last && _delegate) _delegate->scrollViewTouchFinished(this);
    release();
}

// Inertia ------------------------------------------------------------------

void ScrollView::startDeceleration()
{
    _decelerating = true;
    schedule([this](float dt) { deaccelerateScrolling(dt); }, kDecelerateKey);
}

void ScrollView::stopDeceleration()
{
    if (!_decelerating) return;
    _decelerating = false;
    unschedule(kDecelerateKey);
}

void ScrollView::deaccelerateScrolling(float)
{
    if (_dragging) {
        stopDeceleration();
        return;
    }
    Vec2 free = _container->getPosition() + _scrollDistance;
    Vec2 target = _bounceable ? clampToOverscroll(free) : free;
    applyOffset(target);
    bool stopped = !(_container->getPosition() == free);
    _scrollDistance *= kDecelerationRate;
    if (stopped || (std::fabs(_scrollDistance.x) < kDecelerationStop &&
                    std::fabs(_scrollDistance.y) < kDecelerationStop)) {
        stopDeceleration();
        relocateContainer(true);
    }
}

// Drawing ------------------------------------------------------------------

ScrollView::ClipCommands& ScrollView::nextClipCommands()
{
    // Commands queued in one frame all run before the next frame's visit.
    unsigned int frame = currentFrame();
    if (frame != _clipFrame) {
        _clipFrame = frame;
        _clipCommandsUsed = 0;
    }
    if (_clipCommandsUsed == _clipCommands.size()) _clipCommands.emplace_back();
    return _clipCommands[_clipCommandsUsed++];
}

void ScrollView::visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags)
{
    if (!_visible) return;
    uint32_t flags = processParentFlags(parentTransform, parentFlags);

    ClipCommands* clip = nullptr;
    if (_clippingToBounds) {
        clip = &nextClipCommands();
        clip->rect = worldRectFor(_modelViewTransform);
        clip->before.init(_globalZOrder);
        clip->before.func = [this, clip]() { onBeforeDraw(*clip); };
        renderer->addCommand(&clip->before);
    }

    sortAllChildren();
    ptrdiff_t i = 0;
    for (; i < _children.size(); ++i) {
        Node* child = _children.at(i);
        if (child->getLocalZOrder() >= 0) break;
        child->visit(renderer, _modelViewTransform, flags);
    }
    draw(renderer, _modelViewTransform, flags);
    for (; i < _children.size(); ++i) _children.at(i)->visit(renderer, _modelViewTransform, flags);

    if (clip) {
        clip->after.init(_globalZOrder);
        clip->after.func = [this, clip]() { onAfterDraw(*clip); };
        renderer->addCommand(&clip->after);
    }
}

void ScrollView::onBeforeDraw(ClipCommands& clip)
{
    GLView* glview = Director::getInstance()->getOpenGLView();
    if (!glview) return;
    clip.parentScissor = glview->isScissorEnabled();
    if (clip.parentScissor) {
        clip.parentRect = glview->getScissorRect();
        const Rect& a = clip.rect;
        const Rect& b = clip.parentRect;
        float x0 = std::max(a.getMinX(), b.getMinX());
        float y0 = std::max(a.getMinY(), b.getMinY());
        float x1 = std::min(a.getMaxX(), b.getMaxX());
        float y1 = std::min(a.getMaxY(), b.getMaxY());
        glview->setScissorInPoints(x0, y0, std::max(0.0f, x1 - x0), std::max(0.0f, y1 - y0));
    } else {
        glview->setScissorInPoints(clip.rect.origin.x, clip.rect.origin.y, clip.rect.size.width,
                                   clip.rect.size.height);
        glview->enableScissor();
    }
}

void ScrollView::onAfterDraw(ClipCommands& clip)
{
    GLView* glview = Director::getInstance()->getOpenGLView();
    if (!glview) return;
    if (clip.parentScissor) {
        glview->setScissorInPoints(clip.parentRect.origin.x, clip.parentRect.origin.y, clip.parentRect.size.width,
                                   clip.parentRect.size.height);
    } else {
        glview->disableScissor();
    }
}

} // namespace extension
} // namespace cocos2d
