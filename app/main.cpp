#include <string>

#include "AppDelegate.h"
#include "CommandLine.h"

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
           "  Pictures and fonts are read from res/ and fonts/ beside the program, else\n"
           "  from ../share/veloquix/ next to its folder.\n";
}

} // namespace

int main(int argc, char** argv)
{
    veloquix::CommandLine line = veloquix::readCommandLine(argc, argv, 0);
    int answered = veloquix::answerCommandLine(line, "veloquix", usage());
    if (answered >= 0) return answered;
    AppDelegate app;
    return cocos2d::Application::getInstance()->run();
}
