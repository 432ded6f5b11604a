#pragma once

#include <cmath>

namespace cocos2d {

class Vec2 {
public:
    float x = 0.0f;
    float y = 0.0f;

    constexpr Vec2() = default;
    constexpr Vec2(float xx, float yy) : x(xx), y(yy) {}

    bool isZero() const { return x == 0.0f && y == 0.0f; }
    // Equal within FLT_EPSILON on both axes, like the engine it mirrors.
    bool equals(const Vec2& other) const;
    bool fuzzyEquals(const Vec2& other, float variance) const;

    float length() const { return std::sqrt(x * x + y * y); }
    float lengthSquared() const { return x * x + y * y; }
    float getLength() const { return length(); }
    float getLengthSq() const { return lengthSquared(); }
    float distance(const Vec2& other) const { return (*this - other).length(); }
    float distanceSquared(const Vec2& other) const { return (*this - other).lengthSquared(); }
    float getDistance(const Vec2& other) const { return distance(other); }
    float getDistanceSq(const Vec2& other) const { return distanceSquared(other); }
    float dot(const Vec2& other) const { return x * other.x + y * other.y; }
    float cross(const Vec2& other) const { return x * other.y - y * other.x; }
    float getAngle() const { return std::atan2(y, x); }
    float getAngle(const Vec2& other) const;
    void normalize();
    Vec2 getNormalized() const;
    Vec2 getPerp() const { return Vec2(-y, x); }
    Vec2 getRPerp() const { return Vec2(y, -x); }
    Vec2 getMidpoint(const Vec2& other) const { return Vec2((x + other.x) * 0.5f, (y + other.y) * 0.5f); }
    Vec2 lerp(const Vec2& other, float alpha) const { return *this * (1.0f - alpha) + other * alpha; }
    // Rotates by angle radians around pivot.
    Vec2 rotateByAngle(const Vec2& pivot, float angle) const;
    void set(float xx, float yy) { x = xx; y = yy; }
    void setZero() { x = y = 0.0f; }
    void add(const Vec2& v) { x += v.x; y += v.y; }
    void subtract(const Vec2& v) { x -= v.x; y -= v.y; }
    void scale(float s) { x *= s; y *= s; }
    void negate() { x = -x; y = -y; }

    Vec2 operator+(const Vec2& v) const { return Vec2(x + v.x, y + v.y); }
    Vec2 operator-(const Vec2& v) const { return Vec2(x - v.x, y - v.y); }
    Vec2 operator-() const { return Vec2(-x, -y); }
    Vec2 operator*(float s) const { return Vec2(x * s, y * s); }
    Vec2 operator/(float s) const { return Vec2(x / s, y / s); }
    Vec2& operator+=(const Vec2& v) { x += v.x; y += v.y; return *this; }
    Vec2& operator-=(const Vec2& v) { x -= v.x; y -= v.y; return *this; }
    Vec2& operator*=(float s) { x *= s; y *= s; return *this; }
    Vec2& operator/=(float s) { x /= s; y /= s; return *this; }
    bool operator==(const Vec2& v) const { return x == v.x && y == v.y; }
    bool operator!=(const Vec2& v) const { return !(*this == v); }
    bool operator<(const Vec2& v) const { return x < v.x || (x == v.x && y < v.y); }

    static Vec2 forAngle(float a) { return Vec2(std::cos(a), std::sin(a)); }

    static const Vec2 ZERO;
    static const Vec2 ONE;
    static const Vec2 UNIT_X;
    static const Vec2 UNIT_Y;
    static const Vec2 ANCHOR_MIDDLE;
    static const Vec2 ANCHOR_BOTTOM_LEFT;
    static const Vec2 ANCHOR_TOP_LEFT;
    static const Vec2 ANCHOR_BOTTOM_RIGHT;
    static const Vec2 ANCHOR_TOP_RIGHT;
    static const Vec2 ANCHOR_MIDDLE_RIGHT;
    static const Vec2 ANCHOR_MIDDLE_LEFT;
    static const Vec2 ANCHOR_MIDDLE_TOP;
    static const Vec2 ANCHOR_MIDDLE_BOTTOM;
};

inline Vec2 operator*(float s, const Vec2& v) { return v * s; }

using Point = Vec2;

class Vec3 {
public:
    float x = 0.0f, y = 0.0f, z = 0.0f;
    constexpr Vec3() = default;
    constexpr Vec3(float xx, float yy, float zz) : x(xx), y(yy), z(zz) {}
};

class Vec4 {
public:
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;
    constexpr Vec4() = default;
    constexpr Vec4(float xx, float yy, float zz, float ww) : x(xx), y(yy), z(zz), w(ww) {}
};

} // namespace cocos2d
