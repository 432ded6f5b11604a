#include <cmath>

#include "EditingFixture.h"
#include "base/CCClock.h"

USING_NS_CC;

namespace {

bool finite(const Vec2& v) { return std::isfinite(v.x) && std::isfinite(v.y); }

} // namespace

// The board with the drawer peeking; taps are timed on the engine clock
// to the microsecond, without frames in between unless a test runs them.
class NavigationTest : public EditingTest {
protected:
    void tapAt(const Vec2& point)
    {
        app->touchDown(0, point);
        app->touchUp(0);
    }
    // Moves the clock without running a frame.
    static void later(double seconds) { EngineClock::advance(seconds); }
    float zoom() const { return ed->boardView()->getZoomScale(); }
    // Lets an animated zoom end.
    void settle() { app->advance(0.3); }

    // Fingers 1 and 2 down at a and b, then moved to c and d.
    void pinch(const Vec2& a, const Vec2& b, const Vec2& c, const Vec2& d)
    {
        app->touchDown(1, a);
        app->touchDown(2, b);
        app->frame();
        app->touchMove(1, c);
        app->touchMove(2, d);
        app->frame();
    }
    void liftBoth()
    {
        app->touchUp(1);
        app->touchUp(2);
        app->frame();
    }
    // A pinch about the screen's centre from 400 points apart to `apart`.
    void pinchTo(float apart)
    {
        pinch(Vec2(312, 384), Vec2(712, 384), Vec2(512 - apart / 2, 384), Vec2(512 + apart / 2, 384));
    }
    // The wheel as a user gets it: the drawer has left the open position.
    void enableWheel() { ed->slideDrawer(false); }
    float drawerY() const { return ed->drawer().panel()->getPositionY(); }
};

TEST_F(NavigationTest, DoubleTapNeedsUnderPoint3SecondsAndUnder30Points)
{
    later(1);
    tapAt(Vec2(500, 400));
    later(0.29);
    tapAt(Vec2(529, 400));
    EXPECT_FLOAT_EQ(zoom(), 1.0f) << "the zoom is animated";
    settle();
    EXPECT_FLOAT_EQ(zoom(), 2.0f);

    // Exactly 0.3 s apart: no zoom.
    later(1);
    tapAt(Vec2(500, 400));
    later(0.3);
    tapAt(Vec2(500, 400));
    settle();
    EXPECT_FLOAT_EQ(zoom(), 2.0f);

    // Exactly 30 points apart: no zoom.
    later(1);
    tapAt(Vec2(500, 400));
    later(0.1);
    tapAt(Vec2(500, 430));
    settle();
    EXPECT_FLOAT_EQ(zoom(), 2.0f);

    // From 2.0 two quick taps go back to 1.0.
    later(1);
    tapAt(Vec2(500, 400));
    later(0.27);
    tapAt(Vec2(503, 402));
    settle();
    EXPECT_FLOAT_EQ(zoom(), 1.0f);
}

TEST_F(NavigationTest, TheSecondTapIsTheReferenceEvenWhenItDoesNotZoom)
{
    later(1);
    tapAt(Vec2(500, 400));
    later(0.35);
    tapAt(Vec2(500, 400));
    later(0.2);
    tapAt(Vec2(510, 400));
    settle();
    EXPECT_FLOAT_EQ(zoom(), 2.0f) << "the third tap pairs with the second";

    later(1);
    tapAt(Vec2(500, 400));
    later(0.1);
    tapAt(Vec2(540, 400));
    EXPECT_EQ(ed->navigation().lastTapLocation(), Vec2(540, 400));
    later(0.1);
    tapAt(Vec2(545, 400));
    settle();
    EXPECT_FLOAT_EQ(zoom(), 1.0f);
}

TEST_F(NavigationTest, ZoomStepsOfADoubleTap)
{
    const struct {
        float from, to;
    } steps[] = {{1.6f, 2.0f}, {1.5f, 2.0f}, {0.5f, 1.5f}, {1.0f, 2.0f}, {0.0f, 1.0f}};
    for (const auto& step : steps) {
        ed->boardView()->setZoomScale(step.from, false);
        later(1);
        tapAt(Vec2(500, 400));
        later(0.1);
        tapAt(Vec2(500, 400));
        settle();
        EXPECT_FLOAT_EQ(zoom(), step.to) << "from " << step.from;
    }
}

