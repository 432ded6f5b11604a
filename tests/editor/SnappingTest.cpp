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
    const PartId fixed = place(PartTypes::straight, Vec2(1000, 700));
    const PartId mover = place(PartTypes::straight, Vec2(1100, 700));
    liftPart(mover);
    ASSERT_TRUE(ed->gesture().isDragging());

    moveBy(Vec2(-10, 0)); // end A exactly 30.0 from fixed's end B
    EXPECT_EQ(ed->gesture().move().snapped(), false);
    EXPECT_EQ(link(mover, 0), circuit::kNoPart);
    EXPECT_FLOAT_EQ(rec(mover).position.x, 1090);

    moveBy(Vec2(-0.1f, 0)); // 29.9
    ASSERT_EQ(ed->gesture().move().snapTarget(), (circuit::EndRef{fixed, 1}));
    EXPECT_EQ(ed->gesture().move().snapMoving(), (circuit::EndRef{mover, 0}));
    EXPECT_TRUE(linked(mover, 0, fixed, 1));
    expectNear(endAt(mover, 0), endAt(fixed, 1));
    EXPECT_FLOAT_EQ(rec(mover).rotation, 0);
    release();
    EXPECT_TRUE(linked(mover, 0, fixed, 1)) << "a join outlives the drag";
    EXPECT_EQ(sprite(mover)->getOpacity(), 255);
}

TEST_F(EditingTest, SnappedPartStaysUntilTheTravelTakesTheJointAwayThenReturnsUnlinked)
{
    const PartId fixed = place(PartTypes::straight, Vec2(1000, 700));
    const PartId mover = place(PartTypes::straight, Vec2(1050, 650), 90);
    liftPart(mover);
    // Turned 90 degrees its end A points down; brought up beside fixed's end B
    // it turns to face it.
    moveBy(Vec2(0, 20));
    ASSERT_TRUE(linked(mover, 0, fixed, 1));
    expectNear(endAt(mover, 0), endAt(fixed, 1));
    EXPECT_EQ(std::lround(rec(mover).rotation) % 360, 0);
    const Vec2 joined = rec(mover).position;

    moveBy(Vec2(0, 5)); // the joint would be 20.6 away: held
    EXPECT_EQ(rec(mover).position, joined);
    EXPECT_TRUE(linked(mover, 0, fixed, 1));

    moveBy(Vec2(0, 20)); // 32 away: breaks
    EXPECT_EQ(ed->gesture().move().snapped(), false);
    EXPECT_EQ(link(mover, 0), circuit::kNoPart);
    EXPECT_EQ(link(fixed, 1), circuit::kNoPart);
    EXPECT_FLOAT_EQ(rec(mover).rotation, 90);
    // Its position before the join, plus the whole travel since.
    expectNear(rec(mover).position, Vec2(1050, 695));
    release();
}

TEST_F(EditingTest, EndsPointingTheSameWayNeverJoinButTheFarEndMayLink)
{
    const PartId fixed = place(PartTypes::straight, Vec2(1000, 700));
    const PartId mover = place(PartTypes::straight, Vec2(1000, 760));
    liftPart(mover);
    moveBy(Vec2(0, -40)); // mover's end A 20 above fixed's end A, same way
    EXPECT_EQ(ed->gesture().move().snapped(), false);
    EXPECT_EQ(link(mover, 0), circuit::kNoPart);
    EXPECT_EQ(link(fixed, 0), circuit::kNoPart);
    release();
}

TEST_F(EditingTest, EqualCandidatesGoToTheEarlierBoardPart)
{
    // Two free ends facing mover's end A at the same distance.
    const PartId first = place(PartTypes::straight, Vec2(1000, 710));
    const PartId second = place(PartTypes::straight, Vec2(1000, 690));
    const PartId mover = place(PartTypes::straight, Vec2(1100, 700));
    liftPart(mover);
    moveBy(Vec2(-20, 0));
    EXPECT_EQ(ed->gesture().move().snapTarget(), (circuit::EndRef{first, 1}));
    EXPECT_EQ(link(second, 1), circuit::kNoPart);
    release();
}

TEST_F(EditingTest, TouchingEndsLinkOnlyWhenUnderFiveApartAndFacingExactly)
{
    const PartId left = place(PartTypes::straight, Vec2(1000, 700));
    const PartId right = place(PartTypes::straight, Vec2(1064, 700)); // 4 apart
    ed->linkTouchingEnd({right, 0});
    EXPECT_TRUE(linked(right, 0, left, 1));
    ed->unlinkEnd({right, 0});
    EXPECT_EQ(link(left, 1), circuit::kNoPart);

    model().setPosition(right, Vec2(1065, 700)); // exactly 5 apart
    ed->linkTouchingEnd({right, 0});
    EXPECT_EQ(link(right, 0), circuit::kNoPart);

    model().setRotation(right, 45); // touching but not facing
    model().setPosition(right, rec(right).position + endAt(left, 1) - endAt(right, 0));
    ASSERT_LT(endAt(left, 1).distance(endAt(right, 0)), 0.01f);
    ed->linkTouchingEnd({right, 0});
    EXPECT_EQ(link(right, 0), circuit::kNoPart);
}

TEST_F(EditingTest, SinglePartsStayOnTheBoard)
{
    const PartId part = place(PartTypes::straight, Vec2(100, 100));
    ed->placePartClamped(part, Vec2(-500, 5000));
    EXPECT_EQ(rec(part).position, Vec2(30, 1536 - 22.5f));
    model().setRotation(part, 90);
    ed->placePartClamped(part, Vec2(0, 0));
    EXPECT_NEAR(rec(part).position.x, 22.5f, 0.001f);
    EXPECT_NEAR(rec(part).position.y, 30, 0.001f);
}

