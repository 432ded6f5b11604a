#include "2d/CCActionInstant.h"
#include "2d/CCActionInterval.h"
#include "ActionTestSupport.h"

using namespace cocos2d;
using veloquix_test::ActionTest;
using veloquix_test::kFrame;
using veloquix_test::ProbeNode;

using ActionPausing = ActionTest;

TEST_F(ActionPausing, ActionOnANodeOutsideTheSceneWaitsUntilItEnters)
{
    Node* node = attach(Node::create(), false);
    node->runAction(MoveBy::create(0.1f, Vec2(60, 0)));
    EXPECT_TRUE(manager->isTargetPaused(node));
    tick(30);
    EXPECT_EQ(node->getPositionX(), 0.0f);
    node->onEnter();
    EXPECT_FALSE(manager->isTargetPaused(node));
    tick(4);
    EXPECT_NEAR(node->getPositionX(), 30.0f, 1e-3f);
}

TEST_F(ActionPausing, LeavingTheScenePausesAndComingBackResumes)
{
    Node* node = runningNode();
    node->runAction(MoveBy::create(0.1f, Vec2(60, 0)));
    tick(4);
    node->onExit();
    tick(30);
    EXPECT_NEAR(node->getPositionX(), 30.0f, 1e-3f);
    node->onEnter();
    tick(3);
    EXPECT_EQ(node->getPositionX(), 60.0f);
}

using ActionOrder = ActionTest;

TEST_F(ActionOrder, ActionsOfOneNodeRunInOrderOfAddition)
{
    Node* node = runningNode();
    node->runAction(CallFunc::create([&] { log.push_back("first"); }));
    node->runAction(CallFunc::create([&] { log.push_back("second"); }));
    Node* other = runningNode();
    other->runAction(CallFunc::create([&] { log.push_back("other"); }));
    node->runAction(CallFunc::create([&] { log.push_back("third"); }));
    tick(1);
    EXPECT_EQ(log, (std::vector<std::string>{"first", "second", "third", "other"}));
}

TEST_F(ActionOrder, ActionRunFromACallbackStartsInTheSameFrame)
{
    Node* node = runningNode();
    node->runAction(CallFunc::create([&] { node->runAction(MoveTo::create(0.1f, Vec2(60, 0))); }));
    tick(1);
    EXPECT_EQ(node->getNumberOfRunningActions(), 1);
    tick(3);
    EXPECT_NEAR(node->getPositionX(), 30.0f, 1e-3f);
}

using ActionTags = ActionTest;

TEST_F(ActionTags, StopByTagStopsTheFirstAndStopAllByTagEvery)
{
    Node* node = runningNode();
    for (int i = 0; i < 3; ++i) node->runAction(RotateBy::create(1, 10))->setTag(7);
    node->runAction(RotateBy::create(1, 10))->setTag(8);
    node->runAction(RotateBy::create(1, 10));
    EXPECT_EQ(node->getActionByTag(8)->getTag(), 8);
    EXPECT_EQ(node->getActionByTag(9), nullptr);
    EXPECT_EQ(node->getActionByTag(Action::INVALID_TAG), nullptr);
    node->stopActionByTag(7);
    EXPECT_EQ(node->getNumberOfRunningActions(), 4);
    node->stopAllActionsByTag(7);
    EXPECT_EQ(node->getNumberOfRunningActions(), 2);
    EXPECT_EQ(manager->getNumberOfRunningActions(), 2);
    node->stopAllActionsByTag(8);
    node->stopAllActions();
    EXPECT_EQ(node->getNumberOfRunningActions(), 0);
    EXPECT_EQ(manager->getNumberOfRunningActions(), 0);
}

using ActionRemoval = ActionTest;

TEST_F(ActionRemoval, CallbackStoppingItsOwnAndOtherActionsIsSafe)
{
    Node* node = runningNode();
    auto* slide = node->runAction(MoveBy::create(1.0f, Vec2(600, 0)));
    auto* before = node->runAction(RotateBy::create(1.0f, 60));
    Action* self = nullptr;
    self = node->runAction(Sequence::create(DelayTime::create(0.05f), CallFunc::create([&] {
                                                node->stopAction(slide);
                                                node->stopAction(before);
                                                node->stopAction(self);
                                                node->runAction(FadeTo::create(0.05f, 0));
                                            }),
                                            nullptr));
    node->runAction(ScaleBy::create(1.0f, 2.0f));
    tick(4);
    EXPECT_EQ(node->getNumberOfRunningActions(), 2);
    EXPECT_EQ(manager->getNumberOfRunningActions(), 2);
    const float x = node->getPositionX();
    const float rotation = node->getRotation();
    const float scale = node->getScale();
    tick(3);
    EXPECT_EQ(node->getPositionX(), x);
    EXPECT_EQ(node->getRotation(), rotation);
    EXPECT_GT(node->getScale(), scale);  // the action after the removed ones still runs
    EXPECT_EQ(node->getOpacity(), 0);
}

