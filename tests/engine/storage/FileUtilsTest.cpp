#include <SDL_filesystem.h>
#include <SDL_stdinc.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>

#include "StorageTestHome.h"

using cocos2d::Data;
using cocos2d::FileUtils;

namespace {

class FileUtilsTest : public StorageTestHome {
protected:
    FileUtils* files() { return FileUtils::getInstance(); }

    std::string makeFolder(const std::string& name) {
        std::string path = root_ + "/" + name;
        std::filesystem::create_directories(path);
        return path;
    }
};

// Runs body with umask 0, so modes that rely on the umask show up.
template <typename Body>
void withoutUmask(Body body) {
    mode_t previous = umask(0);
    body();
    umask(previous);
}

TEST_F(FileUtilsTest, WritablePathPrefersVeloquixHomeThenXdgDataHomeThenHome) {
    withoutUmask([&] {
        setenv("VELOQUIX_HOME", (root_ + "/mine/deeper").c_str(), 1);
        setenv("XDG_DATA_HOME", (root_ + "/xdg").c_str(), 1);
        EXPECT_EQ(files()->getWritablePath(), root_ + "/mine/deeper/");
        EXPECT_EQ(modeOf(root_ + "/mine/deeper"), 0700u);
        EXPECT_EQ(modeOf(root_ + "/mine"), 0700u);

        unsetenv("VELOQUIX_HOME");
        EXPECT_EQ(files()->getWritablePath(), root_ + "/xdg/veloquix/");
        EXPECT_EQ(modeOf(root_ + "/xdg/veloquix"), 0700u);

        unsetenv("XDG_DATA_HOME");
        setenv("HOME", (root_ + "/user").c_str(), 1);
        EXPECT_EQ(files()->getWritablePath(), root_ + "/user/.local/share/veloquix/");
        EXPECT_EQ(modeOf(root_ + "/user/.local/share/veloquix"), 0700u);

        // A relative XDG_DATA_HOME is invalid and falls through to HOME.
        setenv("XDG_DATA_HOME", "relative/xdg", 1);
        EXPECT_EQ(files()->getWritablePath(), root_ + "/user/.local/share/veloquix/");
    });
}

TEST_F(FileUtilsTest, WritablePathEndsWithOneSlashAndAnExistingFolderIsMadePrivate) {
    setenv("VELOQUIX_HOME", (root_ + "/").c_str(), 1);
    chmod(root_.c_str(), 0755);
    makeFolder("screen");
    chmod((root_ + "/screen").c_str(), 0777);
    EXPECT_EQ(files()->getWritablePath(), root_ + "/");
    EXPECT_EQ(modeOf(root_), 0700u);
    EXPECT_EQ(modeOf(root_ + "/screen"), 0700u);
}

TEST_F(FileUtilsTest, EverythingWrittenUnderTheWritablePathIsOwnerOnlyWhateverTheUmask) {
    const std::string outside = makeFolder("outside");
    for (mode_t mask : {0000, 0022, 0077, 0277}) {
        SCOPED_TRACE(mask);
        FileUtils::destroyInstance();
        const std::string home = root_ + "/home" + std::to_string(mask);
        setenv("VELOQUIX_HOME", home.c_str(), 1);
        mode_t previous = umask(mask);
        const std::string writable = files()->getWritablePath();
        EXPECT_TRUE(files()->createDirectory(writable + "screen"));
        EXPECT_TRUE(files()->writeStringToFile("png", writable + "screen/1.png"));
        EXPECT_TRUE(files()->writeStringToFile("v1", writable + "doc.json"));
        EXPECT_TRUE(files()->writeStringToFile("v2", writable + "doc.json"));
        EXPECT_TRUE(files()->createDirectory(outside + "/plain" + std::to_string(mask)));
        umask(previous);
        EXPECT_EQ(modeOf(home), 0700u);
        EXPECT_EQ(modeOf(writable + "screen"), 0700u);
        EXPECT_EQ(modeOf(writable + "screen/1.png"), 0600u);
        EXPECT_EQ(modeOf(writable + "doc.json"), 0600u);
        EXPECT_EQ(readFile(writable + "doc.json"), "v2");
        // Outside the writable path the umask still decides for folders.
        EXPECT_EQ(modeOf(outside + "/plain" + std::to_string(mask)), 0777u & ~mask);
    }
}

TEST_F(FileUtilsTest, LeftoversOfKilledWritesAreRemovedAtStartAndNothingElse) {
    const std::string screen = makeFolder("screen");
    const std::string deeper = makeFolder("screen/deeper");
    // A write killed between creating its temporary file and the rename: the
    // file-size limit stops the child in the middle of writing.
    pid_t killed = fork();
    if (killed == 0) {
        struct rlimit limit = {16, 16};
        setrlimit(RLIMIT_FSIZE, &limit);
        FileUtils::writeAtomically(screen + "/thumb.png", std::string(4096, 'x').data(), 4096);
        _exit(0);
    }
    int status = 0;
    waitpid(killed, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the write was meant to be cut short";
    std::vector<std::string> left = namesIn(screen);
    ASSERT_EQ(left.size(), 2u);
    ASSERT_EQ(left[1], "deeper");
    const std::string leftover = screen + "/" + left[0];
    ASSERT_EQ(left[0].rfind(".thumb.png.tmp-" + std::to_string(killed) + "-", 0), 0u) << left[0];

    // Another copy of the program, alive and writing right now.
    pid_t running = fork();
    if (running == 0) {
        pause();
        _exit(0);
    }
    const std::string dead = std::to_string(killed);
    const std::string live = std::to_string(running);
    const std::vector<std::string> stale = {leftover, root_ + "/.UserDefault.json.tmp-" + dead + "-3-77",
                                            deeper + "/.x.tmp-" + dead + "-0-1"};
    const std::vector<std::string> kept = {root_ + "/.busy.png.tmp-" + live + "-0-5", root_ + "/plain.tmp-" + dead + "-0-1",
                                           root_ + "/.notes.tmp-backup", root_ + "/.a.tmp-" + dead + "-0-1-extra",
                                           root_ + "/.fresh.png.tmp-" + dead + "-1-1"};
    const std::string outside = root_ + "-outside";
    std::filesystem::create_directories(outside);
    const std::string beyond = outside + "/.far.tmp-" + dead + "-0-1";
    ASSERT_EQ(symlink(outside.c_str(), (root_ + "/linked").c_str()), 0);
    // Written before this program started, except the fresh one.
    struct timespec hourAgo[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    for (const auto& path : stale) {
        if (path != leftover) writeFile(path, "x");
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), hourAgo, 0), 0);
    }
    for (const auto& path : kept) {
        writeFile(path, "x");
        if (path.find(".fresh") == std::string::npos) {
            ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), hourAgo, 0), 0);
        }
    }
    writeFile(beyond, "x");
    ASSERT_EQ(utimensat(AT_FDCWD, beyond.c_str(), hourAgo, 0), 0);

    FileUtils::destroyInstance();
    testing::internal::CaptureStderr();
    files()->getWritablePath();
    std::string message = testing::internal::GetCapturedStderr();
    kill(running, SIGKILL);
    waitpid(running, nullptr, 0);

    for (const auto& path : stale) {
        EXPECT_FALSE(std::filesystem::exists(path)) << path;
    }
    for (const auto& path : kept) {
        EXPECT_TRUE(std::filesystem::exists(path)) << path;
    }
    EXPECT_TRUE(std::filesystem::exists(beyond));
    EXPECT_NE(message.find("removed 3 temporary files"), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;

    // Later calls in the same run leave a write in progress alone.
    writeFile(stale[1], "x");
    ASSERT_EQ(utimensat(AT_FDCWD, stale[1].c_str(), hourAgo, 0), 0);
    files()->getWritablePath();
    EXPECT_TRUE(std::filesystem::exists(stale[1]));
    std::filesystem::remove_all(outside);
}

