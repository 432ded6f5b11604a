#pragma once

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

private:
    static Application* s_instance;
};

} // namespace cocos2d
