#include "KITOScrollView.h"

#include <algorithm>
#include <cmath>

USING_NS_CC;

namespace CocosKito {

namespace {
// A new touch reaches the content's views only below this squared speed (points per frame).
constexpr float kTouchThroughSpeedSquared = 0.1f;
constexpr float kLimitDragDivisor = 3.2f;
constexpr float kLetGoMoveA = 5.0f;
constexpr float kLetGoOverflowA = 5.0f;
constexpr float kLetGoMoveB = 15.0f;
constexpr float kLetGoOverflowB = 2.0f;
constexpr float kReleaseFactor = 0.5f;
// Also the speed below which a free axis stops and an animation arrives; kept in single
// precision so that a nudged release of exactly 0.01 still counts as moving.
constexpr float kNudge = 0.01f;
constexpr float kFlickSpeed = 7.0f;
constexpr float kFriction = 0.93f;
constexpr float kApproachDamping = 0.55f;
constexpr float kGlideTime = 0.1f;
constexpr float kSpringTime = 0.15f;

float nudged(float v) { return v > 0.0f ? v + kNudge : v - kNudge; }

Vec2 releaseVelocity(const Vec2& q, const Vec2& previous)
{
    return Vec2((q.x - previous.x) * kReleaseFactor, (q.y - previous.y) * kReleaseFactor);
}
} // namespace

KITOScrollView* KITOScrollView::create()
{
    auto* view = new KITOScrollView();
    if (view->init()) {
        view->autorelease();
        return view;
    }
    delete view;
    return nullptr;
}

bool KITOScrollView::init()
{
    if (!KITOView::init()) return false;
    container = KITOView::create();
    addChild(container);
    lastTouch = Vec2::ZERO;
    previousTouch = Vec2::ZERO;
    velocity = Vec2::ZERO;
    return true;
}

void KITOScrollView::onEnter()
{
    KITOView::onEnter();
    scheduleUpdate();
}

void KITOScrollView::onExit()
{
    unscheduleUpdate();
    KITOView::onExit();
}

void KITOScrollView::scrollTo(float x, float y)
{
    scrollTarget.x = x;
    scrollTarget.y = y;
    const Vec2& p = container->getPosition();
    scrollDirection.x = x <= p.x ? 1 : -1;
    scrollDirection.y = y <= p.y ? 1 : -1;
}

void KITOScrollView::moveContainer(const Vec2& position)
{
    container->setPosition(position);
    if (delegate) delegate->scrollViewDidScroll(this);
    if (scrollCallback) scrollCallback(this);
}

bool KITOScrollView::touchBegan(Touch* touch, cocos2d::Event* event)
{
    Vec2 q = convertTouchToNodeSpace(touch);
    float speedSquared = velocity.x * velocity.x + velocity.y * velocity.y;
    lastTouch = q;
    previousTouch = q;
    velocity = Vec2::ZERO;
    scrollDirection.x = 0;
    scrollDirection.y = 0;
    draggingContent = true;
    // A touch on fast-moving content only stops it; the views inside never see it begin.
    if (speedSquared < kTouchThroughSpeedSquared) KITOView::touchBegan(touch, event);
    return true;
}

void KITOScrollView::touchMoved(Touch* touch, cocos2d::Event* event)
{
    Vec2 q = convertTouchToNodeSpace(touch);
    if (draggingContent) {
        const Vec2 p = container->getPosition();
        const Size& viewport = getContentSize();
        const Size& content = container->getContentSize();
        const float farX = viewport.width - content.width;
        const float farY = viewport.height - content.height;

        // At or beyond a limit the content follows the finger reluctantly.
        auto follow = [](float position, float far, float finger, float last) {
            float step = finger - last;
            if (position >= 0.0f || position <= far) step /= kLimitDragDivisor;
            return position + step;
        };
        Vec2 next(follow(p.x, farX, q.x, lastTouch.x), follow(p.y, farY, q.y, lastTouch.y));
        Vec2 overflow = Vec2::ZERO;
        auto clamp = [](float& position, float& over, float far) {
            if (position > 0.0f) {
                over = position;
                position = 0.0f;
            } else if (position < far) {
                over = position - far;
                position = far;
            }
        };
        if (!bounceHorizontal) clamp(next.x, overflow.x, farX);
        if (!bounceVertical) clamp(next.y, overflow.y, farY);

        bool letGo = false;
        if (lastTouch.equals(previousTouch)) {
            // A first step that mostly pushes against a locked axis hands the gesture back:
            // this touch stops scrolling and the content coasts with the finger's speed.
            letGo = (std::fabs(next.y - p.y) < kLetGoMoveA && std::fabs(overflow.x) > kLetGoOverflowA) ||
                    (std::fabs(next.x - p.x) < kLetGoMoveB && std::fabs(overflow.y) > kLetGoOverflowB);
        }
        if (letGo) {
            Vec2 v = releaseVelocity(q, previousTouch);
            velocity = Vec2(nudged(v.x), nudged(v.y));
            draggingContent = false;
        } else {
            if (!next.equals(p)) {
                // Once the content moves, the views inside lose the touch (a pressed button cancels).
                KITOView::touchCancelled(touch, event);
                moveContainer(next);
            }
            previousTouch = lastTouch;
            lastTouch = q;
        }
    }
    KITOView::touchMoved(touch, event);
}

void KITOScrollView::finishTouch(Touch* touch)
{
    Vec2 q = convertTouchToNodeSpace(touch);
    if (!draggingContent) return;
    Vec2 v = lastTouch.equals(previousTouch) ? Vec2::ZERO : releaseVelocity(q, previousTouch);
    // Never exactly zero, so that the next update still snaps to a page even after a tap.
    velocity = Vec2(nudged(v.x), nudged(v.y));
    draggingContent = false;
}

void KITOScrollView::touchEnded(Touch* touch, cocos2d::Event* event)
{
    finishTouch(touch);
    KITOView::touchEnded(touch, event);
}

void KITOScrollView::touchCancelled(Touch* touch, cocos2d::Event* event)
{
    finishTouch(touch);
    KITOView::touchCancelled(touch, event);
}

float KITOScrollView::updateAxis(Axis axis, float dt) const
{
    float p = axis.p;
    float& v = axis.v;
    float& t = axis.target;
    int8_t& d = axis.direction;

    if (d != 0) {
        const float sign = d;
        if (t * sign <= p * sign) {
            // Approach: aim one point beyond the target so the content crosses it.
            p = ((t - p - sign) / (kGlideTime / dt) + v) + p;
            v *= kApproachDamping;
        } else {
            p = p + v;
            if (v * sign < 0.0f) {
                v += (t - p) / (kSpringTime / dt);
            } else {
                v = (t - p) / (kGlideTime / dt);
                if (std::fabs(v) < kNudge) {
                    p = t;
                    d = 0;
                    v = 0.0f;
                }
            }
        }
        return p;
    }

    if (std::fabs(v) < kNudge) {
        v = 0.0f;
        return p;
    }
    const float page = axis.viewport;
    if (pagingEnabled) {
        float index = std::trunc((page * 0.5f - p) / page);
        if (v > kFlickSpeed) {
            index = std::trunc(-(p / page));
        } else if (v < -kFlickSpeed) {
            index = std::trunc(1.0f - p / page);
        }
        if (index < 0.0f) {
            index = 0.0f;
        } else {
            index = std::min(index, std::trunc((axis.content - 1.0f) / page));
        }
        t = -(index * page);
        if (t == p) {
            v = 0.0f;
        } else if (axis.bounce) {
            d = t <= p ? 1 : -1;
        } else {
            // Starts directly in the passed phase: a glide without overshoot.
            d = t > p ? 1 : -1;
            v = 0.0f;
        }
    }
    p = p + v;
    const float far = axis.viewport - axis.content;
    if (axis.bounce) {
        if (p > 0.0f) {
            t = 0.0f;
            d = -1;
        } else if (p < far) {
            t = far;
            d = 1;
        }
    } else {
        if (p > 0.0f) {
            p = 0.0f;
            v = 0.0f;
        } else if (p < far) {
            p = far;
            v = 0.0f;
        }
    }
    v *= kFriction;
    return p;
}

void KITOScrollView::update(float dt)
{
    const Vec2 start = container->getPosition();
    const Vec2 startVelocity = velocity;
    const Size& viewport = getContentSize();
    const Size& content = container->getContentSize();
    Vec2 next;
    next.x = updateAxis({start.x, viewport.width, content.width, velocity.x, scrollTarget.x, scrollDirection.x,
                         bounceHorizontal},
                        dt);
    next.y = updateAxis({start.y, viewport.height, content.height, velocity.y, scrollTarget.y, scrollDirection.y,
                         bounceVertical},
                        dt);
    if (!next.equals(start)) moveContainer(next);
    bool wasMoving = startVelocity.x != 0.0f || startVelocity.y != 0.0f;
    if (wasMoving && velocity.x == 0.0f && velocity.y == 0.0f) {
        if (delegate) delegate->scrollViewDidStop(this);
        if (stopCallback) stopCallback(this);
    }
}

} // namespace CocosKito
