#include "platform/CCGLView.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <vector>

#include "base/CCDirector.h"
#include "base/CCEventDispatcher.h"
#include "base/CCEventKeyboard.h"
#include "base/CCEventMouse.h"
#include "base/CCEventTouch.h"
#include "base/CCIMEDispatcher.h"
#include "base/CCTouch.h"
#include "platform/CCApplication.h"
#include "platform/CCImage.h"
#include "renderer/CCRenderer.h"

namespace cocos2d {

// The header names SDL's key codes and finger ids by their integer types.
static_assert(std::is_same<SDL_Keycode, int32_t>::value, "SDL_Keycode is no longer a 32-bit int");
static_assert(std::is_same<SDL_FingerID, int64_t>::value, "SDL_FingerID is no longer a 64-bit int");

GLContextAttrs GLView::s_glContextAttrs = {8, 8, 8, 8, 24, 8};

void GLView::setGLContextAttrs(GLContextAttrs& attrs) { s_glContextAttrs = attrs; }

GLContextAttrs GLView::getGLContextAttrs() { return s_glContextAttrs; }

GLView::GLView() = default;

GLView::~GLView()
{
    for (auto& entry : _touches) entry.second->release();
    _touches.clear();
    end();
}

bool GLView::initBackend(SDL_Window* window, SDL_Renderer* backend, const std::string& name)
{
    _window = window;
    _backend = backend;
    _viewName = name;
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(backend, &w, &h);
    setFrameSize(float(w), float(h));
    return true;
}

void GLView::end()
{
    Renderer* renderer = Director::getInstance()->getRenderer();
    if (renderer->getBackend() == _backend) renderer->setBackend(nullptr);
    if (_backend) SDL_DestroyRenderer(_backend);
    if (_window) SDL_DestroyWindow(_window);
    _backend = nullptr;
    _window = nullptr;
    _shouldClose = true;
}

void GLView::raiseWindow()
{
    if (!_window) return;
    if (SDL_GetWindowFlags(_window) & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(_window);
    SDL_RaiseWindow(_window);
}

void GLView::setFrameSize(float width, float height)
{
    _screenSize = Size(width, height);
    if (_resolutionPolicy != ResolutionPolicy::UNKNOWN) updateDesignResolutionSize();
}

void GLView::setDesignResolutionSize(float width, float height, ResolutionPolicy policy)
{
    if (width <= 0.0f || height <= 0.0f) return;
    _designResolutionSize = Size(width, height);
    _resolutionPolicy = policy;
    updateDesignResolutionSize();
}

void GLView::updateDesignResolutionSize()
{
    if (_screenSize.width <= 0 || _screenSize.height <= 0 || _designResolutionSize.width <= 0) return;
    _scaleX = _screenSize.width / _designResolutionSize.width;
    _scaleY = _screenSize.height / _designResolutionSize.height;
    if (_resolutionPolicy == ResolutionPolicy::SHOW_ALL) {
        _scaleX = _scaleY = std::min(_scaleX, _scaleY);
    } else if (_resolutionPolicy == ResolutionPolicy::NO_BORDER) {
        _scaleX = _scaleY = std::max(_scaleX, _scaleY);
    }
    float viewW = _designResolutionSize.width * _scaleX;
    float viewH = _designResolutionSize.height * _scaleY;
    _viewPortRect = Rect((_screenSize.width - viewW) / 2, (_screenSize.height - viewH) / 2, viewW, viewH);

    Renderer::Target screen;
    screen.heightInPoints = _designResolutionSize.height;
    screen.scale = _scaleX;
    screen.offsetX = _viewPortRect.origin.x;
    screen.offsetY = _viewPortRect.origin.y;
    screen.bounds = PixelRect{int(std::lround(_viewPortRect.origin.x)), int(std::lround(_viewPortRect.origin.y)),
                              int(std::lround(_viewPortRect.size.width)), int(std::lround(_viewPortRect.size.height))};
    Director::getInstance()->getRenderer()->setScreenTarget(screen);
}

Size GLView::getVisibleSize() const
{
    if (_resolutionPolicy == ResolutionPolicy::NO_BORDER) {
        return Size(_screenSize.width / _scaleX, _screenSize.height / _scaleY);
    }
    return _designResolutionSize;
}

Vec2 GLView::getVisibleOrigin() const
{
    if (_resolutionPolicy == ResolutionPolicy::NO_BORDER) {
        return Vec2((_designResolutionSize.width - _screenSize.width / _scaleX) / 2,
                    (_designResolutionSize.height - _screenSize.height / _scaleY) / 2);
    }
    return Vec2::ZERO;
}

void GLView::swapBuffers()
{
    if (_backend) SDL_RenderPresent(_backend);
}

void GLView::setViewName(const std::string& name)
{
    _viewName = name;
    if (_window) SDL_SetWindowTitle(_window, name.c_str());
}

void GLView::setFullscreen(bool fullscreen)
{
    if (_window && fullscreen != isFullscreen()) {
        SDL_SetWindowFullscreen(_window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    }
}

bool GLView::isFullscreen() const
{
    return _window && (SDL_GetWindowFlags(_window) & SDL_WINDOW_FULLSCREEN) != 0;
}

void GLView::setIMEKeyboardState(bool open)
{
    if (open) {
        SDL_StartTextInput();
    } else {
        SDL_StopTextInput();
    }
}

void GLView::setScissorInPoints(float x, float y, float w, float h)
{
    _scissorRect = Rect(x, y, w, h);
    if (_scissorEnabled) applyScissor();
}

void GLView::enableScissor()
{
    _scissorEnabled = true;
    applyScissor();
}

void GLView::disableScissor()
{
    _scissorEnabled = false;
    applyScissor();
}

void GLView::applyScissor()
{
    Renderer* renderer = Director::getInstance()->getRenderer();
    renderer->flush();
    if (!_backend || renderer->getBackend() != _backend) return;
    if (!_scissorEnabled) {
        renderer->setClipRect(nullptr);
        return;
    }
    const Renderer::Target& target = renderer->getCurrentTarget();
    float left = _scissorRect.getMinX() * target.scale + target.offsetX;
    float top = (target.heightInPoints - _scissorRect.getMaxY()) * target.scale + target.offsetY;
    float right = _scissorRect.getMaxX() * target.scale + target.offsetX;
    float bottom = (target.heightInPoints - _scissorRect.getMinY()) * target.scale + target.offsetY;
    SDL_Rect clip;
    clip.x = int(std::floor(left + 0.5f));
    clip.y = int(std::floor(top + 0.5f));
    clip.w = std::max(0, int(std::floor(right + 0.5f)) - clip.x);
    clip.h = std::max(0, int(std::floor(bottom + 0.5f)) - clip.y);
    if (target.bounds.w > 0) {
        const SDL_Rect bounds{target.bounds.x, target.bounds.y, target.bounds.w, target.bounds.h};
        SDL_Rect inside;
        if (!SDL_IntersectRect(&clip, &bounds, &inside)) inside = SDL_Rect{0, 0, 0, 0};
        clip = inside;
    }
    const PixelRect pixels{clip.x, clip.y, clip.w, clip.h};
    renderer->setClipRect(&pixels);
}

Vec2 GLView::designToWindow(const Vec2& p) const
{
    return Vec2(_viewPortRect.origin.x + p.x * _scaleX,
                _viewPortRect.origin.y + (_designResolutionSize.height - p.y) * _scaleY);
}

Vec2 GLView::windowToDesign(const Vec2& p) const
{
    return Vec2((p.x - _viewPortRect.origin.x) / _scaleX,
                _designResolutionSize.height - (p.y - _viewPortRect.origin.y) / _scaleY);
}

void GLView::handleTouches(int code, int num, intptr_t ids[], float xs[], float ys[])
{
    auto eventCode = static_cast<EventTouch::EventCode>(code);
    std::vector<Touch*> touches;
    for (int i = 0; i < num; ++i) {
        float x = (xs[i] - _viewPortRect.origin.x) / _scaleX;
        float y = (ys[i] - _viewPortRect.origin.y) / _scaleY;
        auto it = _touches.find(ids[i]);
        if (eventCode == EventTouch::EventCode::BEGAN) {
            if (it != _touches.end() || _touches.size() >= size_t(EventTouch::MAX_TOUCHES)) continue;
            Touch* touch = new Touch();
            touch->setTouchInfo(static_cast<int>(ids[i]), x, y);
            _touches[ids[i]] = touch;
            touches.push_back(touch);
        } else {
            if (it == _touches.end()) continue;
            it->second->setTouchInfo(static_cast<int>(ids[i]), x, y);
            touches.push_back(it->second);
        }
    }
    if (touches.empty()) return;
    EventTouch event;
    event.setEventCode(eventCode);
    event.setTouches(touches);
    Director::getInstance()->getEventDispatcher()->dispatchEvent(&event);
    if (eventCode == EventTouch::EventCode::ENDED || eventCode == EventTouch::EventCode::CANCELLED) {
        for (Touch* touch : touches) {
            _touches.erase(touch->getID());
            touch->release();
        }
    }
}

void GLView::handleTouchesBegin(int num, intptr_t ids[], float xs[], float ys[])
{
    handleTouches(int(EventTouch::EventCode::BEGAN), num, ids, xs, ys);
}

void GLView::handleTouchesMove(int num, intptr_t ids[], float xs[], float ys[])
{
    handleTouches(int(EventTouch::EventCode::MOVED), num, ids, xs, ys);
}

void GLView::handleTouchesEnd(int num, intptr_t ids[], float xs[], float ys[])
{
    handleTouches(int(EventTouch::EventCode::ENDED), num, ids, xs, ys);
}

void GLView::handleTouchesCancel(int num, intptr_t ids[], float xs[], float ys[])
{
    handleTouches(int(EventTouch::EventCode::CANCELLED), num, ids, xs, ys);
}

void GLView::handleMouseWheel(float x, float y, float notchesX, float notchesY)
{
    EventMouse event(EventMouse::MouseEventType::MOUSE_SCROLL);
    Vec2 design = windowToDesign(Vec2(x, y));
    event.setCursorPosition(design.x, design.y);
    event.setScrollData(notchesX * 0.1f, notchesY * 0.1f);
    Director::getInstance()->getEventDispatcher()->dispatchEvent(&event);
}

void GLView::handleMouseMove(float x, float y)
{
    _mousePosition.set(x, y);
    if (_mouseDown) {
        intptr_t id = 0;
        handleTouchesMove(1, &id, &x, &y);
    }
    EventMouse event(EventMouse::MouseEventType::MOUSE_MOVE);
    Vec2 design = windowToDesign(Vec2(x, y));
    event.setCursorPosition(design.x, design.y);
    if (_mouseDown) event.setMouseButton(EventMouse::MouseButton::BUTTON_LEFT);
    Director::getInstance()->getEventDispatcher()->dispatchEvent(&event);
}

void GLView::handleMouseButton(float x, float y, bool down)
{
    _mousePosition.set(x, y);
    // The left button is finger 0.
    intptr_t id = 0;
    if (down && !_mouseDown) {
        _mouseDown = true;
        handleTouchesBegin(1, &id, &x, &y);
    } else if (!down && _mouseDown) {
        _mouseDown = false;
        handleTouchesEnd(1, &id, &x, &y);
    }
    EventMouse event(down ? EventMouse::MouseEventType::MOUSE_DOWN : EventMouse::MouseEventType::MOUSE_UP);
    Vec2 design = windowToDesign(Vec2(x, y));
    event.setCursorPosition(design.x, design.y);
    event.setMouseButton(EventMouse::MouseButton::BUTTON_LEFT);
    Director::getInstance()->getEventDispatcher()->dispatchEvent(&event);
}

void GLView::handleTextInput(const std::string& utf8)
{
    IMEDispatcher::sharedDispatcher()->dispatchInsertText(utf8.data(), utf8.size());
}

namespace {
EventKeyboard::KeyCode keyCodeFor(SDL_Keycode key)
{
    switch (key) {
    case SDLK_BACKSPACE:
        return EventKeyboard::KeyCode::KEY_BACKSPACE;
    case SDLK_TAB:
        return EventKeyboard::KeyCode::KEY_TAB;
    case SDLK_RETURN:
        return EventKeyboard::KeyCode::KEY_ENTER;
    case SDLK_KP_ENTER:
        return EventKeyboard::KeyCode::KEY_KP_ENTER;
    case SDLK_ESCAPE:
        return EventKeyboard::KeyCode::KEY_ESCAPE;
    case SDLK_DELETE:
        return EventKeyboard::KeyCode::KEY_DELETE;
    case SDLK_LEFT:
        return EventKeyboard::KeyCode::KEY_LEFT_ARROW;
    case SDLK_RIGHT:
        return EventKeyboard::KeyCode::KEY_RIGHT_ARROW;
    case SDLK_UP:
        return EventKeyboard::KeyCode::KEY_UP_ARROW;
    case SDLK_DOWN:
        return EventKeyboard::KeyCode::KEY_DOWN_ARROW;
    case SDLK_HOME:
        return EventKeyboard::KeyCode::KEY_HOME;
    case SDLK_END:
        return EventKeyboard::KeyCode::KEY_END;
    case SDLK_SPACE:
        return EventKeyboard::KeyCode::KEY_SPACE;
    case SDLK_a:
        return EventKeyboard::KeyCode::KEY_A;
    case SDLK_v:
        return EventKeyboard::KeyCode::KEY_V;
    case SDLK_y:
        return EventKeyboard::KeyCode::KEY_Y;
    case SDLK_z:
        return EventKeyboard::KeyCode::KEY_Z;
    case SDLK_n:
        return EventKeyboard::KeyCode::KEY_N;
    case SDLK_q:
        return EventKeyboard::KeyCode::KEY_Q;
    case SDLK_0:
    case SDLK_KP_0:
        return EventKeyboard::KeyCode::KEY_0;
    case SDLK_EQUALS:
        return EventKeyboard::KeyCode::KEY_EQUAL;
    case SDLK_PLUS:
        return EventKeyboard::KeyCode::KEY_PLUS;
    case SDLK_MINUS:
        return EventKeyboard::KeyCode::KEY_MINUS;
    case SDLK_KP_PLUS:
        return EventKeyboard::KeyCode::KEY_KP_PLUS;
    case SDLK_KP_MINUS:
        return EventKeyboard::KeyCode::KEY_KP_MINUS;
    case SDLK_SLASH:
        return EventKeyboard::KeyCode::KEY_SLASH;
    case SDLK_QUESTION:
        return EventKeyboard::KeyCode::KEY_QUESTION;
    case SDLK_F1:
        return EventKeyboard::KeyCode::KEY_F1;
    default:
        return EventKeyboard::KeyCode::KEY_OTHER;
    }
}
} // namespace

void GLView::handleKeyDown(int32_t key, uint16_t modifiers)
{
    bool ctrl = (modifiers & KMOD_CTRL) != 0;
    bool shift = (modifiers & KMOD_SHIFT) != 0;
    EventKeyboard::KeyCode code = keyCodeFor(key);
    IMEDispatcher* ime = IMEDispatcher::sharedDispatcher();
    if (code == EventKeyboard::KeyCode::KEY_BACKSPACE) {
        ime->dispatchDeleteBackward();
    } else if ((code == EventKeyboard::KeyCode::KEY_ENTER || code == EventKeyboard::KeyCode::KEY_KP_ENTER) && !ctrl) {
        // Enter reaches text fields as a line break, which they take as "done"
        // or insert, as each decides.
        ime->dispatchInsertText("\n", 1);
    } else if (code == EventKeyboard::KeyCode::KEY_V && ctrl) {
        if (char* text = SDL_GetClipboardText()) {
            ime->dispatchInsertText(text, std::strlen(text));
            SDL_free(text);
        }
    } else {
        ime->dispatchKey(code, ctrl, shift);
    }
    EventKeyboard event(code, true, ctrl, shift);
    Director::getInstance()->getEventDispatcher()->dispatchEvent(&event);
}

void GLView::handleKeyUp(int32_t key, uint16_t modifiers)
{
    EventKeyboard event(keyCodeFor(key), false, (modifiers & KMOD_CTRL) != 0, (modifiers & KMOD_SHIFT) != 0);
    Director::getInstance()->getEventDispatcher()->dispatchEvent(&event);
}

void GLView::handleWindowEvent(const SDL_WindowEvent& event)
{
    Application* app = Application::getInstance();
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        // A window that changed size has a new screen, whatever its size.
        Director::getInstance()->getRenderer()->invalidateScreen();
        int w = 0, h = 0;
        if (_backend) SDL_GetRendererOutputSize(_backend, &w, &h);
        setFrameSize(float(w), float(h));
        windowPlacementChanged();
        break;
    }
    case SDL_WINDOWEVENT_MOVED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        windowPlacementChanged();
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        // The window system lost what was shown; the kept picture is intact.
        Director::getInstance()->getRenderer()->requestScreenCopy();
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        if (app) app->applicationDidEnterBackground();
        break;
    case SDL_WINDOWEVENT_RESTORED:
        if (app && Director::getInstance()->isAnimationStopped()) app->applicationWillEnterForeground();
        windowPlacementChanged();
        break;
    case SDL_WINDOWEVENT_CLOSE:
        _shouldClose = true;
        break;
    default:
        break;
    }
}

void GLView::pollEvents()
{
    SDL_PumpEvents();
    handleQueuedEvents();
}

void GLView::handleQueuedEvents()
{
    // Window points may differ from renderer pixels on high-density screens.
    float ratio = 1.0f;
    if (_window && _backend) {
        int ww = 0, wh = 0, pw = 0, ph = 0;
        SDL_GetWindowSize(_window, &ww, &wh);
        SDL_GetRendererOutputSize(_backend, &pw, &ph);
        if (ww > 0) ratio = float(pw) / float(ww);
    }
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        switch (e.type) {
        case SDL_QUIT:
            _shouldClose = true;
            break;
        case SDL_WINDOWEVENT:
            handleWindowEvent(e.window);
            break;
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            // Target textures lost their pixels, the kept picture among them.
            Director::getInstance()->getRenderer()->invalidateScreen();
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (e.button.which != SDL_TOUCH_MOUSEID && e.button.button == SDL_BUTTON_LEFT) {
                handleMouseButton(e.button.x * ratio, e.button.y * ratio, e.type == SDL_MOUSEBUTTONDOWN);
            }
            break;
        case SDL_MOUSEMOTION:
            if (e.motion.which != SDL_TOUCH_MOUSEID) handleMouseMove(e.motion.x * ratio, e.motion.y * ratio);
            break;
        case SDL_MOUSEWHEEL: {
            float dy = e.wheel.preciseY;
            float dx = e.wheel.preciseX;
            if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
                dy = -dy;
                dx = -dx;
            }
            handleMouseWheel(_mousePosition.x, _mousePosition.y, dx, dy);
            break;
        }
        case SDL_FINGERDOWN:
        case SDL_FINGERMOTION:
        case SDL_FINGERUP: {
            float x = e.tfinger.x * _screenSize.width;
            float y = e.tfinger.y * _screenSize.height;
            intptr_t id;
            auto it = _fingerIds.find(e.tfinger.fingerId);
            if (it == _fingerIds.end()) {
                if (e.type != SDL_FINGERDOWN) break;
                id = _nextFingerId++;
                _fingerIds[e.tfinger.fingerId] = id;
            } else {
                id = it->second;
            }
            if (e.type == SDL_FINGERDOWN) {
                handleTouchesBegin(1, &id, &x, &y);
            } else if (e.type == SDL_FINGERMOTION) {
                handleTouchesMove(1, &id, &x, &y);
            } else {
                handleTouchesEnd(1, &id, &x, &y);
                _fingerIds.erase(e.tfinger.fingerId);
            }
            break;
        }
        case SDL_TEXTINPUT:
            handleTextInput(e.text.text);
            break;
        case SDL_KEYDOWN:
            // F11 belongs to the window, as in other desktop programs; held
            // down, it switches once.
            if (e.key.keysym.sym == SDLK_F11) {
                if (!e.key.repeat) setFullscreen(!isFullscreen());
                break;
            }
            handleKeyDown(e.key.keysym.sym, e.key.keysym.mod);
            break;
        case SDL_KEYUP:
            handleKeyUp(e.key.keysym.sym, e.key.keysym.mod);
            break;
        default:
            break;
        }
    }
}

Image* GLView::captureFrame()
{
    if (!_backend) return nullptr;
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(_backend, &w, &h);
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    if (!surface) return nullptr;
    SDL_Texture* previous = SDL_GetRenderTarget(_backend);
    SDL_SetRenderTarget(_backend, nullptr);
    int rc = SDL_RenderReadPixels(_backend, nullptr, SDL_PIXELFORMAT_RGBA32, surface->pixels, surface->pitch);
    SDL_SetRenderTarget(_backend, previous);
    if (rc != 0) {
        SDL_FreeSurface(surface);
        return nullptr;
    }
    Image* image = new Image();
    image->initWithSurface(surface);
    image->autorelease();
    return image;
}

} // namespace cocos2d
