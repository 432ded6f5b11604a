#include <sched.h>
#include <sqlite3.h>
#include <sys/mount.h>

#include <chrono>
#include <cstring>
#include <map>

#include "ChildProcess.h"
#include "StorageTestHome.h"

using cocos2d::UserDefault;

namespace {

using Clock = std::chrono::steady_clock;

// The default SQLite VFS made to behave as if the folder it writes in sat on
// a small disk: a write that would grow the files in that folder past the
// capacity fails with SQLITE_FULL, as a full file system would make it.
class SmallDiskVfs {
public:
    SmallDiskVfs(const std::string& folder, long long capacity) {
        s_folder = folder;
        s_capacity = capacity;
        s_real = sqlite3_vfs_find("unix");
        _vfs = *s_real;
        _vfs.zName = "small-disk";
        _vfs.xOpen = open;
        sqlite3_vfs_register(&_vfs, 1);
    }
    ~SmallDiskVfs() {
        sqlite3_vfs_unregister(&_vfs);
        sqlite3_vfs_register(s_real, 1);
    }

private:
    static long long used() {
        long long total = 0;
        for (const auto& entry : std::filesystem::directory_iterator(s_folder)) {
            std::error_code error;
            if (entry.is_regular_file(error)) {
                total += static_cast<long long>(entry.file_size(error));
            }
        }
        return total;
    }

    // The real file keeps its own layout; only its method table is swapped
    // for a copy whose write checks the space first.
    static int open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
        int rc = s_real->xOpen(s_real, name, file, flags, outFlags);
        if (rc == SQLITE_OK && file->pMethods != nullptr) {
            s_realMethods = file->pMethods;
            s_methods = *file->pMethods;
            s_methods.xWrite = write;
            file->pMethods = &s_methods;
        }
        return rc;
    }

    static int write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
        sqlite3_int64 size = 0;
        s_realMethods->xFileSize(file, &size);
        long long growth = std::max<long long>(0, offset + amount - size);
        if (growth > 0 && used() + growth > s_capacity) {
            return SQLITE_FULL;
        }
        return s_realMethods->xWrite(file, data, amount, offset);
    }

    sqlite3_vfs _vfs;
    static inline std::string s_folder;
    static inline long long s_capacity = 0;
    static inline sqlite3_vfs* s_real = nullptr;
    static inline const sqlite3_io_methods* s_realMethods = nullptr;
    static inline sqlite3_io_methods s_methods;
};

// What another program reading the file sees, through the real VFS.
std::map<std::string, std::string> committed(const std::string& path) {
    std::map<std::string, std::string> entries;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, "unix") == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(db, "SELECT key, value FROM entries", -1, &select, nullptr);
        while (select != nullptr && sqlite3_step(select) == SQLITE_ROW) {
            entries[reinterpret_cast<const char*>(sqlite3_column_text(select, 0))] =
                reinterpret_cast<const char*>(sqlite3_column_text(select, 1));
        }
        sqlite3_finalize(select);
    }
    sqlite3_close(db);
    return entries;
}

std::string batchKey(int batch, int item) {
    return "batch" + std::to_string(batch) + "." + std::to_string(item);
}

std::string batchValue(int batch, int item) {
    return std::string(3000, char('a' + (batch + item) % 26));
}

// Flushes batches of eight sets until the disk is full, then frees the
// space held by spare; returns what went wrong, "" when nothing did.
std::string fillUpAndRecover(const std::string& folder, const std::string& spare) {
    const std::string path = folder + "/UserDefault.sqlite";
    const int kItems = 8;
    std::string problems;
    auto problem = [&](const std::string& text) { problems += text + "; "; };
    UserDefault* store = UserDefault::getInstance();

    testing::internal::CaptureStderr();
    int failed = -1;
    for (int batch = 0; batch < 1000 && failed < 0; ++batch) {
        for (int item = 0; item < kItems; ++item) {
            store->setStringForKey(batchKey(batch, item).c_str(), batchValue(batch, item));
        }
        store->setIntegerForKey("last", batch);
        store->flush();
        auto seen = committed(path);
        int present = 0;
        for (int item = 0; item < kItems; ++item) {
            present += seen.count(batchKey(batch, item)) != 0;
        }
        if (present == 0) {
            failed = batch;
        } else if (present != kItems || seen["last"] != std::to_string(batch)) {
            problem("batch " + std::to_string(batch) + " committed in part");
        }
        for (int earlier = 0; earlier < batch; ++earlier) {
            if (seen[batchKey(earlier, 0)] != batchValue(earlier, 0)) {
                problem("flushed batch " + std::to_string(earlier) + " lost");
                break;
            }
        }
    }
    if (failed < 1) {
        testing::internal::GetCapturedStderr();
        return problems + "the disk never filled up after a first batch";
    }
    store->flush();
    std::string messages = testing::internal::GetCapturedStderr();
    if (std::count(messages.begin(), messages.end(), '\n') != 1) {
        problem("expected one line on stderr, got: " + messages);
    }
    if (store->getStringForKey(batchKey(failed, 3).c_str()) != batchValue(failed, 3) ||
        store->getIntegerForKey("last") != failed) {
        problem("the program no longer reads what it set");
    }
    if (committed(path).count(batchKey(failed, 0)) != 0) {
        problem("the failed batch showed up");
    }

    std::filesystem::remove(spare);
    testing::internal::CaptureStderr();
    store->flush();
    messages = testing::internal::GetCapturedStderr();
    if (!messages.empty()) {
        problem("a flush with room reported: " + messages);
    }
    auto seen = committed(path);
    for (int batch = 0; batch <= failed; ++batch) {
        for (int item = 0; item < kItems; ++item) {
            if (seen[batchKey(batch, item)] != batchValue(batch, item)) {
                problem("batch " + std::to_string(batch) + " incomplete after the space came back");
                batch = failed + 1;
                break;
            }
        }
    }
    if (seen["last"] != std::to_string(failed)) {
        problem("the last value is " + seen["last"]);
    }
    return problems;
}

