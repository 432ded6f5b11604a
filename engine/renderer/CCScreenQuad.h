#pragma once

#include <SDL.h>

#include <cstdint>

namespace cocos2d {

class Texture2D;

// How a quad (corners top-left, bottom-left, top-right, bottom-right, in
// pixels) can be drawn: a fill of a pixel rectangle, a copy of a texel
// rectangle to a pixel rectangle, or triangles.
struct QuadShape {
    enum class Kind : uint8_t { Geometry, Fill, Copy };
    Kind kind = Kind::Geometry;
    // An axis-aligned rectangle; rect holds its pixels, rounded.
    bool upright = false;
    // Every pixel it paints ends with full opacity.
    bool opaque = false;
    SDL_Rect rect{0, 0, 0, 0};
    SDL_Rect src{0, 0, 0, 0};
};

// One quad of the screen's list, as the screen frame records it: what it
// draws and the pixels that drawing may change.
struct ScreenQuad {
    SDL_Vertex v[4];
    Texture2D* texture;
    uint64_t serial;
    uint32_t version;
    SDL_Rect clip;
    // Every pixel the quad may change, inside its clip.
    SDL_Rect bounds;
    QuadShape shape;
    // Pixels the quad certainly paints with full opacity; empty if none.
    SDL_Rect cover;
    mutable bool hashed;
    mutable uint64_t hash;
};

// Folds v into the hash h.
inline uint64_t hashMix(uint64_t h, uint64_t v)
{
    h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
    return h * 0xff51afd7ed558ccdull;
}

} // namespace cocos2d