TEST_F(FileUtilsTest, DefaultSearchPathsAreExecutableFolderThenWorkingFolderThenInstallFolder) {
    const std::string cwd = makeFolder("cwd");
    const std::string previous = std::filesystem::current_path().string();
    ASSERT_EQ(chdir(cwd.c_str()), 0);
    writeFile(cwd + "/in-cwd.txt", "here");
    FileUtils::destroyInstance();

    char* base = SDL_GetBasePath();
    ASSERT_NE(base, nullptr);
    const std::vector<std::string> expected = {base, cwd + "/",
                                               std::string(VELOQUIX_INSTALL_DATA_DIR) + "/"};
    SDL_free(base);
    EXPECT_EQ(files()->getSearchPaths(), expected);
    EXPECT_EQ(files()->fullPathForFilename("in-cwd.txt"), cwd + "/in-cwd.txt");
    ASSERT_EQ(chdir(previous.c_str()), 0);
}

TEST_F(FileUtilsTest, SearchPathsAreTriedInOrderAndFirstHitWins) {
    const std::string first = makeFolder("first");
    const std::string second = makeFolder("second");
    writeFile(first + "/both.txt", "first");
    writeFile(second + "/both.txt", "second");
    writeFile(second + "/only-second.txt", "second");
    std::filesystem::create_directories(second + "/pictures");

    files()->setSearchPaths({first, second + "/"});
    EXPECT_EQ(files()->getSearchPaths()[0], first + "/");
    EXPECT_EQ(files()->getSearchPaths()[1], second + "/");
    EXPECT_EQ(files()->fullPathForFilename("both.txt"), first + "/both.txt");
    EXPECT_EQ(files()->getStringFromFile("both.txt"), "first");
    EXPECT_EQ(files()->fullPathForFilename("only-second.txt"), second + "/only-second.txt");
    EXPECT_EQ(files()->fullPathForFilename("pictures"), second + "/pictures");
    EXPECT_EQ(files()->fullPathForFilename("nowhere.txt"), "");
    EXPECT_EQ(files()->fullPathForFilename(""), "");

    files()->addSearchPath(second, true);
    EXPECT_EQ(files()->fullPathForFilename("both.txt"), second + "/both.txt");

    // Absolute names are not looked up, whether they exist or not.
    EXPECT_EQ(files()->fullPathForFilename(root_ + "/missing.txt"), root_ + "/missing.txt");
}