class UserDefaultFaultTest : public StorageTestHome {
protected:
    void TearDown() override {
        UserDefault::setBusyTimeout(5000);
        StorageTestHome::TearDown();
    }

    UserDefault* store() { return UserDefault::getInstance(); }
    std::string storePath() const { return root_ + "/UserDefault.sqlite"; }

    std::vector<std::string> asideCopies() {
        std::vector<std::string> found;
        for (const auto& name : namesIn(root_)) {
            if (name.rfind("UserDefault.sqlite.corrupt-", 0) == 0) {
                found.push_back(root_ + "/" + name);
            }
        }
        return found;
    }
};

TEST_F(UserDefaultFaultTest, FullDiskNeverLosesAFlushedValueNorCommitsPartOfABatch) {
    writeFile(root_ + "/spare", std::string(256 * 1024, 's'));
    std::string problems;
    {
        SmallDiskVfs disk(root_, 1024 * 1024);
        problems = fillUpAndRecover(root_, root_ + "/spare");
        resetSingletons();
    }
    EXPECT_EQ(problems, "");
}

TEST_F(UserDefaultFaultTest, RealOneMegabyteFileSystemFillingUp) {
    // A tmpfs of its own in a private mount namespace of a child process, so
    // nothing stays mounted whatever happens to the test.
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    pid_t pid = fork();
    if (pid == 0) {
        close(report[0]);
        const std::string folder = root_ + "/small";
        std::filesystem::create_directories(folder);
        auto say = [&](const std::string& text) {
            (void)!write(report[1], text.data(), text.size());
            _exit(0);
        };
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=1m") != 0) {
            say(std::string("skip: cannot mount a small tmpfs here (") + std::strerror(errno) + ")");
        }
        setenv("VELOQUIX_HOME", folder.c_str(), 1);
        resetSingletons();
        writeFile(folder + "/spare", std::string(256 * 1024, 's'));
        std::string problems = fillUpAndRecover(folder, folder + "/spare");
        UserDefault::destroyInstance();
        say(problems.empty() ? "ok" : problems);
    }
    close(report[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t n; (n = read(report[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, size_t(n));
    }
    close(report[0]);
    waitpid(pid, nullptr, 0);
    if (result.rfind("skip: ", 0) == 0) {
        GTEST_SKIP() << result.substr(6);
    }
    EXPECT_EQ(result, "ok");
}

TEST_F(UserDefaultFaultTest, LockedStoreIsWaitedForAndRetriedNeverGivenUp) {
    UserDefault::setBusyTimeout(300);
    store()->setStringForKey("before", "1");
    store()->flush();
    UserDefault::destroyInstance();

    // Another program holding the store locked for longer than we wait.
    const std::string path = storePath();
    Child other([&](Child& self) {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        if (sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) {
            self.fail();
        }
        self.tell('l');
        self.hear();
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        self.tell('u');
        self.hear();
        sqlite3_open(path.c_str(), &db);
        if (sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) {
            self.fail();
        }
        self.tell('l');
        self.hear();
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        self.tell('u');
        self.hear();
    });
    ASSERT_TRUE(other.started());
    ASSERT_EQ(other.waitFor(), 'l');

    testing::internal::CaptureStderr();
    store()->setStringForKey("during", "2");
    EXPECT_EQ(store()->getStringForKey("during"), "2");
    store()->flush();
    store()->flush();
    std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 1) << messages;
    EXPECT_EQ(store()->writeProblem(), "the store is locked by another program");

    other.send('1');
    ASSERT_EQ(other.waitFor(), 'u');
    EXPECT_EQ(committed(path).count("during"), 0u);
    testing::internal::CaptureStderr();
    store()->flush();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(committed(path)["during"], "2");
    EXPECT_EQ(store()->writeProblem(), "");
    EXPECT_EQ(store()->getStringForKey("before"), "1");

    // Locked again while the store is open: the set waits out the timeout,
    // is kept, and goes in with the next flush after the lock is gone.
    other.send('2');
    ASSERT_EQ(other.waitFor(), 'l');
    testing::internal::CaptureStderr();
    store()->setStringForKey("later", "3");
    store()->flush();
    messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 1) << messages;
    EXPECT_EQ(store()->getStringForKey("later"), "3");
    other.send('3');
    ASSERT_EQ(other.waitFor(), 'u');
    EXPECT_EQ(committed(path).count("later"), 0u);
    store()->flush();
    EXPECT_EQ(committed(path)["later"], "3");
    other.send('4');
    EXPECT_EQ(other.exitStatus(), 0);
}

