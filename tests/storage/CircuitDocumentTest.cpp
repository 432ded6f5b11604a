#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>

#include <picojson.h>

#include <random>

#include "CircuitDocument.h"

using namespace circuitdoc;

TEST(CircuitDocument, WritesCompactSortedMembersAndIntegralNumbersWithoutPoint)
{
    EXPECT_EQ(writeCircuit({}), "[]");
    EXPECT_EQ(writeCircuit({{0, 0, 512, 384}, {2, 90, 640.5f, 384}}),
              R"([{"rot":0,"type":0,"x":512,"y":384},{"rot":90,"type":2,"x":640.5,"y":384}])");
    // Floats are widened to double: 0.1f is not 0.1.
    EXPECT_EQ(writeCircuit({{1, -45, 100.25f, 0.1f}}),
              R"([{"rot":-45,"type":1,"x":100.25,"y":0.10000000149011612}])");
}

TEST(CircuitDocument, ReadsPartsInOrderAndDropsTheRotationsFraction)
{
    const auto parts = readCircuit(R"([{"rot":45.7,"type":3,"x":1.5,"y":2},{"type":7,"rot":-90.9,"y":0,"x":0}])");
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].type, 3);
    EXPECT_EQ(parts[0].rotation, 45);
    EXPECT_EQ(parts[0].x, 1.5f);
    EXPECT_EQ(parts[1].type, 7);
    EXPECT_EQ(parts[1].rotation, -90);
    // A round trip keeps order, places and whole rotations.
    const std::vector<PartRecord> board{{5, 135, 12.75f, 1000}, {0, 0, 0.1f, 3}, {2, 360, 7, 8}};
    const auto back = readCircuit(writeCircuit(board));
    ASSERT_EQ(back.size(), board.size());
    for (size_t i = 0; i < board.size(); ++i) {
        EXPECT_EQ(back[i].type, board[i].type);
        EXPECT_EQ(back[i].rotation, board[i].rotation);
        EXPECT_EQ(back[i].x, board[i].x);
        EXPECT_EQ(back[i].y, board[i].y);
    }
}

TEST(CircuitDocument, TextsOfAnotherShapeReadAsEmptyOrLoseOnlyTheirBadParts)
{
    std::string error;
    EXPECT_TRUE(readCircuit("").empty());
    EXPECT_TRUE(readCircuit("[]").empty());
    EXPECT_TRUE(readCircuit("not json", &error).empty());
    EXPECT_FALSE(error.empty());
    error.clear();
    // picojson throws on numbers a double cannot hold; that is a parse error.
    EXPECT_TRUE(readCircuit(R"([{"rot":1e999,"type":0,"x":0,"y":0}])", &error).empty());
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(readCircuit(R"({"rot":0,"type":0,"x":0,"y":0})").empty());
    const auto parts = readCircuit(R"([1,"a",{"rot":0,"type":9,"x":0,"y":0},{"rot":0,"type":-1,"x":0,"y":0},)"
                                   R"({"rot":0,"type":"1","x":0,"y":0},{"rot":0,"x":0,"y":0},)"
                                   R"({"rot":0,"type":1,"x":1e300,"y":0},{"rot":1e12,"type":1,"x":0,"y":0},)"
                                   R"({"rot":0,"type":6.9,"x":3,"y":4}])");
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].type, 6);
    EXPECT_EQ(parts[0].x, 3.0f);
}

