// The engine's own cost of one frame (scene visit and render-command building,
// without rasterising) for growing numbers of sprites. Prints microseconds per
// frame and the cost per sprite relative to the smallest scene of the same run.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "cocos2d.h"
#include "headless/HeadlessDriver.h"

USING_NS_CC;

namespace {

double frameMicroseconds(int spriteCount)
{
    Director* director = Director::getInstance();
    Scene* scene = Scene::create();
    director->replaceScene(scene);
    director->mainLoop();
    for (int i = 0; i < spriteCount; ++i) {
        Sprite* sprite = Sprite::create("res/loading.png");
        sprite->setPosition(float(i % 100) * 10.0f, float(i / 100 % 76) * 10.0f);
        sprite->setRotation(float(i % 8) * 45.0f);
        scene->addChild(sprite);
    }
    Renderer* renderer = director->getRenderer();
    renderer->setRasterizationEnabled(false);
    director->mainLoop();
    int frames = spriteCount >= 10000 ? 200 : 2000;
    auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; ++f) {
        // Moving every sprite keeps the transforms dirty, the worst case.
        for (Node* child : scene->getChildren()) child->setPositionX(child->getPositionX() + 0.001f);
        director->visitScene();
        renderer->render();
    }
    auto end = std::chrono::steady_clock::now();
    renderer->setRasterizationEnabled(true);
    return std::chrono::duration<double, std::micro>(end - start).count() / frames;
}

} // namespace

int main()
{
    HeadlessDriver::prepareEnvironment();
    Director* director = Director::getInstance();
    GLView* view = GLViewImpl::createWithRect("bench", Rect(0, 0, 1024, 768), 1.0f);
    if (!view) {
        std::fprintf(stderr, "frame_bench: no headless view\n");
        return 1;
    }
    director->setOpenGLView(view);
    view->setDesignResolutionSize(1024, 768, ResolutionPolicy::SHOW_ALL);
    director->setContentScaleFactor(2.0f);

    const int counts[] = {100, 1000, 10000};
    double baselinePerSprite = 0.0;
    std::printf("%8s %14s %16s %10s\n", "sprites", "us/frame", "ns/sprite", "vs 100");
    for (int count : counts) {
        double us = frameMicroseconds(count);
        double perSprite = us * 1000.0 / count;
        if (baselinePerSprite == 0.0) baselinePerSprite = perSprite;
        std::printf("%8d %14.1f %16.1f %9.2fx\n", count, us, perSprite, perSprite / baselinePerSprite);
    }
    Director::destroyInstance();
    return 0;
}
