#include <gtest/gtest.h>

#include <vector>

#include "ConnectionGeometry.h"

using cocos2d::Vec2;
using namespace connection;

namespace {

struct Piece {
    struct End {
        Piece* link = nullptr;
    } ends[2];
};

// Joins end ea of a to end eb of b, both ways.
void join(Piece& a, int ea, Piece& b, int eb)
{
    a.ends[ea].link = &b;
    b.ends[eb].link = &a;
}

} // namespace

TEST(ConnectionAngle, FacingSameWayAndQuarterTurnsCarryTheirSign)
{
    EXPECT_EQ(angleBetween(Vec2(1, 0), Vec2(-1, 0)), 180);
    EXPECT_EQ(angleBetween(Vec2(1, 0), Vec2(3, 0)), 0);
    EXPECT_EQ(angleBetween(Vec2(1, 0), Vec2(0, 1)), 90);   // v turned left of u
    EXPECT_EQ(angleBetween(Vec2(1, 0), Vec2(0, -1)), -90); // v turned right of u
    EXPECT_EQ(angleBetween(Vec2(1, 0), Vec2(-1, -1)), -135);
    EXPECT_EQ(angleBetween(Vec2(1, 0), Vec2(1, 1)), 45);
    // The sine is rounded: a small clockwise turn still reads as positive.
    EXPECT_EQ(angleBetween(Vec2(1, 0), Vec2(1, -0.2f)), 11);
    // Directions of slightly different length that face exactly stay at 180
    // instead of falling off acos's domain.
    EXPECT_EQ(angleBetween(Vec2(0.70710677f, 0.70710677f), Vec2(-0.7071068f, -0.7071068f)), 180);
    EXPECT_EQ(angleBetween(Vec2::ZERO, Vec2(1, 0)), 0);
}

TEST(ConnectionSearch, NearestFreeEndWithinTheLimitWinsAndTiesKeepTheFirst)
{
    const int self = 0, other = 0;
    const void* me = &self;
    const void* someoneElse = &other;
    std::vector<EndSpot> moving{{Vec2(0, 0), me}, {Vec2(100, 0), me}};

    // Strictly nearer than the limit.
    EXPECT_FALSE(nearestFreeEnd(moving, {{Vec2(30, 0), nullptr}}, 30.0f));
    Candidate c = nearestFreeEnd(moving, {{Vec2(29.9f, 0), nullptr}}, 30.0f);
    ASSERT_TRUE(c);
    EXPECT_EQ(c.moving, 0);
    EXPECT_EQ(c.target, 0);

    // Equal distances: moving end A before B, earlier target before later.
    c = nearestFreeEnd(moving, {{Vec2(110, 0), nullptr}, {Vec2(-10, 0), nullptr}, {Vec2(0, 10), nullptr}}, 30.0f);
    EXPECT_EQ(c.moving, 0);
    EXPECT_EQ(c.target, 1);

    // A target linked to another part is not free; one linked to the moving
    // part itself is.
    c = nearestFreeEnd(moving, {{Vec2(1, 0), someoneElse}, {Vec2(95, 0), me}}, 30.0f);
    EXPECT_EQ(c.moving, 1);
    EXPECT_EQ(c.target, 1);
    EXPECT_FLOAT_EQ(c.distance, 5.0f);

    EXPECT_FALSE(nearestFreeEnd({}, {{Vec2(0, 0), nullptr}}, 30.0f));
}

TEST(ConnectionChain, ChainEndsOfAPathHoweverItsPartsAreTurned)
{
    // a.B - b.B, b.A - c.A: b lies reversed in the chain.
    Piece a, b, c;
    join(a, 1, b, 1);
    join(b, 0, c, 0);
    EXPECT_EQ(findChainEnd(&b, 0, 10), &c.ends[1]);
    EXPECT_EQ(findChainEnd(&b, 1, 10), &a.ends[0]);
    EXPECT_EQ(findChainEnd(&a, 1, 10), &c.ends[1]);

    Piece single;
    EXPECT_EQ(findChainEnd(&single, 0, 10), &single.ends[0]);
    EXPECT_EQ(findChainEnd(&single, 1, 10), &single.ends[1]);

    // Collected from a free end, the chain comes out in chain order.
    EXPECT_EQ(collectChain(&a), (std::vector<Piece*>{&a, &b, &c}));
    EXPECT_EQ(collectChain(&c), (std::vector<Piece*>{&c, &b, &a}));
    // From the middle, whatever hangs at end A comes first.
    EXPECT_EQ(collectChain(&b), (std::vector<Piece*>{&b, &c, &a}));
}

TEST(ConnectionChain, ClosedLoopsHaveNoEndAndAreCollectedOnce)
{
    Piece ring[8];
    for (int i = 0; i < 8; ++i) join(ring[i], 1, ring[(i + 1) % 8], 0);
    EXPECT_EQ(findChainEnd(&ring[3], 0, 9), nullptr);
    EXPECT_EQ(findChainEnd(&ring[3], 1, 9), nullptr);
    const std::vector<Piece*> all = collectChain(&ring[3]);
    ASSERT_EQ(all.size(), 8u);
    EXPECT_EQ(all.front(), &ring[3]);

    // Two parts joined at both ends.
    Piece p, q;
    join(p, 0, q, 1);
    join(p, 1, q, 0);
    EXPECT_EQ(findChainEnd(&p, 0, 3), nullptr);
    EXPECT_EQ(findChainEnd(&p, 1, 3), nullptr);
    EXPECT_EQ(collectChain(&p).size(), 2u);
}

TEST(ConnectionChain, LinksThatFormNoPathOrRingStopTheWalk)
{
    // s hangs on p, and p and q are joined at both ends to each other: a
    // walk from s circles p and q for ever unless it is bounded.
    Piece s, p, q;
    s.ends[0].link = &p;
    join(p, 0, q, 0);
    join(p, 1, q, 1);
    EXPECT_EQ(findChainEnd(&s, 0, 4), nullptr);
    EXPECT_EQ(collectChain(&s).size(), 3u);
}
