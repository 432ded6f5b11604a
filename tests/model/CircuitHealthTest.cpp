#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "CircuitHealth.h"
#include "TestPictures.h"

using cocos2d::Size;
using cocos2d::Vec2;
using namespace circuit;

namespace {

PictureSizes pictures() { return testPictures(); }

class HealthTest : public ::testing::Test {
protected:
    CircuitModel model{pictures(), Size(2048, 1536)};
    CircuitHealth health{model};
    PartId straight(float x, float y = 500, float rotation = 0) { return model.add(PartTypes::straight, Vec2(x, y), rotation); }
    // Parts joined end B to end A one after another, the last back to the first.
    std::vector<PartId> loop(int n, float y)
    {
        std::vector<PartId> parts;
        for (int i = 0; i < n; ++i) parts.push_back(straight(100.0f + 100.0f * float(i), y));
        for (int i = 0; i < n; ++i) model.join({parts[std::size_t(i)], 1}, {parts[std::size_t((i + 1) % n)], 0});
        return parts;
    }
};

} // namespace

TEST_F(HealthTest, OpenEndsAndPiecesFollowJoinsBreaksRemovalsAndClearing)
{
    EXPECT_EQ(health.openEnds(), 0);
    EXPECT_EQ(health.pieces(), 0);
    const auto first = loop(4, 300);
    EXPECT_EQ(health.openEnds(), 0);
    EXPECT_EQ(health.pieces(), 1);
    const auto second = loop(3, 900);
    EXPECT_EQ(health.pieces(), 2);

    model.unlinkEnd({first[0], 1});
    EXPECT_EQ(health.openEnds(), 2);
    EXPECT_EQ(health.pieces(), 2) << "a ring opened at one joint is still one piece";
    model.remove(first[2]);
    EXPECT_EQ(health.openEnds(), 4) << "both neighbours of the removed part lose their link";
    EXPECT_EQ(health.pieces(), 3);
    model.join({first[0], 1}, {first[1], 0});
    EXPECT_EQ(health.openEnds(), 2);
    EXPECT_EQ(health.pieces(), 2) << "3, 0 and 1 again in a row, and the intact triangle";

    model.clear();
    EXPECT_EQ(health.openEnds(), 0);
    EXPECT_EQ(health.pieces(), 0);
    (void)second;
}

TEST_F(HealthTest, NearestGapPairsFreeEndsOfDifferentPartsWithinReach)
{
    const PartId a = straight(100);
    EXPECT_FALSE(health.nearestGap()) << "a part's own ends, 60 apart, are no gap";
    const PartId b = straight(200);
    auto gap = health.nearestGap();
    ASSERT_TRUE(gap);
    EXPECT_EQ(gap.a, (EndRef{a, 1}));
    EXPECT_EQ(gap.b, (EndRef{b, 0}));
    EXPECT_FLOAT_EQ(gap.distance, 40.0f);
    EXPECT_EQ(gap.turn, 0);

    model.setRotation(b, 45);
    gap = health.nearestGap();
    ASSERT_TRUE(gap);
    EXPECT_NEAR(gap.distance, model.endToBoard({a, 1}).distance(model.endToBoard({b, 0})), 1e-4);
    EXPECT_EQ(gap.turn, 45);
    model.setRotation(b, 0);
    model.setPosition(b, Vec2(100, 540));
    gap = health.nearestGap();
    EXPECT_FLOAT_EQ(gap.distance, 40.0f);
    EXPECT_EQ(gap.turn, 180) << "side by side, both ends point the same way";

    model.setPosition(b, Vec2(220, 500));
    EXPECT_FLOAT_EQ(health.nearestGap().distance, 60.0f) << "reach is inclusive";
    model.setPosition(b, Vec2(220.5f, 500));
    EXPECT_FALSE(health.nearestGap());

    // Two ends whose nearest partner leaves find each other again: b's end A
    // between a's end B and an upright part's lower end, 15 from each.
    model.setPosition(b, Vec2(160, 515));
    const PartId upright = straight(130, 560, 90);
    EXPECT_NEAR(health.nearestGap().distance, 15.0f, 1e-3);
    model.setPosition(b, Vec2(1000, 1000));
    gap = health.nearestGap();
    ASSERT_TRUE(gap);
    EXPECT_NEAR(gap.distance, 30.0f, 1e-3);
    EXPECT_TRUE(gap.a.part == upright || gap.b.part == upright);
}

