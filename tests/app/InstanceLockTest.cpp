#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

#include "EngineHarness.h"

namespace {
std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The application on the dummy video driver, its stderr into a file.
pid_t start(const std::string& home, const std::string& errFile)
{
    pid_t pid = fork();
    if (pid == 0) {
        int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(err, 2);
        setenv("VELOQUIX_HOME", home.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        // Kept across exec: a copy that wrongly runs on is stopped all the same.
        alarm(30);
        execl("./veloquix", "veloquix", static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

struct Finished {
    int status = -1;
    double seconds = 0;
    std::string errors;
};

Finished runToEnd(const std::string& home, const std::string& errFile)
{
    auto begin = std::chrono::steady_clock::now();
    Finished run;
    pid_t pid = start(home, errFile);
    int status = 0;
    waitpid(pid, &status, 0);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errors = readFile(errFile);
    return run;
}

// Until a copy started on home holds its lock (as seen by trying to take it).
bool waitUntilHeld(const std::string& home)
{
    for (int i = 0; i < 1000; ++i) {
        int fd = ::open((home + "/veloquix.lock").c_str(), O_RDWR | O_CLOEXEC);
        bool held = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0;
        if (fd >= 0) ::close(fd);
        if (held) return true;
        usleep(20 * 1000);
    }
    return false;
}
} // namespace

TEST(OneCopyPerFolder, ASecondStartBringsTheFirstForwardAndAKilledCopyNeverBlocks)
{
    std::string home = makeTemporaryHome();
    std::string dir = home.substr(0, home.rfind('/'));
    std::string firstErr = dir + "/first.txt", secondErr = dir + "/second.txt";
    pid_t first = start(home, firstErr);
    ASSERT_GT(first, 0);
    ASSERT_TRUE(waitUntilHeld(home));
    // Once answered, the first copy is running; a second knock leaves its data as it is.
    Finished second = runToEnd(home, secondErr);
    EXPECT_EQ(second.status, 0) << second.errors;
    std::string store = readFile(home + "/UserDefault.sqlite");
    EXPECT_FALSE(store.empty());
    second = runToEnd(home, secondErr);
    EXPECT_EQ(second.status, 0) << second.errors;
    EXPECT_EQ(std::count(second.errors.begin(), second.errors.end(), '\n'), 1) << second.errors;
    EXPECT_NE(second.errors.find("already running"), std::string::npos) << second.errors;
    EXPECT_EQ(readFile(home + "/UserDefault.sqlite"), store);

    kill(first, SIGKILL);
    waitpid(first, nullptr, 0);
    pid_t next = start(home, firstErr);
    ASSERT_TRUE(waitUntilHeld(home));
    second = runToEnd(home, secondErr);
    EXPECT_EQ(second.status, 0) << "the start after a killed copy did not take over: " << readFile(firstErr);

    // A copy that holds the folder but cannot answer.
    kill(next, SIGSTOP);
    second = runToEnd(home, secondErr);
    EXPECT_EQ(second.status, 1);
    EXPECT_GE(second.seconds, 1.9);
    EXPECT_LT(second.seconds, 5.0);
    EXPECT_NE(second.errors.find("does not answer"), std::string::npos) << second.errors;
    kill(next, SIGCONT);

    kill(next, SIGTERM);
    int status = 0;
    waitpid(next, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << readFile(firstErr);
    removeTree(dir);
}

TEST(OneCopyPerFolder, TheReplayToolDoesNotWriteUnderARunningCopy)
{
    std::string home = makeTemporaryHome();
    std::string dir = home.substr(0, home.rfind('/'));
    pid_t first = start(home, dir + "/first.txt");
    ASSERT_TRUE(waitUntilHeld(home));
    std::string script = dir + "/script.txt";
    std::ofstream(script) << "store " << dir << "/store.json\n";
    std::string command = "VELOQUIX_HOME=" + home + " ./veloquix-replay " + script + " 2>" + dir + "/replay.txt";
    int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(readFile(dir + "/replay.txt").find("in use by a running copy"), std::string::npos);
    EXPECT_FALSE(std::ifstream(dir + "/store.json").good());
    kill(first, SIGTERM);
    waitpid(first, nullptr, 0);
    removeTree(dir);
}
