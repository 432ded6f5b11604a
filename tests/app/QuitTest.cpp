#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "EngineHarness.h"
#include "FakeShowcaseServer.h"

// The window closing (SIGTERM reaches the loop the same way) ends the
// process at once, also while a request hangs on a showcase that never answers.
TEST(Quit, TheProcessEndsWithinAFractionOfASecondWithARequestOut)
{
    FakeShowcaseServer server;
    server.setReply("/circuit_get_account.asp", FakeShowcaseServer::stall());
    std::string home = makeTemporaryHome();
    auto* store = cocos2d::UserDefault::getInstance();
    store->setBoolForKey("open", true);
    store->setStringForKey("code", "c0de");
    store->flush();
    cocos2d::UserDefault::destroyInstance();
    pid_t pid = fork();
    if (pid == 0) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("VELOQUIX_SHOWCASE_URL", server.baseUrl().c_str(), 1);
        setenv("no_proxy", "127.0.0.1", 1);
        setenv("NO_PROXY", "127.0.0.1", 1);
        alarm(30);
        skipLeakScanAtExit();
        execl("./veloquix", "veloquix", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    auto start = std::chrono::steady_clock::now();
    while (server.requestCount() == 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
        usleep(10 * 1000);
    }
    ASSERT_EQ(server.requestCount(), 1u);
    auto sent = std::chrono::steady_clock::now();
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // 0.3 s on an idle machine; the margin is for a loaded one under the sanitizers.
    EXPECT_LT(seconds, 1.0);
    EXPECT_EQ(cocos2d::UserDefault::getInstance()->getStringForKey("code"), "c0de");
    cocos2d::UserDefault::destroyInstance();
    removeTree(home.substr(0, home.rfind('/')));
}
