#pragma once

#include <cstdint>
#include <functional>

#include "KITOView.h"

namespace CocosKito {

class KITOScrollView;

class KITOScrollViewDelegate {
public:
    // After every change of the container's position, by a drag or by the frame update.
    virtual void scrollViewDidScroll(KITOScrollView* view) {}
    // In the update in which the content comes to rest.
    virtual void scrollViewDidStop(KITOScrollView* view) {}

protected:
    ~KITOScrollViewDelegate() = default;
};

// Shows a movable container through a fixed viewport: one-finger drags, inertia,
// optional bounce at the content edges and optional paging by viewport-sized pages.
// Every axis follows the same rules on its own.
class KITOScrollView : public KITOView {
public:
    static KITOScrollView* create();

    bool init() override;
    void onEnter() override;
    void onExit() override;
    void update(float dt) override;

    bool touchBegan(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void touchMoved(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void touchEnded(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void touchCancelled(cocos2d::Touch* touch, cocos2d::Event* event) override;

    // Animates to the container position (x, y), crossing it once before settling.
    virtual void scrollTo(float x, float y);

    void setScrollCallback(std::function<void(KITOScrollView*)> callback) { scrollCallback = std::move(callback); }
    void setStopCallback(std::function<void(KITOScrollView*)> callback) { stopCallback = std::move(callback); }
    const cocos2d::Vec2& getVelocity() const { return velocity; }
    bool isDraggingContent() const { return draggingContent; }

    KITOView* container = nullptr;
    KITOScrollViewDelegate* delegate = nullptr;
    bool bounceHorizontal = false;
    bool bounceVertical = false;
    bool pagingEnabled = false;

protected:
    KITOScrollView() = default;
    ~KITOScrollView() override = default;

private:
    // One axis of the container: position p, viewport V, content C, and its motion state.
    struct Axis {
        float p;
        float viewport;
        float content;
        float& v;
        float& target;
        int8_t& direction;
        bool bounce;
    };

    // Advances one axis by one frame and returns its new position.
    float updateAxis(Axis axis, float dt) const;
    void finishTouch(cocos2d::Touch* touch);
    void moveContainer(const cocos2d::Vec2& position);

    std::function<void(KITOScrollView*)> scrollCallback;
    std::function<void(KITOScrollView*)> stopCallback;
    cocos2d::Vec2 lastTouch;
    cocos2d::Vec2 previousTouch;
    cocos2d::Vec2 velocity;
    struct {
        int8_t x = 0;
        int8_t y = 0;
    } scrollDirection;
    struct {
        float x = 0.0f;
        float y = 0.0f;
    } scrollTarget;
    bool draggingContent = false;
};

} // namespace CocosKito
