#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "History.h"
#include "TestPictures.h"

using cocos2d::Size;
using cocos2d::Vec2;
using namespace circuit;

namespace {

PictureSizes pictures() { return testPictures(); }

std::uint32_t bits(float value)
{
    std::uint32_t out;
    std::memcpy(&out, &value, sizeof out);
    return out;
}

// Everything a part is, to the bit, with links as places.
using Record = std::tuple<PartType, std::uint32_t, std::uint32_t, std::uint32_t, std::ptrdiff_t, std::ptrdiff_t>;

std::vector<Record> records(const CircuitModel& model)
{
    std::vector<Record> out;
    for (const Part& p : model.parts())
        out.emplace_back(p.type, bits(p.position.x), bits(p.position.y), bits(p.rotation),
                         p.ends[0].link ? model.indexOf(p.ends[0].link) : -1,
                         p.ends[1].link ? model.indexOf(p.ends[1].link) : -1);
    return out;
}

std::vector<PartId> ids(const CircuitModel& model)
{
    std::vector<PartId> out;
    for (const Part& p : model.parts()) out.push_back(p.id);
    return out;
}

class HistoryTest : public ::testing::Test {
protected:
    CircuitModel model{pictures(), Size(2048, 1536)};
    History history{model};
    // A row of straights end to end, each joined to the next, as one step.
    std::vector<PartId> row(int count, float y = 500)
    {
        std::vector<PartId> parts;
        for (int i = 0; i < count; ++i) {
            parts.push_back(model.add(PartTypes::straight, Vec2(100 + 60 * i, y), 0));
            if (i > 0) model.join({parts[i - 1], 1}, {parts[i], 0});
        }
        EXPECT_TRUE(history.closeStep());
        return parts;
    }
};

} // namespace

TEST_F(HistoryTest, AStepTakesBackAndPutsBackEveryRecordToTheBitOneSidedLinksIncluded)
{
    const auto parts = row(3);
    // A link only one side has, as a loaded circuit may have it.
    model.setEndLink({parts[2], 1}, parts[0]);
    history.closeStep();
    const auto before = records(model);

    // The middle part breaks away and turns: its neighbours lose their links.
    model.unlinkEnd({parts[1], 0});
    model.unlinkEnd({parts[1], 1});
    model.setPosition(parts[1], Vec2(400.1f, -0.0f));
    model.setRotation(parts[1], 45);
    ASSERT_TRUE(history.closeStep());
    EXPECT_EQ(history.steps().back().changes.size(), 3u) << "the part and both neighbours, no more";
    const auto after = records(model);

    ASSERT_TRUE(history.undo());
    EXPECT_EQ(records(model), before);
    EXPECT_EQ(model.part(parts[2]).ends[1].link, parts[0]);
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(records(model), after);
    EXPECT_FALSE(history.redo());
    EXPECT_FALSE(history.closeStep()) << "undo and redo record nothing themselves";
}

TEST_F(HistoryTest, PartsTakenAwayComeBackAtTheirPlacesUnderTheirIds)
{
    const auto parts = row(5);
    const auto before = records(model);
    const auto idsBefore = ids(model);
    // Two parts of the row in one gesture, as a chain dropped on the trash.
    model.remove(parts[1]);
    model.remove(parts[3]);
    ASSERT_TRUE(history.closeStep());
    const auto after = records(model);

    ASSERT_TRUE(history.undo());
    EXPECT_EQ(records(model), before);
    EXPECT_EQ(ids(model), idsBefore);
    EXPECT_EQ(model.count(PartTypes::straight), 5);
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(records(model), after);
    ASSERT_TRUE(history.undo());
    const PartId fresh = model.add(PartTypes::corner, Vec2(900, 900), 0);
    for (PartId id : idsBefore) EXPECT_NE(fresh, id) << "ids stay unique";
}

