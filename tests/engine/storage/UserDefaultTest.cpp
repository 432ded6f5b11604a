#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <functional>

#include "ChildProcess.h"
#include "StorageTestHome.h"

using cocos2d::FileUtils;
using cocos2d::UserDefault;

namespace {

class UserDefaultTest : public StorageTestHome {
protected:
    UserDefault* store() { return UserDefault::getInstance(); }

    void reopen() { resetSingletons(); }

    std::vector<std::string> corruptCopies() {
        std::vector<std::string> found;
        for (const auto& name : namesIn(root_)) {
            if (name.rfind("UserDefault.sqlite.corrupt-", 0) == 0) {
                found.push_back(root_ + "/" + name);
            }
        }
        return found;
    }
};

TEST_F(UserDefaultTest, MissingKeysGiveEngineDefaultsOrTheGivenOnes) {
    EXPECT_FALSE(store()->getBoolForKey("none"));
    EXPECT_EQ(store()->getIntegerForKey("none"), 0);
    EXPECT_EQ(store()->getFloatForKey("none"), 0.0f);
    EXPECT_EQ(store()->getDoubleForKey("none"), 0.0);
    EXPECT_EQ(store()->getStringForKey("none"), "");

    EXPECT_TRUE(store()->getBoolForKey("none", true));
    EXPECT_EQ(store()->getIntegerForKey("none", 7), 7);
    EXPECT_EQ(store()->getFloatForKey("none", 1.5f), 1.5f);
    EXPECT_EQ(store()->getDoubleForKey("none", 2.5), 2.5);
    EXPECT_EQ(store()->getStringForKey("none", "dflt"), "dflt");

    // A stored value wins over the default, even one that equals the
    // engine default.
    store()->setBoolForKey("off", false);
    store()->setIntegerForKey("zero", 0);
    store()->setStringForKey("blank", "");
    EXPECT_FALSE(store()->getBoolForKey("off", true));
    EXPECT_EQ(store()->getIntegerForKey("zero", 9), 0);
    EXPECT_EQ(store()->getStringForKey("blank", "dflt"), "");
}

TEST_F(UserDefaultTest, EveryTypeRoundTripsExactlyThroughAFreshInstance) {
    const std::string withNul("a\0b", 3);
    store()->setBoolForKey("bool.true", true);
    store()->setBoolForKey("bool.false", false);
    store()->setIntegerForKey("int.min", INT_MIN);
    store()->setIntegerForKey("int.max", INT_MAX);
    store()->setFloatForKey("float.tenth", 0.1f);
    store()->setFloatForKey("float.tiny", 1e-7f);
    store()->setFloatForKey("float.max", FLT_MAX);
    store()->setDoubleForKey("double.pi", M_PI);
    store()->setDoubleForKey("double.tiny", 1e-300);
    store()->setDoubleForKey("double.negative", -123456.789012345);
    store()->setStringForKey("string.utf8", "回路 ✓ \"quoted\"\n2nd line");
    store()->setStringForKey("string.nul", withNul);
    store()->flush();
    reopen();

    EXPECT_TRUE(store()->getBoolForKey("bool.true"));
    EXPECT_FALSE(store()->getBoolForKey("bool.false", true));
    EXPECT_EQ(store()->getIntegerForKey("int.min"), INT_MIN);
    EXPECT_EQ(store()->getIntegerForKey("int.max"), INT_MAX);
    EXPECT_EQ(store()->getFloatForKey("float.tenth"), 0.1f);
    EXPECT_EQ(store()->getFloatForKey("float.tiny"), 1e-7f);
    EXPECT_EQ(store()->getFloatForKey("float.max"), FLT_MAX);
    EXPECT_EQ(store()->getDoubleForKey("double.pi"), M_PI);
    EXPECT_EQ(store()->getDoubleForKey("double.tiny"), 1e-300);
    EXPECT_EQ(store()->getDoubleForKey("double.negative"), -123456.789012345);
    EXPECT_EQ(store()->getStringForKey("string.utf8"), "回路 ✓ \"quoted\"\n2nd line");
    EXPECT_EQ(store()->getStringForKey("string.nul"), withNul);
}

TEST_F(UserDefaultTest, ValuesAreStoredAsTextListedInKeyOrder) {
    store()->setStringForKey("zeta", "last");
    store()->setBoolForKey("alpha", true);
    store()->setBoolForKey("beta", false);
    store()->setIntegerForKey("count", -42);
    store()->setFloatForKey("scale", 0.5f);
    store()->setDoubleForKey("Zoom", 2.25);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Zoom", "2.25"},   {"alpha", "true"},  {"beta", "false"},
        {"count", "-42"},   {"scale", "0.5"},   {"zeta", "last"}};
    EXPECT_EQ(store()->getAllEntries(), expected);
    store()->flush();
    reopen();
    EXPECT_EQ(store()->getAllEntries(), expected);
}

