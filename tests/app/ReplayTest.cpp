#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "EngineHarness.h"
#include "FakeShowcaseServer.h"
#include "ReplayScript.h"

namespace {
ReplayParseResult parse(const std::string& text)
{
    std::istringstream in(text);
    return parseReplayScript(in);
}

// Runs a command line, returning its exit status and what it wrote to stderr.
int runCommand(const std::string& command, std::string* errors)
{
    std::string errFile = "/tmp/veloquix-test-stderr-" + std::to_string(getpid());
    int status = std::system((command + " 2>" + errFile).c_str());
    std::ifstream in(errFile);
    std::stringstream text;
    text << in.rdbuf();
    *errors = text.str();
    std::remove(errFile.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace

TEST(ReplayScript, ParsesEveryCommandWithItsArguments)
{
    auto r = parse("# comment\n\nwait 0.5\ndown 1 10 20\nmove 1 30 40 5\nup 1\ntap 5 6\nwheel -0.2\n"
                   "wheel 0.1 7 8\ntype héllo wörld\nkey Return\nshot a.png\nstore s.json\ntree t.txt\n");
    ASSERT_TRUE(r.error.empty()) << r.error;
    ASSERT_EQ(r.commands.size(), 12u);
    EXPECT_DOUBLE_EQ(r.commands[0].seconds, 0.5);
    EXPECT_EQ(r.commands[2].steps, 5);
    EXPECT_FLOAT_EQ(r.commands[2].y, 40);
    EXPECT_FALSE(r.commands[5].hasPoint);
    EXPECT_TRUE(r.commands[6].hasPoint);
    EXPECT_EQ(r.commands[7].text, "héllo wörld");
    EXPECT_EQ(r.commands[7].line, 10);
}

TEST(ReplayScript, MalformedLinesNameTheirLine)
{
    EXPECT_EQ(parse("wait 1\njump 3\n").error, "line 2: unknown command \"jump\"");
    EXPECT_EQ(parse("down 1 2\n").errorLine, 1);
    EXPECT_EQ(parse("wait -1\n").errorLine, 1);
    EXPECT_EQ(parse("move 1 2 3 0\n").errorLine, 1);
    EXPECT_EQ(parse("tap x 3\n").errorLine, 1);
    EXPECT_EQ(parse("wait 1\n\n# ok\nshot\n").errorLine, 4);
    EXPECT_TRUE(parse("wait 1\n").commands.size() == 1);
}

TEST(ReplayTool, PlaysAScriptAgainstTheRealApplication)
{
    std::string home = makeTemporaryHome();
    std::string dir = home.substr(0, home.rfind('/'));
    std::string script = dir + "/script.txt";
    std::ofstream(script) << "wait 0.25\ntap 512 384\nshot " << dir << "/shot.png\ntree " << dir
                          << "/tree.txt\nstore " << dir << "/store.json\n";
    std::string errors;
    int rc = runCommand("VELOQUIX_HOME=" + home + " ./veloquix-replay " + script, &errors);
    EXPECT_EQ(rc, 0) << errors;
    cocos2d::Image shot;
    ASSERT_TRUE(shot.initWithImageFile(dir + "/shot.png"));
    EXPECT_EQ(shot.getWidth(), 1024);
    std::ifstream treeIn(dir + "/tree.txt");
    std::string first, second;
    std::getline(treeIn, first);
    std::getline(treeIn, second);
    EXPECT_EQ(first.rfind("Scene pos=(0,0) size=(1024,768)", 0), 0u) << first;
    EXPECT_EQ(second.rfind("  ZelmcircuitScene ", 0), 0u) << second;
    // The board's background is made from the texture of its picture file.
    bool boardPicture = false;
    for (std::string line; std::getline(treeIn, line);) {
        boardPicture = boardPicture || (line.find("Sprite ") != std::string::npos &&
                                        line.find(" file=\"res/base.png\"") != std::string::npos);
    }
    EXPECT_TRUE(boardPicture);
    std::ifstream storeIn(dir + "/store.json");
    std::string store;
    std::getline(storeIn, store);
    EXPECT_EQ(store.front(), '{');
    EXPECT_EQ(store.back(), '}');
    removeTree(dir);
}

TEST(ReplayTool, MalformedScriptStopsWithStatusTwo)
{
    std::string script = "/tmp/veloquix-bad-script-" + std::to_string(getpid());
    std::ofstream(script) << "wait 1\nfly away\n";
    std::string errors;
    EXPECT_EQ(runCommand("./veloquix-replay " + script, &errors), 2);
    EXPECT_NE(errors.find("line 2"), std::string::npos) << errors;
    std::remove(script.c_str());
}

TEST(Application, WithoutADisplayItSaysSoAndExitsWithOne)
{
    std::string errors;
    int rc = runCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER VELOQUIX_HOME=/tmp/veloquix-nodisplay-" +
                            std::to_string(getpid()) + " timeout 20 ./veloquix",
                        &errors);
    EXPECT_EQ(rc, 1);
    EXPECT_NE(errors.find("DISPLAY"), std::string::npos) << errors;
    EXPECT_NE(errors.find("xvfb-run"), std::string::npos) << errors;
    removeTree("/tmp/veloquix-nodisplay-" + std::to_string(getpid()));
}

TEST(ReplayScript, WaitsAndMovesLongerThanADayOfFramesAreRefusedWithTheirLine)
{
    EXPECT_TRUE(parse("wait 86400\nmove 1 2 3 5184000\n").error.empty());
    EXPECT_EQ(parse("tap 1 1\nwait 86400.5\n").error, "line 2: SECONDS must be at most 86400 (a day of frames)");
    EXPECT_EQ(parse("wait 1000000\n").errorLine, 1);
    EXPECT_EQ(parse("wait 1e300\n").errorLine, 1);
    EXPECT_EQ(parse("down 1 0 0\n\nmove 1 2 3 5184001\n").error,
              "line 3: STEPS must be from 1 to 5184000 (a day of frames)");
    EXPECT_EQ(parse("move 1 2 3 99999999999999999999\n").errorLine, 1);
}

TEST(ReplayTool, ScriptWaitingAMillionSecondsIsRefusedBeforeAnythingRuns)
{
    std::string script = "/tmp/veloquix-long-script-" + std::to_string(getpid());
    std::ofstream(script) << "tap 10 10\nwait 1000000\n";
    std::string errors;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runCommand("timeout 5 ./veloquix-replay " + script, &errors), 2);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
    EXPECT_NE(errors.find("line 2: SECONDS must be at most 86400"), std::string::npos) << errors;
    std::remove(script.c_str());
}

TEST(ReplayTool, SigtermAndSigintStopARunningReplayWithinASecond)
{
    std::string home = makeTemporaryHome();
    std::string dir = home.substr(0, home.rfind('/'));
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        std::string marker = dir + "/started-" + std::to_string(signal) + ".json";
        std::string script = dir + "/long.txt";
        std::ofstream(script) << "wait 0.1\nstore " << marker << "\nwait 3600\nshot " << dir << "/never.png\n";
        std::string errFile = dir + "/stderr.txt";
        pid_t pid = fork();
        if (pid == 0) {
            int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(err, 2);
            skipLeakScanAtExit();
            execl("./veloquix-replay", "veloquix-replay", script.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_GT(pid, 0);
        // The store line is written once the hour-long wait is about to begin.
        auto start = std::chrono::steady_clock::now();
        while (std::ifstream(marker).peek() == EOF &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
            usleep(20 * 1000);
        }
        usleep(100 * 1000);
        auto sent = std::chrono::steady_clock::now();
        kill(pid, signal);
        int status = 0;
        waitpid(pid, &status, 0);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
        EXPECT_LT(seconds, 1.0);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself, not by the tool";
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        std::ifstream in(errFile);
        std::stringstream text;
        text << in.rdbuf();
        std::string errors = text.str();
        EXPECT_NE(errors.find("line 3: stopped by SIG"), std::string::npos) << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_FALSE(std::ifstream(dir + "/never.png").good());
    }
    removeTree(dir);
}

TEST(ReplayScript, SettleTakesAnOptionalLimitOfADayAtMost)
{
    auto r = parse("settle\nsettle 2.5\nsettle 0\n");
    ASSERT_TRUE(r.error.empty()) << r.error;
    ASSERT_EQ(r.commands.size(), 3u);
    EXPECT_EQ(r.commands[0].kind, ReplayCommand::Kind::Settle);
    EXPECT_DOUBLE_EQ(r.commands[0].seconds, 10.0);
    EXPECT_DOUBLE_EQ(r.commands[1].seconds, 2.5);
    EXPECT_DOUBLE_EQ(r.commands[2].seconds, 0.0);
    EXPECT_EQ(parse("settle -1\n").error, "line 1: usage: settle [SECONDS]");
    EXPECT_EQ(parse("tap 1 1\nsettle 1 2\n").errorLine, 2);
    EXPECT_EQ(parse("settle soon\n").errorLine, 1);
    EXPECT_EQ(parse("settle 86401\n").error, "line 1: SECONDS must be at most 86400 (a day of frames)");
}

namespace {
// A home whose store says an earlier run signed in with this code.
std::string homeWithStoredCode(const std::string& code)
{
    std::string home = makeTemporaryHome();
    auto* store = cocos2d::UserDefault::getInstance();
    store->setBoolForKey("open", true);
    store->setStringForKey("name", "racer7");
    store->setStringForKey("code", code);
    store->flush();
    cocos2d::UserDefault::destroyInstance();
    cocos2d::FileUtils::destroyInstance();
    return home;
}
} // namespace

TEST(ReplayTool, SettleWaitsForTheShowcaseToAnswer)
{
    FakeShowcaseServer server;
    server.setReply("/circuit_get_account.asp",
                    FakeShowcaseServer::delayed(0.3, 200,
                                                R"({"result":"success","type":0,"token":"TK","state":"success"})"));
    std::string home = homeWithStoredCode("c0de");
    std::string dir = home.substr(0, home.rfind('/'));
    std::string script = dir + "/script.txt";
    std::ofstream(script) << "settle 20\nstore " << dir << "/store.json\n";
    std::string errors;
    int rc = runCommand("no_proxy=127.0.0.1 NO_PROXY=127.0.0.1 VELOQUIX_SHOWCASE_URL=" + server.baseUrl() +
                            " VELOQUIX_HOME=" + home +
                            " ./veloquix-replay " + script,
                        &errors);
    EXPECT_EQ(rc, 0) << errors;
    EXPECT_EQ(server.requestCount(), 1u);
    std::ifstream storeIn(dir + "/store.json");
    std::string store;
    std::getline(storeIn, store);
    EXPECT_NE(store.find(R"("token":"TK")"), std::string::npos) << store;
    EXPECT_NE(store.find(R"("state":"true")"), std::string::npos) << store;
    EXPECT_EQ(errors.find("c0de"), std::string::npos) << errors;
    removeTree(dir);
}

TEST(ReplayTool, SettleGivesUpAfterItsLimitAndTheScriptGoesOn)
{
    FakeShowcaseServer server;
    server.setReply("/circuit_get_account.asp", FakeShowcaseServer::stall());
    std::string home = homeWithStoredCode("c0de");
    std::string dir = home.substr(0, home.rfind('/'));
    std::string script = dir + "/script.txt";
    std::ofstream(script) << "settle 1\ntree " << dir << "/tree.txt\n";
    std::string errors;
    auto start = std::chrono::steady_clock::now();
    int rc = runCommand("no_proxy=127.0.0.1 NO_PROXY=127.0.0.1 VELOQUIX_SHOWCASE_URL=" + server.baseUrl() +
                            " VELOQUIX_HOME=" + home +
                            " timeout 20 ./veloquix-replay " + script,
                        &errors);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(rc, 0) << errors;
    EXPECT_LT(took, 15.0);
    EXPECT_NE(errors.find("line 1: settle: still waiting after 1 s"), std::string::npos) << errors;
    std::ifstream tree(dir + "/tree.txt");
    EXPECT_TRUE(tree.good());
    removeTree(dir);
}
