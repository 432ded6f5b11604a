#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "CircuitModel.h"
#include "PartMove.h"
#include "TestPictures.h"

using cocos2d::Size;
using cocos2d::Vec2;
using namespace circuit;

namespace {

PictureSizes pictures() { return testPictures(); }

struct Recorder : CircuitObserver {
    std::vector<std::string> events;
    void partAdded(const Part& p, std::size_t i) override { events.push_back("add " + std::to_string(p.id) + "@" + std::to_string(i)); }
    void partRemoved(const Part& p, std::size_t i) override { events.push_back("remove " + std::to_string(p.id) + "@" + std::to_string(i)); }
    void linkChanged(const Part& p, int e) override { events.push_back("link " + std::to_string(p.id) + "." + std::to_string(e)); }
};

class ModelTest : public ::testing::Test {
protected:
    CircuitModel model{pictures(), Size(2048, 1536)};
    PartId straight(float x, float y = 500, float rotation = 0) { return model.add(PartTypes::straight, Vec2(x, y), rotation); }
    void join(PartId a, int ea, PartId b, int eb) { model.join({a, ea}, {b, eb}); }
    PartId link(PartId p, int e) const { return model.part(p).ends[e].link; }
};

} // namespace

TEST_F(ModelTest, PartsKeepPlacementOrderAndCountsThroughRemoval)
{
    Recorder seen;
    model.addObserver(&seen);
    const PartId a = straight(100), b = model.add(PartTypes::corner, Vec2(200, 500), 0), c = straight(300);
    EXPECT_EQ(model.count(PartTypes::straight), 2);
    EXPECT_EQ(model.count(PartTypes::corner), 1);
    model.remove(b);
    ASSERT_EQ(model.size(), 2u);
    EXPECT_EQ(model.parts()[1].id, c);
    EXPECT_EQ(model.indexOf(c), 1);
    EXPECT_EQ(model.indexOf(b), -1);
    EXPECT_EQ(model.count(PartTypes::corner), 0);
    const PartId d = straight(400);
    EXPECT_NE(d, b) << "ids are never reused";
    EXPECT_EQ(seen.events, (std::vector<std::string>{"add 1@0", "add 2@1", "add 3@2", "remove 2@1", "add 4@2"}));
    (void)a;
}

TEST_F(ModelTest, EndsFollowTheTransformANodeWouldHave)
{
    const PartId p = straight(100, 200, 90);
    // Turned a quarter clockwise, end A (left) now lies above the centre.
    EXPECT_NEAR(model.endToBoard({p, 0}).x, 100, 1e-4);
    EXPECT_NEAR(model.endToBoard({p, 0}).y, 230, 1e-4);
    EXPECT_EQ(model.endAngle({p, 0}, {p, 1}), 180);
    // Its bounds are 40 wide and 60 high, and keep it on the board.
    model.placeClamped(p, Vec2(-50, 5000));
    EXPECT_NEAR(model.part(p).position.x, 20, 1e-4);
    EXPECT_NEAR(model.part(p).position.y, 1536 - 30, 1e-4);
}

TEST_F(ModelTest, RemovingAPartFreesEveryEndThatNamedIt)
{
    const PartId a = straight(100), b = straight(160), c = straight(220);
    join(a, 1, b, 0);
    join(b, 1, c, 0);
    // One-sided, as a join onto an end already linked to the mover leaves.
    model.setEndLink({c, 1}, b);
    model.remove(b);
    EXPECT_EQ(link(a, 1), kNoPart);
    EXPECT_EQ(link(c, 0), kNoPart);
    EXPECT_EQ(link(c, 1), kNoPart);
}

TEST_F(ModelTest, TouchingEndsLinkOnLoadWhateverTheOrderOfTheParts)
{
    const PartId b = straight(160), a = straight(100), c = straight(220);
    for (PartId p : {b, a, c}) {
        model.linkTouchingEnd({p, 0});
        model.linkTouchingEnd({p, 1});
    }
    EXPECT_EQ(link(a, 1), b);
    EXPECT_EQ(link(b, 0), a);
    EXPECT_EQ(link(b, 1), c);
    EXPECT_EQ(link(c, 0), b);
    EXPECT_EQ(link(a, 0), kNoPart);
}

TEST_F(ModelTest, ChainEndsOfAPathHoweverItsPartsAreTurned)
{
    // a.B - b.B, b.A - c.A: b lies reversed in the chain.
    const PartId a = straight(100), b = straight(200), c = straight(300);
    join(a, 1, b, 1);
    join(b, 0, c, 0);
    EXPECT_EQ(model.findChainEnd(b, 0), (EndRef{c, 1}));
    EXPECT_EQ(model.findChainEnd(b, 1), (EndRef{a, 0}));
    EXPECT_EQ(model.findChainEnd(a, 1), (EndRef{c, 1}));
    const PartId single = straight(600);
    EXPECT_EQ(model.findChainEnd(single, 1), (EndRef{single, 1}));

    // Collected from a free end, the chain comes out in chain order.
    EXPECT_EQ(model.collectChain(a), (std::vector<PartId>{a, b, c}));
    EXPECT_EQ(model.collectChain(c), (std::vector<PartId>{c, b, a}));
    // From the middle, whatever hangs at end A comes first.
    EXPECT_EQ(model.collectChain(b), (std::vector<PartId>{b, c, a}));
}