TEST_F(UserDefaultTest, GettersParseTextLikeTheCLibrary) {
    store()->setStringForKey("number", " 12abc");
    store()->setStringForKey("real", "+3.75");
    store()->setStringForKey("word", "yes");
    store()->setDoubleForKey("huge", 1e300);
    EXPECT_EQ(store()->getIntegerForKey("number", 5), 12);
    EXPECT_EQ(store()->getIntegerForKey("real"), 3);
    EXPECT_EQ(store()->getDoubleForKey("real"), 3.75);
    EXPECT_EQ(store()->getFloatForKey("real"), 3.75f);
    EXPECT_FALSE(store()->getBoolForKey("word", true));
    EXPECT_EQ(store()->getIntegerForKey("word", 5), 0);
    EXPECT_TRUE(std::isinf(store()->getFloatForKey("huge")));
}

TEST_F(UserDefaultTest, SetReplacesAndDeleteRemovesForGood) {
    store()->setIntegerForKey("best", 10);
    store()->setIntegerForKey("best", 11);
    store()->setStringForKey("name", "x");
    EXPECT_EQ(store()->getIntegerForKey("best"), 11);
    store()->deleteValueForKey("name");
    store()->deleteValueForKey("never-set");
    EXPECT_EQ(store()->getStringForKey("name", "gone"), "gone");
    store()->flush();
    reopen();
    EXPECT_EQ(store()->getIntegerForKey("best"), 11);
    EXPECT_EQ(store()->getStringForKey("name", "gone"), "gone");
    EXPECT_EQ(store()->getAllEntries().size(), 1u);
}

TEST_F(UserDefaultTest, StoreIsOnePrivateFileInTheWritablePath) {
    mode_t previous = umask(0);
    store()->setBoolForKey("k", true);
    store()->flush();
    umask(previous);
    EXPECT_EQ(UserDefault::getStoreFilePath(), root_ + "/UserDefault.sqlite");
    EXPECT_EQ(modeOf(root_ + "/UserDefault.sqlite"), 0600u);
    EXPECT_EQ(namesIn(root_), std::vector<std::string>{"UserDefault.sqlite"});
}

TEST_F(UserDefaultTest, SigkillRightAfterFlushLosesNothing) {
    Child child([](Child& self) {
        UserDefault* store = UserDefault::getInstance();
        for (int i = 0; i < 20; ++i) {
            store->setIntegerForKey(("level" + std::to_string(i)).c_str(), i * i);
        }
        store->setStringForKey("circuit", std::string(100000, 'c'));
        store->flush();
        self.tell('f');
        pause();
    });
    ASSERT_TRUE(child.started());
    ASSERT_EQ(child.waitFor(), 'f');
    ASSERT_TRUE(child.killAtOnce());

    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(store()->getIntegerForKey(("level" + std::to_string(i)).c_str(), -1), i * i);
    }
    EXPECT_EQ(store()->getStringForKey("circuit"), std::string(100000, 'c'));
}

TEST_F(UserDefaultTest, UnflushedSetsKilledAreAbsentAndAHalfWrittenTransactionIsUndone) {
    Child child([](Child& self) {
        UserDefault* store = UserDefault::getInstance();
        store->setStringForKey("kept", "yes");
        store->setIntegerForKey("changed", 1);
        store->flush();
        store->setStringForKey("lost", "no");
        // A writer killed in the middle of a large transaction, as a flush
        // of many sets could be, leaves changed pages in the file and a
        // journal to undo them.
        sqlite3* db = nullptr;
        if (sqlite3_open(UserDefault::getStoreFilePath().c_str(), &db) != SQLITE_OK ||
            sqlite3_exec(db, "BEGIN; UPDATE entries SET value = '2' WHERE key = 'changed';"
                             "DELETE FROM entries WHERE key = 'kept'",
                         nullptr, nullptr, nullptr) != SQLITE_OK) {
            self.fail();
        }
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO entries VALUES(?1, ?2)", -1, &insert, nullptr);
        const std::string bulk(500, 'b');
        for (int i = 0; i < 6000; ++i) {
            const std::string key = "bulk" + std::to_string(i);
            sqlite3_bind_text(insert, 1, key.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, bulk.c_str(), -1, SQLITE_STATIC);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        self.tell('s');
        pause();
    });
    ASSERT_TRUE(child.started());
    ASSERT_EQ(child.waitFor(), 's');
    ASSERT_TRUE(child.killAtOnce());
    ASSERT_TRUE(std::filesystem::exists(root_ + "/UserDefault.sqlite-journal"));

    testing::internal::CaptureStderr();
    EXPECT_EQ(store()->getStringForKey("kept"), "yes");
    EXPECT_EQ(store()->getIntegerForKey("changed"), 1);
    EXPECT_EQ(store()->getStringForKey("lost", "absent"), "absent");
    EXPECT_EQ(store()->getAllEntries().size(), 2u);
    store()->setStringForKey("after", "works");
    store()->flush();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(corruptCopies().empty());
    reopen();
    EXPECT_EQ(store()->getStringForKey("after"), "works");
}

TEST_F(UserDefaultTest, DestroyingTheInstanceCommitsPendingSets) {
    store()->setStringForKey("unflushed", "still here");
    UserDefault::destroyInstance();
    EXPECT_EQ(store()->getStringForKey("unflushed"), "still here");
}

TEST_F(UserDefaultTest, GarbageStoreIsMovedAsideAndAFreshOneStarts) {
    std::string garbage;
    for (int i = 0; i < 5000; ++i) {
        garbage += static_cast<char>((i * 7919) % 251);
    }
    writeFile(root_ + "/UserDefault.sqlite", garbage);

    testing::internal::CaptureStderr();
    EXPECT_EQ(store()->getStringForKey("anything", "default"), "default");
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);

    auto copies = corruptCopies();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_NE(message.find(copies[0]), std::string::npos);
    EXPECT_EQ(readFile(copies[0]), garbage);

    store()->setIntegerForKey("fresh", 3);
    store()->flush();
    reopen();
    EXPECT_EQ(store()->getIntegerForKey("fresh"), 3);
    EXPECT_EQ(corruptCopies().size(), 1u);
}

