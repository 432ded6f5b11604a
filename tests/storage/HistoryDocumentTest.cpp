#include <gtest/gtest.h>

#include <picojson.h>

#include <cstring>
#include <limits>
#include <map>

#include "HistoryDocument.h"

using namespace circuit;
using namespace circuitdoc;

namespace {

PlacedPart placedPart(std::int32_t place, float x, float y, float rotation, std::int32_t a = -1, std::int32_t b = -1)
{
    PlacedPart p;
    p.place = place;
    p.type = PartTypes::corner;
    p.x = x;
    p.y = y;
    p.rotation = rotation;
    p.links[0] = a;
    p.links[1] = b;
    return p;
}

bool samePart(const PlacedPart& a, const PlacedPart& b)
{
    return a.place == b.place && a.type == b.type && std::memcmp(&a.x, &b.x, sizeof a.x) == 0 &&
           std::memcmp(&a.y, &b.y, sizeof a.y) == 0 && std::memcmp(&a.rotation, &b.rotation, sizeof a.rotation) == 0 &&
           a.links[0] == b.links[0] && a.links[1] == b.links[1];
}

} // namespace

TEST(HistoryDocument, StepsReadBackToTheBitInTheBytesPicojsonWrites)
{
    HistoryStep step;
    PartChange moved;
    moved.hasBefore = moved.hasAfter = true;
    moved.before = placedPart(3, 1034.29004f, 0.1f, 45, 2, -1);
    moved.after = placedPart(3, -0.0f, std::numeric_limits<float>::denorm_min(), 315, -1, 7);
    PartChange placed;
    placed.hasAfter = true;
    placed.after = placedPart(9, std::numeric_limits<float>::max(), -1e-7f, 0);
    PartChange gone;
    gone.hasBefore = true;
    gone.before = placedPart(0, 512, 384, -45, 1, 1);
    step.changes = {moved, gone, placed};

    const std::string text = writeHistoryStep(step);
    picojson::value parsed;
    ASSERT_EQ(picojson::parse(parsed, text), "");
    EXPECT_EQ(parsed.serialize(), text);
    HistoryStep back;
    ASSERT_TRUE(readHistoryStep(text, &back));
    ASSERT_EQ(back.changes.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back.changes[i].hasBefore, step.changes[i].hasBefore);
        EXPECT_EQ(back.changes[i].hasAfter, step.changes[i].hasAfter);
        EXPECT_TRUE(!step.changes[i].hasBefore || samePart(back.changes[i].before, step.changes[i].before)) << i;
        EXPECT_TRUE(!step.changes[i].hasAfter || samePart(back.changes[i].after, step.changes[i].after)) << i;
    }

    const std::string head = writeHistoryHead({12, 1000, 998});
    EXPECT_EQ(head, R"({"done":998,"first":12,"steps":1000})");
    HistoryHead read;
    ASSERT_TRUE(readHistoryHead(head, &read, 1000));
    EXPECT_EQ(read.first, 12u);
    EXPECT_EQ(read.steps, 1000u);
    EXPECT_EQ(read.done, 998u);
}

TEST(HistoryDocument, TextsOfAnyOtherShapeReadAsAnEmptyHistory)
{
    HistoryHead head;
    for (const char* text : {"", "[]", "{}", "nul", R"({"done":1,"first":0})", R"({"done":2,"first":0,"steps":1})",
                             R"({"done":0,"first":-1,"steps":0})", R"({"done":0.5,"first":0,"steps":1})",
                             R"({"done":0,"first":0,"steps":1001})", R"({"done":0,"first":1e999,"steps":0})",
                             R"({"done":0,"first":9007199254740991,"steps":1})",
                             R"({"done":0,"first":0,"steps":0,"more":1})", R"({"done":"0","first":0,"steps":0})"})
        EXPECT_FALSE(readHistoryHead(text, &head, 1000)) << text;

    HistoryStep step;
    for (const char* text :
         {"", "[]", "{}", "[{}]", "[1]", R"([{"a":[0,1,2,3,4,-1]}])", R"([{"a":[0,1,2,3,4,-1,-1,0]}])",
          R"([{"a":[0,8,2,3,4,-1,-1]}])", R"([{"a":[-1,1,2,3,4,-1,-1]}])", R"([{"a":[0.5,1,2,3,4,-1,-1]}])",
          R"([{"a":[0,1,2,3,4,-2,-1]}])", R"([{"a":[0,1,1e39,3,4,-1,-1]}])", R"([{"a":[0,1,"2",3,4,-1,-1]}])",
          R"([{"c":[0,1,2,3,4,-1,-1]}])", R"([{"a":[0,1,2,3,4,-1,-1],"c":1}])",
          R"([{"a":[0,1,2,3,4,-1,-1]},{"a":[0,2,2,3,4,-1,-1]}])", R"([{"a":[2147483648,1,2,3,4,-1,-1]}])"})
        EXPECT_FALSE(readHistoryStep(text, &step)) << text;

    // One unreadable step empties the whole history.
    const std::map<std::uint64_t, std::string> steps = {{7, R"([{"a":[0,1,2,3,4,-1,-1]}])"}, {8, "[{]"}};
    auto stepText = [&](std::uint64_t serial) {
        auto found = steps.find(serial);
        return found == steps.end() ? std::string() : found->second;
    };
    std::string error;
    const StoredHistory whole = readHistory(writeHistoryHead({7, 1, 1}), stepText, 1000, &error);
    EXPECT_EQ(whole.steps.size(), 1u);
    EXPECT_EQ(whole.first, 7u);
    EXPECT_EQ(error, "");
    const StoredHistory broken = readHistory(writeHistoryHead({7, 2, 2}), stepText, 1000, &error);
    EXPECT_TRUE(broken.steps.empty());
    EXPECT_EQ(broken.done, 0u);
    EXPECT_EQ(error, "unreadable history step 8");
}