TEST_F(NavigationTest, ATapOnAPartIsNeitherHalfOfADoubleTap)
{
    const PartId part = place(PartTypes::straight, Vec2(1024, 768));
    const Vec2 onPart = centreOf(part) + Vec2(0, 10);
    const Vec2 beside = onPart + Vec2(0, 25); // off the 45-point-high part
    later(1);
    const Vec2 reference = ed->navigation().lastTapLocation();
    tapAt(onPart);
    EXPECT_FLOAT_EQ(rec(part).rotation, 45) << "the tap turned the part";
    EXPECT_EQ(ed->navigation().lastTapLocation(), reference);
    later(0.1);
    tapAt(beside);
    settle();
    EXPECT_FLOAT_EQ(zoom(), 1.0f);

    // The board tap was a reference: a part tap after it does not zoom either.
    later(0.1);
    tapAt(onPart);
    settle();
    EXPECT_FLOAT_EQ(zoom(), 1.0f);
    EXPECT_FLOAT_EQ(rec(part).rotation, 90);
}

TEST_F(NavigationTest, PinchFingersLiftingTogetherAreNoDoubleTap)
{
    later(1);
    // Two fingers 50 points apart pinched to 20: they lift as close and as
    // quick as a double tap's taps.
    pinch(Vec2(475, 384), Vec2(525, 384), Vec2(502, 384), Vec2(522, 384));
    ASSERT_FLOAT_EQ(zoom(), 0.4f);
    liftBoth();
    settle();
    EXPECT_FLOAT_EQ(zoom(), 0.5f);

    // Afterwards single-finger taps pair again.
    later(1);
    tapAt(Vec2(500, 400));
    later(0.1);
    tapAt(Vec2(500, 400));
    settle();
    EXPECT_FLOAT_EQ(zoom(), 1.5f);
}

TEST_F(NavigationTest, APinchEndingBetweenPoint3AndPoint5SettlesAtPoint5)
{
    pinchTo(160);
    EXPECT_FLOAT_EQ(zoom(), 0.4f);
    liftBoth();
    EXPECT_FLOAT_EQ(zoom(), 0.5f);
    EXPECT_FALSE(ed->mode().listShown());
    EXPECT_FALSE(ed->navigation().scrolled()) << "the touch sequence finished after the zoom";

    ed->boardView()->setZoomScale(1.0f, false);
    pinchTo(124);
    EXPECT_NEAR(zoom(), 0.31f, 1e-5);
    liftBoth();
    EXPECT_FLOAT_EQ(zoom(), 0.5f);

    ed->boardView()->setZoomScale(1.0f, false);
    pinchTo(240);
    liftBoth();
    EXPECT_FLOAT_EQ(zoom(), 0.6f) << "at or above 0.5 nothing changes";
}

TEST_F(NavigationTest, APinchToPoint3OrBelowLeavesTheBoardAndHidesTheDrawer)
{
    pinchTo(120);
    ASSERT_FLOAT_EQ(zoom(), 0.3f);
    // The zoom finishes when the first finger lifts.
    app->touchUp(1);
    EXPECT_TRUE(ed->mode().listShown());
    EXPECT_FALSE(ed->mode().drawerPeeking());
    app->touchUp(2);
    app->advance(0.25);
    EXPECT_GT(drawerY(), ed->drawer().peekingY());
    EXPECT_LT(drawerY(), ed->drawer().hiddenY());
    app->advance(0.25);
    app->frame();
    EXPECT_FLOAT_EQ(drawerY(), ed->drawer().hiddenY());
}

TEST_F(NavigationTest, ZoomZeroFromAPinchLeavesWithFinitePositions)
{
    const PartId part = place(PartTypes::straight, Vec2(1024, 768));
    pinch(Vec2(412, 384), Vec2(612, 384), Vec2(512, 384), Vec2(512, 384));
    ASSERT_FLOAT_EQ(zoom(), 0.0f);
    EXPECT_TRUE(finite(ed->boardView()->getContentOffset()));
    EXPECT_TRUE(finite(centreOf(part)));

    // At zoom 0 a part is a point under no finger.
    app->touchDown(0, Vec2(200, 200));
    app->advance(0.1);
    EXPECT_EQ(ed->gesture().selectedPart(), circuit::kNoPart);
    app->touchUp(0);
    EXPECT_FLOAT_EQ(rec(part).rotation, 0);

    liftBoth();
    app->advance(0.6);
    EXPECT_TRUE(ed->mode().listShown());
    EXPECT_FLOAT_EQ(drawerY(), ed->drawer().hiddenY());
    EXPECT_TRUE(finite(ed->boardView()->getContentOffset()));
}

