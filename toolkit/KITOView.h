#pragma once

#include "cocos2d.h"

namespace CocosKito {

// A node that receives touches as part of a tree of views and can clip its
// subtree to its own rectangle. Only the outermost view of a chain of nested
// views owns an engine listener; it hands touches down to its child views.
class KITOView : public cocos2d::Node {
public:
    static KITOView* create();

    bool init() override;
    void onEnter() override;
    void onExit() override;
    using cocos2d::Node::draw;
    void draw(cocos2d::Renderer* renderer, const cocos2d::Mat4& transform, uint32_t flags) override;
    using cocos2d::Node::visit;
    void visit(cocos2d::Renderer* renderer, const cocos2d::Mat4& parentTransform, uint32_t parentFlags) override;

    // Entry points, called by the listener or by the parent view.
    virtual bool onTouchBegan(cocos2d::Touch* touch, cocos2d::Event* event);
    virtual void onTouchMoved(cocos2d::Touch* touch, cocos2d::Event* event);
    virtual void onTouchEnded(cocos2d::Touch* touch, cocos2d::Event* event);
    virtual void onTouchCancelled(cocos2d::Touch* touch, cocos2d::Event* event);

    // Handlers for subclasses; the defaults pass the touch to the child views.
    virtual bool touchBegan(cocos2d::Touch* touch, cocos2d::Event* event);
    virtual void touchMoved(cocos2d::Touch* touch, cocos2d::Event* event);
    virtual void touchEnded(cocos2d::Touch* touch, cocos2d::Event* event);
    virtual void touchCancelled(cocos2d::Touch* touch, cocos2d::Event* event);

    bool clippingEnabled = false;
    bool touchEnabled = true;

    // Read by tests and by child views during their visit.
    KITOView* getParentView() const { return parentView; }
    cocos2d::Touch* getTrackingTouch() const { return trackingTouch; }
    cocos2d::EventListenerTouchOneByOne* getTouchListener() const { return touchListener; }

protected:
    KITOView() = default;
    ~KITOView() override;

    struct ClipRect {
        float left = 0.0f;
        float bottom = 0.0f;
        float right = 0.0f;
        float top = 0.0f;
    };

    ClipRect clipRect;
    bool clipActive = false;
    KITOView* parentView = nullptr;
    cocos2d::Touch* trackingTouch = nullptr;
    cocos2d::EventListenerTouchOneByOne* touchListener = nullptr;
    cocos2d::CustomCommand beforeVisitCommand;
    cocos2d::CustomCommand afterVisitCommand;

private:
    static void intersect(ClipRect& rect, const ClipRect& with);
    void stopTracking();
};

} // namespace CocosKito
