#include <cmath>

#include "ScrollTestSupport.h"

USING_NS_CC;
using extension::ScrollView;

namespace {
bool finite(const Vec2& v) { return std::isfinite(v.x) && std::isfinite(v.y); }
} // namespace

class ScrollZoom : public ScrollFixture {
protected:
    void SetUp() override
    {
        ScrollFixture::SetUp();
        view->setMinScale(0.0f);
        view->setMaxScale(2.0f);
    }

    // Two fingers down at a and b, then moved to c and d.
    void pinch(Vec2 a, Vec2 b, Vec2 c, Vec2 d)
    {
        h.touchDown(0, a);
        h.touchDown(1, b);
        h.touchMove(0, c);
        h.touchMove(1, d);
        h.frame();
    }
};

TEST_F(ScrollZoom, PinchFrom200To100PointsApartHalvesTheZoomAboutTheMidpoint)
{
    Vec2 mid(512, 384);
    Vec2 content = view->getContainer()->convertToNodeSpace(mid);
    pinch(Vec2(412, 384), Vec2(612, 384), Vec2(462, 384), Vec2(562, 384));
    EXPECT_FLOAT_EQ(view->getZoomScale(), 0.5f);
    Vec2 back = view->getContainer()->convertToWorldSpace(content);
    EXPECT_NEAR(back.x, mid.x, 1e-3f);
    EXPECT_NEAR(back.y, mid.y, 1e-3f);
    EXPECT_GT(rec.zooms, 0);
    EXPECT_FALSE(view->isTouchMoved());

    liftTogether({0, 1}, {Vec2(462, 384), Vec2(562, 384)});
    h.advance(0.5);
    EXPECT_EQ(rec.gestures(), (Log{"zoomFinished", "touchFinished"}));
    EXPECT_FLOAT_EQ(view->getZoomScale(), 0.5f);
}

TEST_F(ScrollZoom, LiftingOneFingerEndsTheZoomAndTheLastEndsTheTouch)
{
    pinch(Vec2(400, 300), Vec2(600, 300), Vec2(350, 300), Vec2(650, 300));
    EXPECT_FLOAT_EQ(view->getZoomScale(), 1.5f);
    h.touchUp(1);
    EXPECT_EQ(rec.gestures(), (Log{"zoomFinished"}));
    // The remaining finger neither zooms nor drags.
    Vec2 before = offset();
    h.touchMove(0, Vec2(100, 100));
    EXPECT_EQ(offset(), before);
    EXPECT_FLOAT_EQ(view->getZoomScale(), 1.5f);
    h.touchUp(0);
    h.advance(0.5);
    EXPECT_EQ(rec.gestures(), (Log{"zoomFinished", "touchFinished"}));
    EXPECT_EQ(below, (Log{"began0", "began1", "moved0", "moved1", "ended1", "moved0", "ended0"}));
}

TEST_F(ScrollZoom, OffCentrePinchKeepsTheContentUnderTheMidpoint)
{
    Vec2 mid(300, 250);
    Vec2 content = view->getContainer()->convertToNodeSpace(mid);
    pinch(Vec2(250, 200), Vec2(350, 300), Vec2(200, 150), Vec2(400, 350));
    EXPECT_FLOAT_EQ(view->getZoomScale(), 2.0f);
    Vec2 back = view->getContainer()->convertToWorldSpace(content);
    EXPECT_NEAR(back.x, mid.x, 1e-3f);
    EXPECT_NEAR(back.y, mid.y, 1e-3f);
}

TEST_F(ScrollZoom, PinchIsClampedToMinAndMaxScale)
{
    view->setMinScale(0.5f);
    pinch(Vec2(450, 384), Vec2(550, 384), Vec2(100, 384), Vec2(900, 384));
    EXPECT_FLOAT_EQ(view->getZoomScale(), 2.0f);
    h.touchMove(0, Vec2(500, 384));
    h.touchMove(1, Vec2(510, 384));
    EXPECT_FLOAT_EQ(view->getZoomScale(), 0.5f);
    h.touchUp(0);
    h.touchUp(1);

    view->setZoomScale(5.0f);
    EXPECT_FLOAT_EQ(view->getZoomScale(), 2.0f);
    view->setZoomScale(0.1f);
    EXPECT_FLOAT_EQ(view->getZoomScale(), 0.5f);
}

