#include <sqlite3.h>

#include <string>

#include "storage/SavedCircuitsFixture.h"

USING_NS_CC;

namespace {

class SaveProblemTest : public SavedCircuitsTest {
protected:
    void SetUp() override { UserDefault::setBusyTimeout(100); }
    void TearDown() override { UserDefault::setBusyTimeout(5000); }
    void addStraight(float x)
    {
        ed->addPartToBoard(1, Vec2(x, 900));
        ed->commitEdit();
        app->frame();
    }
};

TEST_F(SaveProblemTest, ALockedStoreIsShownUntilAWriteGoesThroughAndNothingIsLost)
{
    launchWithThree();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(UserDefault::getStoreFilePath().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    testing::internal::CaptureStderr();
    addStraight(1200);
    addStraight(1400);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ed->messages()->shownText(), "Changes are not being saved: the store is locked by another program");
    // A passing message does not end it.
    ed->tell("Posted to the showcase");
    app->advance(MessageLine::kPassingSeconds + 1);
    EXPECT_EQ(ed->messages()->shownText(), "Changes are not being saved: the store is locked by another program");

    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    addStraight(1600);
    EXPECT_EQ(ed->messages()->shownText(), "");
    EXPECT_EQ(circuitdoc::readCircuit(stored("20150602000000")).size(), 5u);
}

} // namespace
