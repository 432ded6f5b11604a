#pragma once

#include <cstdint>

#include "math/CCGeometry.h"

namespace cocos2d {

struct Color4B;
struct Color4F;

struct Color3B {
    uint8_t r = 0, g = 0, b = 0;
    constexpr Color3B() = default;
    constexpr Color3B(uint8_t rr, uint8_t gg, uint8_t bb) : r(rr), g(gg), b(bb) {}
    explicit Color3B(const Color4B& color);
    explicit Color3B(const Color4F& color);
    bool operator==(const Color3B& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Color3B& o) const { return !(*this == o); }
    bool equals(const Color3B& o) const { return *this == o; }

    static const Color3B WHITE, YELLOW, BLUE, GREEN, RED, MAGENTA, BLACK, ORANGE, GRAY;
};

struct Color4B {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    constexpr Color4B() = default;
    constexpr Color4B(uint8_t rr, uint8_t gg, uint8_t bb, uint8_t aa) : r(rr), g(gg), b(bb), a(aa) {}
    Color4B(const Color3B& color, uint8_t aa) : r(color.r), g(color.g), b(color.b), a(aa) {}
    explicit Color4B(const Color4F& color);
    bool operator==(const Color4B& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const Color4B& o) const { return !(*this == o); }

    static const Color4B WHITE, YELLOW, BLUE, GREEN, RED, MAGENTA, BLACK, ORANGE, GRAY;
};

struct Color4F {
    float r = 0, g = 0, b = 0, a = 0;
    constexpr Color4F() = default;
    constexpr Color4F(float rr, float gg, float bb, float aa) : r(rr), g(gg), b(bb), a(aa) {}
    Color4F(const Color3B& color, float aa) : r(color.r / 255.0f), g(color.g / 255.0f), b(color.b / 255.0f), a(aa) {}
    explicit Color4F(const Color4B& color)
        : r(color.r / 255.0f), g(color.g / 255.0f), b(color.b / 255.0f), a(color.a / 255.0f)
    {
    }
    bool operator==(const Color4F& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const Color4F& o) const { return !(*this == o); }

    static const Color4F WHITE, YELLOW, BLUE, GREEN, RED, MAGENTA, BLACK, ORANGE, GRAY;
};

struct Tex2F {
    float u = 0, v = 0;
};

struct V3F_C4B_T2F {
    Vec3 vertices;
    Color4B colors;
    Tex2F texCoords;
};

// Corners in the engine's order: top-left, bottom-left, top-right, bottom-right.
struct V3F_C4B_T2F_Quad {
    V3F_C4B_T2F tl, bl, tr, br;
};

struct BlendFunc {
    unsigned int src, dst;
    static const BlendFunc ALPHA_PREMULTIPLIED;
    static const BlendFunc ALPHA_NON_PREMULTIPLIED;
};

enum class TextHAlignment { LEFT, CENTER, RIGHT };
enum class TextVAlignment { TOP, CENTER, BOTTOM };

} // namespace cocos2d
