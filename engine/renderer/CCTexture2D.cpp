#include "renderer/CCTexture2D.h"

#include <SDL.h>

#include <cstdio>
#include <unordered_map>
#include <utility>

#include "base/CCDirector.h"
#include "platform/CCImage.h"
#include "renderer/CCRenderer.h"

namespace cocos2d {

namespace {
uint64_t s_nextSerial = 1;
std::unordered_map<SDL_Texture*, Texture2D*> s_renderTargets;

bool everyPixelOpaque(SDL_Surface* surface)
{
    if (surface->format->format != SDL_PIXELFORMAT_RGBA32) return false;
    for (int y = 0; y < surface->h; ++y) {
        const Uint8* row = static_cast<const Uint8*>(surface->pixels) + size_t(y) * size_t(surface->pitch);
        for (int x = 0; x < surface->w; ++x) {
            if (row[x * 4 + 3] != 255) return false;
        }
    }
    return true;
}
} // namespace

Texture2D::Texture2D() : _serial(s_nextSerial++) {}

Texture2D::~Texture2D()
{
    Renderer::forgetTexture(this);
    releaseBackendTexture();
    if (_surface) SDL_FreeSurface(_surface);
}

Texture2D* Texture2D::forRenderTarget(SDL_Texture* texture)
{
    auto it = s_renderTargets.find(texture);
    return it == s_renderTargets.end() ? nullptr : it->second;
}

void Texture2D::releaseBackendTexture()
{
    if (_renderTarget && _texture) s_renderTargets.erase(_texture);
    // A texture of a backend that was torn down is already gone with it.
    if (_texture && _textureOwner && Director::getInstance()->getRenderer()->getBackend() == _textureOwner) {
        SDL_DestroyTexture(_texture);
    }
    _texture = nullptr;
    _textureOwner = nullptr;
}

bool Texture2D::initWithImage(Image* image)
{
    if (!image || !image->getSurface()) return false;
    SDL_Surface* copy = SDL_ConvertSurfaceFormat(image->getSurface(), SDL_PIXELFORMAT_RGBA32, 0);
    if (!copy) return false;
    return initWithSurface(copy);
}

bool Texture2D::initWithEncodedPicture(Data&& encoded, int widthPx, int heightPx, bool opaque)
{
    if (encoded.isNull() || widthPx <= 0 || heightPx <= 0) return false;
    releaseBackendTexture();
    if (_surface) SDL_FreeSurface(_surface);
    _surface = nullptr;
    _encoded = std::move(encoded);
    _kept.clear();
    _sourceReleased = false;
    _renderTarget = false;
    _pixelsWide = widthPx;
    _pixelsHigh = heightPx;
    _opaque = opaque;
    markContentChanged();
    return true;
}

bool Texture2D::decode()
{
    if (_encoded.isNull()) return _surface || _texture;
    Data encoded = std::move(_encoded);
    Image* image = new Image();
    const bool decoded = image->initWithImageData(encoded.getBytes(), ptrdiff_t(encoded.getSize()));
    SDL_Surface* surface = decoded ? image->takeSurface() : nullptr;
    image->release();
    if (!surface) {
        std::fprintf(stderr, "Texture2D: %s could not be decoded; it shows nothing\n",
                     _path.empty() ? "a picture" : _path.c_str());
        return false;
    }
    if (surface->w != _pixelsWide || surface->h != _pixelsHigh) {
        // Libpng sizes the picture by the header that gave the declared size.
        std::fprintf(stderr, "Texture2D: %s decoded to another size than it declared; it shows nothing\n",
                     _path.empty() ? "a picture" : _path.c_str());
        SDL_FreeSurface(surface);
        return false;
    }
    _surface = surface;
    _sourceReleased = false;
    if (_onlyWhenNeeded || getMemoryBytes() >= kRestorableBytes) _kept = std::move(encoded);
    const bool opaque = everyPixelOpaque(surface);
    if (opaque != _opaque) {
        _opaque = opaque;
        markContentChanged();
    }
    return true;
}

void Texture2D::setDecodedOnlyWhenNeeded(bool onlyWhenNeeded)
{
    _onlyWhenNeeded = onlyWhenNeeded;
    if (!onlyWhenNeeded) _kept.clear();
}

bool Texture2D::releasePixels()
{
    if (_kept.isNull()) return false;
    releaseBackendTexture();
    if (_surface) SDL_FreeSurface(_surface);
    _surface = nullptr;
    _encoded = std::move(_kept);
    // Scaled copies of it made for the screen go too.
    Renderer::forgetTexture(this);
    return true;
}

bool Texture2D::releaseSourceAtRest()
{
    if (_kept.isNull() || _onlyWhenNeeded || _renderTarget || (!_surface && !_texture)) return false;
    releaseBackendTexture();
    if (_surface) SDL_FreeSurface(_surface);
    _surface = nullptr;
    _encoded = std::move(_kept);
    // The pixels to come are the same: neither the content version nor the
    // copies made for the screen change.
    _sourceReleased = true;
    return true;
}

SDL_Surface* Texture2D::getSurface()
{
    decode();
    return _surface;
}

bool Texture2D::initWithSurface(SDL_Surface* surface)
{
    if (!surface) return false;
    _encoded.clear();
    _kept.clear();
    _sourceReleased = false;
    releaseBackendTexture();
    if (_surface) SDL_FreeSurface(_surface);
    _surface = surface;
    _renderTarget = false;
    _pixelsWide = surface->w;
    _pixelsHigh = surface->h;
    _opaque = everyPixelOpaque(surface);
    markContentChanged();
    return true;
}

bool Texture2D::initAsRenderTarget(SDL_Renderer* backend, int widthPx, int heightPx)
{
    if (!backend || widthPx <= 0 || heightPx <= 0) return false;
    SDL_Texture* texture =
        SDL_CreateTexture(backend, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_TARGET, widthPx, heightPx);
    if (!texture) return false;
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    releaseBackendTexture();
    _encoded.clear();
    _kept.clear();
    _sourceReleased = false;
    if (_surface) SDL_FreeSurface(_surface);
    _surface = nullptr;
    _texture = texture;
    _textureOwner = backend;
    _renderTarget = true;
    s_renderTargets[texture] = this;
    _opaque = false;
    _pixelsWide = widthPx;
    _pixelsHigh = heightPx;
    markContentChanged();
    return true;
}

Size Texture2D::getContentSize() const
{
    float scale = Director::getInstance()->getContentScaleFactor();
    return Size(_pixelsWide / scale, _pixelsHigh / scale);
}

void Texture2D::setTexParameters(const TexParams& params)
{
    _params = params;
    if (_texture) {
        SDL_SetTextureScaleMode(_texture, params.magFilter == GL_NEAREST ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    }
}

void Texture2D::setAntiAliasTexParameters()
{
    TexParams p = _params;
    p.minFilter = p.magFilter = GL_LINEAR;
    setTexParameters(p);
}

void Texture2D::setAliasTexParameters()
{
    TexParams p = _params;
    p.minFilter = p.magFilter = GL_NEAREST;
    setTexParameters(p);
}

SDL_Texture* Texture2D::getSDLTexture(SDL_Renderer* backend)
{
    if (_texture && _textureOwner == backend) return _texture;
    if (_renderTarget || !backend) return nullptr;
    decode();
    if (!_surface) return nullptr;
    _texture = SDL_CreateTextureFromSurface(backend, _surface);
    _textureOwner = backend;
    if (_texture) {
        SDL_SetTextureBlendMode(_texture, SDL_BLENDMODE_BLEND);
        SDL_SetTextureScaleMode(_texture,
                                _params.magFilter == GL_NEAREST ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
        // The backend holds the pixels now; a second decoded copy would only
        // double what every picture costs.
        SDL_FreeSurface(_surface);
        _surface = nullptr;
    }
    return _texture;
}

} // namespace cocos2d
