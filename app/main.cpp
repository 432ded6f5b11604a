#include <cstdio>

#include "AppConstants.h"
#include "AppDelegate.h"
#include "InstanceLock.h"

int main()
{
    using veloquix::InstanceLock;
    const std::string folder = cocos2d::FileUtils::getInstance()->getWritablePath();
    InstanceLock lock;
    switch (lock.takeOrKnock(folder, 2.0)) {
    case InstanceLock::Outcome::Answered:
        std::fprintf(stderr, "veloquix: already running on %s; its window is brought to the front\n",
                     folder.c_str());
        return 0;
    case InstanceLock::Outcome::Busy:
    case InstanceLock::Outcome::NoAnswer: {
        std::string message = "Another copy is running on " + folder + " but does not answer; close it and start again.";
        std::fprintf(stderr, "veloquix: %s\n", message.c_str());
        cocos2d::Application::showMessage(veloquix::kWindowTitle, message);
        return 1;
    }
    case InstanceLock::Outcome::NoFolder:
        // Nothing can be kept in this folder; the store says so when it fails.
    case InstanceLock::Outcome::Held:
        break;
    }
    bool listening = lock.held() && lock.listen([](InstanceLock::Answer answer) {
        cocos2d::Application::runOnMainThread([answer] {
            cocos2d::GLView* view = cocos2d::Director::getInstance()->getOpenGLView();
            if (!view) return;
            view->raiseWindow();
            answer();
        });
    });
    if (lock.held() && !listening) {
        // Still the only copy on the folder; a second start just cannot reach it.
        std::fprintf(stderr, "veloquix: a later start cannot ask this copy to the front (%s)\n",
                     lock.reason().c_str());
    }
    AppDelegate app;
    const int status = cocos2d::Application::getInstance()->run();
    // Whatever was set and not yet committed is kept before the process
    // goes. A request still out is abandoned with the process: nothing
    // waits for its thread.
    cocos2d::UserDefault::destroyInstance();
    return status;
}
