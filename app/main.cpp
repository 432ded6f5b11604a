#include <cstdio>
#include <clocale>
#include <cstring>
#include <string>

#include "AppConstants.h"
#include "AppDelegate.h"
#include "CommandLine.h"
#include "InstanceLock.h"

namespace {

std::string usage()
{
    return "Usage: veloquix [--help | --version]\n"
           "Lay out toy race-car tracks: drag track parts onto a board, let their ends\n"
           "snap together, and keep every circuit saved as you go.\n"
           "\n" +
           veloquix::commonUsage("  DISPLAY, WAYLAND_DISPLAY, SDL_VIDEODRIVER\n"
                                 "                         the display the window opens on, as for any SDL program\n") +
           "Files:\n"
           "  $VELOQUIX_HOME/, else $XDG_DATA_HOME/veloquix/, else ~/.local/share/veloquix/:\n"
           "    UserDefault.sqlite   the settings: circuits, account, window size and place\n"
           "    screen/              the circuits' thumbnail pictures\n"
           "    veloquix.lock, veloquix.sock\n"
           "                         held by the copy running on the folder; a second start\n"
           "                         brings that copy's window to the front and exits\n"
           "  Pictures and fonts are read from res/ and fonts/ beside the program, else\n"
           "  from ../share/veloquix/ next to its folder.\n";
}

} // namespace

int main(int argc, char** argv)
{
    veloquix::CommandLine line = veloquix::readCommandLine(argc, argv, 0);
    int answered = veloquix::answerCommandLine(line, "veloquix", usage());
    if (answered >= 0) return answered;

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
    // The window title is UTF-8 ("VELOQUIX — NAME"); X11 takes it as such
    // only under a UTF-8 character locale: the user's, or C.UTF-8 where the
    // environment names none. Numbers are not affected.
    const char* characters = std::setlocale(LC_CTYPE, "");
    if (!characters || std::strcmp(characters, "C") == 0 || std::strcmp(characters, "POSIX") == 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");
    AppDelegate app;
    const int status = cocos2d::Application::getInstance()->run();
    // Whatever was set and not yet committed is kept before the process
    // goes. A request still out is abandoned with the process: nothing
    // waits for its thread.
    cocos2d::UserDefault::destroyInstance();
    return status;
}
