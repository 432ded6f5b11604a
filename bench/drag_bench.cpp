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
        auto* mover = ZelmPartSprite::create(veloquix::partImageFiles[PartTypes::straight]);
        mover->setPosition(1000, 750);
        editor->boardView->addChild(mover);
        mover->type = PartTypes::straight;
        editor->addPartToBoard(mover);

        const int steps = count >= 10000 ? 2000 : 20000;
        // Back and forth along y = 750, so the part never reaches the
        // board's edge and no end is ever near: every step searches all.
        const double step = microsecondsPerCall(
            steps, [&](int i) { editor->moveSingleWithSnap(mover, Vec2(i / 100 % 2 ? -1.0f : 1.0f, 0)); });
        if (editor->snapTargetEnd) std::fprintf(stderr, "drag_bench: the mover snapped; figures are off\n");

        std::vector<connection::EndSpot> targets, moving;
        for (ZelmPartSprite* part : editor->boardParts) {
            if (part == mover) continue;
            for (PartEnd& end : part->ends) targets.push_back({editor->endToBoard(end, false), end.link});
        }
        for (PartEnd& end : mover->ends) moving.push_back({editor->endToBoard(end, false), mover});
        volatile int sink = 0;
        const double bare = microsecondsPerCall(steps, [&](int) {
            sink = sink + connection::nearestFreeEnd(moving, targets, connection::kJoinDistance).moving;
        });
        std::printf("%8d %12.2f %14.2f %9.2fx %14.1f\n", count, step, bare, step / bare, step * 1000.0 / count);
    }
    Director::destroyInstance();
    return 0;
}
