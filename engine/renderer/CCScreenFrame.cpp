#include "renderer/CCScreenFrame.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "renderer/CCDamageRegion.h"
#include "renderer/CCFrameDiff.h"
#include "renderer/CCTexture2D.h"

namespace cocos2d {

using namespace pixels;

namespace {

int roundToPixel(float v) { return int(std::floor(v + 0.5f)); }

bool sameColour(const SDL_Color& a, const SDL_Color& b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

// The texel a texture coordinate lands on, if it lands (nearly) on a whole one.
bool wholeTexel(float coordinate, int size, int* texel)
{
    float t = coordinate * float(size);
    int rounded = int(std::lround(t));
    if (std::fabs(t - float(rounded)) > 0.01f) return false;
    *texel = rounded;
    return true;
}

} // namespace

void appendQuadTriangles(const SDL_Vertex corners[4], int texW, int texH, std::vector<SDL_Vertex>& vertices,
                         std::vector<int>& indices)
{
    // SDL's software triangle filler works in fixed point with one fractional
    // bit and keeps (source coordinate x the triangle's doubled area) in a
    // 32-bit int. Past that it overflows and reads outside the texture: a
    // 900 x 900 pixel picture drawn one to one is already too big. A quad is
    // cut into as many pieces as keep every product under half the int range
    // (a margin for SDL's rounding of the corners); a quad is affine, so the
    // pieces draw the same picture.
    const SDL_Vertex& tl = corners[0];
    const SDL_Vertex& bl = corners[1];
    const SDL_Vertex& tr = corners[2];
    int perSide = 1;
    if (texW > 0 && texH > 0) {
        double cross = std::fabs(double(tr.position.x - tl.position.x) * (bl.position.y - tl.position.y) -
                                 double(tr.position.y - tl.position.y) * (bl.position.x - tl.position.x));
        double source = 1.0;
        for (int k = 0; k < 4; ++k) {
            source = std::max({source, std::fabs(double(corners[k].tex_coord.x) * texW),
                               std::fabs(double(corners[k].tex_coord.y) * texH)});
        }
        const double kFixedPointArea = 4.0; // one fractional bit on each axis
        const double kLimit = double(1 << 30);
        double pieces = source * kFixedPointArea * cross / kLimit;
        const int kMostPerSide = 64;
        perSide = pieces <= 1.0 ? 1 : std::min(kMostPerSide, int(std::ceil(std::sqrt(pieces))));
    }
    auto emitQuad = [&](const SDL_Vertex& a, const SDL_Vertex& b, const SDL_Vertex& c, const SDL_Vertex& d) {
        int base = static_cast<int>(vertices.size());
        vertices.push_back(a);
        vertices.push_back(b);
        vertices.push_back(c);
        vertices.push_back(d);
        const int order[6] = {0, 1, 2, 2, 1, 3};
        for (int k : order) indices.push_back(base + k);
    };
    if (perSide == 1) {
        emitQuad(corners[0], corners[1], corners[2], corners[3]);
        return;
    }
    // The corner at fraction (fx across, fy down) of the quad.
    auto at = [&](float fx, float fy) {
        auto lerp = [&](float a, float b, float c) { return a + (b - a) * fx + (c - a) * fy; };
        SDL_Vertex v = tl;
        v.position.x = lerp(tl.position.x, tr.position.x, bl.position.x);
        v.position.y = lerp(tl.position.y, tr.position.y, bl.position.y);
        v.tex_coord.x = lerp(tl.tex_coord.x, tr.tex_coord.x, bl.tex_coord.x);
        v.tex_coord.y = lerp(tl.tex_coord.y, tr.tex_coord.y, bl.tex_coord.y);
        return v;
    };
    for (int r = 0; r < perSide; ++r) {
        for (int c = 0; c < perSide; ++c) {
            float x0 = float(c) / perSide, x1 = float(c + 1) / perSide;
            float y0 = float(r) / perSide, y1 = float(r + 1) / perSide;
            emitQuad(at(x0, y0), at(x0, y1), at(x1, y0), at(x1, y1));
        }
    }
}

ScreenFrame::ScreenFrame() = default;

ScreenFrame::~ScreenFrame() { releaseTextures(); }

void ScreenFrame::releaseTextures()
{
    if (_backend && _kept) SDL_DestroyTexture(_kept);
    _kept = nullptr;
    _keptW = _keptH = 0;
    _scaled.clear();
    _shown.clear();
    _fullRedraw = true;
    _screenStale = true;
}

void ScreenFrame::setBackend(SDL_Renderer* backend)
{
    if (backend == _backend) return;
    releaseTextures();
    _backend = backend;
    _scaled.setBackend(backend);
    _software = false;
    _format = SDL_PIXELFORMAT_ARGB8888;
    SDL_RendererInfo info;
    if (backend && SDL_GetRendererInfo(backend, &info) == 0) {
        _software = (info.flags & SDL_RENDERER_SOFTWARE) != 0;
        // The screen's own format makes the copy to it a plain one.
        if (info.num_texture_formats > 0 && SDL_BITSPERPIXEL(info.texture_formats[0]) == 32 &&
            !SDL_ISPIXELFORMAT_FOURCC(info.texture_formats[0])) {
            _format = info.texture_formats[0];
        }
    }
}

void ScreenFrame::begin()
{
    _current.clear();
    _nextShown = 0;
}

void ScreenFrame::add(Texture2D* texture, const SDL_Vertex corners[4], const SDL_Rect& clip)
{
    if (isEmpty(clip)) return;
    ScreenQuad item;
    std::memcpy(item.v, corners, sizeof(item.v));
    item.texture = texture;
    item.serial = texture ? texture->getSerial() : 0;
    item.version = texture ? texture->getContentVersion() : 0;
    item.clip = clip;
    item.hashed = false;
    item.hash = 0;
    // At rest each quad is the next one of the kept picture's list (which
    // lacks the hidden ones), and its classification can be taken over.
    if (_nextShown < _shown.size() && sameDrawing(_shown[_nextShown], item)) {
        _current.push_back(_shown[_nextShown++]);
        _current.back().texture = texture;
        return;
    }
    classify(item);
    if (isEmpty(item.bounds)) return;
    _current.push_back(item);
}

QuadShape shapeOf(const SDL_Vertex corners[4], const Texture2D* texture, bool copies)
{
    const SDL_Vertex& tl = corners[0];
    const SDL_Vertex& bl = corners[1];
    const SDL_Vertex& tr = corners[2];
    const SDL_Vertex& br = corners[3];
    QuadShape shape;
    shape.upright = tl.position.x == bl.position.x && tr.position.x == br.position.x &&
                    tl.position.y == tr.position.y && bl.position.y == br.position.y && tl.position.x < tr.position.x &&
                    tl.position.y < bl.position.y;
    if (!shape.upright) return shape;
    bool oneColour = sameColour(tl.color, bl.color) && sameColour(tl.color, tr.color) && sameColour(tl.color, br.color);
    bool allOpaque = tl.color.a == 255 && bl.color.a == 255 && tr.color.a == 255 && br.color.a == 255;
    shape.opaque = allOpaque && (!texture || texture->isOpaque());
    shape.rect = SDL_Rect{roundToPixel(tl.position.x), roundToPixel(tl.position.y), 0, 0};
    shape.rect.w = roundToPixel(tr.position.x) - shape.rect.x;
    shape.rect.h = roundToPixel(bl.position.y) - shape.rect.y;
    if (!oneColour) return shape;
    if (!texture) {
        shape.kind = QuadShape::Kind::Fill;
        return shape;
    }
    if (!copies) return shape;
    int texW = texture->getPixelsWide(), texH = texture->getPixelsHigh();
    bool unflipped = tl.tex_coord.x == bl.tex_coord.x && tr.tex_coord.x == br.tex_coord.x &&
                     tl.tex_coord.y == tr.tex_coord.y && bl.tex_coord.y == br.tex_coord.y;
    int u0, u1, v0, v1;
    if (unflipped && wholeTexel(tl.tex_coord.x, texW, &u0) && wholeTexel(tr.tex_coord.x, texW, &u1) &&
        wholeTexel(tl.tex_coord.y, texH, &v0) && wholeTexel(bl.tex_coord.y, texH, &v1) && u0 >= 0 && v0 >= 0 &&
        u1 <= texW && v1 <= texH && u1 > u0 && v1 > v0) {
        shape.kind = QuadShape::Kind::Copy;
        shape.src = SDL_Rect{u0, v0, u1 - u0, v1 - v0};
    }
    return shape;
}

void ScreenFrame::classify(ScreenQuad& item) const
{
    const SDL_Vertex* v = item.v;
    item.cover = SDL_Rect{0, 0, 0, 0};
    float minX = std::min({v[0].position.x, v[1].position.x, v[2].position.x, v[3].position.x});
    float maxX = std::max({v[0].position.x, v[1].position.x, v[2].position.x, v[3].position.x});
    float minY = std::min({v[0].position.y, v[1].position.y, v[2].position.y, v[3].position.y});
    float maxY = std::max({v[0].position.y, v[1].position.y, v[2].position.y, v[3].position.y});
    if (!(minX <= maxX && minY <= maxY) || std::fabs(minX) > 1e6f || std::fabs(maxX) > 1e6f || std::fabs(minY) > 1e6f ||
        std::fabs(maxY) > 1e6f) {
        // Not a finite quad anywhere near the screen: it draws nothing.
        item.shape = QuadShape();
        item.bounds = SDL_Rect{0, 0, 0, 0};
        return;
    }
    item.shape = shapeOf(v, item.texture, _software);
    const QuadShape& shape = item.shape;
    if (shape.kind != QuadShape::Kind::Geometry) {
        item.bounds = intersection(shape.rect, item.clip);
        if (shape.opaque) item.cover = item.bounds;
        return;
    }
    // A pixel of margin for the filler's rounding at the edges.
    int x0 = int(std::floor(minX)) - 1, y0 = int(std::floor(minY)) - 1;
    int x1 = int(std::ceil(maxX)) + 1, y1 = int(std::ceil(maxY)) + 1;
    item.bounds = intersection(SDL_Rect{x0, y0, x1 - x0, y1 - y0}, item.clip);
    if (shape.upright && shape.opaque) {
        // Filtering may soften the outermost pixels; those inside are covered.
        SDL_Rect inner{shape.rect.x + 1, shape.rect.y + 1, shape.rect.w - 2, shape.rect.h - 2};
        item.cover = intersection(inner, item.clip);
    }
}

void ScreenFrame::hideCovered(std::vector<ScreenQuad>& items)
{
    // From the last quad back: one entirely inside what a later opaque quad
    // paints cannot show. Only the few largest covers are kept to test against.
    const size_t kMostCovers = 8;
    std::vector<SDL_Rect> covers;
    size_t kept = items.size();
    std::vector<bool> hidden(items.size(), false);
    for (size_t i = items.size(); i-- > 0;) {
        const ScreenQuad& item = items[i];
        bool isHidden = false;
        for (const SDL_Rect& cover : covers) {
            if (contains(cover, item.bounds)) {
                isHidden = true;
                break;
            }
        }
        if (isHidden) {
            hidden[i] = true;
            --kept;
            continue;
        }
        if (isEmpty(item.cover)) continue;
        if (covers.size() < kMostCovers) {
            covers.push_back(item.cover);
        } else {
            auto smallest = std::min_element(covers.begin(), covers.end(),
                                             [](const SDL_Rect& a, const SDL_Rect& b) { return area(a) < area(b); });
            if (area(*smallest) < area(item.cover)) *smallest = item.cover;
        }
    }
    _stats.lastHidden = items.size() - kept;
    if (kept == items.size()) return;
    size_t out = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!hidden[i]) items[out++] = items[i];
    }
    items.resize(out);
}