TEST_F(UserDefaultTest, DamagedDatabaseIsDetectedNotHalfRead) {
    for (int i = 0; i < 300; ++i) {
        store()->setStringForKey(("key" + std::to_string(i)).c_str(), std::string(200, 'v'));
    }
    store()->flush();
    reopen();
    const std::string path = root_ + "/UserDefault.sqlite";
    std::string bytes = readFile(path);
    ASSERT_GT(bytes.size(), 3 * 4096u);
    // Wreck the second page, a b-tree page of the table, keeping the header.
    for (size_t i = 4096; i < 4096 + 64; ++i) {
        bytes[i] = '\xee';
    }
    writeFile(path, bytes);

    testing::internal::CaptureStderr();
    EXPECT_EQ(store()->getAllEntries().size(), 0u);
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(corruptCopies().size(), 1u);
    EXPECT_EQ(readFile(corruptCopies()[0]), bytes);
}

TEST_F(UserDefaultTest, TwoRunningInstancesSeeEachOthersFlushedValues) {
    Child other([](Child& self) {
        UserDefault* store = UserDefault::getInstance();
        store->setStringForKey("from.child", "hello");
        store->flush();
        self.tell('1');
        if (self.hear() != '2' || store->getStringForKey("from.parent") != "hi") {
            self.fail();
        }
        // The parent has a set of its own pending now, which holds no lock.
        store->setIntegerForKey("child.counter", 2);
        store->flush();
        self.tell('3');
        UserDefault::destroyInstance();
    });
    ASSERT_TRUE(other.started());
    // Open before the child has written, so both connections are live.
    EXPECT_EQ(store()->getStringForKey("from.parent", "unset"), "unset");
    ASSERT_EQ(other.waitFor(), '1');
    EXPECT_EQ(store()->getStringForKey("from.child"), "hello");

    store()->setStringForKey("from.parent", "hi");
    store()->flush();
    store()->setIntegerForKey("parent.pending", 1);
    other.send('2');
    usleep(200 * 1000);
    store()->flush();
    ASSERT_EQ(other.waitFor(), '3');
    EXPECT_EQ(other.exitStatus(), 0);
    EXPECT_EQ(store()->getIntegerForKey("child.counter"), 2);
    EXPECT_EQ(store()->getIntegerForKey("parent.pending"), 1);
}

TEST_F(UserDefaultTest, NewWritablePathOpensItsOwnStore) {
    store()->setStringForKey("where", "first");
    store()->flush();
    const std::string second = root_ + "/second";
    setenv("VELOQUIX_HOME", second.c_str(), 1);
    UserDefault::destroyInstance();
    EXPECT_EQ(store()->getStringForKey("where", "none"), "none");
    store()->setStringForKey("where", "second");
    store()->flush();
    EXPECT_TRUE(FileUtils::getInstance()->isFileExist(second + "/UserDefault.sqlite"));

    setenv("VELOQUIX_HOME", root_.c_str(), 1);
    UserDefault::destroyInstance();
    EXPECT_EQ(store()->getStringForKey("where"), "first");
}

TEST_F(UserDefaultTest, UnusableWritablePathKeepsSettingsForTheSession) {
    writeFile(root_ + "/file", "not a folder");
    setenv("VELOQUIX_HOME", (root_ + "/file/home").c_str(), 1);
    testing::internal::CaptureStderr();
    store()->setIntegerForKey("k", 4);
    store()->flush();
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    EXPECT_EQ(store()->getIntegerForKey("k"), 4);
}

}  // namespace
