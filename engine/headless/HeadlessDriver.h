#pragma once

#include <string>

#include "math/Vec2.h"

namespace cocos2d {

class Image;
class Node;

// Drives the real Director without a screen: a manual clock, frames on demand,
// and input injected through the same GLView entry points a window uses.
// Points are design points, y up.
class HeadlessDriver {
public:
    static constexpr double kFrame = 1.0 / 60.0;

    // Selects SDL's dummy video driver, the manual clock and a screen drawn
    // only for capture(); call before any window opens, and again after
    // Director::destroyInstance(), since the screen drawn on demand is a
    // setting of the Director, which a new one does not inherit.
    static void prepareEnvironment();

    // One frame after moving the clock by one frame period.
    void frame();
    // Frames of 1/60 s until the time has passed (at least one when seconds > 0).
    void advance(double seconds);

    void touchDown(int id, const Vec2& point);
    void touchMove(int id, const Vec2& point);
    void touchUp(int id);
    void touchCancel(int id);
    // One wheel event; dy is EventMouse::getScrollY() (0.1 per notch).
    void wheel(float dy, const Vec2& point);
    void typeText(const std::string& utf8);
    // An SDL key name such as "Return", "Backspace", "Escape"; "Ctrl+V" style prefixes allowed.
    bool key(const std::string& name);

    // The scene as it stands, rasterised now; frames only visit it.
    Image* capture();

    // The running scene as text, one node a line.
    static std::string dumpTree(Node* root);
    // Every user-defaults entry as one JSON object.
    static std::string dumpStore();
    static std::string jsonEscape(const std::string& text);

private:
    Vec2 lastPoint(int id) const;
    void sendTouch(int phase, int id, const Vec2& point);
};

} // namespace cocos2d
