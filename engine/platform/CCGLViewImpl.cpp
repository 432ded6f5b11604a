#include "platform/CCGLViewImpl.h"

#include <SDL_image.h>
#include <SDL_ttf.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "base/CCDirector.h"
#include "base/ccMacros.h"
#include "renderer/CCRenderer.h"

namespace cocos2d {

namespace {
// Mesa's llvmpipe and softpipe, and the older swrast, are OpenGL without a
// graphics chip.
bool rasterisesOnTheProcessor(SDL_Renderer* backend)
{
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(backend, &info) != 0 || !info.name) return false;
    if (std::strncmp(info.name, "opengl", 6) != 0) return false;
    using GetString = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned int kRenderer = 0x1F01;
    const char* name = getString ? reinterpret_cast<const char*>(getString(kRenderer)) : nullptr;
    if (!name) return false;
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
        if (std::strstr(name, software)) return true;
    }
    return false;
}
} // namespace

bool GLViewImpl::initVideo(std::string* error)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        // Touch screens report fingers themselves; no synthetic mouse on top.
        SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
        SDL_SetHint(SDL_HINT_MOUSE_TOUCH_EVENTS, "0");
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
        SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            if (error) *error = SDL_GetError();
            return false;
        }
        IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG);
        if (!TTF_WasInit()) TTF_Init();
        SDL_StopTextInput();
    }
    return true;
}

GLViewImpl* GLViewImpl::create(const std::string& viewName)
{
    return createWithRect(viewName, Rect(0, 0, 960, 640));
}

GLViewImpl* GLViewImpl::createWithRect(const std::string& viewName, Rect rect, float frameZoomFactor, bool resizable)
{
    auto* view = new (std::nothrow) GLViewImpl();
    if (view && view->initWithRect(viewName, rect, frameZoomFactor, resizable)) {
        view->autorelease();
        return view;
    }
    delete view;
    return nullptr;
}

GLViewImpl* GLViewImpl::createWithPlacement(const std::string& viewName, const WindowPlacement& placement)
{
    auto* view = new (std::nothrow) GLViewImpl();
    if (view && view->initWithPlacement(viewName, placement, true)) {
        view->autorelease();
        return view;
    }
    delete view;
    return nullptr;
}

bool GLViewImpl::isHeadless()
{
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
    return driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0);
}

std::vector<Rect> GLViewImpl::getDisplayUsableBounds()
{
    std::vector<Rect> displays;
    int count = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetNumVideoDisplays() : 0;
    for (int i = 0; i < count; ++i) {
        SDL_Rect r;
        // Without a window manager's work area, the whole display.
        bool known = SDL_GetDisplayUsableBounds(i, &r) == 0 || SDL_GetDisplayBounds(i, &r) == 0;
        if (known && r.w > 0 && r.h > 0) displays.emplace_back(float(r.x), float(r.y), float(r.w), float(r.h));
    }
    return displays;
}

WindowPlacement GLViewImpl::getPlacement() const
{
    WindowPlacement placement;
    placement.bounds = _normalBounds;
    placement.positioned = true;
    if (_window) {
        Uint32 flags = SDL_GetWindowFlags(_window);
        placement.maximized = (flags & SDL_WINDOW_MAXIMIZED) != 0;
        placement.fullscreen = (flags & SDL_WINDOW_FULLSCREEN) != 0;
    }
    return placement;
}

void GLViewImpl::windowPlacementChanged()
{
    if (!_window) return;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(_window, &x, &y);
    SDL_GetWindowSize(_window, &w, &h);
    Rect now(static_cast<float>(x), static_cast<float>(y), static_cast<float>(w), static_cast<float>(h));
    // The state now, not when the event was sent: a window manager may
    // report a maximised window's new size before saying it is maximised,
    // and both are in by the time the events are handled.
    if (SDL_GetWindowFlags(_window) & (SDL_WINDOW_MAXIMIZED | SDL_WINDOW_FULLSCREEN | SDL_WINDOW_MINIMIZED)) return;
    // SDL reports the client area's position; the frame is above and left of it.
    int top = 0, left = 0;
    if (SDL_GetWindowBordersSize(_window, &top, &left, nullptr, nullptr) == 0) {
        now.origin.x -= float(left);
        now.origin.y -= float(top);
    }
    _normalBounds = now;
}

bool GLViewImpl::initWithRect(const std::string& viewName, Rect rect, float frameZoomFactor, bool resizable)
{
    WindowPlacement placement;
    placement.bounds.size = Size(rect.size.width * frameZoomFactor, rect.size.height * frameZoomFactor);
    return initWithPlacement(viewName, placement, resizable);
}

bool GLViewImpl::initWithPlacement(const std::string& viewName, const WindowPlacement& placement, bool resizable)
{
    std::string error;
    if (!initVideo(&error)) {
        CCLOG("cannot open a window: %s", error.c_str());
        return false;
    }
    const bool headless = isHeadless();

    int w = int(placement.bounds.size.width);
    int h = int(placement.bounds.size.height);
    int x = placement.positioned ? int(placement.bounds.origin.x) : int(SDL_WINDOWPOS_CENTERED);
    int y = placement.positioned ? int(placement.bounds.origin.y) : int(SDL_WINDOWPOS_CENTERED);
    // Shown only once its renderer is settled, which may take a second window.
    Uint32 flags = SDL_WINDOW_ALLOW_HIGHDPI | (resizable ? SDL_WINDOW_RESIZABLE : 0) | SDL_WINDOW_HIDDEN;
    auto makeWindow = [&] {
        SDL_Window* made = SDL_CreateWindow(viewName.c_str(), x, y, w, h, flags);
        if (!made) CCLOG("cannot open a window: %s", SDL_GetError());
        return made;
    };
    SDL_Window* window = makeWindow();
    if (!window) return false;
    SDL_Renderer* backend = nullptr;
    if (!headless) {
        backend = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
        if (backend && !SDL_GetHint(SDL_HINT_RENDER_DRIVER) && rasterisesOnTheProcessor(backend)) {
            // OpenGL done by the processor (no graphics chip) draws every
            // frame slower than SDL's own software renderer, and its
            // presents copy the whole window; the software renderer copies
            // only what changed. A fresh window, as this one is bound to GL.
            SDL_DestroyRenderer(backend);
            backend = nullptr;
            SDL_DestroyWindow(window);
            window = makeWindow();
            if (!window) return false;
        }
    }
    if (!backend) backend = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
    if (!backend) {
        CCLOG("cannot create a renderer: %s", SDL_GetError());
        SDL_DestroyWindow(window);
        return false;
    }
    int placedX = 0, placedY = 0;
    SDL_GetWindowPosition(window, &placedX, &placedY);
    _normalBounds = Rect(float(placedX), float(placedY), float(w), float(h));
    if (!headless) {
        SDL_ShowWindow(window);
        if (placement.maximized) SDL_MaximizeWindow(window);
        if (placement.fullscreen) SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    SDL_SetRenderDrawBlendMode(backend, SDL_BLENDMODE_BLEND);
    Director::getInstance()->getRenderer()->setBackend(backend);
    return initBackend(window, backend, viewName);
}

} // namespace cocos2d
