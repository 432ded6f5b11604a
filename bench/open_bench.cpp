// What opening and closing a stored circuit costs inside the editor, on the
// headless driver: opening (the document read, the parts linked, their
// sprites made) with the frame that first shows it, and closing for the
// list (the board cleared, every sprite gone) with the frame that shows the
// list. Circuits of 0 to 10,000 parts; the empty one is the baseline. The
// resident memory is read before the first opening and after the last
// closing, once the screen has rested as the application's loop lets it
// (what a large board leaves behind once it is gone): the memory goes back
// to the system then, not in the frame that closes the board. The whole
// application's start-up, window included, is startup_bench.sh's.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "BenchEditor.h"
#include "headless/HeadlessDriver.h"

USING_NS_CC;

namespace {

template <class Step>
double milliseconds(Step&& step)
{
    return microsecondsPerCall(1, [&](int) { step(); }) / 1000.0;
}

double residentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

} // namespace

int main()
{
    ZelmcircuitScene* editor = startHeadlessEditor("open_bench", true);
    if (!editor) return 1;
    HeadlessDriver driver;
    std::mt19937 random(5);
    const int rounds = 3;
    std::printf("%8s %12s %12s %12s %12s %12s %12s\n", "parts", "open ms", "vs empty", "close ms", "close frame",
                "RSS MB", "after close");
    double emptyOpen = 0;
    for (int count : {0, 1000, 10000}) {
        editor->clearBoard();
        strewParts(editor, count, random);
        const std::string id = editor->store().addCircuit("");
        editor->saveCircuit(id);
        editor->showSavedList(true);
        driver.frame();
        Director::getInstance()->releaseRestingPictures();
        const double residentBefore = residentMegabytes();
        double open = 0, close = 0, closeFrame = 0;
        for (int round = 0; round < rounds; ++round) {
            open += milliseconds([&] {
                editor->loadCircuit(id);
                editor->showSavedList(false);
                driver.frame();
            });
            driver.advance(0.5);
            close += milliseconds([&] { editor->showSavedList(true); });
            closeFrame += milliseconds([&] { driver.frame(); });
            driver.advance(0.5);
            Director::getInstance()->releaseRestingPictures();
        }
        open /= rounds;
        close /= rounds;
        closeFrame /= rounds;
        if (count == 0) emptyOpen = open;
        std::printf("%8d %12.1f %+12.1f %12.1f %12.1f %12.1f %+12.1f\n", count, open, open - emptyOpen, close,
                    closeFrame, residentBefore, residentMegabytes() - residentBefore);
    }
    Director::destroyInstance();
    return 0;
}
