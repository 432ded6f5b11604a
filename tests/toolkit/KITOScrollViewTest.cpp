#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EngineHarness.h"
#include "KITOButtonView.h"
#include "KITOScrollView.h"

USING_NS_CC;
using CocosKito::KITOButtonView;
using CocosKito::KITOScrollView;
using CocosKito::KITOView;

namespace {

struct Counter : CocosKito::KITOScrollViewDelegate {
    void scrollViewDidScroll(KITOScrollView*) override { ++scrolls; }
    void scrollViewDidStop(KITOScrollView*) override { ++stops; }
    int scrolls = 0;
    int stops = 0;
};

struct ButtonEvents : CocosKito::KITOButtonViewDelegate {
    void onButtonViewEvent(KITOButtonView*, int event, Touch*) override { events.push_back(event); }
    std::vector<int> events;
};

constexpr float W = 1024;
constexpr float H = 768;

// A full-screen paging view of five pages side by side inside an outermost view,
// set up as the help pager uses it.
struct Pager {
    explicit Pager(EngineHarness& h, int pages = 5, bool bounce = true)
    {
        root = KITOView::create();
        root->setContentSize(Size(W, H));
        view = KITOScrollView::create();
        view->setContentSize(Size(W, H));
        view->container->setContentSize(Size(W * pages, H));
        view->bounceHorizontal = bounce;
        view->pagingEnabled = true;
        view->clippingEnabled = true;
        view->delegate = &counter;
        root->addChild(view);
        h.scene()->addChild(root);
        h.frame();
    }
    float x() const { return view->container->getPositionX(); }
    KITOView* root;
    KITOScrollView* view;
    Counter counter;
};

// Horizontal drag in equal steps with a frame after each; the release speed is step * 0.5.
void drag(EngineHarness& h, Vec2 from, float dx, float dy, int steps)
{
    h.touchDown(0, from);
    h.frame();
    for (int i = 1; i <= steps; ++i) {
        h.touchMove(0, from + Vec2(dx * i / steps, dy * i / steps));
        h.frame();
    }
    h.touchUp(0);
}

} // namespace

TEST(KITOScrollViewPaging, TapOnRestingViewStopsOnceWithoutMoving)
{
    EngineHarness h;
    Pager pager(h);
    pager.view->container->setPosition(-2 * W, 0);
    h.touchDown(0, Vec2(500, 400));
    h.touchUp(0);
    EXPECT_FLOAT_EQ(pager.view->getVelocity().x, -0.01f);
    h.frame();
    EXPECT_EQ(pager.counter.stops, 1);
    EXPECT_EQ(pager.counter.scrolls, 0);
    h.advance(1.0);
    EXPECT_EQ(pager.counter.stops, 1);
    EXPECT_EQ(pager.view->container->getPosition(), Vec2(-2 * W, 0));
}

TEST(KITOScrollViewPaging, SlowDragUnderHalfAPageReturnsOverHalfMovesOn)
{
    EngineHarness h;
    Pager pager(h);
    drag(h, Vec2(900, 400), -400, 0, 40); // 10 points a step: release speed 5
    h.advance(3.0);
    EXPECT_FLOAT_EQ(pager.x(), 0);

    drag(h, Vec2(900, 400), -600, 0, 60);
    h.advance(3.0);
    EXPECT_FLOAT_EQ(pager.x(), -W);

    drag(h, Vec2(100, 400), 600, 0, 60);
    h.advance(3.0);
    EXPECT_FLOAT_EQ(pager.x(), 0);
    EXPECT_EQ(pager.view->getVelocity(), Vec2::ZERO);
}

TEST(KITOScrollViewPaging, ReleaseAfterHoldingStillStillSnapsToAPage)
{
    EngineHarness h;
    Pager pager(h);
    h.touchDown(0, Vec2(900, 400));
    for (int i = 1; i <= 70; ++i) h.touchMove(0, Vec2(900 - 10 * i, 400));
    h.touchMove(0, Vec2(200, 400)); // holding still before letting go
    h.touchUp(0);
    ASSERT_LT(pager.x(), -600);
    h.advance(3.0);
    EXPECT_FLOAT_EQ(pager.x(), -W);
}