TEST_F(FileUtilsTest, SetSearchPathsKeepsTheExecutableFolderReachable) {
    char* base = SDL_GetBasePath();
    ASSERT_NE(base, nullptr);
    const std::string executableDir = base;
    SDL_free(base);

    files()->setSearchPaths({root_});
    EXPECT_EQ(files()->getSearchPaths(), (std::vector<std::string>{root_ + "/", executableDir}));

    files()->setSearchPaths({"res"});
    EXPECT_EQ(files()->getSearchPaths(),
              (std::vector<std::string>{executableDir + "res/", executableDir}));
}

TEST_F(FileUtilsTest, ExistenceTestsTellFilesFromFolders) {
    const std::string folder = makeFolder("assets");
    writeFile(folder + "/a.png", "png");
    files()->setSearchPaths({root_});

    EXPECT_TRUE(files()->isFileExist("assets/a.png"));
    EXPECT_TRUE(files()->isFileExist(folder + "/a.png"));
    EXPECT_FALSE(files()->isFileExist("assets"));
    EXPECT_FALSE(files()->isFileExist("assets/b.png"));
    EXPECT_TRUE(files()->isDirectoryExist("assets"));
    EXPECT_TRUE(files()->isDirectoryExist(folder));
    EXPECT_FALSE(files()->isDirectoryExist("assets/a.png"));
    EXPECT_FALSE(files()->isDirectoryExist(root_ + "/none"));
}

