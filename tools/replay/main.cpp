// Runs the application headless and plays a script of touches, keys and
// captures, so a use of the application can be reproduced and looked at.
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>

#include "AppDelegate.h"
#include "InstanceLock.h"
#include "ReplayRunner.h"
#include "ReplayScript.h"
#include "cocos2d.h"
#include "headless/HeadlessDriver.h"
#include "network/HttpClient.h"

namespace {

volatile std::sig_atomic_t s_stopSignal = 0;
volatile std::sig_atomic_t s_playing = 0;

// While the script plays, the stop waits for the end of the current frame so
// the application is torn down as on any other exit; before that (parsing,
// start-up) there is nothing to finish and the tool leaves at once.
void requestStop(int signal)
{
    if (!s_playing) {
        static const char message[] = "veloquix-replay: stopped before the script began\n";
        (void)!::write(2, message, sizeof message - 1);
        ::_exit(128 + signal);
    }
    s_stopSignal = signal;
}

} // namespace

int main(int argc, char** argv)
{
    struct sigaction stop = {};
    stop.sa_handler = requestStop;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);

    if (argc != 2) {
        std::fprintf(stderr, "usage: veloquix-replay SCRIPT\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "veloquix-replay: cannot read %s\n", argv[1]);
        return 2;
    }
    ReplayParseResult script = parseReplayScript(in);
    if (!script.error.empty()) {
        std::fprintf(stderr, "veloquix-replay: %s: %s\n", argv[1], script.error.c_str());
        return 2;
    }

    // The same data folder as a running copy would have both write one store.
    const std::string folder = cocos2d::FileUtils::getInstance()->getWritablePath();
    veloquix::InstanceLock lock;
    if (lock.tryTake(folder) == veloquix::InstanceLock::Outcome::Busy) {
        std::fprintf(stderr, "veloquix-replay: %s is in use by a running copy\n", folder.c_str());
        return 1;
    }

    cocos2d::HeadlessDriver::prepareEnvironment();
    AppDelegate app;
    if (!cocos2d::Application::getInstance()->launch()) return 1;
    // The first frame brings the scene on stage.
    cocos2d::Director::getInstance()->mainLoop();

    std::string error;
    s_playing = 1;
    bool ok = runReplay(script.commands, &error, [] { return s_stopSignal != 0; });
    if (s_stopSignal != 0) {
        std::fprintf(stderr, "veloquix-replay: %s: %s by %s\n", argv[1],
                     error.empty() ? "stopped" : error.c_str(), s_stopSignal == SIGINT ? "SIGINT" : "SIGTERM");
    } else if (!ok) {
        std::fprintf(stderr, "veloquix-replay: %s: %s\n", argv[1], error.c_str());
    }
    // Requests still out hold the scene's objects; they let go before the scene goes.
    cocos2d::network::HttpClient::destroyInstance();
    cocos2d::Director::destroyInstance();
    cocos2d::UserDefault::destroyInstance();
    if (s_stopSignal != 0) return 128 + s_stopSignal;
    return ok ? 0 : 1;
}
