#pragma once

#include <functional>
#include <string>

#include "cocos2d.h"
#include "headless/HeadlessDriver.h"

// The real Director on the software renderer, a manual clock and a fresh
// writable folder; one per test. Points are design points, y up.
class EngineHarness : public cocos2d::HeadlessDriver {
public:
    // Opens a headless view of windowW x windowH pixels with the application's
    // design resolution (1024 x 768, SHOW_ALL, content scale 2) and runs an
    // empty scene, which one frame puts on stage.
    explicit EngineHarness(int windowW = 1024, int windowH = 768);
    ~EngineHarness();

    cocos2d::Scene* scene() const { return _scene; }
    cocos2d::Director* director() const { return cocos2d::Director::getInstance(); }
    const std::string& home() const { return _home; }

    // RGBA of the captured pixel at a window pixel (y down).
    static cocos2d::Color4B pixelAt(cocos2d::Image* image, int x, int y);

private:
    std::string _home;
    cocos2d::Scene* _scene = nullptr;
};

// A fresh VELOQUIX_HOME for tests that need no Director, in a new folder
// under parent (one in memory, such as /dev/shm, makes durable commits cheap).
std::string makeTemporaryHome(const std::string& parent = "/tmp");
void removeTree(const std::string& path);
// In a child about to exec a program whose exit is timed: LeakSanitizer's scan
// at exit (sanitizer builds) takes most of a second by itself. Other tests
// that start the programs keep the scan.
void skipLeakScanAtExit();

// A node that queues a custom command running `action` each time it is drawn.
struct CommandNode : cocos2d::Node {
    cocos2d::CustomCommand command;
    std::function<void()> action;
    void draw(cocos2d::Renderer* renderer, const cocos2d::Mat4&, uint32_t) override;
    static CommandNode* make(std::function<void()> action);
};
