#include "platform/CCApplication.h"

#include <SDL.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <mutex>
#include <thread>

#include "base/CCClock.h"
#include "base/CCDirector.h"
#include "base/CCScheduler.h"
#include "base/ccMacros.h"
#include "platform/CCGLView.h"
#include "platform/CCGLViewImpl.h"

extern char** environ;

namespace cocos2d {

Application* Application::s_instance = nullptr;

namespace {

// Milliseconds the loop sleeps at rest before large pictures shown only
// through scaled copies let their pixels go: long enough that a pause
// between two gestures keeps them.
constexpr int kRestBeforeReleasing = 2000;

// With VELOQUIX_TRACE_STARTUP set, the run loop prints to the error stream
// the wall-clock time of the first picture it presents and of the first
// input it handles, in nanoseconds since the epoch, for start-up timings.
void traceStartup(const char* what)
{
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    std::fprintf(stderr, "%s %lld\n", what, (long long)t.tv_sec * 1000000000LL + t.tv_nsec);
}

std::mutex s_tasksMutex;
std::deque<std::function<void()>> s_tasks;

void runQueuedTasks()
{
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> lock(s_tasksMutex);
            if (s_tasks.empty()) return;
            task = std::move(s_tasks.front());
            s_tasks.pop_front();
        }
        task();
    }
}
} // namespace

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
    bool video = GLViewImpl::initVideo(&error);
    const char* driver = video ? SDL_GetCurrentVideoDriver() : nullptr;
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (video && driver && (!asked || !*asked) &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
        // With no display SDL falls back on a driver that shows nothing; the
        // program would run on where nobody can see or use it. Only when
        // that driver is asked for by name is it meant.
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        error = std::string("SDL found only its \"") + driver + "\" video driver";
        video = false;
    }
    if (!video) {
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
    // A function another thread queues for this one (a finished request, a
    // saved picture) wakes the loop as an event would.
    Uint32 wakeEvent = SDL_RegisterEvents(1);
    if (wakeEvent == Uint32(-1)) wakeEvent = SDL_USEREVENT;
    director->getScheduler()->setWakeUpCall([wakeEvent] {
        SDL_Event event{};
        event.type = wakeEvent;
        SDL_PushEvent(&event);
    });
    double nextFrame = EngineClock::now();
    bool waited = false;
    // Events were handled that no frame has followed yet.
    bool frameOwed = true;
    const char* traceVariable = std::getenv("VELOQUIX_TRACE_STARTUP");
    bool traceFrame = traceVariable && *traceVariable;
    bool traceInput = traceFrame;
    while (!view->windowShouldClose()) {
        if (!waited) SDL_PumpEvents();
        if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) frameOwed = true;
        const bool input = traceInput && SDL_HasEvents(SDL_KEYDOWN, SDL_MULTIGESTURE);
        view->handleQueuedEvents();
        if (input) {
            traceStartup("first-input");
            traceInput = false;
        }
        waited = false;
        runQueuedTasks();
        if (view->windowShouldClose()) break;
        if (director->isAnimationStopped()) {
            // In the background: no frames, just wait for the window to come back.
            SDL_WaitEventTimeout(nullptr, 100);
            nextFrame = EngineClock::now();
            continue;
        }
        double now = EngineClock::now();
        if (now >= nextFrame) {
            director->mainLoop();
            frameOwed = false;
            if (traceFrame && director->getPresentedFrames() > 0) {
                traceStartup("first-frame");
                traceFrame = false;
            }
            double interval = director->getAnimationInterval();
            nextFrame += interval;
            now = EngineClock::now();
            if (now - nextFrame > interval * 4) nextFrame = now;
        }
        if (!frameOwed && director->isAtRest()) {
            // Nothing on the screen can change until an event comes: no
            // frame runs at all meanwhile. The time asleep is no frame's
            // worth of movement for whatever the event starts.
            // After a while asleep, what only a change would need goes
            // back to the system; then the wait goes on as long as it must.
            if (!SDL_WaitEventTimeout(nullptr, kRestBeforeReleasing)) {
                director->releaseRestingPictures();
                SDL_WaitEvent(nullptr);
            }
            waited = true;
            director->setNextDeltaTimeZero(true);
            continue;
        }
        if (now < nextFrame) {
            // Asleep until the next frame is due or input arrives; input is
            // handled at once and the frame still runs on time.
            SDL_WaitEventTimeout(nullptr, static_cast<int>(std::ceil((nextFrame - now) * 1000.0)));
            waited = true;
        }
    }
    {
        std::lock_guard<std::mutex> lock(s_tasksMutex);
        s_tasks.clear();
    }
    applicationWillTerminate();
    director->getScheduler()->setWakeUpCall(nullptr);
    director->end();
    view->release();
    return 0;
}

void Application::runOnMainThread(std::function<void()> task)
{
    {
        std::lock_guard<std::mutex> lock(s_tasksMutex);
        s_tasks.push_back(std::move(task));
    }
    // Wakes the loop from its wait for input; the event itself means nothing.
    SDL_Event wake = {};
    wake.type = SDL_USEREVENT;
    SDL_PushEvent(&wake);
}

void Application::showMessage(const std::string& title, const std::string& text)
{
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (asked && (std::strcmp(asked, "dummy") == 0 || std::strcmp(asked, "offscreen") == 0)) return;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), text.c_str(), nullptr);
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