TEST(SaveList, NewEntriesGoFirstAndEditsTouchOnlyTheFirstMatch)
{
    std::string list = saveListWithNewEntry("", "20150601120000", "2015-06-01  12 : 00 : 00");
    list = saveListWithNewEntry(list, "20150607093015", "2015-06-07  09 : 30 : 15");
    list = saveListRenamed(list, "20150607093015", "My oval");
    EXPECT_EQ(list, R"([{"id":"20150607093015","name":"My oval"},)"
                    R"({"id":"20150601120000","name":"2015-06-01  12 : 00 : 00"}])");
    const auto entries = readSaveList(list);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "My oval");
    EXPECT_EQ(entries[1].id, "20150601120000");

    EXPECT_EQ(saveListRenamed(list, "19990101000000", "x"), list) << "an unknown id leaves the list as it was";
    EXPECT_EQ(saveListRenamed("", "1", "x"), "[]");
    EXPECT_EQ(saveListWithout(list, "20150607093015"), R"([{"id":"20150601120000","name":"2015-06-01  12 : 00 : 00"}])");

    const std::string twice = R"([{"id":"20150601120000","name":"a"},{"id":"20150601120000","name":"b"}])";
    EXPECT_EQ(saveListRenamed(twice, "20150601120000", "c"), R"([{"id":"20150601120000","name":"c"},{"id":"20150601120000","name":"b"}])");
    EXPECT_EQ(saveListWithout(twice, "20150601120000"), R"([{"id":"20150601120000","name":"b"}])");
    // Names typed in any script pass through as UTF-8.
    EXPECT_EQ(readSaveList(saveListRenamed(twice, "20150601120000", "\xe3\x81\x82"))[0].name, "\xe3\x81\x82");
    // An entry the program does not understand is kept, not read; an id
    // that is not 14 digits names no file the program would touch.
    const std::string odd = R"([{"id":1,"name":"a"},{"id":"../../x","name":"b"},{"id":"20150601120000","name":"c"}])";
    EXPECT_EQ(readSaveList(odd).size(), 1u);
    EXPECT_EQ(readSaveList(saveListWithNewEntry(odd, "20150601120001", "d")).size(), 2u);
    // picojson writes "/" escaped.
    EXPECT_EQ(saveListWithout(odd, "20150601120000"), R"([{"id":1,"name":"a"},{"id":"..\/..\/x","name":"b"}])");
}

TEST(CircuitId, LocalTimeGivesFourteenDigitsAndTheSpacedDisplayDate)
{
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "JST-9", 1); // a POSIX zone: no zone files needed
    tzset();
    const std::time_t when = 1433637015; // 2015-06-07 00:30:15 UTC
    EXPECT_EQ(circuitId(when), "20150607093015");
    EXPECT_EQ(displayDate(when), "2015-06-07  09 : 30 : 15");

    // A second circuit in the same second takes the next free second.
    std::set<std::string> taken{circuitId(when), circuitId(when + 1)};
    const std::time_t free = firstFreeSecond(when, [&](const std::string& id) { return taken.count(id) > 0; });
    EXPECT_EQ(circuitId(free), "20150607093017");
    EXPECT_EQ(firstFreeSecond(when + 5, [&](const std::string& id) { return taken.count(id) > 0; }), when + 5);

    if (old) setenv("TZ", saved.c_str(), 1);
    else unsetenv("TZ");
    tzset();
}

TEST(CircuitDocument, NumbersComeOutByteForByteAsPicojsonWritesThem)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<float> position(-5000, 5000);
    std::uniform_int_distribution<int> whole(-100000, 100000);
    std::vector<double> values{0.0, -0.0, 0.1f, 1e-7, 123456789.0, 9007199254740992.0, 9007199254740991.0, 1e300,
                               -2.5, 3.4e38f, 1.17549435e-38f};
    for (int i = 0; i < 20000; ++i) {
        values.push_back(double(position(random)));
        values.push_back(double(whole(random)));
        values.push_back(double(whole(random)) / 8);
    }
    for (double value : values) {
        std::string mine;
        appendNumber(mine, value);
        ASSERT_EQ(mine, picojson::value(value).serialize()) << value;
    }
}

