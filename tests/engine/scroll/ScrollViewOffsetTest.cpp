#include "ScrollTestSupport.h"

USING_NS_CC;
using extension::ScrollView;

using ScrollOffset = ScrollFixture;

TEST_F(ScrollOffset, AnimatedOffsetMovesOverItsDurationReportingEachFrame)
{
    view->setContentOffsetInDuration(Vec2(-112, -84), 0.5f);
    EXPECT_EQ(offset(), Vec2(-512, -384));
    EXPECT_TRUE(view->getContainer()->getNumberOfRunningActions() > 0);
    h.advance(0.25);
    float done = (offset().x + 512.0f) / 400.0f;
    EXPECT_GT(done, 0.4f);
    EXPECT_LE(done, 0.5f);
    EXPECT_NEAR((offset().y + 384.0f) / 300.0f, done, 1e-3f);
    int midway = rec.scrolls;
    EXPECT_GE(midway, 14);
    h.advance(0.25);
    h.frame();
    EXPECT_EQ(offset(), Vec2(-112, -84));
    int atEnd = rec.scrolls;
    EXPECT_GT(atEnd, midway);
    h.advance(0.5);
    EXPECT_EQ(rec.scrolls, atEnd);
}

TEST_F(ScrollOffset, AnimatedSetContentOffsetTakes015Seconds)
{
    view->setContentOffset(Vec2(-600, -400), true);
    h.advance(0.1);
    EXPECT_GT(offset().x, -600.0f);
    h.advance(0.05);
    h.frame();
    EXPECT_EQ(offset(), Vec2(-600, -400));
}

TEST_F(ScrollOffset, APlainOffsetOrAFingerStopsAnimationAndInertia)
{
    view->setContentOffsetInDuration(Vec2(0, 0), 0.5f);
    h.advance(0.1);
    view->setContentOffset(Vec2(-700, -500));
    h.advance(0.5);
    EXPECT_EQ(offset(), Vec2(-700, -500));

    drag(0, Vec2(900, 400), Vec2(700, 400), 4);
    h.touchUp(0);
    h.frame();
    view->setContentOffset(Vec2(-300, -300));
    h.advance(1.0);
    EXPECT_EQ(offset(), Vec2(-300, -300));

    view->setContentOffsetInDuration(Vec2(0, 0), 0.5f);
    h.advance(0.1);
    h.touchDown(0, Vec2(500, 400));
    Vec2 held = offset();
    h.advance(0.5);
    EXPECT_EQ(offset(), held);
    h.touchUp(0);
}

TEST_F(ScrollOffset, ContainerTakesChildrenAndTheContentSize)
{
    Node* container = view->getContainer();
    EXPECT_EQ(view->getContentSize(), Size(2048, 1536));
    EXPECT_EQ(container->getContentSize(), Size(2048, 1536));
    EXPECT_EQ(view->getViewSize(), Size(1024, 768));

    Node* part = Node::create();
    view->addChild(part);
    Node* named = Node::create();
    view->addChild(named, 2, "named");
    EXPECT_EQ(part->getParent(), container);
    EXPECT_EQ(container->getChildByName("named"), named);
    view->removeChild(part, true);
    EXPECT_EQ(part->getParent(), nullptr);
    EXPECT_EQ(container->getChildrenCount(), 1);
    EXPECT_EQ(container->getParent(), view);
}

TEST_F(ScrollOffset, ReplacedContainerIsAnchoredAtItsCorner)
{
    Node* other = Node::create();
    other->setAnchorPoint(Vec2(0.5f, 0.5f));
    other->setContentSize(Size(500, 300));
    view->setContainer(other);
    EXPECT_EQ(view->getContainer(), other);
    EXPECT_EQ(other->getAnchorPoint(), Vec2::ZERO);
    EXPECT_EQ(view->getContentSize(), Size(500, 300));
    EXPECT_EQ(view->getChildrenCount(), 1);
}

TEST_F(ScrollOffset, ContentSmallerThanTheViewRestsAtTheTopLeft)
{
    view->setContentSize(Size(400, 300));
    view->setContentOffset(Vec2(0, 0));
    drag(0, Vec2(500, 400), Vec2(450, 380), 3);
    h.advance(0.1);
    h.touchUp(0);
    h.advance(0.5);
    EXPECT_EQ(offset(), Vec2(0, 768 - 300));
}

TEST_F(ScrollOffset, WithoutBounceOffsetsAreClampedToTheBounds)
{
    view->setBounceable(false);
    view->setContentOffset(Vec2(100, -2000));
    EXPECT_EQ(offset(), Vec2(0, -768));
}

TEST_F(ScrollOffset, NodeVisibilityFollowsTheViewRectangle)
{
    Node* near = Node::create();
    near->setContentSize(Size(10, 10));
    near->setPosition(Vec2(600, 400));
    Node* far = Node::create();
    far->setContentSize(Size(10, 10));
    far->setPosition(Vec2(100, 100));
    view->addChild(near);
    view->addChild(far);
    EXPECT_TRUE(view->isNodeVisible(near));
    EXPECT_FALSE(view->isNodeVisible(far));
    EXPECT_TRUE(view->getViewRect().equals(Rect(0, 0, 1024, 768)));
}
