#include "base/CCDirector.h"

#include <SDL.h>

#include <cmath>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "2d/CCActionManager.h"
#include "2d/CCScene.h"
#include "base/CCAutoreleasePool.h"
#include "base/CCClock.h"
#include "base/CCEventDispatcher.h"
#include "base/CCScheduler.h"
#include "base/ccMacros.h"
#include "platform/CCGLView.h"
#include "renderer/CCRenderer.h"
#include "renderer/CCStatsPanel.h"
#include "renderer/CCTextureCache.h"

namespace cocos2d {

namespace {
Director* s_director = nullptr;
const Size kDefaultSize(1024, 768);
const float kStatsInterval = 0.5f;
const float kFrameRateStep = 0.3f;
const size_t kUnusedTextureBytes = size_t(8) << 20;
} // namespace

Director* Director::getInstance()
{
    if (!s_director) s_director = new Director();
    return s_director;
}

Director::Director()
{
    // Set first: the members below are Refs whose constructors may ask for the director.
    s_director = this;
    _scheduler = new Scheduler();
    _actionManager = new ActionManager();
    _eventDispatcher = new EventDispatcher();
    _renderer = new Renderer();
    _textureCache = new TextureCache();
    _statsPanel = new StatsPanel();
}

Director::~Director()
{
    delete _statsPanel;
    _textureCache->release();
    _eventDispatcher->release();
    _actionManager->release();
    _scheduler->release();
    delete _renderer;
}

void Director::destroyInstance()
{
    Director* director = s_director;
    if (!director) return;
    if (director->_runningScene) {
        director->_runningScene->onExit();
        director->_runningScene->cleanup();
        director->_runningScene->release();
        director->_runningScene = nullptr;
    }
    CC_SAFE_RELEASE_NULL(director->_nextScene);
    director->_scheduler->unscheduleAll();
    director->_scheduler->removeAllFunctionsToBePerformedInCocosThread();
    director->_actionManager->removeAllActions();
    director->_eventDispatcher->removeAllEventListeners();
    director->_renderer->clean();
    PoolManager::getInstance()->getCurrentPool()->clear();
    director->_textureCache->removeAllTextures();
    if (director->_openGLView) {
        director->_openGLView->end();
        director->_openGLView->release();
        director->_openGLView = nullptr;
    }
    PoolManager::getInstance()->getCurrentPool()->clear();
    director->release();
    s_director = nullptr;
}

void Director::setOpenGLView(GLView* view)
{
    if (view == _openGLView) return;
    CC_SAFE_RETAIN(view);
    CC_SAFE_RELEASE(_openGLView);
    _openGLView = view;
    if (view) _renderer->setBackend(view->getBackend());
}

void Director::runWithScene(Scene* scene)
{
    if (!scene || _runningScene || _nextScene) return;
    replaceScene(scene);
}

void Director::replaceScene(Scene* scene)
{
    if (!scene) return;
    scene->retain();
    CC_SAFE_RELEASE(_nextScene);
    _nextScene = scene;
}

void Director::setNextScene()
{
    if (_runningScene) {
        _runningScene->onExitTransitionDidStart();
        _runningScene->onExit();
        _runningScene->cleanup();
        _runningScene->release();
    }
    _runningScene = _nextScene;
    _nextScene = nullptr;
    _runningScene->onEnter();
    _runningScene->onEnterTransitionDidFinish();
}

void Director::setContentScaleFactor(float scaleFactor)
{
    if (scaleFactor > 0.0f) _contentScaleFactor = scaleFactor;
}

Size Director::getWinSize() const
{
    return _openGLView ? _openGLView->getDesignResolutionSize() : kDefaultSize;
}

Size Director::getWinSizeInPixels() const { return getWinSize() * _contentScaleFactor; }

Size Director::getVisibleSize() const { return _openGLView ? _openGLView->getVisibleSize() : kDefaultSize; }

Vec2 Director::getVisibleOrigin() const { return _openGLView ? _openGLView->getVisibleOrigin() : Vec2::ZERO; }

Vec2 Director::convertToGL(const Vec2& point) const { return Vec2(point.x, getWinSize().height - point.y); }

Vec2 Director::convertToUI(const Vec2& point) const { return Vec2(point.x, getWinSize().height - point.y); }

void Director::stopAnimation() { _invalid = true; }

void Director::startAnimation()
{
    _invalid = false;
    // The time spent in the background is not a frame's worth of movement.
    _nextDeltaTimeZero = true;
}

void Director::calculateDeltaTime()
{
    double now = EngineClock::now();
    if (_nextDeltaTimeZero || _lastUpdate < 0.0) {
        _deltaTime = 0.0f;
        _nextDeltaTimeZero = false;
    } else {
        _deltaTime = static_cast<float>(now - _lastUpdate);
        if (_deltaTime < 0.0f) _deltaTime = 0.0f;
    }
    _lastUpdate = now;
}

void Director::mainLoop()
{
    if (_invalid) return;
    drawScene();
    PoolManager::getInstance()->getCurrentPool()->clear();
}

void Director::visitScene()
{
    if (_runningScene) _runningScene->visit(_renderer, Mat4::IDENTITY, 0);
}

void Director::setScreenDrawnOnDemand(bool onDemand) { getInstance()->_screenDrawnOnDemand = onDemand; }

bool Director::isScreenDrawnOnDemand() { return s_director && s_director->_screenDrawnOnDemand; }

void Director::drawScene()
{
    calculateDeltaTime();
    _scheduler->update(_deltaTime);
    _actionManager->update(_deltaTime);
    if (_nextScene) setNextScene();

    size_t batches = _renderer->getDrawnBatches();
    size_t vertices = _renderer->getDrawnVertices();
    _renderer->resetStats();
    if (_displayStats) {
        _accumDt += _deltaTime;
        ++_framesInWindow;
        // The figures change a few times a second, not every frame: a panel
        // whose digits moved every frame would redraw the screen forever.
        if (_accumDt >= kStatsInterval || _statsPanel->getLines().empty()) {
            // Measured over real time, the rate wavers by a little with
            // the moment each frame wakes; the figure moves when the rate
            // does, not with that wavering.
            float measured = _accumDt > 0.0f ? _framesInWindow / _accumDt : 0.0f;
            if (std::fabs(measured - _frameRate) >= kFrameRateStep) _frameRate = measured;
            _accumDt = 0.0f;
            _framesInWindow = 0;
            _statsPanel->update(_frameRate, _frameRate > 0 ? 1.0f / _frameRate : 0.0f, batches, vertices);
        }
    }
    bool present = renderScreen(!_screenDrawnOnDemand);
    if (present && !_screenDrawnOnDemand && _openGLView) {
        _openGLView->swapBuffers();
        ++_presentedFrames;
        _decodesMayWait = true;
    } else if (!_screenDrawnOnDemand && _renderer->isRasterizationEnabled()) {
        // A frame with nothing new to show has time to spare: one picture a
        // node holds but that was never drawn (the next help page) is
        // decoded now rather than in the frame that first shows it.
        _decodesMayWait = _textureCache->decodeOneWaiting(_renderer->getBackend());
    } else {
        // Nothing is decoded in spare time without a screen being drawn.
        _decodesMayWait = false;
    }
    // A picture nothing shows any more gives its memory back (a closed help
    // pager's pages); small ones stay for the next time they are needed.
    if (_textureCache->trimUnusedTextures(kUnusedTextureBytes) > 0) {
#ifdef __GLIBC__
        // Pictures this large were allocated from the heap once the
        // allocator raised its threshold; freed in the middle of it, their
        // pages would otherwise stay with the process.
        malloc_trim(0);
#endif
    }
    ++_totalFrames;
}

void Director::releaseRestingPictures()
{
    _renderer->dropUnshownCopies();
    _renderer->pinCopiesOf(_textureCache->releaseSourcesAtRest(_renderer->texturesDrawnFromPixels()));
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

bool Director::isAtRest() const
{
    return !_nextScene && !_decodesMayWait && !_scheduler->hasWork() && !_actionManager->hasActionsToStep();
}

void Director::drawScreenNow()
{
    // The figures then count one drawing of the scene, not the frame's plus this one.
    _renderer->resetStats();
    renderScreen(true);
}

bool Director::renderScreen(bool rasterize)
{
    _renderer->beginScreenFrame();
    visitScene();
    if (_displayStats) _statsPanel->draw(_renderer);
    _renderer->render();
    // Clipping must not leak into the next frame's visit.
    if (_openGLView && _openGLView->isScissorEnabled()) _openGLView->disableScissor();
    return _renderer->endScreenFrame(rasterize);
}

void Director::end()
{
    if (_openGLView) _openGLView->end();
}

} // namespace cocos2d