TEST_F(NavigationTest, APressThatHadNotLiftedItsPartLetsGoWhenThePinchLeaves)
{
    const PartId part = place(PartTypes::straight, Vec2(1024, 768));
    const Vec2 onPart = centreOf(part);
    app->touchDown(1, onPart);
    app->touchDown(2, onPart + Vec2(200, 0));
    ASSERT_EQ(ed->gesture().selectedPart(), part);
    app->touchMove(1, onPart + Vec2(80, 0));
    app->touchMove(2, onPart + Vec2(120, 0));
    app->frame();
    ASSERT_LE(zoom(), 0.3f);
    app->touchUp(2);
    EXPECT_TRUE(ed->mode().listShown());
    EXPECT_EQ(ed->gesture().selectedPart(), circuit::kNoPart);
    app->touchUp(1);
    app->advance(0.1);
    EXPECT_TRUE(model().empty()) << "the circuit closed, untouched";
    EXPECT_TRUE(ed->boardView()->isTouchEnabled());
}

TEST_F(NavigationTest, WheelIsOffWhileTheDrawerIsOpen)
{
    ed->slideDrawer(true);
    EXPECT_FALSE(ed->mode().wheelEnabled());
    app->wheel(0.1f, Vec2(512, 384));
    EXPECT_FLOAT_EQ(zoom(), 1.0f);

    enableWheel();
    EXPECT_TRUE(ed->mode().wheelEnabled());
    app->wheel(0.1f, Vec2(512, 384));
    EXPECT_FLOAT_EQ(zoom(), 1.1f) << "one notch, at once";
    app->wheel(-0.1f, Vec2(512, 384));
    app->wheel(-0.1f, Vec2(512, 384));
    EXPECT_FLOAT_EQ(zoom(), 0.9f);
    app->wheel(0.5f, Vec2(512, 384));
    EXPECT_FLOAT_EQ(zoom(), 1.4f) << "the whole scroll amount, not a share of it";
    app->wheel(3.0f, Vec2(512, 384));
    EXPECT_FLOAT_EQ(zoom(), 2.0f);

    ed->slideDrawer(true);
    EXPECT_FALSE(ed->mode().wheelEnabled());
    app->wheel(-0.1f, Vec2(512, 384));
    EXPECT_FLOAT_EQ(zoom(), 2.0f);
    ed->peekDrawer(true);
    EXPECT_FALSE(ed->mode().wheelEnabled()) << "peeking leaves the wheel alone";
    ed->slideDrawer(false);
    ed->peekDrawer(false);
    EXPECT_TRUE(ed->mode().wheelEnabled());
}

TEST_F(NavigationTest, WheelToPoint4SettlesAtPoint5After31Hundredths)
{
    enableWheel();
    ed->boardView()->setZoomScale(0.5f, false);
    app->wheel(-0.1f, Vec2(512, 384));
    EXPECT_FLOAT_EQ(zoom(), 0.4f);
    app->advance(0.3);
    EXPECT_FLOAT_EQ(zoom(), 0.4f);
    app->advance(0.05);
    EXPECT_FLOAT_EQ(zoom(), 0.5f);
    EXPECT_FALSE(ed->mode().listShown());
}

TEST_F(NavigationTest, AWheelBurstEndsInOneSettleAfterItsLastStep)
{
    enableWheel();
    ed->boardView()->setZoomScale(0.8f, false);
    for (int i = 0; i < 4; ++i) {
        app->wheel(-0.1f, Vec2(512, 384));
        if (i < 3) app->advance(0.1);
    }
    EXPECT_NEAR(zoom(), 0.4f, 1e-5);
    ASSERT_TRUE(ed->navigation().scrolled());
    // The settles of the first three steps find a newer step and do nothing.
    app->advance(0.3);
    EXPECT_NEAR(zoom(), 0.4f, 1e-5);
    EXPECT_TRUE(ed->navigation().scrolled());
    app->advance(0.05);
    EXPECT_FLOAT_EQ(zoom(), 0.5f);
    EXPECT_FALSE(ed->navigation().scrolled()) << "zoom finished, then touch finished";
    ed->navigation().setScrolled(true);
    app->advance(1.0);
    EXPECT_TRUE(ed->navigation().scrolled()) << "no second pair";
}

