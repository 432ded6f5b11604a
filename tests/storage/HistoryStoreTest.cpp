#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "HistoryDocument.h"
#include "SavedCircuitsFixture.h"

USING_NS_CC;

namespace {

const char* const kB = "20150602000000";
const char* const kTurnedB = R"([{"rot":0,"type":1,"x":1000,"y":700},{"rot":45,"type":1,"x":1060,"y":700}])";

std::string historyHead(const std::string& id)
{
    return stored(circuitdoc::historyKey(id).c_str());
}

} // namespace

TEST_F(SavedCircuitsTest, AnEditIsTakenBackAfterARelaunch)
{
    launchWithThree();
    tap(partAt(1));
    ASSERT_EQ(stored(kB), kTurnedB);
    EXPECT_EQ(historyHead(kB), R"({"done":1,"first":0,"steps":1})");

    relaunch();
    app->key("Ctrl+Z");
    EXPECT_EQ(stored(kB), kTwoStraights);
    EXPECT_EQ(model().parts()[0].ends[1].link, model().parts()[1].id);
    EXPECT_EQ(historyHead(kB), R"({"done":0,"first":0,"steps":1})");
    app->key("Ctrl+Shift+Z");
    EXPECT_EQ(stored(kB), kTurnedB);
}

// The edit is killed off right after its commit, in a process of its own:
// the store holds the document and the history that undoes it, or neither.
TEST_F(SavedCircuitsTest, AnEditIsTakenBackAfterAKillRightAfterIt)
{
    const std::string home = makeTemporaryHome();
    const std::string dir = home.substr(0, home.rfind('/'));
    {
        UserDefault* store = UserDefault::getInstance();
        store->setBoolForKey("open", true);
        store->setStringForKey("savelist", kThreeCircuits);
        store->setStringForKey(kB, kTwoStraights);
        store->setStringForKey("load", kB);
        store->flush();
        UserDefault::destroyInstance();
    }
    // The drawer starts open: the settings icon closes it, then the tap
    // turns the second straight.
    const std::string script = dir + "/edit.txt", marker = dir + "/edited.json";
    std::ofstream(script) << "wait 0.1\ntap 992 32\nwait 1\ntap 548 316\nwait 0.1\nstore " << marker
                          << "\nwait 3600\n";
    const pid_t pid = fork();
    if (pid == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        dup2(quiet, 2);
        execl("./veloquix-replay", "veloquix-replay", script.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    const auto start = std::chrono::steady_clock::now();
    while (std::ifstream(marker).peek() == EOF && std::chrono::steady_clock::now() - start < std::chrono::seconds(60))
        usleep(20 * 1000);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    const auto entries = UserDefault::getInstance()->getAllEntries();
    UserDefault::destroyInstance();
    removeTree(dir);
    launchWith(entries);
    ASSERT_EQ(stored(kB), kTurnedB);
    app->key("Ctrl+Z");
    EXPECT_EQ(stored(kB), kTwoStraights);
}

TEST_F(SavedCircuitsTest, EachCircuitKeepsItsOwnHistoryAndACopyStartsWithNone)
{
    launchWithThree();
    tap(partAt(1));
    ed->showSavedList(true);
    tap(worldOf(item("20150603000000")));
    ed->addPartToBoard(PartTypes::jump, Vec2(900, 600));
    ed->commitEdit();
    ASSERT_TRUE(ed->history().canUndo());

    ed->showSavedList(true);
    tap(worldOf(item(kB)));
    EXPECT_EQ(ed->history().done(), 1u);
    app->key("Ctrl+Z");
    EXPECT_EQ(stored(kB), kTwoStraights);
    EXPECT_NE(stored("20150603000000"), "") << "A keeps its part";

    ed->showSavedList(true);
    liftItem(item(kB), 20, 2);
    app->touchUp(0);
    app->frame();
    tap(worldOf(ed->savedList().copyButton()));
    const std::string copy = ed->store().openId();
    ASSERT_NE(copy, kB);
    EXPECT_EQ(historyHead(copy), "");
    tap(worldOf(item(copy)));
    EXPECT_FALSE(ed->history().canUndo());
    EXPECT_FALSE(ed->history().canRedo());
}

TEST_F(SavedCircuitsTest, ADeletedCircuitComesBackWholeAtItsPlaceButNotWhileANameIsTyped)
{
    launchWithThree();
    tap(partAt(1));
    const std::string step = stored(circuitdoc::historyStepKey(kB, 0).c_str());
    ASSERT_NE(step, "");
    ed->showSavedList(true);
    app->advance(0.1);
    const std::string thumbnail = CircuitStore::thumbnailPath(kB);
    FileUtils::getInstance()->writeStringToFile("picture bytes", thumbnail);
    liftItem(item(kB), 340, 17);
    app->touchUp(0);
    app->advance(0.5);
    ASSERT_EQ(ed->savedList().items().size(), 2u);
    EXPECT_EQ(historyHead(kB), "");
    EXPECT_EQ(stored(circuitdoc::historyStepKey(kB, 0).c_str()), "");

    // While C's name is being edited, the keys are the name's.
    ZelmLoadSprite* c = item("20150601000000");
    liftItem(c, 20, 2);
    app->touchUp(0);
    app->frame();
    tap(worldOf(ed->savedList().editButton()));
    app->typeText("x");
    app->key("Ctrl+Z");
    EXPECT_EQ(ed->savedList().items().size(), 2u);
    EXPECT_EQ(std::string(c->nameBox()->getText()), "Cx");
    app->key("Return");
    app->frame();

    app->key("Ctrl+Z");
    app->advance(0.5);
    ASSERT_EQ(ed->savedList().items().size(), 3u);
    const char* ids[] = {"20150603000000", kB, "20150601000000"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ed->savedList().items().at(i)->id(), ids[i]);
        EXPECT_FLOAT_EQ(ed->savedList().items().at(i)->getPositionX(), 512 + 380.0f * i);
    }
    EXPECT_EQ(item(kB)->nameLabel()->getString(), "B");
    EXPECT_EQ(ed->savedList().currentItem(), item(kB));
    EXPECT_EQ(stored("load"), kB);
    EXPECT_EQ(stored(kB), kTurnedB);
    EXPECT_EQ(stored(circuitdoc::historyStepKey(kB, 0).c_str()), step);
    EXPECT_EQ(fileBytes(thumbnail), "picture bytes");
    EXPECT_EQ(circuitdoc::readSaveList(stored("savelist"))[1].name, "B");

    tap(worldOf(item(kB)));
    app->key("Ctrl+Z");
    EXPECT_EQ(stored(kB), kTwoStraights);
}

TEST_F(SavedCircuitsTest, AStoredHistoryOfAnotherShapeReadsAsNoneAndIsWrittenAfresh)
{
    launch([](UserDefault* store) {
        store->setStringForKey("savelist", kThreeCircuits);
        store->setStringForKey(kB, kTwoStraights);
        store->setStringForKey("load", kB);
        store->setStringForKey(circuitdoc::historyKey(kB).c_str(), R"({"done":1,"first":0,"steps":1})");
        store->setStringForKey(circuitdoc::historyStepKey(kB, 0).c_str(), R"([{"a":[1,1,1060,700]}])");
    });
    EXPECT_FALSE(ed->history().canUndo());
    app->key("Ctrl+Z");
    EXPECT_EQ(stored(kB), kTwoStraights);
    tap(partAt(1));
    EXPECT_EQ(historyHead(kB), R"({"done":1,"first":0,"steps":1})");
}
