#include "math/Vec2.h"

#include <cfloat>

namespace cocos2d {

const Vec2 Vec2::ZERO(0.0f, 0.0f);
const Vec2 Vec2::ONE(1.0f, 1.0f);
const Vec2 Vec2::UNIT_X(1.0f, 0.0f);
const Vec2 Vec2::UNIT_Y(0.0f, 1.0f);
const Vec2 Vec2::ANCHOR_MIDDLE(0.5f, 0.5f);
const Vec2 Vec2::ANCHOR_BOTTOM_LEFT(0.0f, 0.0f);
const Vec2 Vec2::ANCHOR_TOP_LEFT(0.0f, 1.0f);
const Vec2 Vec2::ANCHOR_BOTTOM_RIGHT(1.0f, 0.0f);
const Vec2 Vec2::ANCHOR_TOP_RIGHT(1.0f, 1.0f);
const Vec2 Vec2::ANCHOR_MIDDLE_RIGHT(1.0f, 0.5f);
const Vec2 Vec2::ANCHOR_MIDDLE_LEFT(0.0f, 0.5f);
const Vec2 Vec2::ANCHOR_MIDDLE_TOP(0.5f, 1.0f);
const Vec2 Vec2::ANCHOR_MIDDLE_BOTTOM(0.5f, 0.0f);

bool Vec2::equals(const Vec2& other) const
{
    return std::fabs(x - other.x) < FLT_EPSILON && std::fabs(y - other.y) < FLT_EPSILON;
}

bool Vec2::fuzzyEquals(const Vec2& other, float variance) const
{
    return std::fabs(x - other.x) <= variance && std::fabs(y - other.y) <= variance;
}

float Vec2::getAngle(const Vec2& other) const
{
    Vec2 a = getNormalized();
    Vec2 b = other.getNormalized();
    float angle = std::atan2(a.cross(b), a.dot(b));
    return std::fabs(angle) < FLT_EPSILON ? 0.0f : angle;
}

void Vec2::normalize()
{
    float n = lengthSquared();
    if (n == 1.0f || n < 2e-37f) return;
    n = std::sqrt(n);
    x /= n;
    y /= n;
}

Vec2 Vec2::getNormalized() const
{
    Vec2 v(*this);
    v.normalize();
    return v;
}

Vec2 Vec2::rotateByAngle(const Vec2& pivot, float angle) const
{
    Vec2 d = *this - pivot;
    float c = std::cos(angle), s = std::sin(angle);
    return pivot + Vec2(d.x * c - d.y * s, d.x * s + d.y * c);
}

} // namespace cocos2d
