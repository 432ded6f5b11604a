// What drawing the real editor screen costs on SDL's software renderer,
// headless, with frames presented as a window's would be: a frame drawn
// whole, a frame in which nothing changed, and one in which a single part
// moved, each beside a bare fill of as many pixels in the same run (what
// touching those pixels costs at the least); a whole frame of the board
// zoomed out over 1,000 parts with 500 open-end rings beside the same frame
// with the rings hidden. Then the resident memory of a
// launch whose help pager was paged through and closed, beside one that
// never showed it, each in a process of its own.
#include <SDL.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "AppConstants.h"
#include "BenchEditor.h"
#include "headless/HeadlessDriver.h"

USING_NS_CC;

namespace {

double millisecondsPer(int count, const std::function<void(int)>& step)
{
    return microsecondsPerCall(count, step) / 1000.0;
}

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.compare(0, 6, "VmRSS:") == 0) return std::stol(line.substr(6));
    }
    return -1;
}

SDL_Renderer* backend() { return Director::getInstance()->getRenderer()->getBackend(); }

// An opaque fill of `pixels` pixels of the window, then a present: the least
// any frame that changes that many pixels has to do.
double bareFill(size_t pixels, int count)
{
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(backend(), &w, &h);
    int rows = int((pixels + size_t(w) - 1) / size_t(w));
    SDL_Rect rect{0, 0, w, std::min(rows, h)};
    double ms = millisecondsPer(count, [&](int i) {
        SDL_SetRenderTarget(backend(), nullptr);
        SDL_RenderSetClipRect(backend(), nullptr);
        SDL_SetRenderDrawBlendMode(backend(), SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(backend(), Uint8(i), 40, 60, 255);
        if (pixels > 0) SDL_RenderFillRect(backend(), &rect);
        SDL_RenderPresent(backend());
    });
    SDL_SetRenderDrawBlendMode(backend(), SDL_BLENDMODE_BLEND);
    // A fill drew over the screen behind the kept picture's back.
    Director::getInstance()->getRenderer()->requestScreenCopy();
    return ms;
}

void printRow(const char* what, double ms, size_t pixels, double bare)
{
    if (pixels == 0) {
        std::printf("%-34s %9.3f %10zu %9s %9s\n", what, ms, pixels, "-", "-");
    } else {
        std::printf("%-34s %9.3f %10zu %9.3f %8.1fx\n", what, ms, pixels, bare, ms / bare);
    }
}

// Frames in which nothing changes, then the same frames redrawn whole.
void measureScreen(const char* name, HeadlessDriver& driver, int count)
{
    Director* director = Director::getInstance();
    Renderer* renderer = director->getRenderer();
    driver.frame();
    std::string label = std::string(name) + ", whole";
    size_t pixels = 0;
    double whole = millisecondsPer(count, [&](int) {
        renderer->invalidateScreen();
        driver.frame();
        pixels = renderer->getScreenStats().lastPixels;
    });
    printRow(label.c_str(), whole, pixels, bareFill(pixels, count));
    label = std::string(name) + ", unchanged";
    double unchanged = millisecondsPer(count * 4, [&](int) { driver.frame(); });
    pixels = renderer->getScreenStats().lastPixels;
    printRow(label.c_str(), unchanged, pixels, bareFill(pixels, count * 4));
}

int screenCosts()
{
    ZelmcircuitScene* editor = startHeadlessEditor("render_bench", true);
    if (!editor) return 1;
    HeadlessDriver driver;
    Director::setScreenDrawnOnDemand(false);
    Director* director = Director::getInstance();
    Renderer* renderer = director->getRenderer();
    driver.advance(1.0);

    std::mt19937 random(3);
    strewParts(editor, 30, random);
    circuit::CircuitModel& model = editor->model();
    const circuit::PartId mover = editor->addPartToBoard(PartTypes::straight, Vec2(900, 800));

    std::printf("%-34s %9s %10s %9s %9s\n", "frame", "ms", "pixels", "bare ms", "vs bare");
    const int count = 40;
    // The saved-circuits panel as a launch shows it, over the board.
    measureScreen("saved circuits", driver, count);

    // The board with the drawer resting, only its palette strip showing.
    editor->showSavedList(false);
    const float drawerHeight = editor->drawer().panel()->getContentSize().height;
    const float restingY = 768 + drawerHeight * 0.5f - 100;
    editor->drawer().panel()->setPositionY(restingY);
    driver.advance(0.5);
    measureScreen("board", driver, count);

    size_t movedPixels = 0;
    double moved = millisecondsPer(count * 4, [&](int i) {
        model.setPosition(mover, model.part(mover).position + Vec2(i / 20 % 2 ? -3.0f : 3.0f, 0));
        driver.frame();
        movedPixels += renderer->getScreenStats().lastPixels;
    });
    movedPixels /= size_t(count * 4);
    printRow("board, one part moved", moved, movedPixels, bareFill(movedPixels, count * 4));

    // Zooming changes the size of every picture on the board each frame.
    size_t zoomPixels = 0;
    double zooming = millisecondsPer(count, [&](int i) {
        editor->boardView()->setZoomScale(0.8f + 0.01f * float(i % 20));
        driver.frame();
        zoomPixels += renderer->getScreenStats().lastPixels;
    });
    zoomPixels /= size_t(count);
    printRow("board, zooming", zooming, zoomPixels, bareFill(zoomPixels, count));
    editor->boardView()->setZoomScale(1.0f);
    driver.frame();

    renderer->setRasterizationEnabled(false);
    double logic = millisecondsPer(count * 4, [&](int) { driver.frame(); });
    renderer->setRasterizationEnabled(true);
    std::printf("%-34s %9.3f   (visit, commands, no drawing at all)\n", "board, frame without rasterising", logic);

    // The drawer pulled all the way down over the board.
    editor->drawer().panel()->setPositionY(768 - drawerHeight * 0.5f);
    driver.advance(0.5);
    measureScreen("drawer open", driver, count);
    std::printf("(quads hidden under the open drawer, not drawn: %zu)\n", renderer->getScreenStats().lastHidden);

    // 1,000 parts in chains of four: 500 open ends, all on the screen.
    editor->drawer().panel()->setPositionY(restingY);
    editor->clearBoard();
    std::vector<circuit::PartId> parts;
    strewParts(editor, 1000, random);
    for (const circuit::Part& part : model.parts()) parts.push_back(part.id);
    for (std::size_t i = 0; i + 1 < parts.size(); ++i)
        if (i % 4 != 3) model.join({parts[i], 1}, {parts[i + 1], 0});
    editor->boardView()->setZoomScale(0.5f);
    driver.advance(0.5);
    Node* rings = editor->openEndMarkers().layer();
    auto wholeFrames = [&](bool shown) {
        rings->setVisible(shown);
        driver.frame();
        return millisecondsPer(count, [&](int) {
            renderer->invalidateScreen();
            driver.frame();
        });
    };
    // Alternated, the better of two runs each, so a slow moment of the
    // machine does not land on one side only.
    double with = wholeFrames(true), without = wholeFrames(false);
    with = std::min(with, wholeFrames(true));
    without = std::min(without, wholeFrames(false));
    rings->setVisible(true);
    std::printf("%-34s %9.3f   (%zu rings)\n", "1,000 parts zoomed out, rings", with, editor->openEndMarkers().count());
    std::printf("%-34s %9.3f   (with rings %.3fx)\n", "1,000 parts zoomed out, no rings", without, with / without);
    Director::destroyInstance();
    return 0;
}

// In a child process: a launch that shows the help pager, pages through
// every page and closes it, or one that never shows it; the resident size
// after the same number of frames goes back through the pipe.
void memoryChild(bool showHelp, int out)
{
    ZelmcircuitScene* editor = startHeadlessEditor("render_bench", !showHelp);
    long result[2] = {-1, -1};
    if (editor) {
        HeadlessDriver driver;
        Director::setScreenDrawnOnDemand(false);
        driver.advance(1.0);
        for (int page = 1; page < 5; ++page) {
            if (showHelp) {
                driver.touchDown(0, Vec2(800, 400));
                for (int step = 1; step <= 10; ++step) driver.touchMove(0, Vec2(800 - 60.0f * step, 400));
                driver.touchUp(0);
            }
            driver.advance(1.0);
        }
        result[0] = residentKiB();
        if (showHelp) {
            driver.touchDown(0, Vec2(975, 718));
            driver.touchUp(0);
        }
        driver.advance(2.0);
        result[1] = residentKiB();
    }
    if (write(out, result, sizeof(result)) != ssize_t(sizeof(result))) _exit(1);
    _exit(0);
}

bool memoryOf(bool showHelp, long result[2])
{
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        memoryChild(showHelp, fds[1]);
    }
    close(fds[1]);
    bool ok = pid > 0 && read(fds[0], result, sizeof(long) * 2) == ssize_t(sizeof(long) * 2);
    close(fds[0]);
    int status = 0;
    if (pid > 0) waitpid(pid, &status, 0);
    return ok && result[1] > 0;
}

} // namespace

int main()
{
    // Memory first, in children forked before anything is loaded here.
    long withHelp[2], without[2];
    if (!memoryOf(true, withHelp) || !memoryOf(false, without)) {
        std::fprintf(stderr, "render_bench: a memory child failed\n");
        return 1;
    }
    std::printf("resident MiB   help pager open %.1f, closed %.1f; a launch that never showed it %.1f; "
                "difference after closing %.1f\n\n",
                withHelp[0] / 1024.0, withHelp[1] / 1024.0, without[1] / 1024.0, (withHelp[1] - without[1]) / 1024.0);
    return screenCosts();
}