TEST_F(ActionRemoval, StopAllThenRunFromACallbackKeepsOnlyTheNewAction)
{
    Node* node = runningNode();
    node->runAction(MoveBy::create(1.0f, Vec2(600, 0)));
    node->runAction(CallFunc::create([&] {
        node->stopAllActions();
        node->runAction(MoveTo::create(0.1f, Vec2(0, 60)));
    }));
    node->runAction(RotateBy::create(1.0f, 60));
    tick(1);
    EXPECT_EQ(node->getNumberOfRunningActions(), 1);
    tick(6);
    EXPECT_EQ(node->getRotation(), 0.0f);
    EXPECT_EQ(node->getPosition(), Vec2(0, 60));
}

TEST_F(ActionRemoval, CallbackStoppingAnotherNodesActionsIsSafe)
{
    Node* a = runningNode();
    Node* b = runningNode();
    Node* c = runningNode();
    // a's actions are stepped first, so b and c never move.
    a->runAction(CallFunc::create([&] {
        b->stopAllActions();
        c->stopAllActions();
        manager->removeAllActionsFromTarget(a);
    }));
    a->runAction(RotateBy::create(1.0f, 90));
    b->runAction(MoveBy::create(1.0f, Vec2(600, 0)));
    c->runAction(MoveBy::create(1.0f, Vec2(600, 0)));
    tick(2);
    EXPECT_EQ(manager->getNumberOfRunningActions(), 0);
    EXPECT_EQ(b->getPositionX(), 0.0f);
    EXPECT_EQ(c->getPositionX(), 0.0f);
    EXPECT_EQ(a->getRotation(), 0.0f);
}

TEST_F(ActionRemoval, RemoveSelfWithCleanupRemovesAndReleasesTheNodeAfterItsStep)
{
    Node* parent = runningNode();
    bool destroyed = false;
    auto* part = attach(ProbeNode::create(&destroyed), false);
    parent->addChild(part);
    parent->retain();
    drainPool();  // only the parent holds the part now
    part->runAction(RotateBy::create(1.0f, 90));
    part->runAction(Spawn::create(Sequence::create(DelayTime::create(0.1f), RemoveSelf::create(true), nullptr),
                                  MoveBy::create(0.1f, Vec2(10, 0)), nullptr));
    tick(6);
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(parent->getChildrenCount(), 1);
    tick(1);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(parent->getChildrenCount(), 0);
    EXPECT_EQ(manager->getNumberOfRunningActions(), 0);
    parent->release();
}

TEST_F(ActionRemoval, RemoveSelfWithoutCleanupLeavesTheActionsPaused)
{
    Node* parent = runningNode();
    Node* part = attach(Node::create(), false);
    parent->addChild(part);
    part->runAction(RotateBy::create(1.0f, 90));
    part->runAction(RemoveSelf::create(false));
    tick(1);
    EXPECT_EQ(part->getParent(), nullptr);
    EXPECT_EQ(part->getNumberOfRunningActions(), 1);
    EXPECT_TRUE(manager->isTargetPaused(part));
}

TEST_F(ActionRemoval, ManagerKeepsARunningTargetAliveUntilItsActionsEnd)
{
    bool destroyed = false;
    auto* node = attach(ProbeNode::create(&destroyed));
    node->runAction(MoveBy::create(0.05f, Vec2(1, 0)));
    drainPool();
    tick(3);
    EXPECT_FALSE(destroyed);
    tick(1);
    EXPECT_TRUE(destroyed);
}

TEST_F(ActionRemoval, TargetedActionKeepsItsOtherNodeAlive)
{
    Node* view = runningNode();
    view->retain();
    bool destroyed = false;
    auto* form = ProbeNode::create(&destroyed);
    view->runAction(TargetedAction::create(form, MoveBy::create(0.05f, Vec2(0, 5))));
    drainPool();
    ASSERT_FALSE(destroyed);
    tick(3);
    EXPECT_FALSE(destroyed);
    tick(1);
    EXPECT_TRUE(destroyed);
    view->release();
}
