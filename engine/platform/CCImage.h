#pragma once

#include <cstddef>
#include <string>

#include "base/CCRef.h"

struct SDL_Surface;

namespace cocos2d {

// Decoded picture (PNG or JPEG in, PNG or JPEG out) as an RGBA surface.
class Image : public Ref {
public:
    enum class Format { JPG, PNG, UNKNOWN };

    // The largest picture accepted, judged by the size a PNG or JPEG header
    // declares before any pixel is decoded. Nothing the application shows
    // comes near it (its largest pictures are a few thousand pixels a side),
    // while a tiny file declaring tens of thousands of pixels a side would
    // otherwise make the decoder claim gigabytes.
    static constexpr int kMaxDeclaredSide = 16384;
    static constexpr long long kMaxDeclaredPixels = 8192LL * 8192LL;

    Image();
    ~Image() override;

    // The name is resolved through the file search paths. Only PNG and JPEG
    // are decoded, and only within the declared-size limits above.
    bool initWithImageFile(const std::string& path);
    bool initWithImageData(const unsigned char* data, ptrdiff_t dataLen);
    // Raw RGBA8888 rows, top row first.
    bool initWithRawData(const unsigned char* data, ptrdiff_t dataLen, int width, int height, int bitsPerComponent,
                         bool preMulti = false);
    // Takes ownership of the surface.
    bool initWithSurface(SDL_Surface* surface);

    // What a PNG says about itself, read without decoding a pixel.
    struct PngOutline {
        int width = 0;
        int height = 0;
        // Colour type without an alpha channel and no transparency chunk:
        // every decoded pixel has alpha 255.
        bool opaque = false;
    };
    // True for a PNG whose chunks run whole from IHDR to IEND, with image
    // data among them, and whose declared size is within the limits; a
    // picture beyond the limits is named on stderr as decoding would.
    // False for anything else, JPEGs included.
    static bool outlinePng(const unsigned char* data, size_t dataLen, const char* name, PngOutline* outline);
    // Starts with the PNG signature.
    static bool isPng(const unsigned char* data, size_t dataLen);

    unsigned char* getData() const;
    ptrdiff_t getDataLen() const;
    int getWidth() const;
    int getHeight() const;
    bool hasAlpha() const { return _hasAlpha; }
    Format getFileType() const { return _fileType; }
    SDL_Surface* getSurface() const { return _surface; }
    // Hands the decoded RGBA surface over to the caller, leaving the image
    // empty, so a texture made from it needs no copy of its own.
    SDL_Surface* takeSurface();

    // PNG or JPEG by the extension; isToRGB drops the alpha channel of a PNG.
    // Written to a temporary file and renamed into place.
    bool saveToFile(const std::string& filename, bool isToRGB = true);

    // Encodes into memory; false on failure.
    bool encode(Format format, bool isToRGB, std::string* out) const;

private:
    bool decode(const unsigned char* data, size_t dataLen, const char* name);

    SDL_Surface* _surface = nullptr;
    bool _hasAlpha = false;
    Format _fileType = Format::UNKNOWN;
};

} // namespace cocos2d
