#pragma once

#include <SDL.h>

#include <string>

#include "base/CCRef.h"
#include "math/CCGeometry.h"
#include "platform/CCGL.h"

namespace cocos2d {

class Image;

// A picture in memory (kept as an RGBA surface) that is uploaded to the
// backend on first use; a render-target texture lives on the backend only.
class Texture2D : public Ref {
public:
    struct TexParams {
        unsigned int minFilter;
        unsigned int magFilter;
        unsigned int wrapS;
        unsigned int wrapT;
    };

    Texture2D();
    ~Texture2D() override;

    bool initWithImage(Image* image);
    // An RGBA surface of the given pixel size; the texture takes ownership.
    bool initWithSurface(SDL_Surface* surface);
    // A texture the renderer can draw into, widthPx x heightPx pixels.
    bool initAsRenderTarget(SDL_Renderer* backend, int widthPx, int heightPx);

    int getPixelsWide() const { return _pixelsWide; }
    int getPixelsHigh() const { return _pixelsHigh; }
    // In points: pixels divided by the content scale factor.
    Size getContentSize() const;
    Size getContentSizeInPixels() const { return Size(float(_pixelsWide), float(_pixelsHigh)); }

    void setTexParameters(const TexParams& params);
    const TexParams& getTexParameters() const { return _params; }
    bool isRepeatS() const { return _params.wrapS == GL_REPEAT; }
    bool isRepeatT() const { return _params.wrapT == GL_REPEAT; }
    void setAntiAliasTexParameters();
    void setAliasTexParameters();
    bool hasPremultipliedAlpha() const { return false; }

    const std::string& getPath() const { return _path; }
    void setPath(const std::string& path) { _path = path; }

    SDL_Surface* getSurface() const { return _surface; }
    // The backend texture, created on first use for this backend.
    SDL_Texture* getSDLTexture(SDL_Renderer* backend);

private:
    void releaseBackendTexture();

    SDL_Surface* _surface = nullptr;
    SDL_Texture* _texture = nullptr;
    SDL_Renderer* _textureOwner = nullptr;
    bool _renderTarget = false;
    int _pixelsWide = 0;
    int _pixelsHigh = 0;
    TexParams _params{GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE};
    std::string _path;
};

} // namespace cocos2d