TEST_F(NavigationTest, WheelToPoint2OrToZeroLeavesTheBoard)
{
    enableWheel();
    ed->boardView()->setZoomScale(0.5f, false);
    app->wheel(-0.3f, Vec2(512, 384));
    app->advance(0.3);
    EXPECT_FALSE(ed->mode().listShown());
    app->advance(0.05);
    EXPECT_TRUE(ed->mode().listShown());
    EXPECT_FALSE(ed->mode().drawerPeeking());

    ed->showSavedList(false);
    ed->boardView()->setZoomScale(0.5f, false);
    for (int i = 0; i < 6; ++i) app->wheel(-0.1f, Vec2(512, 384));
    EXPECT_FLOAT_EQ(zoom(), 0.0f);
    EXPECT_TRUE(finite(ed->boardView()->getContentOffset()));
    app->advance(0.35);
    EXPECT_TRUE(ed->mode().listShown());
    EXPECT_TRUE(finite(ed->boardView()->getContentOffset()));
}

TEST_F(NavigationTest, APartInTheHandKeepsTheBoardAndStaysFiniteAtZoomZero)
{
    enableWheel();
    const PartId part = place(PartTypes::straight, Vec2(1024, 768));
    liftPart(part);
    ASSERT_TRUE(ed->gesture().isDragging());
    for (int i = 0; i < 12; ++i) app->wheel(-0.1f, Vec2(512, 384));
    ASSERT_FLOAT_EQ(zoom(), 0.0f);
    moveBy(Vec2(40, -30));
    EXPECT_TRUE(finite(rec(part).position));
    EXPECT_EQ(rec(part).position, Vec2(1024, 768));

    app->advance(0.35);
    EXPECT_FALSE(ed->mode().listShown()) << "the board does not close under a lifted part";
    EXPECT_FLOAT_EQ(zoom(), 0.5f);
    moveBy(Vec2(10, 0));
    EXPECT_EQ(rec(part).position, Vec2(1044, 768)) << "10 points at zoom 0.5";
    release();
    EXPECT_FALSE(ed->gesture().isDragging());
    EXPECT_TRUE(ed->boardView()->isTouchEnabled());
    EXPECT_TRUE(model().contains(part));
}

TEST_F(NavigationTest, AStillTapOnACoastingBoardOnlyStopsIt)
{
    const PartId part = place(PartTypes::straight, Vec2(1024, 768));
    // A quick flick to the left: the board coasts on after the finger.
    finger = Vec2(700, 300);
    app->touchDown(0, finger);
    for (int i = 0; i < 4; ++i) moveBy(Vec2(-30, 0));
    app->touchUp(0);
    app->frame();
    app->frame();
    ASSERT_TRUE(ed->navigation().scrolled()) << "still coasting";

    tapAt(centreOf(part));
    EXPECT_TRUE(ed->guard().tapBlocked());
    EXPECT_FALSE(ed->navigation().scrolled());
    EXPECT_EQ(ed->guard().travel(), Vec2::ZERO);
    EXPECT_FLOAT_EQ(rec(part).rotation, 0) << "stopping the board turns nothing";
    app->advance(0.5);

    // On a board at rest the same tap turns the part.
    tapAt(centreOf(part));
    EXPECT_FALSE(ed->guard().tapBlocked());
    EXPECT_FLOAT_EQ(rec(part).rotation, 45);

    // A touch that moved is no scroll stop, even while coasting.
    ed->navigation().setScrolled(true);
    app->touchDown(0, Vec2(200, 200));
    app->touchMove(0, Vec2(202, 200));
    app->touchUp(0);
    EXPECT_FALSE(ed->guard().tapBlocked());
    EXPECT_EQ(ed->guard().travel(), Vec2::ZERO);
    app->frame();
}

TEST_F(NavigationTest, EachScrollViewKeepsItsOwnScrolledMark)
{
    ed->navigation().setScrolled(true);
    ed->savedList().setScrolled(true);
    ed->savedList().scrollViewTouchFinished(ed->savedList().view());
    EXPECT_FALSE(ed->savedList().scrolled());
    EXPECT_TRUE(ed->navigation().scrolled()) << "the list's touch says nothing of the board";
    ed->onBoardTouchFinished(ed->boardView());
    EXPECT_FALSE(ed->navigation().scrolled());

    // The saved list's view is not the board: its zoom end changes nothing.
    ed->boardView()->setZoomScale(0.2f, false);
    ed->onBoardZoomFinished(ed->savedList().view());
    EXPECT_FALSE(ed->mode().listShown());
    EXPECT_FLOAT_EQ(zoom(), 0.2f);
}