// Remembered part texts give the very bytes a fresh write gives, save after
// save, whichever parts moved in between: a part whose record changed in any
// bit (0 turned -0 included) is written again, the others are copied.
TEST(CircuitDocument, RememberedPartTextsGiveTheBytesOfAFreshWrite)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<float> position(-3000.0f, 3000.0f);
    std::vector<circuitdoc::PartRecord> parts(300);
    for (size_t i = 0; i < parts.size(); ++i)
        parts[i] = {int(i % 8), float(45 * (i % 8)), position(random), position(random)};
    parts[7].x = 0.0f;
    std::vector<circuitdoc::PartText> texts(parts.size());
    std::vector<circuitdoc::PartText*> memos;
    for (auto& text : texts) memos.push_back(&text);

    EXPECT_EQ(circuitdoc::writeCircuit(parts, memos), circuitdoc::writeCircuit(parts));
    for (int round = 0; round < 50; ++round) {
        const size_t moved = random() % parts.size();
        parts[moved].x = position(random);
        parts[(moved + 1) % parts.size()].rotation += 45.0f;
        parts[(moved + 2) % parts.size()].type = int(random() % 8);
        EXPECT_EQ(circuitdoc::writeCircuit(parts, memos), circuitdoc::writeCircuit(parts)) << "round " << round;
    }
    parts[7].x = -0.0f;
    const std::string text = circuitdoc::writeCircuit(parts, memos);
    EXPECT_EQ(text, circuitdoc::writeCircuit(parts));
    EXPECT_NE(text.find("\"x\":-0,"), std::string::npos);
    // Fewer memos than parts: the rest are written afresh.
    memos.resize(10);
    parts.push_back({3, 90.0f, 1.5f, -2.25f});
    EXPECT_EQ(circuitdoc::writeCircuit(parts, memos), circuitdoc::writeCircuit(parts));
}

TEST(CircuitDocument, AWrittenDocumentReadsAsTheSameTextSpacedOut)
{
    // The text as written is read straight; spaced out, by the general
    // parser. Both must give the same parts, bit for bit.
    std::mt19937 random(11);
    std::uniform_real_distribution<float> place(-5000.0f, 5000.0f);
    std::vector<PartRecord> board;
    for (int i = 0; i < 300; ++i)
        board.push_back({int(random() % 8), float(int(random() % 720) - 360), place(random), place(random)});
    board.push_back({4, 0, 1e-30f, -3.4e38f});
    const std::string text = writeCircuit(board);
    std::string spaced;
    for (char c : text) {
        spaced += c;
        if (c == ',' || c == ':') spaced += ' ';
    }
    const auto straight = readCircuit(text);
    const auto general = readCircuit(spaced);
    ASSERT_EQ(straight.size(), board.size());
    ASSERT_EQ(general.size(), board.size());
    for (size_t i = 0; i < board.size(); ++i) {
        EXPECT_EQ(straight[i].type, general[i].type);
        EXPECT_EQ(straight[i].rotation, general[i].rotation);
        EXPECT_EQ(std::memcmp(&straight[i].x, &general[i].x, sizeof(float)), 0);
        EXPECT_EQ(std::memcmp(&straight[i].y, &general[i].y, sizeof(float)), 0);
        EXPECT_EQ(straight[i].x, board[i].x);
    }
    // Text after the array, a part of no known type, a number a double
    // cannot hold: read as the general parser reads them.
    for (const std::string& odd : {std::string(R"([{"rot":0,"type":1,"x":1,"y":2}]x)"),
                                   std::string(R"([{"rot":0,"type":12,"x":1,"y":2},{"rot":1,"type":2,"x":3,"y":2}])"),
                                   std::string(R"([{"rot":1.5,"type":2,"x":1e400,"y":2}])")}) {
        std::string oddSpaced = " " + odd;
        std::string straightError, generalError;
        const auto a = readCircuit(odd, &straightError);
        const auto b = readCircuit(oddSpaced, &generalError);
        ASSERT_EQ(a.size(), b.size()) << odd;
        for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].x, b[i].x);
        EXPECT_EQ(straightError.empty(), generalError.empty()) << odd;
    }
}
