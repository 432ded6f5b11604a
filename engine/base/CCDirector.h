#pragma once

#include <string>

#include "base/CCRef.h"
#include "math/CCGeometry.h"

namespace cocos2d {

class ActionManager;
class EventDispatcher;
class GLView;
class Renderer;
class Scene;
class Scheduler;
class StatsPanel;
class TextureCache;

// One frame: the input already delivered by the view, then the scheduler tick
// (queued main-thread functions, updates, timers), the actions, the visit and
// render, and finally the autorelease pool drain.
class Director : public Ref {
public:
    static Director* getInstance();
    // Tears everything down (scene, listeners, textures, view) so the next
    // getInstance() starts afresh; for tests and the end of the process.
    static void destroyInstance();

    GLView* getOpenGLView() { return _openGLView; }
    void setOpenGLView(GLView* view);

    Scene* getRunningScene() { return _runningScene; }
    void runWithScene(Scene* scene);
    void replaceScene(Scene* scene);

    Scheduler* getScheduler() const { return _scheduler; }
    ActionManager* getActionManager() const { return _actionManager; }
    EventDispatcher* getEventDispatcher() const { return _eventDispatcher; }
    Renderer* getRenderer() const { return _renderer; }
    TextureCache* getTextureCache() const { return _textureCache; }

    float getContentScaleFactor() const { return _contentScaleFactor; }
    void setContentScaleFactor(float scaleFactor);
    Size getWinSize() const;
    Size getWinSizeInPixels() const;
    Size getVisibleSize() const;
    Vec2 getVisibleOrigin() const;
    // View coordinates (y down) to GL coordinates (y up), in design points.
    Vec2 convertToGL(const Vec2& point) const;
    Vec2 convertToUI(const Vec2& point) const;

    void setDisplayStats(bool displayStats) { _displayStats = displayStats; }
    bool isDisplayStats() const { return _displayStats; }
    void setAnimationInterval(float interval) { _animationInterval = interval; }
    float getAnimationInterval() const { return _animationInterval; }
    void stopAnimation();
    void startAnimation();
    bool isAnimationStopped() const { return _invalid; }
    void setNextDeltaTimeZero(bool zero) { _nextDeltaTimeZero = zero; }

    void mainLoop();
    // Runs the frame; the screen is redrawn only where its drawing differs
    // from the picture it shows, and presented only when that changed.
    void drawScene();
    // Whether a frame now would change nothing by itself: no scene waiting
    // to enter, no action to step, no scheduled or queued call, no picture
    // left to decode in a frame's spare time. A loop may then sleep until an
    // event comes; input, window events and queued calls all arrive as one.
    bool isAtRest() const;
    // The screen has rested a while: copies scaled for it that it no longer
    // shows go, large pictures it shows only through such copies, or not at
    // all, let their full pixels go until a new copy is needed, and the
    // allocator hands the memory back.
    void releaseRestingPictures();
    // Visit and queue the scene without drawing anything; the engine's own cost.
    void visitScene();

    // For drivers that run without anyone looking (tests, the replay tool):
    // every frame is still visited and its commands run, and render textures
    // draw, but the screen's pixels are made only by drawScreenNow, which a
    // capture calls. Rasterising frames nobody reads is nearly all of a
    // headless frame's cost. It is the current Director's setting (the
    // setter makes the Director if there is none yet, as a driver sets it
    // up before the first frame); a Director made after destroyInstance()
    // draws every frame again until told otherwise.
    static void setScreenDrawnOnDemand(bool onDemand);
    static bool isScreenDrawnOnDemand();
    // Visits the scene as it stands and rasterises it onto the screen without
    // running a frame: no clock, scheduler or actions move.
    void drawScreenNow();
    float getDeltaTime() const { return _deltaTime; }
    unsigned int getTotalFrames() const { return _totalFrames; }
    // Frames that put a new picture on the window.
    unsigned int getPresentedFrames() const { return _presentedFrames; }
    float getFrameRate() const { return _frameRate; }
    void end();

private:
    Director();
    ~Director() override;
    void calculateDeltaTime();
    void setNextScene();
    bool renderScreen(bool rasterize);

    Scheduler* _scheduler;
    ActionManager* _actionManager;
    EventDispatcher* _eventDispatcher;
    Renderer* _renderer;
    TextureCache* _textureCache;
    StatsPanel* _statsPanel;
    GLView* _openGLView = nullptr;
    Scene* _runningScene = nullptr;
    Scene* _nextScene = nullptr;

    float _contentScaleFactor = 1.0f;
    float _animationInterval = 1.0f / 60.0f;
    bool _invalid = false;
    bool _displayStats = false;
    bool _screenDrawnOnDemand = false;
    bool _nextDeltaTimeZero = false;
    // Cleared by a frame that found no picture left to decode in its spare
    // time; set again by one that put a new picture on the screen.
    bool _decodesMayWait = true;
    double _lastUpdate = -1.0;
    float _deltaTime = 0.0f;
    unsigned int _totalFrames = 0;
    unsigned int _presentedFrames = 0;
    float _frameRate = 0.0f;
    float _accumDt = 0.0f;
    unsigned int _framesInWindow = 0;
};

} // namespace cocos2d