TEST(KITOScrollViewPaging, FlicksMoveOnePageButNeverPastTheEnds)
{
    EngineHarness h;
    Pager pager(h, 3);
    drag(h, Vec2(600, 400), -100, 0, 4); // 25 points a step: release speed 12.5
    h.advance(3.0);
    EXPECT_FLOAT_EQ(pager.x(), -W);
    drag(h, Vec2(600, 400), -100, 0, 4);
    h.advance(3.0);
    EXPECT_FLOAT_EQ(pager.x(), -2 * W);
    drag(h, Vec2(600, 400), -100, 0, 4); // already on the last page
    h.advance(3.0);
    EXPECT_FLOAT_EQ(pager.x(), -2 * W);

    drag(h, Vec2(300, 400), 100, 0, 4);
    h.advance(3.0);
    EXPECT_FLOAT_EQ(pager.x(), -W);
    drag(h, Vec2(300, 400), 100, 0, 4);
    h.advance(3.0);
    EXPECT_FLOAT_EQ(pager.x(), 0);
    drag(h, Vec2(300, 400), 100, 0, 4); // already on the first page
    h.advance(3.0);
    EXPECT_FLOAT_EQ(pager.x(), 0);
}

TEST(KITOScrollViewPaging, WithoutBounceTheGlideNeverOvershoots)
{
    EngineHarness h;
    Pager pager(h, 5, false);
    drag(h, Vec2(900, 400), -600, 0, 60);
    float previous = pager.x();
    for (int i = 0; i < 180; ++i) {
        h.frame();
        EXPECT_LE(pager.x(), previous + 0.001f);
        EXPECT_GE(pager.x(), -W);
        previous = pager.x();
    }
    EXPECT_FLOAT_EQ(pager.x(), -W);
}

TEST(KITOScrollViewPaging, VerticalAxisFollowsTheSameRules)
{
    EngineHarness h;
    Pager pager(h, 1);
    pager.view->container->setContentSize(Size(W, 3 * H));
    pager.view->bounceVertical = true;
    drag(h, Vec2(500, 700), 0, -500, 50);
    h.advance(3.0);
    EXPECT_FLOAT_EQ(pager.view->container->getPositionY(), -H);
    EXPECT_FLOAT_EQ(pager.x(), 0);
}

TEST(KITOScrollViewBounce, PullPastTheFirstPageFollowsAThirdAndSpringsBackSmoothly)
{
    EngineHarness h;
    Pager pager(h);
    h.touchDown(0, Vec2(100, 400));
    h.touchMove(0, Vec2(164, 400));
    EXPECT_FLOAT_EQ(pager.x(), 20);
    h.frame();
    h.touchMove(0, Vec2(196, 400));
    EXPECT_FLOAT_EQ(pager.x(), 30);
    h.frame();
    h.touchMove(0, Vec2(200, 400));
    EXPECT_FLOAT_EQ(pager.x(), 31.25f);
    h.touchUp(0);

    float previous = pager.x();
    float largestStep = 0;
    for (int i = 0; i < 240; ++i) {
        h.frame();
        largestStep = std::max(largestStep, std::fabs(pager.x() - previous));
        EXPECT_GT(pager.x(), -5.0f);
        previous = pager.x();
    }
    EXPECT_FLOAT_EQ(pager.x(), 0);
    EXPECT_LT(largestStep, 8.0f);
    EXPECT_EQ(pager.counter.stops, 1);
}

TEST(KITOScrollViewTouches, TouchOnFastContentStopsItAndPressesNothing)
{
    EngineHarness h;
    Pager pager(h);
    ButtonEvents events;
    KITOButtonView* button = KITOButtonView::create(Sprite::create("res/common_close.png"), &events, Size(400, 400));
    button->setPosition(2 * W + 300, 200);
    pager.view->container->addChild(button);
    pager.view->container->setPosition(-W, 0);

    drag(h, Vec2(600, 400), -100, 0, 4);
    h.frame();
    h.frame();
    ASSERT_GT(pager.view->getVelocity().lengthSquared(), 0.1f);
    h.touchDown(0, Vec2(500, 400));
    float stoppedAt = pager.x();
    h.frame();
    h.frame();
    EXPECT_EQ(pager.x(), stoppedAt);
    EXPECT_EQ(button->getTrackingTouch(), nullptr);
    h.touchUp(0);
    EXPECT_TRUE(events.events.empty());
}