TEST_F(ScrollZoom, AThirdFingerAndASecondFingerAfterADragAreNotClaimed)
{
    h.touchDown(0, Vec2(400, 384));
    h.touchDown(1, Vec2(600, 384));
    h.touchDown(2, Vec2(500, 500));
    h.touchMove(2, Vec2(100, 100));
    EXPECT_FLOAT_EQ(view->getZoomScale(), 1.0f);
    EXPECT_EQ(rec.zooms, 0);
    h.touchUp(2);
    EXPECT_TRUE(rec.gestures().empty());
    h.touchUp(0);
    h.touchUp(1);
    EXPECT_EQ(rec.gestures(), (Log{"zoomFinished", "touchFinished"}));

    rec.log.clear();
    drag(0, Vec2(500, 400), Vec2(450, 400), 2);
    h.touchDown(1, Vec2(700, 400));
    h.touchMove(1, Vec2(900, 400));
    EXPECT_FLOAT_EQ(view->getZoomScale(), 1.0f);
    h.touchUp(1);
    h.touchUp(0);
    EXPECT_EQ(rec.gestures(), (Log{"touchFinished"}));
}

TEST_F(ScrollZoom, ZoomScaleZeroDoesNotTrapAndConversionsStayFinite)
{
    pinch(Vec2(400, 384), Vec2(600, 384), Vec2(500, 384), Vec2(500, 384));
    EXPECT_FLOAT_EQ(view->getZoomScale(), 0.0f);
    Node* container = view->getContainer();
    EXPECT_TRUE(finite(container->convertToNodeSpace(Vec2(100, 100))));
    EXPECT_TRUE(finite(container->convertToWorldSpace(Vec2(100, 100))));
    EXPECT_TRUE(finite(offset()));
    liftTogether({0, 1}, {Vec2(500, 384), Vec2(500, 384)});
    EXPECT_EQ(rec.gestures(), (Log{"zoomFinished", "touchFinished"}));
    h.advance(0.5);
    EXPECT_TRUE(finite(offset()));

    // A pinch that starts at scale 0 stays there; nothing divides by it.
    pinch(Vec2(450, 384), Vec2(550, 384), Vec2(100, 384), Vec2(900, 384));
    EXPECT_FLOAT_EQ(view->getZoomScale(), 0.0f);
    EXPECT_TRUE(finite(offset()));
    h.touchUp(0);
    h.touchUp(1);

    // A new gesture on a view at scale 0, then back to a usable zoom.
    drag(0, Vec2(500, 400), Vec2(400, 300), 3);
    h.touchUp(0);
    h.advance(1.0);
    EXPECT_TRUE(finite(offset()));
    view->setZoomScale(1.0f);
    view->setContentOffset(Vec2(-512, -384));
    h.frame();
    EXPECT_EQ(offset(), Vec2(-512, -384));
    EXPECT_TRUE(finite(container->convertToNodeSpace(Vec2(100, 100))));
}

TEST_F(ScrollZoom, SetZoomScaleZoomsAboutTheViewCentreAndNotifiesZoomThenScroll)
{
    Vec2 centre(512, 384);
    Vec2 content = view->getContainer()->convertToNodeSpace(centre);
    view->setZoomScale(2.0f);
    EXPECT_EQ(rec.log, (Log{"zoom", "scroll"}));
    Vec2 back = view->getContainer()->convertToWorldSpace(content);
    EXPECT_NEAR(back.x, centre.x, 1e-3f);
    EXPECT_NEAR(back.y, centre.y, 1e-3f);
    view->setZoomScale(2.0f);
    EXPECT_EQ(rec.log.size(), 2u);
}

TEST_F(ScrollZoom, AnimatedZoomTakes015Seconds)
{
    view->setZoomScale(2.0f, true);
    EXPECT_FLOAT_EQ(view->getZoomScale(), 1.0f);
    h.advance(0.05);
    EXPECT_GT(view->getZoomScale(), 1.0f);
    EXPECT_LT(view->getZoomScale(), 2.0f);
    // The first frame of an animation is its start, as for every action.
    h.advance(0.1);
    h.frame();
    EXPECT_FLOAT_EQ(view->getZoomScale(), 2.0f);
    int zooms = rec.zooms;
    h.advance(0.2);
    EXPECT_EQ(rec.zooms, zooms);
    EXPECT_TRUE(rec.gestures().empty());
}
