#include <algorithm>
#include <cmath>

#include "2d/CCActionInstant.h"
#include "2d/CCActionInterval.h"
#include "ActionTestSupport.h"

using namespace cocos2d;
using veloquix_test::ActionTest;
using veloquix_test::kFrame;

using RepeatForeverTiming = ActionTest;

TEST_F(RepeatForeverTiming, SpinnerTurnsOncePerHalfSecond)
{
    Node* spinner = runningNode();
    spinner->runAction(RepeatForever::create(RotateBy::create(0.5f, 360)));
    tick(1);
    tick(15);
    EXPECT_NEAR(spinner->getRotation(), 180.0f, 1e-2f);
    tick(15);
    EXPECT_NEAR(spinner->getRotation(), 360.0f, 1e-2f);
    tick(60 * 10 - 30);  // ten seconds in: twenty turns
    EXPECT_NEAR(spinner->getRotation(), 20 * 360.0f, 2e-2f);
    EXPECT_EQ(spinner->getNumberOfRunningActions(), 1);
}

TEST_F(RepeatForeverTiming, OvershootIsCarriedWhateverTheFrameLength)
{
    Node* spinner = runningNode();
    spinner->runAction(RepeatForever::create(RotateBy::create(0.5f, 360)));
    tick(1);
    const float dt = 0.07f;  // does not divide the period
    int frames = 0;
    for (; frames < 100; ++frames) tick(1, dt);
    EXPECT_NEAR(spinner->getRotation(), 720.0f * dt * frames, 0.05f);
    tick(1, 1.3f);  // a stall longer than two turns: the skipped turns are dropped, the phase is kept
    const double phase = std::fmod(spinner->getRotation() - 720.0 * (dt * frames + 1.3f), 360.0);
    EXPECT_LT(std::min(std::fabs(phase), 360.0 - std::fabs(phase)), 0.05);
    tick(1, 0.25f);
    EXPECT_NEAR(std::fmod(spinner->getRotation(), 360.0f), std::fmod(720.0f * (dt * frames + 1.55f), 360.0f), 0.05f);
}

TEST_F(RepeatForeverTiming, SequenceInsideFiresOncePerCycle)
{
    Node* node = runningNode();
    int calls = 0;
    node->runAction(RepeatForever::create(
        Sequence::create(DelayTime::create(0.1f), CallFunc::create([&] { ++calls; }), nullptr)));
    tick(1);
    tick(59);  // up to 59/60 s
    EXPECT_EQ(calls, 9);
    tick(1);   // 1 s
    EXPECT_EQ(calls, 10);
}