TEST_F(ModelTest, ClosedLoopsHaveNoEndAndLinksThatFormNoPathStopTheWalk)
{
    std::vector<PartId> ring;
    for (int i = 0; i < 8; ++i) ring.push_back(straight(100.0f * float(i)));
    for (int i = 0; i < 8; ++i) join(ring[i], 1, ring[(i + 1) % 8], 0);
    EXPECT_FALSE(model.findChainEnd(ring[3], 0));
    EXPECT_FALSE(model.findChainEnd(ring[3], 1));
    EXPECT_EQ(model.collectChain(ring[3]).size(), 8u);

    // s hangs on p, and p and q are joined at both ends to each other: a
    // walk from s circles p and q for ever unless it is bounded.
    model.clear();
    const PartId s = straight(100), p = straight(200), q = straight(300);
    model.setEndLink({s, 0}, p);
    join(p, 0, q, 0);
    join(p, 1, q, 1);
    EXPECT_FALSE(model.findChainEnd(s, 0));
    EXPECT_EQ(model.collectChain(s).size(), 3u);
}

TEST_F(ModelTest, ALiftedChainSnapsByItsFreeEndAndBreaksAwayPastTheJoinDistance)
{
    const PartId a = straight(100), b = straight(160);
    join(a, 1, b, 0);
    const PartId target = straight(400);
    PartMove move(model);
    move.liftChain(a);
    EXPECT_EQ(move.chain(), (std::vector<PartId>{a, b}));
    EXPECT_TRUE(move.inChain(b));
    EXPECT_FALSE(move.inChain(target));

    // b's free end B comes 10 units short of target's end A.
    move.moveGroupWithSnap(Vec2(170, 0));
    ASSERT_TRUE(move.snapped());
    EXPECT_EQ(move.snapTarget(), (EndRef{target, 0}));
    EXPECT_EQ(link(b, 1), target);
    EXPECT_NEAR(model.endToBoard({b, 1}).distance(model.endToBoard({target, 0})), 0, 1e-3);
    EXPECT_NEAR(model.endToBoard({a, 1}).distance(model.endToBoard({b, 0})), 0, 1e-3) << "the chain follows";

    // The joint is measured from where the end was when it snapped.
    move.moveGroupWithSnap(Vec2(-15, 0));
    EXPECT_TRUE(move.snapped()) << "held within the join distance";
    move.moveGroupWithSnap(Vec2(-10, 0));
    EXPECT_FALSE(move.snapped());
    EXPECT_EQ(link(b, 1), kNoPart);
    EXPECT_EQ(link(target, 0), kNoPart);
    EXPECT_EQ(link(a, 1), b) << "the chain itself stays joined";
}

TEST_F(ModelTest, LoadingThroughTheGridLinksExactlyAsLinkingEachPartInTurn)
{
    // Straights and corners on a coarse lattice, so that many ends meet and
    // some meet several others at once.
    std::mt19937 random(5);
    std::uniform_int_distribution<int> cell(0, 6), turn(0, 7), type(0, 2);
    for (int round = 0; round < 20; ++round) {
        std::vector<PartPlacement> placements;
        for (int i = 0; i < 60; ++i)
            placements.push_back({type(random) == 0 ? PartTypes::corner : PartTypes::straight,
                                  Vec2(300.0f + 30.0f * float(cell(random)), 300.0f + 30.0f * float(cell(random))),
                                  45.0f * float(turn(random))});
        CircuitModel oneByOne(pictures(), Size(2048, 1536));
        for (const PartPlacement& p : placements) {
            const PartId id = oneByOne.add(p.type, p.position, p.rotation);
            oneByOne.linkTouchingEnd({id, 0});
            oneByOne.linkTouchingEnd({id, 1});
        }
        CircuitModel atOnce(pictures(), Size(2048, 1536));
        atOnce.addTouching(placements);
        ASSERT_EQ(atOnce.size(), oneByOne.size());
        int links = 0;
        for (std::size_t i = 0; i < placements.size(); ++i)
            for (int e = 0; e < 2; ++e) {
                const PartId expected = oneByOne.parts()[i].ends[e].link;
                const PartId got = atOnce.parts()[i].ends[e].link;
                EXPECT_EQ(got ? atOnce.indexOf(got) : -1, expected ? oneByOne.indexOf(expected) : -1)
                    << "round " << round << " part " << i << " end " << e;
                links += expected != kNoPart;
            }
        ASSERT_GT(links, 0);
    }
}

TEST_F(ModelTest, APartLiftedOutOfItsJointsWithOneLongStepLetsGoOfThem)
{
    const PartId a = straight(100), b = straight(160), c = straight(220);
    join(a, 1, b, 0);
    join(b, 1, c, 0);
    PartMove move(model);
    move.moveSingleWithSnap(b, Vec2(0, 10));
    EXPECT_TRUE(move.snapped()) << "within the join distance it snaps back";
    EXPECT_EQ(link(b, 0), a);
    move.reset();

    move.moveSingleWithSnap(b, Vec2(0, 50));
    EXPECT_FALSE(move.snapped());
    for (int e = 0; e < 2; ++e) EXPECT_EQ(link(b, e), kNoPart) << e;
    EXPECT_EQ(link(a, 1), kNoPart);
    EXPECT_EQ(link(c, 0), kNoPart);
}
