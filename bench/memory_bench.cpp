// Memory over a long session: 10,000 edits made by touches (a part lifted,
// moved and put down, or turned by a tap) on a circuit of 100 parts, each
// saved and its picture marked as a finished touch does. Resident memory
// after the circuit is laid out and after the last edit, side by side.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "BenchEditor.h"
#include "CircuitDocument.h"
#include "headless/HeadlessDriver.h"

USING_NS_CC;

namespace {
long residentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}
} // namespace

int main(int argc, char** argv)
{
    const int edits = argc > 1 ? std::atoi(argv[1]) : 10000;
    ZelmcircuitScene* editor = startHeadlessEditor("memory_bench", true);
    if (!editor) return 1;
    HeadlessDriver driver;
    editor->store().addCircuit("");
    editor->showSavedList(false);
    // The drawer starts open over the board: its gear closes it.
    driver.touchDown(0, Vec2(992, 32));
    driver.touchUp(0);
    driver.advance(0.6);
    // A grid of 100 parts on the part of the board the screen shows.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> type(0, PartTypes::count - 1);
    for (int row = 0; row < 10; ++row) {
        for (int column = 0; column < 10; ++column)
            editor->addPartToBoard(type(random), Vec2(580 + 95.0f * column, 560 + 50.0f * row));
    }
    editor->commitEdit();
    driver.advance(1.0);
    const circuit::CircuitModel& model = editor->model();
    Node* board = editor->boardView()->getContainer();

    auto edit = [&](int i) {
        const circuit::Part& part = model.parts()[size_t(i * 37) % model.size()];
        const Vec2 at = board->convertToWorldSpace(part.position);
        driver.touchDown(0, at);
        if (i % 5 == 4) {
            // A tap turns the part.
            driver.touchUp(0);
            driver.frame();
            return;
        }
        driver.advance(0.1);
        const Vec2 step(i % 2 ? -2.0f : 2.0f, 1.0f);
        for (int s = 1; s <= 3; ++s) {
            driver.touchMove(0, at + step * float(s));
            driver.frame();
        }
        driver.touchUp(0);
        driver.frame();
    };
    // The first edits bring in what any edit uses once (pictures, caches).
    for (int i = 0; i < 50; ++i) edit(i);
    driver.advance(1.0);
    const long start = residentKiB();
    for (int i = 0; i < edits; ++i) edit(i);
    driver.advance(1.0);
    const long end = residentKiB();
    // The edits were made: the saved circuit is the board as it now lies.
    std::string saved;
    for (const circuitdoc::PartRecord& r : editor->store().loadCircuit(editor->store().openId()))
        saved += std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.rotation) + ";";
    std::string shown;
    int turned = 0;
    for (const circuit::Part& p : model.parts()) {
        shown += std::to_string(p.position.x) + "," + std::to_string(p.position.y) + "," +
                 std::to_string(float(int(p.rotation))) + ";";
        turned += p.rotation != 0;
    }
    if (saved != shown || turned == 0) {
        std::fprintf(stderr, "memory_bench: the edits did not reach the store (%d parts turned)\n", turned);
        return 1;
    }
    std::printf("%8s %8s %14s %14s %12s\n", "edits", "parts", "resident start", "resident end", "growth");
    std::printf("%8d %8zu %10.1f MiB %10.1f MiB %8.2f MiB\n", edits, model.size(), start / 1024.0, end / 1024.0,
                (end - start) / 1024.0);
    Director::destroyInstance();
    return end - start < 5 * 1024 ? 0 : 1;
}
