#include <cmath>

#include "ScrollTestSupport.h"

USING_NS_CC;
using extension::ScrollView;

using ScrollDrag = ScrollFixture;

TEST_F(ScrollDrag, OneFingerDragOf100PointsMovesTheOffsetBy100)
{
    drag(0, Vec2(500, 400), Vec2(400, 330), 5);
    EXPECT_TRUE(view->isDragging());
    EXPECT_TRUE(view->isTouchMoved());
    EXPECT_FLOAT_EQ(offset().x, -612.0f);
    EXPECT_FLOAT_EQ(offset().y, -454.0f);
    EXPECT_GT(rec.scrolls, 0);

    // Held still before lifting: no inertia, nothing moves after the lift.
    h.advance(0.1);
    h.touchUp(0);
    int scrolls = rec.scrolls;
    h.advance(0.5);
    EXPECT_FLOAT_EQ(offset().x, -612.0f);
    EXPECT_FLOAT_EQ(offset().y, -454.0f);
    EXPECT_EQ(rec.scrolls, scrolls);
    EXPECT_FALSE(view->isDragging());
    EXPECT_EQ(rec.gestures(), (Log{"touchFinished"}));
}

TEST_F(ScrollDrag, MovesUnderTheThresholdAreATapAndTheThresholdStartsTheDrag)
{
    h.touchDown(0, Vec2(500, 400));
    h.touchMove(0, Vec2(503, 404));  // 5 points away
    h.touchMove(0, Vec2(497, 396));
    h.frame();
    EXPECT_FALSE(view->isTouchMoved());
    EXPECT_EQ(offset(), Vec2(-512, -384));
    h.touchUp(0);
    h.advance(0.3);
    EXPECT_EQ(rec.log, (Log{"touchFinished"}));

    // 7 points (7/160 inch at 160 points per inch) starts the drag, and the
    // content then follows the finger from where it went down.
    rec.log.clear();
    h.touchDown(0, Vec2(500, 400));
    h.touchMove(0, Vec2(506.9f, 400));
    EXPECT_FALSE(view->isTouchMoved());
    h.touchMove(0, Vec2(507, 400));
    EXPECT_TRUE(view->isTouchMoved());
    EXPECT_FLOAT_EQ(offset().x, -505.0f);
}

TEST_F(ScrollDrag, PlainTapGivesTouchFinishedOnlyAndTheLayerBelowHearsIt)
{
    h.touchDown(0, Vec2(300, 300));
    h.frame();
    h.touchUp(0);
    h.advance(0.5);
    EXPECT_EQ(rec.log, (Log{"touchFinished"}));
    EXPECT_EQ(below, (Log{"began0", "ended0"}));
}

TEST_F(ScrollDrag, InertiaDecaysByFivePercentAFrameAndStopsUnderOnePoint)
{
    drag(0, Vec2(600, 400), Vec2(560, 400), 4);  // 10 points a frame to the left
    h.touchUp(0);
    std::vector<float> steps;
    float last = offset().x;
    for (int i = 0; i < 120; ++i) {
        h.frame();
        float now = offset().x;
        if (now != last) steps.push_back(last - now);
        last = now;
    }
    ASSERT_GT(steps.size(), 2u);
    EXPECT_NEAR(steps[0], 10.0f, 1e-3f);
    for (size_t i = 1; i < steps.size(); ++i) EXPECT_NEAR(steps[i] / steps[i - 1], 0.95f, 1e-3f) << i;
    EXPECT_GE(steps.back(), 1.0f);
    EXPECT_LT(steps.back() * 0.95f, 1.0f);
    EXPECT_EQ(steps.size(), 45u);  // 10 * 0.95^45 < 1 <= 10 * 0.95^44
    EXPECT_FLOAT_EQ(offset().y, -384.0f);
    int scrolls = rec.scrolls;
    h.advance(0.5);
    EXPECT_EQ(rec.scrolls, scrolls);
}

TEST_F(ScrollDrag, FlingComesToRestInsideTheBoundsWithOverscrollCapped)
{
    // 60 points a frame towards the far edge would carry the content well past it.
    drag(0, Vec2(900, 600), Vec2(660, 360), 4);
    h.touchUp(0);
    float lowestX = offset().x;
    float lowestY = offset().y;
    for (int i = 0; i < 120; ++i) {
        h.frame();
        lowestX = std::min(lowestX, offset().x);
        lowestY = std::min(lowestY, offset().y);
    }
    Vec2 min = view->minContainerOffset();
    EXPECT_EQ(min, Vec2(-1024, -768));
    EXPECT_EQ(view->maxContainerOffset(), Vec2::ZERO);
    EXPECT_LT(lowestX, min.x);  // it did overshoot
    EXPECT_GE(lowestX, min.x - 0.2f * 1024.0f - 1e-3f);
    EXPECT_GE(lowestY, min.y - 0.2f * 768.0f - 1e-3f);
    EXPECT_FLOAT_EQ(offset().x, min.x);
    EXPECT_FLOAT_EQ(offset().y, min.y);
    EXPECT_EQ(rec.gestures(), (Log{"touchFinished"}));
}

