#include "platform/CCImage.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

#include "base/CCData.h"
#include "base/ccMacros.h"
#include "platform/CCFileUtils.h"

namespace cocos2d {

namespace {
// An SDL_RWops that appends everything written to a std::string.
struct StringSink {
    std::string* out;
    Sint64 position;
};

Sint64 sinkSize(SDL_RWops* rw) { return static_cast<Sint64>(static_cast<StringSink*>(rw->hidden.unknown.data1)->out->size()); }

Sint64 sinkSeek(SDL_RWops* rw, Sint64 offset, int whence)
{
    auto* sink = static_cast<StringSink*>(rw->hidden.unknown.data1);
    Sint64 base = whence == RW_SEEK_SET ? 0 : whence == RW_SEEK_CUR ? sink->position : Sint64(sink->out->size());
    sink->position = std::max<Sint64>(0, base + offset);
    return sink->position;
}

size_t sinkRead(SDL_RWops*, void*, size_t, size_t) { return 0; }

size_t sinkWrite(SDL_RWops* rw, const void* ptr, size_t size, size_t num)
{
    auto* sink = static_cast<StringSink*>(rw->hidden.unknown.data1);
    size_t bytes = size * num;
    size_t end = static_cast<size_t>(sink->position) + bytes;
    if (sink->out->size() < end) sink->out->resize(end);
    std::memcpy(&(*sink->out)[static_cast<size_t>(sink->position)], ptr, bytes);
    sink->position = static_cast<Sint64>(end);
    return num;
}

int sinkClose(SDL_RWops* rw)
{
    SDL_FreeRW(rw);
    return 0;
}

SDL_RWops* makeSink(StringSink* sink)
{
    SDL_RWops* rw = SDL_AllocRW();
    if (!rw) return nullptr;
    rw->size = sinkSize;
    rw->seek = sinkSeek;
    rw->read = sinkRead;
    rw->write = sinkWrite;
    rw->close = sinkClose;
    rw->type = SDL_RWOPS_UNKNOWN;
    rw->hidden.unknown.data1 = sink;
    return rw;
}

bool surfaceHasAlpha(SDL_Surface* s) { return s->format->Amask != 0 || s->format->palette != nullptr; }

Image::Format formatFromName(const std::string& name)
{
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    auto endsWith = [&](const char* ext) {
        size_t n = std::strlen(ext);
        return lower.size() >= n && lower.compare(lower.size() - n, n, ext) == 0;
    };
    if (endsWith(".png")) return Image::Format::PNG;
    if (endsWith(".jpg") || endsWith(".jpeg")) return Image::Format::JPG;
    return Image::Format::UNKNOWN;
}

unsigned bigEndian16(const unsigned char* p) { return unsigned(p[0]) << 8 | p[1]; }

unsigned long bigEndian32(const unsigned char* p)
{
    return (unsigned long)p[0] << 24 | (unsigned long)p[1] << 16 | (unsigned long)p[2] << 8 | p[3];
}

// The size in the IHDR chunk, which a valid PNG has first, right after its
// signature; libpng sizes every buffer from it.
bool declaredPngSize(const unsigned char* data, size_t size, unsigned long* width, unsigned long* height)
{
    if (size < 8 + 8 + 13 || !Image::isPng(data, size)) return false;
    if (bigEndian32(data + 8) != 13 || std::memcmp(data + 12, "IHDR", 4) != 0) return false;
    *width = bigEndian32(data + 16);
    *height = bigEndian32(data + 20);
    return true;
}

// The size in the first start-of-frame segment. Segments before it are
// skipped by their lengths; the scan data only ever follows a frame header,
// so reaching it (or the end of the image) first means there is none.
bool declaredJpegSize(const unsigned char* data, size_t size, unsigned long* width, unsigned long* height)
{
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return false;
    size_t at = 2;
    while (at < size) {
        if (data[at] != 0xFF) return false;
        while (at < size && data[at] == 0xFF) ++at;
        if (at >= size) return false;
        unsigned marker = data[at++];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;
        if (marker == 0xD9 || marker == 0xDA || at + 2 > size) return false;
        size_t length = bigEndian16(data + at);
        if (length < 2) return false;
        bool frameHeader = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frameHeader) {
            if (length < 7 || at + 7 > size) return false;
            *height = bigEndian16(data + at + 3);
            *width = bigEndian16(data + at + 5);
            return true;
        }
        at += length;
    }
    return false;
}

bool withinLimits(unsigned long width, unsigned long height)
{
    return width > 0 && height > 0 && width <= unsigned(Image::kMaxDeclaredSide) &&
           height <= unsigned(Image::kMaxDeclaredSide) &&
           (long long)width * (long long)height <= Image::kMaxDeclaredPixels;
}

void reportBeyondLimits(const char* name, unsigned long width, unsigned long height)
{
    std::fprintf(stderr, "Image: %s declares %lu x %lu pixels, beyond the %d x %d and %lld-pixel limit; not loaded\n",
                 name ? name : "picture", width, height, Image::kMaxDeclaredSide, Image::kMaxDeclaredSide,
                 Image::kMaxDeclaredPixels);
}
} // namespace

