#include "platform/CCApplication.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <thread>

#include "base/CCClock.h"
#include "base/CCDirector.h"
#include "base/ccMacros.h"
#include "platform/CCGLView.h"
#include "platform/CCGLViewImpl.h"

extern char** environ;

namespace cocos2d {

Application* Application::s_instance = nullptr;

Application::Application() { s_instance = this; }

Application::~Application()
{
    if (s_instance == this) s_instance = nullptr;
}

Application* Application::getInstance() { return s_instance; }

void Application::setAnimationInterval(float interval) { Director::getInstance()->setAnimationInterval(interval); }

bool Application::launch()
{
    initGLContextAttrs();
    return applicationDidFinishLaunching();
}

int Application::run()
{
    std::string error;
    if (!GLViewImpl::initVideo(&error)) {
        std::fprintf(stderr,
                     "cannot open a window (%s): no display available; set DISPLAY or run it under xvfb-run\n",
                     error.c_str());
        return 1;
    }
    if (!launch()) return 1;
    Director* director = Director::getInstance();
    GLView* view = director->getOpenGLView();
    if (!view) return 1;
    view->retain();
    double nextFrame = EngineClock::now();
    while (!view->windowShouldClose()) {
        view->pollEvents();
        if (view->windowShouldClose()) break;
        if (director->isAnimationStopped()) {
            // In the background: no frames, just wait for the window to come back.
            SDL_WaitEventTimeout(nullptr, 100);
            nextFrame = EngineClock::now();
            continue;
        }
        director->mainLoop();
        double interval = director->getAnimationInterval();
        nextFrame += interval;
        double now = EngineClock::now();
        if (nextFrame > now) {
            SDL_Delay(static_cast<Uint32>((nextFrame - now) * 1000.0));
        } else if (now - nextFrame > interval * 4) {
            nextFrame = now;
        }
    }
    director->end();
    view->release();
    return 0;
}

bool Application::openURL(const std::string& url)
{
    if (url.empty()) return false;
    // The link is one argument of xdg-open; no shell ever sees it.
    char program[] = "xdg-open";
    std::string argument = url;
    char* argv[] = {program, argument.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) {
        CCLOG("cannot start xdg-open");
        return false;
    }
    std::thread([pid] {
        int status = 0;
        waitpid(pid, &status, 0);
    }).detach();
    return true;
}

} // namespace cocos2d
