#pragma once

#include <string>

#include "platform/CCGLView.h"

namespace cocos2d {

// A desktop window on SDL2, or an offscreen surface when SDL runs with the
// dummy or offscreen video driver.
class GLViewImpl : public GLView {
public:
    static GLViewImpl* create(const std::string& viewName);
    static GLViewImpl* createWithRect(const std::string& viewName, Rect rect, float frameZoomFactor = 1.0f,
                                      bool resizable = true);

    // Makes sure SDL video is up; false (with SDL's reason) when no window can open here.
    static bool initVideo(std::string* error);

protected:
    bool initWithRect(const std::string& viewName, Rect rect, float frameZoomFactor, bool resizable);
};

} // namespace cocos2d
