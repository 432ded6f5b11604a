#pragma once

#include <string>
#include <vector>

#include "platform/CCGLView.h"

namespace cocos2d {

// Where a desktop window is, in the window system's coordinates (points, y
// down), while neither maximised nor full screen, and those two states on top.
// As X11 window managers take a new window's position, the origin is the
// top-left corner of its frame (title bar and borders included); the size is
// the client area's.
struct WindowPlacement {
    Rect bounds;
    // False: centred on the first display, bounds.origin unused.
    bool positioned = false;
    bool maximized = false;
    bool fullscreen = false;
};

// A desktop window on SDL2, or an offscreen surface when SDL runs with the
// dummy or offscreen video driver.
class GLViewImpl : public GLView {
public:
    static GLViewImpl* create(const std::string& viewName);
    static GLViewImpl* createWithRect(const std::string& viewName, Rect rect, float frameZoomFactor = 1.0f,
                                      bool resizable = true);
    // A resizable window placed, sized, maximised or made full screen as told.
    static GLViewImpl* createWithPlacement(const std::string& viewName, const WindowPlacement& placement);

    // Makes sure SDL video is up; false (with SDL's reason) when no window can open here.
    static bool initVideo(std::string* error);
    // True when SDL runs with a video driver that shows nothing (dummy, offscreen).
    static bool isHeadless();
    // The part of each display that windows may use (without panels and
    // docks), the primary first; empty before initVideo().
    static std::vector<Rect> getDisplayUsableBounds();

    // The window as it stands; bounds are the last ones it had while neither
    // maximised nor full screen, to come back to.
    WindowPlacement getPlacement() const;

protected:
    bool initWithRect(const std::string& viewName, Rect rect, float frameZoomFactor, bool resizable);
    bool initWithPlacement(const std::string& viewName, const WindowPlacement& placement, bool resizable);
    void windowPlacementChanged() override;

    // The last bounds while neither maximised nor full screen, the origin on the frame.
    Rect _normalBounds;
};

} // namespace cocos2d
