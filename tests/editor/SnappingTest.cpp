#include <cmath>

#include "EditingFixture.h"

USING_NS_CC;

namespace {

void expectNear(const Vec2& actual, const Vec2& expected, float tolerance = 0.01f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
}

} // namespace

// A straight's end A is 30 units left of its centre, end B 30 units right.
TEST_F(EditingTest, EndNearerThanThirtyUnitsJoinsAndAtThirtyItDoesNot)
{
    auto* fixed = place(PartTypes::straight, Vec2(1000, 700));
    auto* mover = place(PartTypes::straight, Vec2(1100, 700));
    liftPart(mover);
    ASSERT_TRUE(ed->dragging);

    moveBy(Vec2(-10, 0)); // end A exactly 30.0 from fixed's end B
    EXPECT_EQ(ed->snapTargetEnd, nullptr);
    EXPECT_EQ(mover->ends[0].link, nullptr);
    EXPECT_FLOAT_EQ(mover->getPositionX(), 1090);

    moveBy(Vec2(-0.1f, 0)); // 29.9
    ASSERT_EQ(ed->snapTargetEnd, &fixed->ends[1]);
    EXPECT_EQ(ed->snapMovingEnd, &mover->ends[0]);
    EXPECT_TRUE(linked(mover, 0, fixed, 1));
    expectNear(endAt(mover, 0), endAt(fixed, 1));
    EXPECT_FLOAT_EQ(mover->getRotation(), 0);
    release();
    EXPECT_TRUE(linked(mover, 0, fixed, 1)) << "a join outlives the drag";
    EXPECT_EQ(mover->getOpacity(), 255);
}

TEST_F(EditingTest, SnappedPartStaysUntilTheTravelTakesTheJointAwayThenReturnsUnlinked)
{
    auto* fixed = place(PartTypes::straight, Vec2(1000, 700));
    auto* mover = place(PartTypes::straight, Vec2(1050, 650), 90);
    liftPart(mover);
    // Turned 90 degrees its end A points down; brought up beside fixed's end B
    // it turns to face it.
    moveBy(Vec2(0, 20));
    ASSERT_TRUE(linked(mover, 0, fixed, 1));
    expectNear(endAt(mover, 0), endAt(fixed, 1));
    EXPECT_EQ(std::lround(mover->getRotation()) % 360, 0);
    const Vec2 joined = mover->getPosition();

    moveBy(Vec2(0, 5)); // the joint would be 20.6 away: held
    EXPECT_EQ(mover->getPosition(), joined);
    EXPECT_TRUE(linked(mover, 0, fixed, 1));

    moveBy(Vec2(0, 20)); // 32 away: breaks
    EXPECT_EQ(ed->snapTargetEnd, nullptr);
    EXPECT_EQ(mover->ends[0].link, nullptr);
    EXPECT_EQ(fixed->ends[1].link, nullptr);
    EXPECT_FLOAT_EQ(mover->getRotation(), 90);
    // Its position before the join, plus the whole travel since.
    expectNear(mover->getPosition(), Vec2(1050, 695));
    release();
}

TEST_F(EditingTest, EndsPointingTheSameWayNeverJoinButTheFarEndMayLink)
{
    auto* fixed = place(PartTypes::straight, Vec2(1000, 700));
    auto* mover = place(PartTypes::straight, Vec2(1000, 760));
    liftPart(mover);
    moveBy(Vec2(0, -40)); // mover's end A 20 above fixed's end A, same way
    EXPECT_EQ(ed->snapTargetEnd, nullptr);
    EXPECT_EQ(mover->ends[0].link, nullptr);
    EXPECT_EQ(fixed->ends[0].link, nullptr);
    release();
}

TEST_F(EditingTest, EqualCandidatesGoToTheEarlierBoardPart)
{
    // Two free ends facing mover's end A at the same distance.
    auto* first = place(PartTypes::straight, Vec2(1000, 710));
    auto* second = place(PartTypes::straight, Vec2(1000, 690));
    auto* mover = place(PartTypes::straight, Vec2(1100, 700));
    liftPart(mover);
    moveBy(Vec2(-20, 0));
    EXPECT_EQ(ed->snapTargetEnd, &first->ends[1]);
    EXPECT_EQ(second->ends[1].link, nullptr);
    release();
}

TEST_F(EditingTest, TouchingEndsLinkOnlyWhenUnderFiveApartAndFacingExactly)
{
    auto* left = place(PartTypes::straight, Vec2(1000, 700));
    auto* right = place(PartTypes::straight, Vec2(1064, 700)); // 4 apart
    ed->linkTouchingEnd(right->ends[0]);
    EXPECT_TRUE(linked(right, 0, left, 1));
    ed->unlinkEnd(right->ends[0]);
    EXPECT_EQ(left->ends[1].link, nullptr);

    right->setPosition(1065, 700); // exactly 5 apart
    ed->linkTouchingEnd(right->ends[0]);
    EXPECT_EQ(right->ends[0].link, nullptr);

    right->setRotation(45); // touching but not facing
    right->setPosition(right->getPosition() + endAt(left, 1) - endAt(right, 0));
    ASSERT_LT(endAt(left, 1).distance(endAt(right, 0)), 0.01f);
    ed->linkTouchingEnd(right->ends[0]);
    EXPECT_EQ(right->ends[0].link, nullptr);
}