bool ScreenFrame::ensureKeptTexture()
{
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(_backend, &w, &h) != 0 || w <= 0 || h <= 0) return false;
    if (_software) {
        // The software screen is itself the kept picture: it keeps its
        // pixels between presents, so a copy of it would only double the
        // memory and the work. A new size is a new screen to fill.
        if (w != _keptW || h != _keptH) _fullRedraw = true;
        _keptW = w;
        _keptH = h;
        return true;
    }
    if (_kept && w == _keptW && h == _keptH) return true;
    if (_kept) SDL_DestroyTexture(_kept);
    _kept = SDL_CreateTexture(_backend, _format, SDL_TEXTUREACCESS_TARGET, w, h);
    if (!_kept) {
        _keptW = _keptH = 0;
        return false;
    }
    SDL_SetTextureBlendMode(_kept, SDL_BLENDMODE_NONE);
    _keptW = w;
    _keptH = h;
    _fullRedraw = true;
    return true;
}

bool ScreenFrame::finish(bool rasterize)
{
    if (!rasterize || !_backend) return false;
    if (!ensureKeptTexture()) return false;
    // A picture still waiting encoded is decoded before anything is judged,
    // since whether it is opaque decides what it hides. The version read
    // here is that of the pixels about to be drawn, so the next frame's list
    // matches this one and a picture decoded now is not redrawn again then.
    for (ScreenQuad& item : _current) {
        if (!item.texture) continue;
        // A picture let go at rest is known to be what it was: it waits
        // until a copy of it is to be made.
        if (item.texture->isWaitingToDecode() && !item.texture->isSourceReleased()) item.texture->decode();
        if (item.version != item.texture->getContentVersion()) {
            item.version = item.texture->getContentVersion();
            item.hashed = false;
            classify(item);
        }
    }
    hideCovered(_current);

    SDL_Rect whole{0, 0, _keptW, _keptH};
    DamageRegion damage(whole);
    if (_fullRedraw) {
        damage.addAll();
    } else {
        diffFrames(_shown, _current, damage);
    }
    _stats.lastPixels = 0;
    _stats.lastDrawn = 0;
    const bool changed = !damage.rects().empty();
    if (changed) {
        _scaled.beginRedraw();
        draw(damage.rects());
        for (const SDL_Rect& r : damage.rects()) _stats.lastPixels += area(r);
        ++_stats.redraws;
        _fullRedraw = false;
        _scaled.trim();
    }
    _shown.swap(_current);
    _current.clear();

    if (!changed && !_screenStale) return false;
    // Drawn straight on the software screen, the picture is there already:
    // a screen the window system lost only needs presenting again. Other
    // backends leave the screen undefined once it is presented, and get
    // the whole kept picture every time.
    if (!_software) {
        SDL_SetRenderTarget(_backend, nullptr);
        SDL_RenderSetViewport(_backend, nullptr);
        SDL_RenderSetClipRect(_backend, nullptr);
        SDL_RenderCopy(_backend, _kept, nullptr, nullptr);
    }
    _screenStale = false;
    return true;
}