TEST_F(ScrollDrag, OverscrollIsCappedWhileDraggingAndSpringsBackIn015Seconds)
{
    view->setContentOffset(Vec2(-10, -384));
    drag(0, Vec2(100, 400), Vec2(700, 400), 12);
    EXPECT_FLOAT_EQ(offset().x, 0.2f * 1024.0f);

    // At touch-finished the view has already started its own spring-back.
    bool springingAtFinish = false;
    rec.onEvent = [&](const std::string& e) {
        if (e == "touchFinished") springingAtFinish = view->getContainer()->getNumberOfRunningActions() > 0;
    };
    h.advance(0.05);
    h.touchUp(0);
    EXPECT_TRUE(springingAtFinish);
    int scrolls = rec.scrolls;
    h.advance(0.1);
    EXPECT_GT(offset().x, 0.0f);
    EXPECT_LT(offset().x, 0.2f * 1024.0f);
    EXPECT_GT(rec.scrolls, scrolls);
    h.advance(0.05);
    h.frame();
    EXPECT_FLOAT_EQ(offset().x, 0.0f);
    EXPECT_FLOAT_EQ(offset().y, -384.0f);
}

TEST_F(ScrollDrag, WithoutBounceTheContentStopsAtItsEdges)
{
    view->setBounceable(false);
    view->setContentOffset(Vec2(-10, -384));
    drag(0, Vec2(100, 400), Vec2(400, 400), 6);
    EXPECT_FLOAT_EQ(offset().x, 0.0f);
    h.touchUp(0);
    h.advance(0.5);
    EXPECT_FLOAT_EQ(offset().x, 0.0f);
}

TEST_F(ScrollDrag, DirectionRestrictsTheDragAndItsThreshold)
{
    view->setDirection(ScrollView::Direction::HORIZONTAL);
    drag(0, Vec2(500, 400), Vec2(500, 300), 4);  // straight down: not a horizontal drag
    EXPECT_FALSE(view->isTouchMoved());
    h.touchMove(0, Vec2(450, 250));
    EXPECT_TRUE(view->isTouchMoved());
    EXPECT_FLOAT_EQ(offset().x, -562.0f);
    EXPECT_FLOAT_EQ(offset().y, -384.0f);
    h.touchUp(0);
    h.advance(2.0);

    view->setDirection(ScrollView::Direction::VERTICAL);
    Vec2 start = offset();
    drag(0, Vec2(500, 400), Vec2(420, 360), 4);
    EXPECT_FLOAT_EQ(offset().x, start.x);
    EXPECT_FLOAT_EQ(offset().y, start.y - 40.0f);
    h.touchUp(0);
}

TEST_F(ScrollDrag, NeverSwallowsTheLayerBelowHearsEveryTouch)
{
    drag(0, Vec2(500, 400), Vec2(400, 400), 3);
    h.touchUp(0);
    h.touchDown(1, Vec2(400, 300));
    h.touchDown(2, Vec2(600, 300));
    h.touchMove(2, Vec2(700, 300));
    h.touchUp(1);
    h.touchUp(2);
    EXPECT_EQ(below, (Log{"began0", "moved0", "moved0", "moved0", "ended0", "began1", "began2", "moved2", "ended1",
                          "ended2"}));
}

TEST_F(ScrollDrag, TouchesOutsideTheViewOrOnAHiddenViewAreNotClaimed)
{
    view->setViewSize(Size(400, 300));
    h.touchDown(0, Vec2(600, 500));
    h.touchMove(0, Vec2(500, 400));
    h.touchUp(0);
    EXPECT_TRUE(rec.log.empty());
    EXPECT_EQ(below.size(), 3u);

    layer->setVisible(false);
    h.touchDown(0, Vec2(100, 100));
    h.touchUp(0);
    EXPECT_TRUE(rec.log.empty());
}

TEST_F(ScrollDrag, DisablingTouchDuringADragDropsItWithoutTouchFinished)
{
    drag(0, Vec2(500, 400), Vec2(450, 400), 2);
    EXPECT_FLOAT_EQ(offset().x, -562.0f);
    view->setTouchEnabled(false);
    EXPECT_FALSE(view->isTouchEnabled());
    EXPECT_FALSE(view->isDragging());
    h.touchMove(0, Vec2(300, 400));
    h.frame();
    // Enabled again mid-touch: that touch still belongs to nobody in the view.
    view->setTouchEnabled(true);
    h.touchMove(0, Vec2(200, 400));
    h.touchUp(0);
    h.advance(0.5);
    EXPECT_FLOAT_EQ(offset().x, -562.0f);
    EXPECT_EQ(rec.count("touchFinished"), 0);
    EXPECT_EQ(below.back(), "ended0");

    h.touchDown(0, Vec2(500, 400));
    h.touchUp(0);
    EXPECT_EQ(rec.gestures(), (Log{"touchFinished"}));
}

TEST_F(ScrollDrag, AFingerStopsInertiaAndATapLeavesTheContentInBounds)
{
    drag(0, Vec2(900, 400), Vec2(700, 400), 4);
    h.touchUp(0);
    h.advance(0.1);
    float moving = offset().x;
    h.touchDown(0, Vec2(500, 400));
    h.advance(0.2);
    EXPECT_FLOAT_EQ(offset().x, moving);
    h.touchUp(0);
    h.advance(0.5);
    EXPECT_FLOAT_EQ(offset().x, moving);
    EXPECT_EQ(rec.count("touchFinished"), 2);

    // Stopped while overshooting, the lift of the tap springs it back.
    view->setContentOffset(Vec2(100, -384));
    h.touchDown(0, Vec2(500, 400));
    h.touchUp(0);
    h.advance(0.2);
    EXPECT_FLOAT_EQ(offset().x, 0.0f);
}
