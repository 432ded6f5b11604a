// Runs the application headless and plays a script of touches, keys and
// captures, so a use of the application can be reproduced and looked at.
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>

#include "AppDelegate.h"
#include "CommandLine.h"
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

std::string usage()
{
    return "Usage: veloquix-replay SCRIPT\n"
           "Runs the application headless, on a software renderer and a manual clock, and\n"
           "plays SCRIPT, one command a line (design points, y up):\n"
           "  wait SECONDS          advance the clock in frames of 1/60 s\n"
           "  settle [SECONDS]      run frames while a showcase request or a thumbnail write\n"
           "                        is pending, for at most SECONDS of real time (default 10)\n"
           "  down ID X Y           finger ID down at (X, Y)\n"
           "  move ID X Y [STEPS]   move it there in STEPS equal moves, one a frame\n"
           "  up ID                 lift it\n"
           "  tap X Y               down, one frame, up\n"
           "  wheel DY [X Y]        one wheel event (0.1 a notch)\n"
           "  type TEXT             the rest of the line as typed text\n"
           "  key NAME              an SDL key name: Return, Backspace, Tab, Shift+Tab, Ctrl+V ...\n"
           "  shot FILE.png         capture the screen\n"
           "  store FILE.json       every user-defaults key and value as one JSON object\n"
           "  tree FILE.txt         the running scene's node tree\n"
           "  # ...                 a comment\n"
           "\n" +
           veloquix::commonUsage() +
           "Files:\n"
           "  It reads and writes the application's own data: $VELOQUIX_HOME/, else\n"
           "  $XDG_DATA_HOME/veloquix/, else ~/.local/share/veloquix/. Point VELOQUIX_HOME\n"
           "  at a folder of its own to leave the real settings alone.\n"
           "\n"
           "Exit status: 0 when the script ran to its end, 1 when a command failed or a\n"
           "copy of the application runs on the folder, 2 for a malformed script or\n"
           "command line, 128+N when stopped by signal N.\n";
}

} // namespace

int main(int argc, char** argv)
{
    struct sigaction stop = {};
    stop.sa_handler = requestStop;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);

    veloquix::CommandLine line = veloquix::readCommandLine(argc, argv, 1);
    int answered = veloquix::answerCommandLine(line, "veloquix-replay", usage());
    if (answered >= 0) return answered;
    const char* path = line.operands[0].c_str();
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "veloquix-replay: cannot read %s\n", path);
        return 2;
    }
    ReplayParseResult script = parseReplayScript(in);
    if (!script.error.empty()) {
        std::fprintf(stderr, "veloquix-replay: %s: %s\n", path, script.error.c_str());
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
        std::fprintf(stderr, "veloquix-replay: %s: %s by %s\n", path,
                     error.empty() ? "stopped" : error.c_str(), s_stopSignal == SIGINT ? "SIGINT" : "SIGTERM");
    } else if (!ok) {
        std::fprintf(stderr, "veloquix-replay: %s: %s\n", path, error.c_str());
    }
    // The session ends as the program's does when it quits.
    app.applicationWillTerminate();
    // Requests still out hold the scene's objects; they let go before the scene goes.
    cocos2d::network::HttpClient::destroyInstance();
    cocos2d::Director::destroyInstance();
    cocos2d::UserDefault::destroyInstance();
    if (s_stopSignal != 0) return 128 + s_stopSignal;
    return ok ? 0 : 1;
}
