#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "2d/CCLayer.h"
#include "renderer/CCCustomCommand.h"

namespace cocos2d {

class Event;
class EventListenerTouchOneByOne;
class Touch;

namespace extension {

class ScrollView;

class ScrollViewDelegate {
public:
    virtual ~ScrollViewDelegate() {}
    virtual void scrollViewDidScroll(ScrollView* view) {}
    virtual void scrollViewDidZoom(ScrollView* view) {}
    // A two-finger gesture ended: fewer than two fingers remain on the view.
    virtual void scrollViewZoomFinished(ScrollView* view) {}
    // The last finger of a touch sequence lifted; the view has already
    // handled that lift (inertia or spring-back started).
    virtual void scrollViewTouchFinished(ScrollView* view) {}
};

// A view rectangle onto a container node. The content offset is the
// container's position in the view's space, the zoom scale its scale.
// Children added to the view go into the container.
class ScrollView : public Layer {
public:
    enum class Direction { NONE = -1, HORIZONTAL = 0, VERTICAL, BOTH };

    static ScrollView* create(Size size, Node* container = nullptr);
    static ScrollView* create();

    bool init() override;
    bool initWithViewSize(Size size, Node* container = nullptr);

    void setContentOffset(Vec2 offset, bool animated = false);
    Vec2 getContentOffset();
    void setContentOffsetInDuration(Vec2 offset, float dt);
    void stopAnimatedContentOffset();

    // Zooms about the centre of the view (about the fingers' midpoint during a pinch).
    void setZoomScale(float s);
    void setZoomScale(float s, bool animated);
    float getZoomScale();
    void setZoomScaleInDuration(float s, float dt);
    void setMinScale(float minScale) { _minScale = minScale; }
    void setMaxScale(float maxScale) { _maxScale = maxScale; }
    float getMinScale() const { return _minScale; }
    float getMaxScale() const { return _maxScale; }

    // The offsets between which the scaled container covers the view.
    Vec2 minContainerOffset();
    Vec2 maxContainerOffset();
    bool isNodeVisible(Node* node);

    bool isBounceable() const { return _bounceable; }
    void setBounceable(bool bounceable) { _bounceable = bounceable; }
    const Size& getViewSize() const { return _viewSize; }
    void setViewSize(Size size);
    Node* getContainer() { return _container; }
    void setContainer(Node* container);
    Direction getDirection() const { return _direction; }
    virtual void setDirection(Direction direction) { _direction = direction; }
    ScrollViewDelegate* getDelegate() { return _delegate; }
    void setDelegate(ScrollViewDelegate* delegate) { _delegate = delegate; }

    bool isDragging() const { return _dragging; }
    bool isTouchMoved() const { return _touchMoved; }
    bool isClippingToBounds() const { return _clippingToBounds; }
    void setClippingToBounds(bool clipping) { _clippingToBounds = clipping; }

    // Switching touch off forgets the touches in progress without any notification.
    virtual void setTouchEnabled(bool enabled);
    bool isTouchEnabled() const { return _touchListener != nullptr; }

    bool hasVisibleParents() const;
    // The view rectangle in world coordinates.
    Rect getViewRect();

    virtual bool onTouchBegan(Touch* touch, Event* event);
    virtual void onTouchMoved(Touch* touch, Event* event);
    virtual void onTouchEnded(Touch* touch, Event* event);
    virtual void onTouchCancelled(Touch* touch, Event* event);

    // The content size is the container's; the view's own size is the view size.
    void setContentSize(const Size& size) override;
    const Size& getContentSize() const override;

    void visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags) override;
    void onExit() override;

    using Layer::addChild;
    void addChild(Node* child, int localZOrder, int tag) override;
    void addChild(Node* child, int localZOrder, const std::string& name) override;
    void removeChild(Node* child, bool cleanup = true) override;
    void removeAllChildrenWithCleanup(bool cleanup) override;

protected:
    ScrollView();
    ~ScrollView() override;

private:
    // One clipping pair per visit, so a view drawn twice in a frame (into a
    // render texture and on screen) keeps a rectangle for each drawing.
    struct ClipCommands {
        CustomCommand before;
        CustomCommand after;
        Rect rect;
        Rect parentRect;
        bool parentScissor = false;
    };

    void applyOffset(const Vec2& offset);
    void zoomAbout(float s, const Vec2& centerInView);
    void relocateContainer(bool animated);
    Vec2 clampToOverscroll(const Vec2& offset) const;
    void startDeceleration();
    void stopDeceleration();
    void deaccelerateScrolling(float dt);
    void animatedScrollStep(float dt);
    void stoppedAnimatedScroll();
    void stopZoomTween();
    void finishTouch(Touch* touch, bool ended);
    void dropTouches();
    Rect worldRectFor(const Mat4& transform) const;
    ClipCommands& nextClipCommands();
    void onBeforeDraw(ClipCommands& clip);
    void onAfterDraw(ClipCommands& clip);

    Node* _container = nullptr;
    Size _viewSize;
    ScrollViewDelegate* _delegate = nullptr;
    Direction _direction = Direction::BOTH;
    bool _bounceable = true;
    bool _clippingToBounds = true;
    float _minScale = 1.0f;
    float _maxScale = 1.0f;

    EventListenerTouchOneByOne* _touchListener = nullptr;
    std::vector<Touch*> _touches;
    bool _dragging = false;
    bool _touchMoved = false;
    // The finger of a one-finger drag, in the view's space.
    Vec2 _touchPoint;
    // Content movement of the latest frame in which the finger moved: the release speed.
    Vec2 _scrollDistance;
    unsigned int _scrollFrame = 0;
    bool _decelerating = false;

    bool _pinching = false;
    bool _pinchedInSequence = false;
    float _pinchStartDistance = 0.0f;
    float _pinchStartScale = 1.0f;
    Vec2 _pinchCenter;

    bool _animatingOffset = false;

    std::deque<ClipCommands> _clipCommands;
    size_t _clipCommandsUsed = 0;
    unsigned int _clipFrame = 0;
};

} // namespace extension
} // namespace cocos2d
