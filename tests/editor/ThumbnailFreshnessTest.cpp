#include <string>

#include "storage/SavedCircuitsFixture.h"

USING_NS_CC;

namespace {

const char* const kB = "20150602000000";

class ThumbnailFreshnessTest : public SavedCircuitsTest {
protected:
    void addStraight()
    {
        ed->addPartToBoard(1, Vec2(1200, 900));
        ed->commitEdit();
        app->frame();
    }
    static std::string thumbnail() { return fileBytes(CircuitStore::thumbnailPath(kB)); }
};

TEST_F(ThumbnailFreshnessTest, QuittingWritesTheThumbnailOfTheBoardAsEdited)
{
    launchWithThree();
    addStraight();
    EXPECT_EQ(ed->store().thumbnailBehind(), kB);
    ASSERT_EQ(thumbnail(), "");
    app->delegate->applicationWillTerminate();
    EXPECT_NE(thumbnail(), "");
    EXPECT_EQ(ed->store().thumbnailBehind(), "");
}

TEST_F(ThumbnailFreshnessTest, AStartAfterAKillDrawsTheThumbnailAgainBeforeTheListShowsIt)
{
    launchWithThree();
    addStraight();
    // Killed: no quit, the thumbnail never written.
    relaunch();
    ASSERT_EQ(ed->model().parts().size(), 3u);
    ed->showSavedList(true);
    app->frame();
    EXPECT_NE(thumbnail(), "");
    EXPECT_EQ(ed->store().thumbnailBehind(), "");

    // With nothing behind, a start pictures nothing until something changes.
    relaunch();
    EXPECT_FALSE(ed->snapshot().pending());
}

} // namespace
