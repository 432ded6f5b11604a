// Runs the application headless and plays a script of touches, keys and
// captures, so a use of the application can be reproduced and looked at.
#include <cstdio>
#include <fstream>

#include "AppDelegate.h"
#include "ReplayRunner.h"
#include "ReplayScript.h"
#include "cocos2d.h"
#include "platform/HeadlessDriver.h"

int main(int argc, char** argv)
{
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

    cocos2d::HeadlessDriver::prepareEnvironment();
    AppDelegate app;
    if (!cocos2d::Application::getInstance()->launch()) return 1;
    // The first frame brings the scene on stage.
    cocos2d::Director::getInstance()->mainLoop();

    std::string error;
    bool ok = runReplay(script.commands, &error);
    if (!ok) std::fprintf(stderr, "veloquix-replay: %s: %s\n", argv[1], error.c_str());
    cocos2d::Director::destroyInstance();
    cocos2d::UserDefault::destroyInstance();
    return ok ? 0 : 1;
}