TEST_F(FileUtilsTest, CreateDirectoryMakesMissingParents) {
    const std::string deep = root_ + "/screen/a/b";
    EXPECT_TRUE(files()->createDirectory(deep));
    EXPECT_TRUE(files()->isDirectoryExist(deep));
    EXPECT_TRUE(files()->createDirectory(deep + "/"));

    writeFile(root_ + "/plain", "x");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(files()->createDirectory(root_ + "/plain/sub"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("plain/sub"), std::string::npos);

    EXPECT_TRUE(files()->removeDirectory(root_ + "/screen"));
    EXPECT_FALSE(files()->isDirectoryExist(root_ + "/screen"));
}

TEST_F(FileUtilsTest, AtomicWriteReplacesContentAndLeavesNoTemporaryFile) {
    const std::string folder = makeFolder("out");
    const std::string target = folder + "/thumb.png";
    ASSERT_TRUE(files()->writeStringToFile("old content", target));

    // A reader that opened the old file keeps seeing all of it: the new
    // content arrives as a new file, never written over the old bytes.
    int reader = open(target.c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);

    std::string bytes("new\0binary\xff", 11);
    Data data;
    data.copy(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    ASSERT_TRUE(files()->writeDataToFile(data, target));

    char old[32] = {};
    ASSERT_EQ(read(reader, old, sizeof old), 11);
    EXPECT_EQ(std::string(old, 11), "old content");
    close(reader);

    Data back = files()->getDataFromFile(target);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(back.getBytes()), back.getSize()), bytes);
    EXPECT_EQ(files()->getFileSize(target), 11);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"thumb.png"});
}

TEST_F(FileUtilsTest, EmptyWriteGivesAnEmptyFile) {
    const std::string target = root_ + "/empty.json";
    EXPECT_TRUE(files()->writeDataToFile(Data(), target));
    EXPECT_TRUE(files()->isFileExist(target));
    EXPECT_EQ(files()->getFileSize(target), 0);
    EXPECT_TRUE(files()->getDataFromFile(target).isNull());
    EXPECT_EQ(files()->getStringFromFile(target), "");
}

TEST_F(FileUtilsTest, FailedWriteReturnsFalseWithOneLineAndLeavesNothing) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(files()->writeStringToFile("data", root_ + "/missing/file.txt"));
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("missing/file.txt"), std::string::npos);
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
    EXPECT_FALSE(files()->isDirectoryExist(root_ + "/missing"));

    // Renaming over a folder fails late, after the temporary file exists.
    const std::string folder = makeFolder("taken");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(FileUtils::writeAtomically(folder, "x", 1));
    message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
    EXPECT_EQ(namesIn(root_), std::vector<std::string>{"taken"});

    testing::internal::CaptureStderr();
    EXPECT_FALSE(files()->writeStringToFile("x", root_ + "/"));
    testing::internal::GetCapturedStderr();
}

TEST_F(FileUtilsTest, RemoveRenameAndSizeOfFiles) {
    writeFile(root_ + "/a.txt", "12345");
    EXPECT_EQ(files()->getFileSize(root_ + "/a.txt"), 5);
    EXPECT_EQ(files()->getFileSize(root_ + "/none.txt"), -1);

    EXPECT_TRUE(files()->renameFile(root_ + "/", "a.txt", "b.txt"));
    EXPECT_TRUE(files()->renameFile(root_, "b.txt", "c.txt"));
    EXPECT_TRUE(files()->renameFile(root_ + "/c.txt", root_ + "/d.txt"));
    EXPECT_FALSE(files()->renameFile(root_ + "/c.txt", root_ + "/e.txt"));
    EXPECT_EQ(readFile(root_ + "/d.txt"), "12345");

    EXPECT_TRUE(files()->removeFile(root_ + "/d.txt"));
    EXPECT_FALSE(files()->removeFile(root_ + "/d.txt"));
    EXPECT_TRUE(namesIn(root_).empty());
    EXPECT_TRUE(files()->getDataFromFile(root_ + "/d.txt").isNull());
}

}  // namespace
