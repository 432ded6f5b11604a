#include <string>

#include "2d/CCActionEase.h"
#include "2d/CCActionInstant.h"
#include "2d/CCActionInterval.h"
#include "ActionTestSupport.h"

using namespace cocos2d;
using veloquix_test::ActionTest;
using veloquix_test::kFrame;

namespace {

// The failure shake, ending at the node's home position.
Sequence* shake(const Vec2& home)
{
    return Sequence::create(MoveBy::create(0.02f, Vec2(0, 5)), RotateTo::create(0, 1), MoveBy::create(0.05f, Vec2(0, -5)),
                            RotateTo::create(0, -1), MoveBy::create(0.05f, Vec2(0, 4)), RotateTo::create(0, 1),
                            MoveBy::create(0.05f, Vec2(0, -4)), RotateTo::create(0, -1), MoveBy::create(0.05f, Vec2(0, 2)),
                            RotateTo::create(0, 1), MoveBy::create(0.05f, Vec2(0, -2)), RotateTo::create(0, -1),
                            MoveTo::create(0.02f, home), RotateTo::create(0.05f, 0), nullptr);
}

} // namespace

class SequenceTiming : public ActionTest {
protected:
    CallFunc* note(const std::string& text)
    {
        return CallFunc::create([this, text] { log.push_back(text + "@" + std::to_string(frame)); });
    }
    void frames(int count)
    {
        for (int i = 0; i < count; ++i) {
            tick();
            ++frame;
        }
    }
    int frame = 0;
};

TEST_F(SequenceTiming, FramesOfAnAnimationFireOnTheirFrameAndTheNodeGoesLast)
{
    Node* parent = runningNode();
    Node* part = attach(Node::create(), false);
    parent->addChild(part);
    ASSERT_TRUE(part->isRunning());
    part->runAction(Sequence::create(note("frame1"), DelayTime::create(0.1f), note("frame2"), DelayTime::create(0.1f),
                                     note("frame3"), DelayTime::create(0.1f), note("frame4"), DelayTime::create(0.1f),
                                     RemoveSelf::create(true), nullptr));
    frames(24);
    EXPECT_EQ(part->getParent(), parent);
    frames(1);  // 0.4 s after the start
    EXPECT_EQ(part->getParent(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"frame1@0", "frame2@6", "frame3@12", "frame4@18"}));
    EXPECT_EQ(parent->getChildrenCount(), 0);
}

TEST_F(SequenceTiming, NestedSequencesRunInOrderEvenWhenOneFrameCrossesEveryBoundary)
{
    Node* node = runningNode();
    node->runAction(Sequence::create(Sequence::create(note("a"), DelayTime::create(0.05f), nullptr),
                                     Sequence::create(note("b"), DelayTime::create(0.05f), note("c"), nullptr),
                                     MoveBy::create(0.1f, Vec2(10, 0)), note("d"), nullptr));
    frames(1);
    EXPECT_EQ(log, (std::vector<std::string>{"a@0"}));
    tick(1, 1.0f);
    EXPECT_EQ(log, (std::vector<std::string>{"a@0", "b@1", "c@1", "d@1"}));
    EXPECT_EQ(node->getPositionX(), 10.0f);
    EXPECT_EQ(node->getNumberOfRunningActions(), 0);
}

TEST_F(SequenceTiming, FirstActionFinishesBeforeTheSecondStartsInTheSameFrame)
{
    Node* node = runningNode();
    node->runAction(Sequence::createWithTwoActions(MoveBy::create(0.1f, Vec2(100, 0)), MoveBy::create(0.1f, Vec2(0, 100))));
    tick(5);  // 4/60 s
    EXPECT_NEAR(node->getPositionX(), 100 * (4.0f / 6.0f), 1e-3f);
    EXPECT_EQ(node->getPositionY(), 0.0f);
    tick(2);  // 6/60 s: the first move is complete, the second at its start
    EXPECT_EQ(node->getPositionX(), 100.0f);
    EXPECT_NEAR(node->getPositionY(), 0.0f, 1e-2f);
    tick(1, 0.075f);  // crosses the middle of the second move
    EXPECT_NEAR(node->getPositionY(), 75.0f, 1e-2f);
}

TEST_F(SequenceTiming, CallFuncFiresExactlyOnceAtEveryPositionInASequence)
{
    Node* node = runningNode();
    node->runAction(Sequence::create(note("first"), note("second"), DelayTime::create(0.05f), note("middle"),
                                     DelayTime::create(0.05f), note("last"), nullptr));
    frames(30);
    EXPECT_EQ(log, (std::vector<std::string>{"first@0", "second@0", "middle@3", "last@6"}));
}