void ScreenFrame::draw(const std::vector<SDL_Rect>& rects)
{
    // Scaled copies are made first: making one switches the render target.
    for (const SDL_Rect& rect : rects) {
        for (const ScreenQuad& item : _current) {
            if (drawnScaled(item) && SDL_HasIntersection(&item.bounds, &rect)) _scaled.get(item);
        }
    }
    // The software screen is the kept picture (nullptr: the screen).
    SDL_SetRenderTarget(_backend, _software ? nullptr : _kept);
    SDL_RenderSetViewport(_backend, nullptr);
    for (const SDL_Rect& rect : rects) {
        SDL_RenderSetClipRect(_backend, &rect);
        SDL_SetRenderDrawBlendMode(_backend, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(_backend, 0, 0, 0, 255);
        SDL_RenderFillRect(_backend, &rect);
        for (const ScreenQuad& item : _current) {
            SDL_Rect clip = intersection(item.bounds, rect);
            if (isEmpty(clip)) continue;
            drawItem(item, intersection(item.clip, rect));
            ++_stats.lastDrawn;
        }
        flushGeometry();
    }
    SDL_SetRenderDrawBlendMode(_backend, SDL_BLENDMODE_BLEND);
    SDL_RenderSetClipRect(_backend, nullptr);
    SDL_SetRenderTarget(_backend, nullptr);
}

void ScreenFrame::drawItem(const ScreenQuad& item, const SDL_Rect& clip)
{
    const SDL_Color& colour = item.v[0].color;
    if (item.shape.kind == QuadShape::Kind::Geometry) {
        SDL_Texture* texture = item.texture ? item.texture->getSDLTexture(_backend) : nullptr;
        if (item.texture && !texture) return;
        if (texture != _batchTexture || std::memcmp(&clip, &_batchClip, sizeof(clip)) != 0) {
            flushGeometry();
            _batchTexture = texture;
            _batchClip = clip;
        }
        appendQuadTriangles(item.v, item.texture ? item.texture->getPixelsWide() : 0,
                            item.texture ? item.texture->getPixelsHigh() : 0, _batchVertices, _batchIndices);
        return;
    }
    flushGeometry();
    if (item.shape.kind == QuadShape::Kind::Fill) {
        SDL_RenderSetClipRect(_backend, &clip);
        SDL_SetRenderDrawBlendMode(_backend, colour.a == 255 ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
        SDL_SetRenderDrawColor(_backend, colour.r, colour.g, colour.b, colour.a);
        SDL_RenderFillRect(_backend, &item.shape.rect);
        return;
    }
    // A scaled copy needs nothing of the picture's own pixels once made.
    const bool scaled = drawnScaled(item);
    SDL_Texture* texture = scaled ? _scaled.get(item) : item.texture->getSDLTexture(_backend);
    if (!texture) return;
    const SDL_Rect* src = scaled ? nullptr : &item.shape.src;
    SDL_RenderSetClipRect(_backend, &clip);
    SDL_SetTextureBlendMode(texture, isEmpty(item.cover) ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
    SDL_SetTextureColorMod(texture, colour.r, colour.g, colour.b);
    SDL_SetTextureAlphaMod(texture, colour.a);
    SDL_RenderCopy(_backend, texture, src, &item.shape.rect);
    if (!scaled) {
        // The picture's own texture is drawn as geometry elsewhere, unmodulated.
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
        SDL_SetTextureColorMod(texture, 255, 255, 255);
        SDL_SetTextureAlphaMod(texture, 255);
    }
}

void ScreenFrame::flushGeometry()
{
    if (_batchVertices.empty()) return;
    SDL_RenderSetClipRect(_backend, &_batchClip);
    SDL_RenderGeometry(_backend, _batchTexture, _batchVertices.data(), int(_batchVertices.size()), _batchIndices.data(),
                       int(_batchIndices.size()));
    _batchVertices.clear();
    _batchIndices.clear();
    _batchTexture = nullptr;
}

void ScreenFrame::forgetTexture(uint64_t serial) { _scaled.forget(serial); }

bool ScreenFrame::drawnScaled(const ScreenQuad& item) const
{
    return _software && item.shape.kind == QuadShape::Kind::Copy &&
           (item.shape.src.w != item.shape.rect.w || item.shape.src.h != item.shape.rect.h);
}

void ScreenFrame::dropUnshownCopies()
{
    _scaled.beginRedraw();
    for (const ScreenQuad& item : _shown)
        if (drawnScaled(item)) _scaled.keep(item);
    _scaled.dropUnused();
}

std::unordered_set<uint64_t> ScreenFrame::texturesDrawnFromPixels() const
{
    std::unordered_set<uint64_t> serials;
    for (const ScreenQuad& item : _shown)
        if (item.serial && (!drawnScaled(item) || !_scaled.has(item))) serials.insert(item.serial);
    return serials;
}

void ScreenFrame::pinCopiesOf(const std::vector<uint64_t>& serials)
{
    for (uint64_t serial : serials) _scaled.pin(serial);
}

} // namespace cocos2d
