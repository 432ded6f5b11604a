#include "2d/CCRenderTexture.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "2d/CCSprite.h"
#include "base/CCDirector.h"
#include "base/CCScheduler.h"
#include "base/ccMacros.h"
#include "platform/CCFileUtils.h"
#include "renderer/CCTexture2D.h"

namespace cocos2d {

namespace {

Image::Format formatFromExtension(const std::string& name)
{
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    auto endsWith = [&](const char* suffix) {
        std::string s(suffix);
        return lower.size() >= s.size() && lower.compare(lower.size() - s.size(), s.size(), s) == 0;
    };
    return endsWith(".jpg") || endsWith(".jpeg") ? Image::Format::JPG : Image::Format::PNG;
}

std::atomic<size_t> s_savesInProgress{0};

Uint8 toByte(float component)
{
    float clamped = std::min(1.0f, std::max(0.0f, component));
    return static_cast<Uint8>(std::lround(clamped * 255.0f));
}

} // namespace

RenderTexture::RenderTexture() = default;

RenderTexture::~RenderTexture()
{
    CC_SAFE_RELEASE(_sprite);
    CC_SAFE_RELEASE(_texture);
}

RenderTexture* RenderTexture::create(int w, int h)
{
    RenderTexture* texture = new (std::nothrow) RenderTexture();
    if (texture && texture->initWithWidthAndHeight(w, h)) {
        texture->autorelease();
        return texture;
    }
    delete texture;
    return nullptr;
}

bool RenderTexture::initWithWidthAndHeight(int w, int h)
{
    if (w <= 0 || h <= 0 || !Node::init()) return false;
    Director* director = Director::getInstance();
    _scale = director->getContentScaleFactor();
    _pixelsWide = static_cast<int>(std::lround(w * _scale));
    _pixelsHigh = static_cast<int>(std::lround(h * _scale));
    _heightInPoints = float(h);

    _texture = new (std::nothrow) Texture2D();
    if (!_texture || !_texture->initAsRenderTarget(director->getRenderer()->getBackend(), _pixelsWide, _pixelsHigh)) {
        CC_SAFE_RELEASE_NULL(_texture);
        return false;
    }
    // A new target texture holds undefined pixels; start transparent as a
    // fresh GL texture would look.
    if (SDL_Renderer* backend = director->getRenderer()->getBackend()) {
        SDL_Texture* previous = SDL_GetRenderTarget(backend);
        SDL_Texture* target = _texture->getSDLTexture(backend);
        if (target && SDL_SetRenderTarget(backend, target) == 0) {
            Uint8 r, g, b, a;
            SDL_GetRenderDrawColor(backend, &r, &g, &b, &a);
            SDL_SetRenderDrawColor(backend, 0, 0, 0, 0);
            SDL_RenderClear(backend);
            SDL_SetRenderDrawColor(backend, r, g, b, a);
            SDL_SetRenderTarget(backend, previous);
        }
    }
    // Rows are written top first (the renderer maps y up to pixel rows
    // downwards), so the sprite needs no flip to look upright.
    _sprite = Sprite::createWithTexture(_texture);
    if (!_sprite) return false;
    _sprite->retain();
    setContentSize(Size(float(w), float(h)));
    return true;
}

Renderer::Target RenderTexture::makeTarget() const
{
    Renderer::Target target;
    target.texture = _texture ? _texture->getSDLTexture(Director::getInstance()->getRenderer()->getBackend()) : nullptr;
    target.heightInPoints = _heightInPoints;
    target.scale = _scale;
    return target;
}

void RenderTexture::open(bool clear, Color4B colour)
{
    _open = true;
    _firstCommand = Director::getInstance()->getRenderer()->getQueuedCommandCount();
    _clearOnEnd = clear;
    _clearColour = colour;
}

void RenderTexture::begin() { open(false, Color4B(0, 0, 0, 0)); }

void RenderTexture::beginWithClear(float r, float g, float b, float a)
{
    open(true, Color4B(toByte(r), toByte(g), toByte(b), toByte(a)));
}

void RenderTexture::end()
{
    if (!_open) return;
    _open = false;
    Renderer* renderer = Director::getInstance()->getRenderer();
    // A frame rendered since begin() already ran (and dropped) what was queued before it.
    size_t first = std::min(_firstCommand, renderer->getQueuedCommandCount());
    // A board snapshot is taken at the end of every touch, often twice and
    // often of an unchanged board; a drawing that would repeat the last one
    // exactly leaves the pixels as they are.
    std::string drawing;
    bool describable = _clearOnEnd && _texture && renderer->describeQueuedFrom(first, &drawing);
    if (describable) drawing.append(reinterpret_cast<const char*>(&_clearColour), sizeof _clearColour);
    if (describable && _lastDrawingKnown && drawing == _lastDrawing &&
        _texture->getContentVersion() == _versionAfterLastDrawing) {
        renderer->dropQueuedFrom(first);
        return;
    }
    renderer->pushTarget(makeTarget());
    SDL_Renderer* backend = renderer->getBackend();
    if (_clearOnEnd && backend) {
        SDL_SetRenderDrawColor(backend, _clearColour.r, _clearColour.g, _clearColour.b, _clearColour.a);
        SDL_RenderClear(backend);
    }
    renderer->renderFrom(first);
    renderer->popTarget();
    _lastDrawingKnown = describable && backend && renderer->isRasterizationEnabled();
    if (_lastDrawingKnown) {
        _lastDrawing.swap(drawing);
        _versionAfterLastDrawing = _texture->getContentVersion();
    } else {
        _lastDrawing.clear();
    }
}

void RenderTexture::clear(float r, float g, float b, float a)
{
    beginWithClear(r, g, b, a);
    end();
}

bool RenderTexture::saveToFile(const std::string& fileName, bool isRGBA, SaveCallback callback)
{
    return saveToFile(fileName, formatFromExtension(fileName), isRGBA, std::move(callback));
}

bool RenderTexture::saveToFile(const std::string& fileName, Image::Format format, bool isRGBA, SaveCallback callback)
{
    if (format == Image::Format::UNKNOWN) return false;
    std::string fullPath = FileUtils::getInstance()->getWritablePath() + fileName;
    if (!writePixels(Director::getInstance()->getRenderer(), fullPath, format, isRGBA)) {
        CCLOG("RenderTexture: could not save %s", fullPath.c_str());
    }
    // Kept until the callback has run, and released through the holder also
    // when the Director drops queued functions at shutdown.
    retain();
    ++s_savesInProgress;
    std::shared_ptr<RenderTexture> self(this, [](RenderTexture* texture) {
        --s_savesInProgress;
        texture->release();
    });
    Director::getInstance()->getScheduler()->performFunctionInCocosThread([self, fullPath, callback] {
        if (callback) callback(self.get(), fullPath);
    });
    return true;
}

size_t RenderTexture::savesInProgress()
{
    return s_savesInProgress.load();
}

bool RenderTexture::writePixels(Renderer* renderer, const std::string& fullPath, Image::Format format, bool isRGBA)
{
    SDL_Renderer* backend = renderer->getBackend();
    if (!backend || _pixelsWide <= 0 || _pixelsHigh <= 0) return false;
    const int pitch = _pixelsWide * 4;
    std::vector<unsigned char> pixels(size_t(pitch) * size_t(_pixelsHigh));
    renderer->pushTarget(makeTarget());
    int rc = SDL_RenderReadPixels(backend, nullptr, SDL_PIXELFORMAT_RGBA32, pixels.data(), pitch);
    renderer->popTarget();
    if (rc != 0) return false;
    bool written = false;
    Image* image = new (std::nothrow) Image();
    std::string bytes;
    if (image && image->initWithRawData(pixels.data(), ptrdiff_t(pixels.size()), _pixelsWide, _pixelsHigh, 8) &&
        image->encode(format, !isRGBA, &bytes)) {
        written = FileUtils::writeAtomically(fullPath, bytes.data(), bytes.size());
    }
    CC_SAFE_RELEASE(image);
    return written;
}

void RenderTexture::visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags)
{
    if (!isVisible()) return;
    uint32_t flags = processParentFlags(parentTransform, parentFlags);
    _sprite->visit(renderer, _modelViewTransform, flags);
}

} // namespace cocos2d