TEST_F(EditingTest, HoldingAJoinedPartLiftsItsChainWhichJoinsAndRealignsBehindItsFreeEnd)
{
    const PartId a = place(PartTypes::straight, Vec2(700, 700));
    const PartId b = place(PartTypes::straight, Vec2(760, 700));
    const PartId c = place(PartTypes::straight, Vec2(820, 700));
    ed->linkTouchingEnd({a, 1});
    ed->linkTouchingEnd({b, 1});
    ASSERT_TRUE(linked(a, 1, b, 0));
    ASSERT_TRUE(linked(b, 1, c, 0));
    // A corner turned 45 degrees left: its free end A faces up-right,
    // below and right of c.
    const PartId target = place(PartTypes::corner, Vec2(1000, 500), -45);

    liftChain(b);
    ASSERT_TRUE(ed->gesture().isChainDrag());
    const circuit::PartMove& lifted = ed->gesture().move();
    ASSERT_EQ(lifted.chain().size(), 3u);
    EXPECT_EQ(lifted.chain().front(), a);
    EXPECT_EQ(lifted.chain().back(), c);
    EXPECT_EQ(lifted.chainEnd(0), (circuit::EndRef{a, 0}));
    EXPECT_EQ(lifted.chainEnd(1), (circuit::EndRef{c, 1}));
    for (PartId p : {a, b, c}) EXPECT_EQ(sprite(p)->getOpacity(), 100);

    // Bring c's free end B within reach of the corner's free end A.
    const Vec2 gap = endAt(target, 0) - endAt(c, 1);
    moveBy(gap + Vec2(-10, -10));
    ASSERT_EQ(ed->gesture().move().snapTarget(), (circuit::EndRef{target, 0}));
    EXPECT_TRUE(linked(c, 1, target, 0));
    // Every part now follows on from the corner, joint by joint.
    expectNear(endAt(c, 1), endAt(target, 0));
    expectNear(endAt(b, 1), endAt(c, 0));
    expectNear(endAt(a, 1), endAt(b, 0));
    for (PartId p : {a, b, c}) EXPECT_EQ(std::lround(rec(p).rotation) % 360, 315) << rec(p).rotation;
    EXPECT_EQ(ed->endAngle({c, 1}, {target, 0}), 180);
    release();
    for (PartId p : {a, b, c}) EXPECT_EQ(sprite(p)->getOpacity(), 255);
    EXPECT_TRUE(linked(c, 1, target, 0));
    EXPECT_TRUE(linked(a, 1, b, 0));
    EXPECT_TRUE(lifted.chain().empty());
}

TEST_F(EditingTest, EightCornersInARingAreOneClosedChainThatMovesButNeverSnaps)
{
    const auto ring = layRing(Vec2(1000, 600));
    for (int k = 0; k < 8; ++k) ASSERT_TRUE(linked(ring[k], 1, ring[(k + 1) % 8], 0)) << k;
    const PartId loner = place(PartTypes::straight, Vec2(1400, 300));

    liftChain(ring[3]);
    ASSERT_TRUE(ed->gesture().isChainDrag());
    const circuit::PartMove& lifted = ed->gesture().move();
    EXPECT_EQ(lifted.chain().size(), 8u);
    EXPECT_EQ(lifted.chain().front(), ed->gesture().selectedPart()) << "a loop is collected from the touched part";
    EXPECT_FALSE(lifted.chainEnd(0));
    EXPECT_FALSE(lifted.chainEnd(1));
    std::vector<Vec2> before;
    for (PartId c : ring) before.push_back(rec(c).position);

    // Drive the ring so that one of its corners' ends passes right over the
    // loner's free end: nothing snaps, everything moves alike.
    const Vec2 travel = endAt(loner, 0) - endAt(ring[0], 0) + Vec2(-3, 0);
    moveBy(travel);
    EXPECT_EQ(ed->gesture().move().snapped(), false);
    EXPECT_EQ(link(loner, 0), circuit::kNoPart);
    for (int k = 0; k < 8; ++k) expectNear(rec(ring[k]).position, before[k] + travel);
    release();
    for (int k = 0; k < 8; ++k) EXPECT_TRUE(linked(ring[k], 1, ring[(k + 1) % 8], 0)) << k;
}

TEST_F(EditingTest, TwoStraightsLaidEndToEndLink)
{
    const PartId left = place(PartTypes::straight, Vec2(1000, 700));
    const PartId right = place(PartTypes::straight, Vec2(1060, 700));
    ed->linkTouchingEnd({right, 0});
    EXPECT_TRUE(linked(right, 0, left, 1));
}

TEST_F(EditingTest, EveryPartTypeSnapsItsEndAOntoAStraightAndMeetsItExactly)
{
    for (PartType t = 0; t < PartTypes::count; ++t) {
        ed->clearBoard();
        const PartId fixed = place(PartTypes::straight, Vec2(1000, 700));
        const PartId mover = place(t, Vec2(1150, 700));
        liftPart(mover);
        // Bring end A within 20 units of the straight's free end B.
        moveBy(toWorld(endAt(fixed, 1) + Vec2(20, 0)) - toWorld(endAt(mover, 0)));
        EXPECT_TRUE(linked(mover, 0, fixed, 1)) << t;
        expectNear(endAt(mover, 0), endAt(fixed, 1));
        EXPECT_EQ(ed->endAngle({mover, 0}, {fixed, 1}), 180) << t;
        release();
    }
}
