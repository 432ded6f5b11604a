// Cost of one drag step of a single part (moveSingleWithSnap, the search over
// every free end included) on boards of 10 to 10,000 parts, beside the bare
// search over end points computed beforehand: the floor any step can reach.
#include <cstdio>
#include <random>
#include <vector>

#include "AppConstants.h"
#include "BenchEditor.h"
#include "ConnectionGeometry.h"

USING_NS_CC;

int main()
{
    ZelmcircuitScene* editor = startHeadlessEditor("drag_bench");
    if (!editor) return 1;

    std::mt19937 random(7);
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
    }
    Director::destroyInstance();
    return 0;
}
