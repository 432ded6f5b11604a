// Cost of one drag step of a single part (moveSingleWithSnap, the search over
// every free end included) on boards of 10 to 10,000 parts, beside the bare
// search over end points computed beforehand: the floor any step can reach.
// Then, at 1,000 and 10,000 parts, the step with what a frame adds for the
// rings on open ends and the status line (their update after the step) beside
// the step with both deaf to the model, in the same run. Last, a drag step
// by a finger of a lifted chain of 1,000 and 10,000 parts beside a finger's
// drag step of one part on the same board.
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "AppConstants.h"
#include "BenchEditor.h"
#include "ConnectionGeometry.h"
#include "headless/HeadlessDriver.h"

USING_NS_CC;

namespace {

struct ChainSteps {
    double chain, single;
};

// A finger's drag steps, each the touch's move handled (the frames between
// them untimed), of a chain of `count` parts and then of one loose part, on
// a board of that chain and 1,000 loose parts strewn about. The chain is
// linked end to end in the order the parts were strewn, its first and last
// part lying in the free band, so neither its free ends nor the loose part
// dragged there ever come near another end.
ChainSteps chainDragSteps(ZelmcircuitScene* editor, int count, std::mt19937& random)
{
    editor->clearBoard();
    circuit::CircuitModel& model = editor->model();
    std::vector<circuit::PartId> chain;
    chain.push_back(editor->addPartToBoard(PartTypes::straight, Vec2(700, 750)));
    strewParts(editor, count - 2, random);
    for (const circuit::Part& part : model.parts())
        if (part.id != chain.front()) chain.push_back(part.id);
    chain.push_back(editor->addPartToBoard(PartTypes::straight, Vec2(1300, 750)));
    for (size_t i = 1; i < chain.size(); ++i) model.join({chain[i - 1], 1}, {chain[i], 0});
    strewParts(editor, 1000, random);
    const circuit::PartId loose = editor->addPartToBoard(PartTypes::straight, Vec2(1000, 750));

    // The drawer resting with only its palette strip showing, as a user drags.
    const float drawerHeight = editor->drawer().panel()->getContentSize().height;
    editor->drawer().panel()->setPositionY(768 + drawerHeight * 0.5f - 100);
    HeadlessDriver driver;
    driver.frame();
    auto dragSteps = [&](circuit::PartId part, double hold, int steps) {
        Vec2 finger = editor->boardView()->getContainer()->convertToWorldSpace(model.part(part).position);
        driver.touchDown(0, finger);
        driver.advance(hold);
        const size_t lifted = editor->gesture().isChainDrag() ? editor->gesture().move().chain().size() : 1;
        if (!editor->gesture().isDragging() || lifted != (part == loose ? 1u : chain.size()))
            std::fprintf(stderr, "drag_bench: the finger lifted %zu parts; figures are off\n", lifted);
        double total = 0;
        for (int i = 0; i < steps; ++i) {
            finger.x += i / 50 % 2 ? -1.0f : 1.0f;
            total += microsecondsPerCall(1, [&](int) { driver.touchMove(0, finger); });
            driver.frame();
        }
        driver.touchCancel(0);
        driver.frame();
        return total / steps;
    };
    const int steps = count >= 10000 ? 200 : 1000;
    ChainSteps result{1e300, 1e300};
    // Alternated in rounds, the best round of each kept.
    for (int round = 0; round < 3; ++round) {
        result.chain = std::min(result.chain, dragSteps(chain.front(), 0.45, steps));
        result.single = std::min(result.single, dragSteps(loose, 0.1, steps));
    }
    return result;
}

} // namespace

