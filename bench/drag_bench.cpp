// Cost of one drag step of a single part (moveSingleWithSnap, the search over
// every free end included) on boards of 10 to 10,000 parts, beside the bare
// search over end points computed beforehand: the floor any step can reach.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "AppConstants.h"
#include "ConnectionGeometry.h"
#include "ZelmcircuitScene.h"
#include "cocos2d.h"
#include "platform/HeadlessDriver.h"

USING_NS_CC;

namespace {

// Parts are strewn over the board except a band around y = 750, where the
// moving part travels: no end ever comes near it, so every step is a full
// search that finds nothing, the common case while dragging.
void strew(ZelmcircuitScene* editor, int count, std::mt19937& random)
{
    std::uniform_real_distribution<float> x(40, 2008), y(40, 1496);
    std::uniform_int_distribution<int> turn(0, 7), type(0, PartTypes::count - 1);
    for (int i = 0; i < count; ++i) {
        Vec2 at(x(random), y(random));
        while (at.y > 620 && at.y < 880) at.y = y(random);
        const PartType t = type(random);
        auto* part = ZelmPartSprite::create(veloquix::partImageFiles[t]);
        part->setPosition(at);
        part->setRotation(45.0f * turn(random));
        editor->boardView->addChild(part);
        part->type = t;
        editor->addPartToBoard(part);
    }
}

template <class Step>
double microsecondsPerStep(int steps, Step&& step)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < steps; ++i) step(i);
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(end - start).count() / steps;
}

} // namespace

int main()
{
    char home[] = "/tmp/veloquix-bench-XXXXXX";
    if (!mkdtemp(home)) return 1;
    setenv("VELOQUIX_HOME", home, 1);
    HeadlessDriver::prepareEnvironment();
    Director* director = Director::getInstance();
    GLView* view = GLViewImpl::createWithRect("bench", Rect(0, 0, 1024, 768), 1.0f);
    if (!view) {
        std::fprintf(stderr, "drag_bench: no headless view\n");
        return 1;
    }
    director->setOpenGLView(view);
    view->setDesignResolutionSize(1024, 768, ResolutionPolicy::SHOW_ALL);
    director->setContentScaleFactor(2.0f);
    Scene* scene = Scene::create();
    ZelmcircuitScene* editor = ZelmcircuitScene::create();
    scene->addChild(editor);
    director->runWithScene(scene);
    director->mainLoop();

    std::mt19937 random(7);
    std::printf("%8s %12s %14s %10s %14s\n", "parts", "us/step", "bare us/step", "vs bare", "ns/part/step");
    for (int count : {10, 100, 1000, 10000}) {
        editor->clearBoard();
        strew(editor, count, random);
        auto* mover = ZelmPartSprite::create(veloquix::partImageFiles[PartTypes::straight]);
        mover->setPosition(1000, 750);
        editor->boardView->addChild(mover);
        mover->type = PartTypes::straight;
        editor->addPartToBoard(mover);

        const int steps = count >= 10000 ? 2000 : 20000;
        // Back and forth, so the part never reaches the board's edge.
        const double step = microsecondsPerStep(
            steps, [&](int i) { editor->moveSingleWithSnap(mover, Vec2(i / 100 % 2 ? -1.0f : 1.0f, 0)); });
        if (editor->snapTargetEnd) std::fprintf(stderr, "drag_bench: the mover snapped; figures are off\n");

        std::vector<connection::EndSpot> targets, moving;
        for (ZelmPartSprite* part : editor->boardParts) {
            if (part == mover) continue;
            for (PartEnd& end : part->ends) targets.push_back({editor->endToBoard(end, false), end.link});
        }
        for (PartEnd& end : mover->ends) moving.push_back({editor->endToBoard(end, false), mover});
        volatile int sink = 0;
        const double bare = microsecondsPerStep(steps, [&](int) {
            sink = sink + connection::nearestFreeEnd(moving, targets, connection::kJoinDistance).moving;
        });
        std::printf("%8d %12.2f %14.2f %9.2fx %14.1f\n", count, step, bare, step / bare, step * 1000.0 / count);
    }
    Director::destroyInstance();
    return 0;
}