TEST_F(HistoryTest, ATouchThatEndsAsItBeganIsNoStep)
{
    const auto parts = row(2);
    const std::size_t steps = history.steps().size();
    model.setPosition(parts[1], Vec2(500, 500));
    model.setPosition(parts[1], Vec2(160, 500));
    model.unlinkEnd({parts[0], 1});
    model.join({parts[0], 1}, {parts[1], 0});
    EXPECT_FALSE(history.closeStep());
    EXPECT_EQ(history.steps().size(), steps);
}

TEST_F(HistoryTest, ANewStepDropsWhatCouldBeRedoneAndTheOldestGoPastTheDepth)
{
    const PartId part = model.add(PartTypes::straight, Vec2(100, 100), 0);
    history.closeStep();
    for (int i = 1; i <= 1005; ++i) {
        model.setPosition(part, Vec2(100.0f + i, 100));
        ASSERT_TRUE(history.closeStep());
    }
    EXPECT_EQ(history.steps().size(), History::kDepth);
    EXPECT_EQ(history.firstSerial(), 1006u - History::kDepth);
    int undone = 0;
    while (history.undo()) ++undone;
    EXPECT_EQ(undone, 1000);
    EXPECT_EQ(model.part(part).position, Vec2(105, 100)) << "the state after the fifth move";

    history.redo();
    history.redo();
    model.setPosition(part, Vec2(0, 0));
    ASSERT_TRUE(history.closeStep());
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.done(), 3u);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(model.part(part).position, Vec2(107, 100));
}

// After a relaunch the parts have new ids and the steps only places: undo
// works from places alone, and a step that does not fit is refused whole.
TEST_F(HistoryTest, StepsWithoutIdsUndoOnAFreshCircuitAndOnesThatDoNotFitAreDropped)
{
    const auto parts = row(3);
    const auto before = records(model);
    model.remove(parts[0]);
    model.setPosition(parts[2], Vec2(700, 700));
    ASSERT_TRUE(history.closeStep());
    std::vector<HistoryStep> kept(history.steps().begin(), history.steps().end());
    for (HistoryStep& step : kept)
        for (PartChange& c : step.changes) c.before.id = c.after.id = 0;

    CircuitModel relaunched(pictures(), Size(2048, 1536));
    for (const Part& p : model.parts()) relaunched.add(p.type, p.position, p.rotation);
    relaunched.join({relaunched.parts()[0].id, 1}, {relaunched.parts()[1].id, 0});
    History again(relaunched);
    again.load(kept, kept.size(), 40);
    ASSERT_TRUE(again.undo());
    EXPECT_EQ(records(relaunched), before);

    // The stored step says the moved part stands elsewhere: nothing changes.
    CircuitModel other(pictures(), Size(2048, 1536));
    other.add(PartTypes::straight, Vec2(160, 500), 0);
    other.add(PartTypes::straight, Vec2(1, 1), 0);
    const auto untouched = records(other);
    History stale(other);
    stale.load(kept, kept.size(), 40);
    EXPECT_FALSE(stale.undo());
    EXPECT_EQ(records(other), untouched);
    EXPECT_FALSE(stale.canUndo());
    EXPECT_TRUE(stale.unsaved()) << "the store is told the history went";

    // Places out of range on the other side are refused before anything moves,
    // and so is a part that would come back as another type.
    PlacedPart& moved = kept.back().changes.back().before;
    const std::int32_t link = moved.links[0];
    moved.links[0] = 99;
    History wild(relaunched);
    wild.load(kept, kept.size() - 1, 0);
    ASSERT_TRUE(wild.redo());
    EXPECT_FALSE(wild.undo());
    moved.links[0] = link;
    moved.type = PartTypes::corner;
    History retyped(relaunched);
    retyped.load(kept, kept.size(), 0);
    EXPECT_FALSE(retyped.undo());
    moved.type = PartTypes::straight;
    History fits(relaunched);
    fits.load(kept, kept.size(), 0);
    EXPECT_TRUE(fits.undo());
}