int main()
{
    ZelmcircuitScene* editor = startHeadlessEditor("drag_bench", true);
    if (!editor) return 1;

    // The board shown, so the status line has something to say.
    editor->showSavedList(false);
    std::mt19937 random(7);
    struct Health {
        int parts;
        double without, with, update;
    };
    std::vector<Health> health;
    std::printf("%8s %12s %14s %10s %14s\n", "parts", "us/step", "bare us/step", "vs bare", "ns/part/step");
    for (int count : {10, 100, 1000, 10000}) {
        editor->clearBoard();
        strewParts(editor, count, random);
        const circuit::PartId mover = editor->addPartToBoard(PartTypes::straight, Vec2(1000, 750));

        const int steps = count >= 10000 ? 2000 : 20000;
        // Back and forth along y = 750, so the part never reaches the
        // board's edge and no end is ever near: every step searches all.
        const double step = microsecondsPerCall(
            steps, [&](int i) { editor->moveSingleWithSnap(mover, Vec2(i / 100 % 2 ? -1.0f : 1.0f, 0)); });
        if (editor->gesture().move().snapped()) std::fprintf(stderr, "drag_bench: the mover snapped; figures are off\n");

        std::vector<connection::EndSpot> targets, moving;
        const circuit::CircuitModel& model = editor->model();
        for (const circuit::Part& part : model.parts()) {
            if (part.id == mover) continue;
            for (int e = 0; e < 2; ++e)
                targets.push_back({model.endToBoard({part.id, e}), circuit::CircuitModel::linkTag(part.ends[e].link)});
        }
        for (int e = 0; e < 2; ++e)
            moving.push_back({model.endToBoard({mover, e}), circuit::CircuitModel::linkTag(mover)});
        volatile int sink = 0;
        const double bare = microsecondsPerCall(steps, [&](int) {
            sink = sink + connection::nearestFreeEnd(moving, targets, connection::kJoinDistance).moving;
        });
        std::printf("%8d %12.2f %14.2f %9.2fx %14.1f\n", count, step, bare, step / bare, step * 1000.0 / count);
        if (count < 1000) continue;

        circuit::CircuitModel& board = editor->model();
        auto drag = [&](int i) { editor->moveSingleWithSnap(mover, Vec2(i / 100 % 2 ? -1.0f : 1.0f, 0)); };
        auto frameUpdate = [&] {
            editor->openEndMarkers().sync();
            editor->statusLine().refresh();
        };
        // Rings for every open end and the whole gap search made once, as the
        // first frame after a load does.
        frameUpdate();
        // Alternated in rounds, the best round of each kept, so that a busy
        // moment of the machine does not land on one side only. Deaf to the
        // model for a round, the rings and the line miss only the mover's
        // steps, which its next step brings in again.
        double without = 1e300, with = 1e300, update = 1e300;
        const int rounds = 5;
        for (int round = 0; round < rounds; ++round) {
            board.removeObserver(&editor->health());
            board.removeObserver(&editor->openEndMarkers());
            without = std::min(without, microsecondsPerCall(steps / rounds, drag));
            board.addObserver(&editor->health());
            board.addObserver(&editor->openEndMarkers());
            with = std::min(with, microsecondsPerCall(steps / rounds, [&](int i) {
                                drag(i);
                                frameUpdate();
                            }));
            // The update alone, each timed after its own step.
            double updating = 0;
            for (int i = 0; i < steps / rounds; ++i) {
                drag(i);
                updating += microsecondsPerCall(1, [&](int) { frameUpdate(); });
            }
            update = std::min(update, updating / (steps / rounds));
        }
        health.push_back({count, without, with, update});
    }
    std::printf("\n%8s %18s %18s %8s %14s   (rings and status line: update after each step)\n", "parts",
                "us/step without", "us/step with", "ratio", "update alone");
    for (const Health& h : health)
        std::printf("%8d %18.2f %18.2f %7.3fx %14.2f\n", h.parts, h.without, h.with, h.with / h.without, h.update);

    std::printf("\n%8s %14s %16s %8s   (a finger's drag step: the chain lifted, or one part)\n", "chain",
                "chain us/step", "single us/step", "ratio");
    for (int count : {1000, 10000}) {
        const ChainSteps steps = chainDragSteps(editor, count, random);
        std::printf("%8d %14.2f %16.2f %7.2fx\n", count, steps.chain, steps.single, steps.chain / steps.single);
    }
    Director::destroyInstance();
    return 0;
}
