#include <SDL_filesystem.h>
#include <SDL_stdinc.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST_F(FileUtilsTest, WritablePathEndsWithOneSlashAndLeavesExistingFolderAlone) {
    setenv("VELOQUIX_HOME", (root_ + "/").c_str(), 1);
    chmod(root_.c_str(), 0755);
    EXPECT_EQ(files()->getWritablePath(), root_ + "/");
    EXPECT_EQ(modeOf(root_), 0755u);
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
