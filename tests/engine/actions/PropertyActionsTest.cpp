#include "2d/CCActionInstant.h"
#include "2d/CCActionInterval.h"
#include "ActionTestSupport.h"

using namespace cocos2d;
using veloquix_test::ActionTest;
using veloquix_test::kFrame;

using RotateActions = ActionTest;

TEST_F(RotateActions, RotateToTurnsTheShorterWayRound)
{
    Node* forward = runningNode();
    Node* backward = runningNode();
    Node* wound = runningNode();
    forward->setRotation(350);
    backward->setRotation(10);
    wound->setRotation(725);  // two whole turns and 5 degrees
    forward->runAction(RotateTo::create(0.1f, 10));
    backward->runAction(RotateTo::create(0.1f, 350));
    wound->runAction(RotateTo::create(0.1f, 0));
    tick(4);  // 0.05 s
    EXPECT_NEAR(forward->getRotation(), 360.0f, 1e-3f);
    EXPECT_NEAR(backward->getRotation(), 0.0f, 1e-3f);
    EXPECT_NEAR(wound->getRotation(), 2.5f, 1e-3f);
    tick(3);
    EXPECT_NEAR(forward->getRotation(), 370.0f, 1e-3f);
    EXPECT_NEAR(backward->getRotation(), -10.0f, 1e-3f);
    EXPECT_EQ(wound->getRotation(), 0.0f);
}

TEST_F(RotateActions, ZeroDurationRotateToIsImmediate)
{
    Node* node = runningNode();
    node->setRotation(1);
    node->runAction(RotateTo::create(0, -1));
    tick(1);
    EXPECT_EQ(node->getRotation(), -1.0f);
    EXPECT_EQ(node->getNumberOfRunningActions(), 0);
}

TEST_F(RotateActions, RotateByAddsToTheCurrentAngle)
{
    Node* node = runningNode();
    node->setRotation(30);
    node->runAction(RotateBy::create(0.1f, -90));
    tick(7);
    EXPECT_FLOAT_EQ(node->getRotation(), -60.0f);
}

using FadeActions = ActionTest;

TEST_F(FadeActions, FadesReachTheirOpacity)
{
    Node* in = runningNode();
    Node* out = runningNode();
    Node* to = runningNode();
    in->setOpacity(0);
    in->runAction(FadeIn::create(0.2f));
    out->runAction(FadeOut::create(0.2f));
    to->runAction(FadeTo::create(0.2f, 128));
    tick(7);  // 0.1 s
    EXPECT_NEAR(in->getOpacity(), 127, 1);
    EXPECT_NEAR(out->getOpacity(), 127, 1);
    EXPECT_NEAR(to->getOpacity(), 191, 1);
    tick(6);
    EXPECT_EQ(in->getOpacity(), 255);
    EXPECT_EQ(out->getOpacity(), 0);
    EXPECT_EQ(to->getOpacity(), 128);
}

TEST_F(FadeActions, FadeThatInterruptsAnotherStartsFromWhereItGot)
{
    Node* spinner = runningNode();
    spinner->setOpacity(0);
    spinner->runAction(FadeIn::create(0.2f))->setTag(1);
    tick(4);  // 0.05 s: a quarter of the way in
    const int reached = spinner->getOpacity();
    EXPECT_NEAR(reached, 63, 1);
    spinner->stopActionByTag(1);
    spinner->runAction(FadeOut::create(0.2f));
    tick(1);
    EXPECT_NEAR(spinner->getOpacity(), reached, 1);
    tick(6);  // 0.1 s into the fade out
    EXPECT_NEAR(spinner->getOpacity(), reached / 2, 1);
    tick(6);
    EXPECT_EQ(spinner->getOpacity(), 0);
}

using MoveActions = ActionTest;

TEST_F(MoveActions, MoveToStartsFromThePositionWhenItIsRun)
{
    Node* node = runningNode();
    node->setPosition(10, 10);
    auto* move = MoveTo::create(0.1f, Vec2(110, 10));
    node->setPosition(50, 10);
    node->runAction(move);
    tick(4);
    EXPECT_NEAR(node->getPositionX(), 80.0f, 1e-3f);
}

TEST_F(MoveActions, LaterMoveToWinsWhileBothRun)
{
    Node* drawer = runningNode();
    drawer->runAction(MoveTo::create(0.5f, Vec2(0, 100)));
    tick(7);
    const float y = drawer->getPositionY();
    drawer->runAction(MoveTo::create(0.2f, Vec2(0, -100)));
    tick(1);
    EXPECT_NEAR(drawer->getPositionY(), y, 1e-3f);
    tick(6);  // 0.1 s into the second move
    EXPECT_NEAR(drawer->getPositionY(), y + (-100 - y) * 0.5f, 1e-2f);
    tick(6);
    EXPECT_EQ(drawer->getPositionY(), -100.0f);
}

TEST_F(MoveActions, MoveByComposesWithOtherMovement)
{
    Node* node = runningNode();
    node->runAction(MoveBy::create(0.1f, Vec2(60, 0)));
    node->runAction(MoveBy::create(0.1f, Vec2(0, 30)));
    tick(4);
    node->setPosition(node->getPosition() + Vec2(1000, 0));  // a drag in the middle
    tick(3);
    EXPECT_NEAR(node->getPositionX(), 1060.0f, 1e-3f);
    EXPECT_NEAR(node->getPositionY(), 30.0f, 1e-3f);
}

TEST_F(MoveActions, ScaleToAndScaleBy)
{
    Node* node = runningNode();
    node->setScale(2.0f);
    node->runAction(ScaleBy::create(0.1f, 1.5f, 0.5f));
    tick(7);
    EXPECT_FLOAT_EQ(node->getScaleX(), 3.0f);
    EXPECT_FLOAT_EQ(node->getScaleY(), 1.0f);
    node->runAction(ScaleTo::create(0.1f, 1.0f));
    tick(4);
    EXPECT_NEAR(node->getScaleX(), 2.0f, 1e-4f);
    EXPECT_NEAR(node->getScaleY(), 1.0f, 1e-4f);
}

TEST_F(MoveActions, InstantsShowHideAndPlace)
{
    Node* node = runningNode();
    node->runAction(Sequence::create(Hide::create(), Place::create(Vec2(3, 4)), nullptr));
    tick(1);
    EXPECT_FALSE(node->isVisible());
    EXPECT_EQ(node->getPosition(), Vec2(3, 4));
    node->runAction(Show::create());
    tick(1);
    EXPECT_TRUE(node->isVisible());
}

using ActionCopies = ActionTest;

TEST_F(ActionCopies, CloneRunsLikeTheOriginalAndReverseUndoes)
{
    Node* a = runningNode();
    Node* b = runningNode();
    auto* original = Sequence::create(MoveBy::create(0.1f, Vec2(10, 5)), RotateBy::create(0.1f, 45), nullptr);
    a->runAction(original->clone());
    b->runAction(Sequence::create(original, original->reverse(), nullptr));
    tick(13);
    EXPECT_EQ(a->getPosition(), Vec2(10, 5));
    EXPECT_FLOAT_EQ(a->getRotation(), 45.0f);
    tick(12);
    EXPECT_NEAR(b->getPositionX(), 0.0f, 1e-4f);
    EXPECT_NEAR(b->getPositionY(), 0.0f, 1e-4f);
    EXPECT_NEAR(b->getRotation(), 0.0f, 1e-4f);
    EXPECT_EQ(MoveTo::create(0.1f, Vec2(1, 1))->reverse(), nullptr);
}