bool Image::isPng(const unsigned char* data, size_t dataLen)
{
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    return data && dataLen >= 8 && std::memcmp(data, kSignature, 8) == 0;
}

bool Image::outlinePng(const unsigned char* data, size_t dataLen, const char* name, PngOutline* outline)
{
    unsigned long width = 0, height = 0;
    if (!data || !declaredPngSize(data, dataLen, &width, &height)) return false;
    if (!withinLimits(width, height)) {
        reportBeyondLimits(name, width, height);
        return false;
    }
    const unsigned colourType = data[8 + 8 + 9];
    bool transparency = false;
    bool imageData = false;
    size_t at = 8;
    for (;;) {
        if (dataLen - at < 12) return false;
        const unsigned long length = bigEndian32(data + at);
        // Chunk lengths are limited to 2^31 - 1; the rest of the file must hold it and its checksum.
        if (length > 0x7fffffffUL || length > dataLen - at - 12) return false;
        const unsigned char* type = data + at + 4;
        if (std::memcmp(type, "tRNS", 4) == 0) transparency = true;
        if (std::memcmp(type, "IDAT", 4) == 0) imageData = true;
        at += 12 + length;
        if (std::memcmp(type, "IEND", 4) == 0) break;
    }
    if (!imageData) return false;
    outline->width = int(width);
    outline->height = int(height);
    outline->opaque = (colourType == 0 || colourType == 2) && !transparency;
    return true;
}

Image::Image() = default;

Image::~Image()
{
    if (_surface) SDL_FreeSurface(_surface);
}

bool Image::initWithSurface(SDL_Surface* surface)
{
    if (!surface) return false;
    _hasAlpha = surfaceHasAlpha(surface);
    SDL_Surface* rgba = surface;
    // Pictures with an alpha channel usually decode as RGBA already; a
    // conversion would only allocate, clear and copy a second full-size copy.
    // A surface whose own pixel buffer SDL does not own is copied regardless.
    bool usable = surface->format->format == SDL_PIXELFORMAT_RGBA32 && !SDL_HasColorKey(surface) &&
                  (surface->flags & SDL_PREALLOC) == 0 && !SDL_MUSTLOCK(surface);
    if (!usable) {
        rgba = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGBA32, 0);
        SDL_FreeSurface(surface);
    }
    if (!rgba) return false;
    if (_surface) SDL_FreeSurface(_surface);
    _surface = rgba;
    return true;
}

bool Image::initWithImageFile(const std::string& path)
{
    std::string fullPath = FileUtils::getInstance()->fullPathForFilename(path);
    if (fullPath.empty()) return false;
    Data data = FileUtils::getInstance()->getDataFromFile(fullPath);
    if (data.isNull()) return false;
    return decode(data.getBytes(), size_t(data.getSize()), fullPath.c_str());
}

