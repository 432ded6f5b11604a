#include <gtest/gtest.h>

#include "EngineHarness.h"
#include "extensions/cocos-ext.h"

USING_NS_CC;
using extension::ScrollView;

namespace {

const Color4B kRed(255, 0, 0, 255);
const Color4B kGreen(0, 255, 0, 255);

// A view of the given size at a position, its container filled with colour.
ScrollView* addFilledView(Node* parent, const Rect& frame, const Color4B& color)
{
    ScrollView* view = ScrollView::create(frame.size, nullptr);
    view->setPosition(frame.origin);
    view->setContentSize(Size(2048, 1536));
    view->setContentOffset(Vec2(-500, -500));
    view->addChild(LayerColor::create(color, 2048, 1536));
    parent->addChild(view);
    return view;
}

// The colour at a design point of the last frame.
Color4B colorAt(EngineHarness& h, Image* image, const Vec2& point)
{
    Vec2 pixel = h.director()->getOpenGLView()->designToWindow(point);
    return EngineHarness::pixelAt(image, int(pixel.x), int(pixel.y));
}

bool same(const Color4B& a, const Color4B& b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

} // namespace

TEST(ScrollClip, NothingIsDrawnOutsideTheViewRectangle)
{
    EngineHarness h;
    ScrollView* view = addFilledView(h.scene(), Rect(100, 100, 200, 150), kRed);
    h.frame();
    Image* image = h.capture();
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(same(colorAt(h, image, Vec2(105, 105)), kRed));
    EXPECT_TRUE(same(colorAt(h, image, Vec2(295, 245)), kRed));
    EXPECT_TRUE(same(colorAt(h, image, Vec2(95, 150)), Color4B::BLACK));
    EXPECT_TRUE(same(colorAt(h, image, Vec2(305, 150)), Color4B::BLACK));
    EXPECT_TRUE(same(colorAt(h, image, Vec2(200, 255)), Color4B::BLACK));
    EXPECT_TRUE(same(colorAt(h, image, Vec2(200, 95)), Color4B::BLACK));
    EXPECT_TRUE(view->isClippingToBounds());
    EXPECT_FALSE(h.director()->getOpenGLView()->isScissorEnabled());

    view->setClippingToBounds(false);
    h.frame();
    image = h.capture();
    EXPECT_TRUE(same(colorAt(h, image, Vec2(600, 600)), kRed));
}

TEST(ScrollClip, TheRectangleFollowsTheViewsWorldTransformAtDrawTime)
{
    EngineHarness h;
    Node* holder = Node::create();
    h.scene()->addChild(holder);
    addFilledView(holder, Rect(100, 100, 400, 400), kRed);
    h.frame();
    holder->setScale(0.5f);
    holder->setPosition(Vec2(300, 0));
    h.frame();
    Image* image = h.capture();
    // Now the view covers (350, 50) to (550, 250).
    EXPECT_TRUE(same(colorAt(h, image, Vec2(360, 60)), kRed));
    EXPECT_TRUE(same(colorAt(h, image, Vec2(540, 240)), kRed));
    EXPECT_TRUE(same(colorAt(h, image, Vec2(340, 100)), Color4B::BLACK));
    EXPECT_TRUE(same(colorAt(h, image, Vec2(560, 100)), Color4B::BLACK));
    EXPECT_TRUE(same(colorAt(h, image, Vec2(450, 260)), Color4B::BLACK));
}

TEST(ScrollClip, NestedViewsIntersectAndRestoreTheOuterRectangle)
{
    EngineHarness h;
    ScrollView* outer = addFilledView(h.scene(), Rect(0, 0, 300, 300), Color4B(0, 0, 255, 255));
    outer->setContentOffset(Vec2::ZERO);
    // The inner view reaches past the outer one; green drawn after it by the
    // outer view must still be clipped to the outer rectangle only.
    ScrollView* inner = ScrollView::create(Size(300, 300), nullptr);
    inner->setPosition(Vec2(200, 200));
    inner->addChild(LayerColor::create(kRed, 2048, 1536));
    outer->addChild(inner);
    outer->addChild(LayerColor::create(kGreen, 1000, 100));
    h.frame();
    Image* image = h.capture();
    EXPECT_TRUE(same(colorAt(h, image, Vec2(250, 250)), kRed));
    EXPECT_TRUE(same(colorAt(h, image, Vec2(350, 350)), Color4B::BLACK));
    EXPECT_TRUE(same(colorAt(h, image, Vec2(250, 350)), Color4B::BLACK));
    EXPECT_TRUE(same(colorAt(h, image, Vec2(150, 150)), Color4B(0, 0, 255, 255)));
    EXPECT_TRUE(same(colorAt(h, image, Vec2(50, 50)), kGreen));
    EXPECT_TRUE(same(colorAt(h, image, Vec2(290, 50)), kGreen));
    EXPECT_TRUE(same(colorAt(h, image, Vec2(310, 50)), Color4B::BLACK));

    // Wholly outside its parent's rectangle, the inner content shows nowhere.
    inner->setPosition(Vec2(400, 400));
    h.frame();
    image = h.capture();
    EXPECT_TRUE(same(colorAt(h, image, Vec2(450, 450)), Color4B::BLACK));
}
