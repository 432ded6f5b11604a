#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/CCData.h"
#include "base/CCRef.h"
#include "math/CCGeometry.h"
#include "platform/CCGL.h"

struct SDL_Renderer;
struct SDL_Surface;
struct SDL_Texture;

namespace cocos2d {

class Image;

// A picture decoded into an RGBA surface that moves to the backend on first
// use: once uploaded, the backend's texture is the only copy of its pixels.
// A render-target texture lives on the backend only.
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
    // A picture kept encoded (the file's bytes, which the texture takes)
    // until its pixels are first needed: drawn, read or decoded ahead.
    // Its size and whether it is opaque are what the file declares; a
    // picture that then fails to decode draws nothing and says so once.
    bool initWithEncodedPicture(Data&& encoded, int widthPx, int heightPx, bool opaque);
    // Still waiting encoded.
    bool isWaitingToDecode() const { return !_encoded.isNull(); }
    // Decodes a waiting picture now; false when it has no pixels.
    bool decode();
    // A picture shown only now and then (the thumbnails of a list): never
    // decoded ahead in a frame's spare time, only when drawn or read, and it
    // keeps its file's bytes beside its pixels so releasePixels can let the
    // pixels go until it is drawn again.
    void setDecodedOnlyWhenNeeded(bool onlyWhenNeeded);
    bool isDecodedOnlyWhenNeeded() const { return _onlyWhenNeeded; }
    // Back to waiting encoded, its pixels and backend texture let go; false
    // when it keeps no file's bytes to go back to.
    bool releasePixels();
    // A large picture read from a file keeps the file's bytes once decoded,
    // so that while the screen rests and shows it only through copies scaled
    // to the screen it can let its full pixels go (the copies stay) and
    // decode them again only when a new copy is needed. False when it keeps
    // no bytes, or has no pixels to let go.
    bool releaseSourceAtRest();
    // Let go at rest and not decoded since: its opacity is known, so nothing
    // decodes it until its pixels are needed, and never ahead of time.
    bool isSourceReleased() const { return _sourceReleased; }
    // Decoded pixels this large keep their file's bytes beside them.
    static constexpr size_t kRestorableBytes = size_t(256) << 10;

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

    // The decoded pixels (a waiting picture is decoded first) until the
    // first upload; nullptr afterwards.
    SDL_Surface* getSurface();
    // The backend texture, created on first use for this backend.
    SDL_Texture* getSDLTexture(SDL_Renderer* backend);

    // Never reused by another texture, so a drawing that names this texture
    // can be told apart from one of a texture made later at the same address.
    uint64_t getSerial() const { return _serial; }
    // Changes whenever the pixels may have changed (a render target drawn into).
    uint32_t getContentVersion() const { return _contentVersion; }
    void markContentChanged() { ++_contentVersion; }
    // Every pixel has alpha 255: whatever it covers is hidden. A picture
    // waiting to decode counts as opaque only when its file says so; decoded
    // and found opaque, its content version moves so drawings are judged again.
    bool isOpaque() const { return _opaque; }
    size_t getMemoryBytes() const { return size_t(_pixelsWide) * size_t(_pixelsHigh) * 4; }

    // The render-target texture whose backend texture this is, if any.
    static Texture2D* forRenderTarget(SDL_Texture* texture);

private:
    void releaseBackendTexture();

    uint64_t _serial;
    Data _encoded;
    // The file's bytes a picture decoded only when needed keeps once decoded.
    Data _kept;
    bool _onlyWhenNeeded = false;
    bool _sourceReleased = false;
    uint32_t _contentVersion = 0;
    bool _opaque = false;
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
