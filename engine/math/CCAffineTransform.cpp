#include "math/CCAffineTransform.h"

#include <algorithm>
#include <cmath>

#include "base/ccMacros.h"

namespace cocos2d {

const AffineTransform AffineTransform::IDENTITY = {1, 0, 0, 1, 0, 0};

AffineTransform AffineTransformMake(float a, float b, float c, float d, float tx, float ty)
{
    return AffineTransform{a, b, c, d, tx, ty};
}

Vec2 PointApplyAffineTransform(const Vec2& p, const AffineTransform& t)
{
    return Vec2(t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty);
}

Vec2 PointApplyTransform(const Vec2& point, const Mat4& transform) { return transform.transformPoint(point); }

Size SizeApplyAffineTransform(const Size& s, const AffineTransform& t)
{
    return Size(t.a * s.width + t.c * s.height, t.b * s.width + t.d * s.height);
}

namespace {
template <class Apply>
Rect boundsOfCorners(const Rect& rect, Apply apply)
{
    Vec2 corners[4] = {apply(Vec2(rect.getMinX(), rect.getMinY())), apply(Vec2(rect.getMaxX(), rect.getMinY())),
                       apply(Vec2(rect.getMinX(), rect.getMaxY())), apply(Vec2(rect.getMaxX(), rect.getMaxY()))};
    float minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const Vec2& c : corners) {
        minX = std::min(minX, c.x);
        maxX = std::max(maxX, c.x);
        minY = std::min(minY, c.y);
        maxY = std::max(maxY, c.y);
    }
    return Rect(minX, minY, maxX - minX, maxY - minY);
}
} // namespace

Rect RectApplyAffineTransform(const Rect& rect, const AffineTransform& t)
{
    return boundsOfCorners(rect, [&](const Vec2& p) { return PointApplyAffineTransform(p, t); });
}

Rect RectApplyTransform(const Rect& rect, const Mat4& transform)
{
    return boundsOfCorners(rect, [&](const Vec2& p) { return transform.transformPoint(p); });
}

Mat4 NodeToParentTransform(const Vec2& position, float rotation, float scaleX, float scaleY,
                           const Vec2& anchorInPoints, bool ignoreAnchorForPosition)
{
    float x = position.x;
    float y = position.y;
    if (ignoreAnchorForPosition) {
        x += anchorInPoints.x;
        y += anchorInPoints.y;
    }
    // Clockwise degrees become a counter-clockwise angle in y-up space.
    float radians = -CC_DEGREES_TO_RADIANS(rotation);
    float c = 1.0f, s = 0.0f;
    if (rotation != 0.0f) {
        c = std::cos(radians);
        s = std::sin(radians);
    }
    if (!anchorInPoints.isZero()) {
        float ax = anchorInPoints.x * scaleX;
        float ay = anchorInPoints.y * scaleY;
        x += c * -ax + -s * -ay;
        y += s * -ax + c * -ay;
    }
    Mat4 t;
    float* m = t.m;
    m[0] = c * scaleX;
    m[1] = s * scaleX;
    m[2] = 0;
    m[3] = 0;
    m[4] = -s * scaleY;
    m[5] = c * scaleY;
    m[6] = 0;
    m[7] = 0;
    m[8] = 0;
    m[9] = 0;
    m[10] = 1;
    m[11] = 0;
    m[12] = x;
    m[13] = y;
    m[14] = 0;
    m[15] = 1;
    return t;
}

AffineTransform AffineTransformConcat(const AffineTransform& t1, const AffineTransform& t2)
{
    return AffineTransformMake(t1.a * t2.a + t1.b * t2.c, t1.a * t2.b + t1.b * t2.d, t1.c * t2.a + t1.d * t2.c,
                               t1.c * t2.b + t1.d * t2.d, t1.tx * t2.a + t1.ty * t2.c + t2.tx,
                               t1.tx * t2.b + t1.ty * t2.d + t2.ty);
}

AffineTransform AffineTransformInvert(const AffineTransform& t)
{
    float det = t.a * t.d - t.b * t.c;
    if (det == 0.0f) return t;
    float inv = 1.0f / det;
    return AffineTransformMake(inv * t.d, -inv * t.b, -inv * t.c, inv * t.a, inv * (t.c * t.ty - t.d * t.tx),
                               inv * (t.b * t.tx - t.a * t.ty));
}

} // namespace cocos2d