TEST(KITOScrollViewTouches, ButtonPressedAtTheStartOfAScrollingDragReportsCancel)
{
    EngineHarness h;
    Pager pager(h);
    ButtonEvents events;
    KITOButtonView* button = KITOButtonView::create(Sprite::create("res/common_close.png"), &events, Size(400, 400));
    button->setPosition(300, 200);
    pager.view->container->addChild(button);
    h.frame();

    h.touchDown(0, Vec2(500, 400));
    EXPECT_EQ(events.events, (std::vector<int>{KITOButtonView::TouchDown}));
    h.touchMove(0, Vec2(495, 400));
    h.touchMove(0, Vec2(485, 400));
    h.touchUp(0);
    EXPECT_EQ(events.events, (std::vector<int>{KITOButtonView::TouchDown, KITOButtonView::Cancel}));

    // Without a drag the same press is a tap.
    h.advance(2.0);
    events.events.clear();
    h.touchDown(0, Vec2(500, 400));
    h.touchUp(0);
    EXPECT_EQ(events.events, (std::vector<int>{KITOButtonView::TouchDown, KITOButtonView::TouchUpInside}));
}

TEST(KITOScrollViewTouches, MostlyVerticalFirstMoveLetsGoOfTheDrag)
{
    EngineHarness h;
    Pager pager(h, 3, false);
    pager.view->pagingEnabled = false;
    pager.view->container->setPosition(-500, 0);
    h.touchDown(0, Vec2(500, 400));
    h.touchMove(0, Vec2(503, 420)); // 20 / 3.2 points over the top: let go
    EXPECT_FALSE(pager.view->isDraggingContent());
    EXPECT_FLOAT_EQ(pager.x(), -500);
    EXPECT_NEAR(pager.view->getVelocity().x, 1.51f, 1e-4);
    h.touchMove(0, Vec2(700, 420));
    EXPECT_FLOAT_EQ(pager.x(), -500);
    h.touchUp(0);

    h.advance(2.0);
    float rest = pager.x();
    h.touchDown(0, Vec2(500, 400));
    h.touchMove(0, Vec2(480, 401)); // mostly horizontal: scrolls
    EXPECT_TRUE(pager.view->isDraggingContent());
    EXPECT_FLOAT_EQ(pager.x(), rest - 20);
    h.touchUp(0);
}

TEST(KITOScrollViewDelegate, DidScrollForEveryMovingStepAndFrameOnly)
{
    EngineHarness h;
    Pager pager(h, 5, false);
    int callbacks = 0;
    int stopCallbacks = 0;
    pager.view->setScrollCallback([&](KITOScrollView*) { ++callbacks; });
    pager.view->setStopCallback([&](KITOScrollView*) { ++stopCallbacks; });
    h.touchDown(0, Vec2(500, 400));
    h.touchMove(0, Vec2(400, 400));
    h.touchMove(0, Vec2(600, 400)); // back to the first page, clamped there
    EXPECT_EQ(pager.counter.scrolls, 2);
    EXPECT_FLOAT_EQ(pager.x(), 0);
    h.touchMove(0, Vec2(700, 400)); // clamped to no movement
    EXPECT_EQ(pager.counter.scrolls, 2);
    h.touchMove(0, Vec2(650, 400));
    EXPECT_EQ(pager.counter.scrolls, 3);
    h.touchUp(0);

    int frames = 0;
    int moves = 0;
    float previous = pager.x();
    while (frames < 300) {
        h.frame();
        ++frames;
        if (pager.x() != previous) ++moves;
        previous = pager.x();
    }
    EXPECT_GT(moves, 5);
    EXPECT_EQ(pager.counter.scrolls, 3 + moves);
    EXPECT_EQ(callbacks, pager.counter.scrolls);
    EXPECT_GE(stopCallbacks, 1);
    EXPECT_EQ(stopCallbacks, pager.counter.stops);
    EXPECT_FLOAT_EQ(pager.x(), -W);
}
