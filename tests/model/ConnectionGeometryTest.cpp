#include <gtest/gtest.h>

#include <vector>

#include "ConnectionGeometry.h"

using cocos2d::Vec2;
using namespace connection;

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

