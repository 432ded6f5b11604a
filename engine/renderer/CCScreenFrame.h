#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "renderer/CCScaledTextureCache.h"
#include "renderer/CCScreenQuad.h"
#include "renderer/CCScreenStats.h"

namespace cocos2d {

class Texture2D;

// How a quad (corners top-left, bottom-left, top-right, bottom-right, in
// pixels) can be drawn; copies: whether an upright, unflipped, evenly
// coloured picture may be a Copy.
QuadShape shapeOf(const SDL_Vertex corners[4], const Texture2D* texture, bool copies);

// The screen's picture, kept between frames in a target texture together
// with the list of quads it was drawn from. Each frame records its quads
// here instead of drawing them; finish() compares the new list with the kept
// one and redraws only the pixels where the two differ, or nothing at all
// when they are the same. What it draws is exactly what drawing the whole
// list afresh would give: every way of drawing used here gives each pixel a
// value that does not depend on the clip rectangle.
class ScreenFrame {
public:
    ScreenFrame();
    ~ScreenFrame();
    ScreenFrame(const ScreenFrame&) = delete;
    ScreenFrame& operator=(const ScreenFrame&) = delete;

    void setBackend(SDL_Renderer* backend);
    // SDL's software renderer, whose copies are far cheaper than its triangles.
    bool isSoftware() const { return _software; }

    // Starts the list of a new frame.
    void begin();
    // A quad (corners top-left, bottom-left, top-right, bottom-right, in
    // pixels of the screen) drawn inside clip. The texture must live until
    // finish(), which is always in the same frame.
    void add(Texture2D* texture, const SDL_Vertex corners[4], const SDL_Rect& clip);
    size_t getQuadCount() const { return _current.size(); }

    // Without rasterize nothing is compared or drawn. With it, the kept
    // picture is brought up to date with this frame's list and the screen
    // made to show it, copying only what it lacks. True when the screen got
    // a new picture, which is then to be presented.
    bool finish(bool rasterize);
    // The next finish(true) redraws every pixel (the kept picture was lost).
    void invalidate() { _fullRedraw = true; }
    // The screen no longer shows the kept picture (the window was uncovered,
    // or something else drew on it): the next finish(true) copies it whole.
    void requestCopy() { _screenStale = true; }
    void forgetTexture(uint64_t serial);
    // The serials of the textures the picture on screen draws straight from
    // their own pixels, not through a copy scaled to the screen that is made
    // and kept: those whose pixels must stay while the screen rests.
    std::unordered_set<uint64_t> texturesDrawnFromPixels() const;
    // Their own pixels went: their copies stay (ScaledTextureCache::pin).
    void pinCopiesOf(const std::vector<uint64_t>& serials);
    // At rest: the scaled copies the picture on screen does not use go.
    void dropUnshownCopies();

    const ScreenStats& getStats() const { return _stats; }

private:
    void classify(ScreenQuad& item) const;
    // Drawn through a copy scaled to the size it shows at.
    bool drawnScaled(const ScreenQuad& item) const;
    void hideCovered(std::vector<ScreenQuad>& items);
    bool ensureKeptTexture();
    void draw(const std::vector<SDL_Rect>& rects);
    void drawItem(const ScreenQuad& item, const SDL_Rect& clip);
    void flushGeometry();
    void releaseTextures();

    SDL_Renderer* _backend = nullptr;
    bool _software = false;
    Uint32 _format = SDL_PIXELFORMAT_ARGB8888;
    // The picture on screen between frames; the software screen keeps its
    // own pixels and needs none.
    SDL_Texture* _kept = nullptr;
    int _keptW = 0;
    int _keptH = 0;
    bool _fullRedraw = true;
    bool _screenStale = true;

    std::vector<ScreenQuad> _current;
    // What the kept picture shows, hidden quads left out.
    std::vector<ScreenQuad> _shown;
    size_t _nextShown = 0;

    ScaledTextureCache _scaled;

    // Geometry waiting to be drawn in one call: same texture, same clip.
    SDL_Texture* _batchTexture = nullptr;
    SDL_Rect _batchClip{0, 0, 0, 0};
    std::vector<SDL_Vertex> _batchVertices;
    std::vector<int> _batchIndices;

    ScreenStats _stats;
};

// Appends a quad (corners top-left, bottom-left, top-right, bottom-right) as
// triangles, cut into as many pieces as SDL's software triangle filler needs
// to draw it without overflowing; texW and texH are 0 for an untextured quad.
void appendQuadTriangles(const SDL_Vertex corners[4], int texW, int texH, std::vector<SDL_Vertex>& vertices,
                         std::vector<int>& indices);

} // namespace cocos2d
