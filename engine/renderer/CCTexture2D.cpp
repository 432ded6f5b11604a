#include "renderer/CCTexture2D.h"

#include "base/CCDirector.h"
#include "platform/CCImage.h"
#include "renderer/CCRenderer.h"

namespace cocos2d {

Texture2D::Texture2D() = default;

Texture2D::~Texture2D()
{
    releaseBackendTexture();
    if (_surface) SDL_FreeSurface(_surface);
}

void Texture2D::releaseBackendTexture()
{
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

bool Texture2D::initWithSurface(SDL_Surface* surface)
{
    if (!surface) return false;
    releaseBackendTexture();
    if (_surface) SDL_FreeSurface(_surface);
    _surface = surface;
    _renderTarget = false;
    _pixelsWide = surface->w;
    _pixelsHigh = surface->h;
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
    _texture = texture;
    _textureOwner = backend;
    _renderTarget = true;
    _pixelsWide = widthPx;
    _pixelsHigh = heightPx;
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
    if (_renderTarget || !_surface || !backend) return nullptr;
    _texture = SDL_CreateTextureFromSurface(backend, _surface);
    _textureOwner = backend;
    if (_texture) {
        SDL_SetTextureBlendMode(_texture, SDL_BLENDMODE_BLEND);
        SDL_SetTextureScaleMode(_texture,
                                _params.magFilter == GL_NEAREST ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    }
    return _texture;
}

} // namespace cocos2d
