#pragma once

#include "math/Vec2.h"

namespace cocos2d {

class Size {
public:
    float width = 0.0f;
    float height = 0.0f;

    constexpr Size() = default;
    constexpr Size(float w, float h) : width(w), height(h) {}
    explicit Size(const Vec2& v) : width(v.x), height(v.y) {}
    operator Vec2() const { return Vec2(width, height); }

    void setSize(float w, float h) { width = w; height = h; }
    bool equals(const Size& other) const;
    Size operator+(const Size& s) const { return Size(width + s.width, height + s.height); }
    Size operator-(const Size& s) const { return Size(width - s.width, height - s.height); }
    Size operator*(float a) const { return Size(width * a, height * a); }
    Size operator/(float a) const { return Size(width / a, height / a); }
    bool operator==(const Size& s) const { return width == s.width && height == s.height; }
    bool operator!=(const Size& s) const { return !(*this == s); }

    static const Size ZERO;
};

class Rect {
public:
    Vec2 origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(float x, float y, float w, float h) : origin(x, y), size(w, h) {}
    Rect(const Vec2& pos, const Size& dimension) : origin(pos), size(dimension) {}

    void setRect(float x, float y, float w, float h);
    float getMinX() const { return origin.x; }
    float getMidX() const { return origin.x + size.width * 0.5f; }
    float getMaxX() const { return origin.x + size.width; }
    float getMinY() const { return origin.y; }
    float getMidY() const { return origin.y + size.height * 0.5f; }
    float getMaxY() const { return origin.y + size.height; }
    bool equals(const Rect& rect) const;
    // Edges count as inside.
    bool containsPoint(const Vec2& point) const;
    bool intersectsRect(const Rect& rect) const;
    Rect unionWithRect(const Rect& rect) const;
    void merge(const Rect& rect);

    static const Rect ZERO;
};

} // namespace cocos2d