TEST_F(EditingTest, SinglePartsStayOnTheBoard)
{
    auto* part = place(PartTypes::straight, Vec2(100, 100));
    ed->placePartClamped(part, Vec2(-500, 5000));
    EXPECT_EQ(part->getPosition(), Vec2(30, 1536 - 22.5f));
    part->setRotation(90);
    ed->placePartClamped(part, Vec2(0, 0));
    EXPECT_NEAR(part->getPositionX(), 22.5f, 0.001f);
    EXPECT_NEAR(part->getPositionY(), 30, 0.001f);
}

TEST_F(EditingTest, HoldingAJoinedPartLiftsItsChainWhichJoinsAndRealignsBehindItsFreeEnd)
{
    auto* a = place(PartTypes::straight, Vec2(700, 700));
    auto* b = place(PartTypes::straight, Vec2(760, 700));
    auto* c = place(PartTypes::straight, Vec2(820, 700));
    ed->linkTouchingEnd(a->ends[1]);
    ed->linkTouchingEnd(b->ends[1]);
    ASSERT_TRUE(linked(a, 1, b, 0));
    ASSERT_TRUE(linked(b, 1, c, 0));
    // A corner turned 45 degrees left: its free end A faces up-right,
    // below and right of c.
    auto* target = place(PartTypes::corner, Vec2(1000, 500), -45);

    liftChain(b);
    ASSERT_TRUE(ed->groupDrag);
    ASSERT_EQ(ed->groupParts.size(), 3u);
    EXPECT_EQ(ed->groupParts.front(), a);
    EXPECT_EQ(ed->groupParts.back(), c);
    EXPECT_EQ(ed->chainEnds[0], &a->ends[0]);
    EXPECT_EQ(ed->chainEnds[1], &c->ends[1]);
    for (auto* p : {a, b, c}) EXPECT_EQ(p->getOpacity(), 100);

    // Bring c's free end B within reach of the corner's free end A.
    const Vec2 gap = endAt(target, 0) - endAt(c, 1);
    moveBy(gap + Vec2(-10, -10));
    ASSERT_EQ(ed->snapTargetEnd, &target->ends[0]);
    EXPECT_TRUE(linked(c, 1, target, 0));
    // Every part now follows on from the corner, joint by joint.
    expectNear(endAt(c, 1), endAt(target, 0));
    expectNear(endAt(b, 1), endAt(c, 0));
    expectNear(endAt(a, 1), endAt(b, 0));
    for (auto* p : {a, b, c}) EXPECT_EQ(std::lround(p->getRotation()) % 360, 315) << p->getRotation();
    EXPECT_EQ(ed->endAngle(c->ends[1], target->ends[0]), 180);
    release();
    for (auto* p : {a, b, c}) EXPECT_EQ(p->getOpacity(), 255);
    EXPECT_TRUE(linked(c, 1, target, 0));
    EXPECT_TRUE(linked(a, 1, b, 0));
    EXPECT_TRUE(ed->groupParts.empty());
}

TEST_F(EditingTest, EightCornersInARingAreOneClosedChainThatMovesButNeverSnaps)
{
    const auto ring = layRing(Vec2(1000, 600));
    for (int k = 0; k < 8; ++k) ASSERT_TRUE(linked(ring[k], 1, ring[(k + 1) % 8], 0)) << k;
    auto* loner = place(PartTypes::straight, Vec2(1400, 300));

    liftChain(ring[3]);
    ASSERT_TRUE(ed->groupDrag);
    EXPECT_EQ(ed->groupParts.size(), 8u);
    EXPECT_EQ(ed->groupParts.front(), ed->selectedPart) << "a loop is collected from the touched part";
    EXPECT_EQ(ed->chainEnds[0], nullptr);
    EXPECT_EQ(ed->chainEnds[1], nullptr);
    std::vector<Vec2> before;
    for (auto* c : ring) before.push_back(c->getPosition());

    // Drive the ring so that one of its corners' ends passes right over the
    // loner's free end: nothing snaps, everything moves alike.
    const Vec2 travel = endAt(loner, 0) - endAt(ring[0], 0) + Vec2(-3, 0);
    moveBy(travel);
    EXPECT_EQ(ed->snapTargetEnd, nullptr);
    EXPECT_EQ(loner->ends[0].link, nullptr);
    for (int k = 0; k < 8; ++k) expectNear(ring[k]->getPosition(), before[k] + travel);
    release();
    for (int k = 0; k < 8; ++k) EXPECT_TRUE(linked(ring[k], 1, ring[(k + 1) % 8], 0)) << k;
}
