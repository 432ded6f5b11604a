#include <cmath>

#include "2d/CCActionEase.h"
#include "2d/CCActionInstant.h"
#include "2d/CCActionInterval.h"
#include "ActionTestSupport.h"

using namespace cocos2d;
using veloquix_test::ActionTest;
using veloquix_test::kFrame;

namespace {

float expoOut(float t) { return 1.0f - std::pow(2.0f, -10.0f * t); }

} // namespace

using IntervalTiming = ActionTest;

TEST_F(IntervalTiming, FirstStepIsTheStartWhateverTheFrameLength)
{
    Node* node = runningNode();
    auto* move = MoveTo::create(1.0f, Vec2(100, 0));
    node->runAction(move);
    tick(1, 0.5f);
    EXPECT_NEAR(node->getPositionX(), 0.0f, 1e-3f);
    EXPECT_NEAR(move->getElapsed(), 0.0f, 1e-5f);
    tick(1, 0.25f);
    EXPECT_NEAR(node->getPositionX(), 25.0f, 1e-3f);
}

TEST_F(IntervalTiming, EaseExponentialOutOfMoveToReachesItsCurveAtHalfTime)
{
    Node* node = runningNode();
    node->setPosition(100, 50);
    node->runAction(EaseExponentialOut::create(MoveTo::create(0.7f, Vec2(420, 50))));

    tick(1);      // the start
    tick(20);     // 20/60 s
    EXPECT_NEAR(node->getPositionX(), 100 + 320 * expoOut((20.0f / 60.0f) / 0.7f), 1e-3f);
    tick(1);      // 0.35 s: half the duration, 1 - 2^-5 of the way
    EXPECT_NEAR(node->getPositionX(), 100 + 320 * (1.0f - 1.0f / 32.0f), 1e-3f);
    EXPECT_EQ(node->getPositionY(), 50.0f);

    tick(20);     // 0.6833 s: not there yet
    EXPECT_LT(node->getPositionX(), 420.0f);
    EXPECT_EQ(node->getNumberOfRunningActions(), 1);
    tick(1);      // 0.7 s
    EXPECT_EQ(node->getPosition(), Vec2(420, 50));
    EXPECT_EQ(node->getNumberOfRunningActions(), 0);
}

TEST_F(IntervalTiming, EaseCurvesHitTheirEndsExactly)
{
    Node* out = runningNode();
    Node* in = runningNode();
    Node* inOut = runningNode();
    out->runAction(EaseExponentialOut::create(MoveBy::create(0.5f, Vec2(10, 0))));
    in->runAction(EaseExponentialIn::create(MoveBy::create(0.5f, Vec2(10, 0))));
    inOut->runAction(EaseExponentialInOut::create(MoveBy::create(0.5f, Vec2(10, 0))));
    tick(1);
    EXPECT_NEAR(in->getPositionX(), 10 * std::pow(2.0f, -10.0f), 1e-4f);
    tick(15);
    EXPECT_NEAR(inOut->getPositionX(), 5.0f, 1e-3f);
    EXPECT_NEAR(in->getPositionX(), 10 * std::pow(2.0f, -5.0f), 1e-3f);
    tick(15);
    EXPECT_EQ(out->getPositionX(), 10.0f);
    EXPECT_EQ(in->getPositionX(), 10.0f);
    EXPECT_EQ(inOut->getPositionX(), 10.0f);
}

TEST_F(IntervalTiming, ActionEndingOnAFrameBoundaryFinishesInThatFrame)
{
    Node* node = runningNode();
    int calls = 0;
    node->runAction(Sequence::create(DelayTime::create(0.05f), CallFunc::create([&] { ++calls; }), nullptr));
    tick(3);  // the start and 2/60 s
    EXPECT_EQ(calls, 0);
    tick(1);  // 3/60 s = 0.05 s
    EXPECT_EQ(calls, 1);
    tick(10);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(node->getNumberOfRunningActions(), 0);
}

TEST_F(IntervalTiming, ZeroDurationActionsCompleteOnTheirFirstStep)
{
    Node* node = runningNode();
    node->runAction(MoveTo::create(0.0f, Vec2(7, 8)));
    node->runAction(DelayTime::create(0.0f));
    node->runAction(FadeTo::create(0.0f, 40));
    tick(1);
    EXPECT_EQ(node->getPosition(), Vec2(7, 8));
    EXPECT_EQ(node->getOpacity(), 40);
    EXPECT_EQ(node->getNumberOfRunningActions(), 0);
}

TEST_F(IntervalTiming, LongSequenceOfFramesKeepsTheDueFrame)
{
    // 10 s at 60 frames a second: rounding must not push the end a frame late.
    Node* node = runningNode();
    bool done = false;
    node->runAction(Sequence::create(DelayTime::create(10.0f), CallFunc::create([&] { done = true; }), nullptr));
    tick(600);
    EXPECT_FALSE(done);
    tick(1);
    EXPECT_TRUE(done);
}
