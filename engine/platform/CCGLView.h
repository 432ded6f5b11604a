#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "base/CCRef.h"
#include "math/CCGeometry.h"

struct SDL_Renderer;
struct SDL_Window;
struct SDL_WindowEvent;

namespace cocos2d {

class Image;
class Touch;

enum class ResolutionPolicy { EXACT_FIT, NO_BORDER, SHOW_ALL, FIXED_HEIGHT, FIXED_WIDTH, UNKNOWN };

struct GLContextAttrs {
    int redBits;
    int greenBits;
    int blueBits;
    int alphaBits;
    int depthBits;
    int stencilBits;
};

// The window (or the offscreen surface) and its mapping between window pixels
// and design points. Input from SDL and from test drivers enters through the
// handleTouches* calls, in window pixels, y down.
class GLView : public Ref {
public:
    ~GLView() override;

    static void setGLContextAttrs(GLContextAttrs& attrs);
    static GLContextAttrs getGLContextAttrs();

    virtual void end();
    virtual bool isOpenGLReady() { return _backend != nullptr; }
    virtual void swapBuffers();
    virtual bool windowShouldClose() { return _shouldClose; }
    // The program asks to quit, as the window's close button does.
    void requestClose() { _shouldClose = true; }
    virtual void pollEvents();
    // Handles the events SDL has already queued, without asking the window
    // system for more: right after SDL_WaitEventTimeout, which just did.
    void handleQueuedEvents();
    virtual void setIMEKeyboardState(bool open);
    // Brings the window in front of the others, restoring it when minimised.
    void raiseWindow();

    const Size& getFrameSize() const { return _screenSize; }
    // Window client size in pixels; the design area is scaled into it.
    virtual void setFrameSize(float width, float height);
    virtual void setDesignResolutionSize(float width, float height, ResolutionPolicy policy);
    const Size& getDesignResolutionSize() const { return _designResolutionSize; }
    ResolutionPolicy getResolutionPolicy() const { return _resolutionPolicy; }
    Size getVisibleSize() const;
    Vec2 getVisibleOrigin() const;
    const Rect& getViewPortRect() const { return _viewPortRect; }
    float getScaleX() const { return _scaleX; }
    float getScaleY() const { return _scaleY; }

    // Scissor state: a stand-in for the OpenGL scissor test, in design points.
    // The switches take effect when the render commands run; the queries return
    // the state the last executed command left.
    void setScissorInPoints(float x, float y, float w, float h);
    bool isScissorEnabled() const { return _scissorEnabled; }
    Rect getScissorRect() const { return _scissorRect; }
    void enableScissor();
    void disableScissor();

    void handleTouchesBegin(int num, intptr_t ids[], float xs[], float ys[]);
    void handleTouchesMove(int num, intptr_t ids[], float xs[], float ys[]);
    void handleTouchesEnd(int num, intptr_t ids[], float xs[], float ys[]);
    void handleTouchesCancel(int num, intptr_t ids[], float xs[], float ys[]);
    // Mouse wheel with the pointer at window pixel (x, y); notches as SDL reports them.
    void handleMouseWheel(float x, float y, float notchesX, float notchesY);
    void handleMouseMove(float x, float y);
    void handleMouseButton(float x, float y, bool down);
    void handleTextInput(const std::string& utf8);
    // An SDL key (an SDL_Keycode) with its modifiers, as SDL_KEYDOWN reports it.
    void handleKeyDown(int32_t key, uint16_t modifiers);
    void handleKeyUp(int32_t key, uint16_t modifiers);

    // Window pixels (y down) from design points (y up), and back.
    Vec2 designToWindow(const Vec2& designPoint) const;
    Vec2 windowToDesign(const Vec2& windowPoint) const;

    // The last presented frame, window-sized; nullptr without a backend.
    Image* captureFrame();

    SDL_Window* getWindow() const { return _window; }
    SDL_Renderer* getBackend() const { return _backend; }
    const std::string& getViewName() const { return _viewName; }
    // Also the window's title.
    void setViewName(const std::string& name);
    // Full screen on the window's display, or back to the window it was; F11 switches.
    void setFullscreen(bool fullscreen);
    bool isFullscreen() const;
    int getActiveTouchCount() const { return static_cast<int>(_touches.size()); }

protected:
    GLView();
    bool initBackend(SDL_Window* window, SDL_Renderer* backend, const std::string& name);
    void updateDesignResolutionSize();
    void applyScissor();
    void handleTouches(int code, int num, intptr_t ids[], float xs[], float ys[]);
    void handleWindowEvent(const SDL_WindowEvent& event);
    // The window moved, was resized, maximised, restored or made full screen.
    virtual void windowPlacementChanged() {}

    static GLContextAttrs s_glContextAttrs;

    SDL_Window* _window = nullptr;
    SDL_Renderer* _backend = nullptr;
    std::string _viewName;
    bool _shouldClose = false;

    Size _screenSize;
    Size _designResolutionSize;
    Rect _viewPortRect;
    ResolutionPolicy _resolutionPolicy = ResolutionPolicy::UNKNOWN;
    float _scaleX = 1.0f;
    float _scaleY = 1.0f;

    bool _scissorEnabled = false;
    Rect _scissorRect;

    std::map<intptr_t, Touch*> _touches;
    bool _mouseDown = false;
    Vec2 _mousePosition;
    // SDL's finger ids (SDL_FingerID) to touch ids.
    std::map<int64_t, intptr_t> _fingerIds;
    intptr_t _nextFingerId = 1;
};

} // namespace cocos2d