TEST_F(UserDefaultFaultTest, AnotherCopysUnflushedSetsDoNotHoldOurFlushBack) {
    store()->getStringForKey("open");
    Child other([](Child& self) {
        UserDefault* store = UserDefault::getInstance();
        store->setStringForKey("from.other", "pending");
        self.tell('p');
        self.hear();
        store->flush();
        self.tell('f');
        self.hear();
    });
    ASSERT_TRUE(other.started());
    ASSERT_EQ(other.waitFor(), 'p');

    testing::internal::CaptureStderr();
    Clock::time_point start = Clock::now();
    store()->setStringForKey("from.us", "flushed");
    store()->flush();
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_LT(seconds, 1.0);
    EXPECT_EQ(committed(storePath())["from.us"], "flushed");

    other.send('1');
    ASSERT_EQ(other.waitFor(), 'f');
    auto seen = committed(storePath());
    EXPECT_EQ(seen["from.us"], "flushed");
    EXPECT_EQ(seen["from.other"], "pending");
    other.send('2');
    EXPECT_EQ(other.exitStatus(), 0);
}

TEST_F(UserDefaultFaultTest, TwoCopiesFlushingAtOnceLoseNoFlushedValue) {
    store()->setStringForKey("created", "yes");
    store()->flush();
    UserDefault::destroyInstance();
    const int kRounds = 60;
    auto writer = [](const std::string& name) {
        return [name](Child& self) {
            self.hear();
            UserDefault* store = UserDefault::getInstance();
            for (int i = 0; i < kRounds; ++i) {
                store->setIntegerForKey((name + "." + std::to_string(i)).c_str(), i);
                store->setStringForKey("last.writer", name);
                store->flush();
                if (store->getIntegerForKey((name + "." + std::to_string(i)).c_str(), -1) != i) {
                    self.fail();
                }
            }
            UserDefault::destroyInstance();
        };
    };
    Child first(writer("first"));
    Child second(writer("second"));
    ASSERT_TRUE(first.started() && second.started());
    first.send('g');
    second.send('g');
    EXPECT_EQ(first.exitStatus(), 0);
    EXPECT_EQ(second.exitStatus(), 0);

    auto seen = committed(storePath());
    for (const char* name : {"first", "second"}) {
        for (int i = 0; i < kRounds; ++i) {
            EXPECT_EQ(seen[std::string(name) + "." + std::to_string(i)], std::to_string(i)) << name << i;
        }
    }
    EXPECT_TRUE(seen["last.writer"] == "first" || seen["last.writer"] == "second");
}

TEST_F(UserDefaultFaultTest, DirectoryInTheStoresPlaceIsMovedAside) {
    std::filesystem::create_directories(storePath() + "/inside");
    writeFile(storePath() + "/inside/note", "keep me");
    testing::internal::CaptureStderr();
    store()->setIntegerForKey("k", 5);
    store()->flush();
    std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 1) << messages;

    auto copies = asideCopies();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(readFile(copies[0] + "/inside/note"), "keep me");
    EXPECT_TRUE(std::filesystem::is_regular_file(storePath()));
    EXPECT_EQ(committed(storePath())["k"], "5");
}

TEST_F(UserDefaultFaultTest, SymbolicLinkInTheStoresPlaceIsNotFollowed) {
    // A store of its own elsewhere, which must neither be read nor written.
    const std::string elsewhere = root_ + "/elsewhere.sqlite";
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(elsewhere.c_str(), &db), SQLITE_OK);
        sqlite3_exec(db,
                     "CREATE TABLE entries(key TEXT PRIMARY KEY NOT NULL, value TEXT NOT NULL);"
                     "INSERT INTO entries VALUES('token', 'theirs')",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    const std::string before = readFile(elsewhere);
    ASSERT_EQ(symlink(elsewhere.c_str(), storePath().c_str()), 0);

    testing::internal::CaptureStderr();
    EXPECT_EQ(store()->getStringForKey("token", "none"), "none");
    store()->setStringForKey("token", "ours");
    store()->flush();
    std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 1) << messages;

    EXPECT_TRUE(readFile(elsewhere) == before) << "the linked file was written";
    struct stat info {};
    ASSERT_EQ(lstat(storePath().c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(committed(storePath())["token"], "ours");
    auto copies = asideCopies();
    ASSERT_EQ(copies.size(), 1u);
    ASSERT_EQ(lstat(copies[0].c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

}  // namespace