TEST_F(HealthTest, IncrementalGapMatchesASearchOverEveryPairThroughRandomEdits)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> coordinate(0, 400);
    std::uniform_int_distribution<int> op(0, 9), turn(0, 7);
    std::vector<PartId> parts;
    for (int i = 0; i < 120; ++i) parts.push_back(straight(coordinate(random), coordinate(random), 45.0f * turn(random)));
    auto pick = [&] { return parts[std::uniform_int_distribution<std::size_t>(0, parts.size() - 1)(random)]; };

    for (int round = 0; round < 400; ++round) {
        // Several edits between questions, as in a frame.
        for (int k = 0; k < 1 + round % 4; ++k) {
            const int o = op(random);
            const PartId p = pick();
            if (o < 4) {
                model.setPosition(p, model.part(p).position + Vec2(coordinate(random) - 200, coordinate(random) - 200) * 0.2f);
            } else if (o < 5) {
                model.setRotation(p, 45.0f * turn(random));
            } else if (o < 7) {
                const PartId q = pick();
                if (q != p) model.join({p, turn(random) % 2}, {q, turn(random) % 2});
            } else if (o < 8) {
                model.unlinkEnd({p, turn(random) % 2});
            } else if (o < 9 && parts.size() > 20) {
                model.remove(p);
                parts.erase(std::find(parts.begin(), parts.end(), p));
            } else {
                parts.push_back(straight(coordinate(random), coordinate(random), 45.0f * turn(random)));
            }
        }
        int open = 0;
        float best = CircuitHealth::kGapReach + 1;
        for (const Part& p : model.parts()) {
            for (int e = 0; e < 2; ++e) {
                if (p.ends[e].link) continue;
                ++open;
                for (const Part& q : model.parts()) {
                    if (q.id == p.id) continue;
                    for (int f = 0; f < 2; ++f)
                        if (!q.ends[f].link)
                            best = std::min(best, model.endToBoard({p.id, e}).distance(model.endToBoard({q.id, f})));
                }
            }
        }
        ASSERT_EQ(health.openEnds(), open) << "round " << round;
        const auto gap = health.nearestGap();
        if (best > CircuitHealth::kGapReach) {
            ASSERT_FALSE(gap) << "round " << round;
        } else {
            ASSERT_TRUE(gap) << "round " << round;
            ASSERT_FLOAT_EQ(gap.distance, best) << "round " << round;
            ASSERT_NE(gap.a.part, gap.b.part);
            ASSERT_FLOAT_EQ(model.endToBoard(gap.a).distance(model.endToBoard(gap.b)), best);
        }
    }
}

TEST_F(HealthTest, NextOpenEndWalksPlacementOrderAndWrapsRound)
{
    EXPECT_FALSE(health.nextOpenEnd({}));
    const PartId a = straight(100), b = straight(300), c = straight(500);
    model.join({a, 1}, {b, 0});
    EXPECT_EQ(health.nextOpenEnd({}), (EndRef{a, 0}));
    EXPECT_EQ(health.nextOpenEnd({a, 0}), (EndRef{b, 1})) << "linked ends are passed by";
    EXPECT_EQ(health.nextOpenEnd({b, 1}), (EndRef{c, 0}));
    EXPECT_EQ(health.nextOpenEnd({c, 1}), (EndRef{a, 0})) << "after the last comes the first";
    EXPECT_EQ(health.nextOpenEnd({a, 1}), (EndRef{b, 1})) << "from a linked end too";
    model.remove(c);
    EXPECT_EQ(health.nextOpenEnd({c, 0}), (EndRef{a, 0})) << "a part that went starts the walk over";
    model.join({b, 1}, {a, 0});
    EXPECT_FALSE(health.nextOpenEnd({a, 0}));
}