TEST_F(SequenceTiming, VectorAndListFormsBuildTheSameSequence)
{
    Node* listed = runningNode();
    Node* vectored = runningNode();
    listed->runAction(Sequence::create(MoveBy::create(0.1f, Vec2(10, 0)), DelayTime::create(0.1f),
                                       MoveBy::create(0.1f, Vec2(0, 10)), nullptr));
    Vector<FiniteTimeAction*> steps;
    steps.pushBack(MoveBy::create(0.1f, Vec2(10, 0)));
    steps.pushBack(DelayTime::create(0.1f));
    steps.pushBack(MoveBy::create(0.1f, Vec2(0, 10)));
    auto* sequence = Sequence::create(steps);
    EXPECT_FLOAT_EQ(sequence->getDuration(), 0.3f);
    vectored->runAction(sequence);
    for (int i = 0; i < 20; ++i) {
        tick();
        ASSERT_EQ(listed->getPosition(), vectored->getPosition()) << "frame " << i;
    }
    EXPECT_EQ(listed->getPosition(), Vec2(10, 10));
}

TEST_F(SequenceTiming, FailureShakeEndsExactlyAtHomeUnturned)
{
    Node* node = runningNode();
    const Vec2 home(312.5f, 417.25f);
    node->setPosition(home);
    auto* sequence = shake(home);
    EXPECT_NEAR(sequence->getDuration(), 0.34f, 1e-6f);
    node->runAction(sequence);
    tick(3);  // 2/60 s: the first move and the first instant turn are behind
    EXPECT_FLOAT_EQ(node->getRotation(), 1.0f);
    EXPECT_NEAR(node->getPositionY(), home.y + 5 - 5 * ((2.0f / 60 - 0.02f) / 0.05f), 1e-3f);
    tick(18);
    EXPECT_EQ(node->getNumberOfRunningActions(), 1);
    tick(1);  // 21/60 s
    EXPECT_EQ(node->getNumberOfRunningActions(), 0);
    EXPECT_EQ(node->getPosition(), home);
    EXPECT_EQ(node->getRotation(), 0.0f);
}

using SpawnTiming = ActionTest;

TEST_F(SpawnTiming, RunsSideBySideForTheLongestAndFinishesEachOnTime)
{
    Node* node = runningNode();
    int calls = 0;
    auto* spawn = Spawn::create(MoveTo::create(0.1f, Vec2(50, 0)), RotateBy::create(0.2f, 90),
                                CallFunc::create([&] { ++calls; }), nullptr);
    EXPECT_FLOAT_EQ(spawn->getDuration(), 0.2f);
    node->runAction(spawn);
    tick(1);
    EXPECT_EQ(calls, 1);
    tick(3);  // 0.05 s
    EXPECT_NEAR(node->getPositionX(), 25.0f, 1e-3f);
    EXPECT_NEAR(node->getRotation(), 22.5f, 1e-3f);
    tick(3);  // 0.1 s
    EXPECT_EQ(node->getPositionX(), 50.0f);
    node->setPositionX(0);  // the finished move no longer holds the position
    tick(6);  // 0.2 s
    EXPECT_EQ(node->getPositionX(), 0.0f);
    EXPECT_FLOAT_EQ(node->getRotation(), 90.0f);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(node->getNumberOfRunningActions(), 0);
}

TEST_F(SpawnTiming, TargetedActionsShakeTwoFieldsBackToTheirOwnHomes)
{
    Node* layer = runningNode();
    Node* name = Node::create();
    Node* password = Node::create();
    const Vec2 nameHome(512, 400), passwordHome(512, 330.5f);
    name->setPosition(nameHome);
    password->setPosition(passwordHome);
    layer->runAction(Spawn::createWithTwoActions(TargetedAction::create(name, shake(nameHome)),
                                                 TargetedAction::create(password, shake(passwordHome))));
    tick(4);
    EXPECT_NE(name->getPosition(), nameHome);
    EXPECT_NEAR(name->getPositionY() - nameHome.y, password->getPositionY() - passwordHome.y, 1e-3f);
    EXPECT_EQ(layer->getPosition(), Vec2::ZERO);
    EXPECT_EQ(layer->getRotation(), 0.0f);
    tick(18);
    EXPECT_EQ(name->getPosition(), nameHome);
    EXPECT_EQ(password->getPosition(), passwordHome);
    EXPECT_EQ(name->getRotation(), 0.0f);
    EXPECT_EQ(password->getRotation(), 0.0f);
    EXPECT_EQ(layer->getNumberOfRunningActions(), 0);
}

TEST_F(SpawnTiming, TargetedActionThenCallRunsTheCallWhenTheOtherNodeIsDone)
{
    Node* view = runningNode();
    Node* form = Node::create();
    bool hidden = false;
    view->runAction(Sequence::create(TargetedAction::create(form, MoveBy::create(0.1f, Vec2(0, 20))),
                                     CallFunc::create([&] { hidden = true; }), nullptr));
    tick(6);
    EXPECT_FALSE(hidden);
    EXPECT_LT(form->getPositionY(), 20.0f);
    tick(1);
    EXPECT_TRUE(hidden);
    EXPECT_EQ(form->getPositionY(), 20.0f);
    EXPECT_EQ(view->getPosition(), Vec2::ZERO);
}