bool Image::initWithImageData(const unsigned char* data, ptrdiff_t dataLen)
{
    if (!data || dataLen <= 0) return false;
    return decode(data, size_t(dataLen), nullptr);
}

bool Image::decode(const unsigned char* data, size_t dataLen, const char* name)
{
    // SDL's memory reader takes an int length; a picture of 2 GiB or more is
    // far beyond the limits anyway.
    if (dataLen > size_t(INT_MAX)) return false;
    unsigned long width = 0;
    unsigned long height = 0;
    Format type = Format::UNKNOWN;
    const char* loader = nullptr;
    if (declaredPngSize(data, dataLen, &width, &height)) {
        type = Format::PNG;
        loader = "PNG";
    } else if (declaredJpegSize(data, dataLen, &width, &height)) {
        type = Format::JPG;
        loader = "JPG";
    } else {
        // Other formats SDL_image knows are never needed, and each would
        // need its own header check before it could be decoded safely.
        return false;
    }
    if (!withinLimits(width, height)) {
        reportBeyondLimits(name, width, height);
        return false;
    }
    SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(dataLen));
    if (!rw) return false;
    SDL_Surface* surface = IMG_LoadTyped_RW(rw, 1, loader);
    if (!surface) return false;
    _fileType = type;
    return initWithSurface(surface);
}

bool Image::initWithRawData(const unsigned char* data, ptrdiff_t dataLen, int width, int height, int, bool)
{
    if (!data || width <= 0 || height <= 0 || dataLen < ptrdiff_t(width) * height * 4) return false;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32);
    if (!surface) return false;
    for (int row = 0; row < height; ++row) {
        std::memcpy(static_cast<unsigned char*>(surface->pixels) + row * surface->pitch, data + row * width * 4,
                    size_t(width) * 4);
    }
    if (_surface) SDL_FreeSurface(_surface);
    _surface = surface;
    _hasAlpha = true;
    return true;
}

SDL_Surface* Image::takeSurface()
{
    SDL_Surface* surface = _surface;
    _surface = nullptr;
    return surface;
}

unsigned char* Image::getData() const { return _surface ? static_cast<unsigned char*>(_surface->pixels) : nullptr; }

ptrdiff_t Image::getDataLen() const { return _surface ? ptrdiff_t(_surface->pitch) * _surface->h : 0; }

int Image::getWidth() const { return _surface ? _surface->w : 0; }

int Image::getHeight() const { return _surface ? _surface->h : 0; }

bool Image::encode(Format format, bool isToRGB, std::string* out) const
{
    if (!_surface || format == Format::UNKNOWN) return false;
    SDL_Surface* source = _surface;
    SDL_Surface* converted = nullptr;
    if (isToRGB || format == Format::JPG) {
        converted = SDL_ConvertSurfaceFormat(_surface, SDL_PIXELFORMAT_RGB24, 0);
        if (!converted) return false;
        source = converted;
    }
    out->clear();
    StringSink sink{out, 0};
    SDL_RWops* rw = makeSink(&sink);
    int rc = -1;
    if (rw) {
        rc = format == Format::PNG ? IMG_SavePNG_RW(source, rw, 1) : IMG_SaveJPG_RW(source, rw, 1, 90);
    }
    if (converted) SDL_FreeSurface(converted);
    return rc == 0 && !out->empty();
}

bool Image::saveToFile(const std::string& filename, bool isToRGB)
{
    std::string bytes;
    if (!encode(formatFromName(filename), isToRGB, &bytes)) {
        CCLOG("Image: could not encode %s", filename.c_str());
        return false;
    }
    return FileUtils::writeAtomically(filename, bytes.data(), bytes.size());
}

} // namespace cocos2d
