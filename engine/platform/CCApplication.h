#pragma once

#include <functional>
#include <string>

namespace cocos2d {

// The application protocol; the one instance registers itself on construction.
class Application {
public:
    Application();
    virtual ~Application();

    static Application* getInstance();

    virtual bool applicationDidFinishLaunching() = 0;
    virtual void applicationDidEnterBackground() = 0;
    virtual void applicationWillEnterForeground() = 0;
    virtual void setAnimationInterval(float interval);
    virtual void initGLContextAttrs() {}
    // The window is closing and the loop has ended; the window still exists.
    virtual void applicationWillTerminate() {}

    // Launches and runs the frame loop until the window closes; the exit status.
    int run();
    // Launch without running the loop (headless drivers run frames themselves).
    bool launch();

    // Opens the link in the desktop's browser; returns at once.
    bool openURL(const std::string& url);

    // From any thread: runs the task on the thread of run()'s loop, between
    // frames, even while the window is minimised and no frame runs. Tasks
    // still queued when the loop ends are dropped unrun.
    static void runOnMainThread(std::function<void()> task);
    // A message box of its own, before or without a window; returns when it
    // is dismissed. Nothing is shown when SDL is asked for a video driver
    // that shows nothing (dummy, offscreen).
    static void showMessage(const std::string& title, const std::string& text);

private:
    static Application* s_instance;
};

} // namespace cocos2d
