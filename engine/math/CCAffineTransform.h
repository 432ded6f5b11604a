#pragma once

#include "math/CCGeometry.h"
#include "math/Mat4.h"

namespace cocos2d {

struct AffineTransform {
    float a, b, c, d;
    float tx, ty;
    static const AffineTransform IDENTITY;
};

AffineTransform AffineTransformMake(float a, float b, float c, float d, float tx, float ty);
Vec2 PointApplyAffineTransform(const Vec2& point, const AffineTransform& t);
Vec2 PointApplyTransform(const Vec2& point, const Mat4& transform);
Size SizeApplyAffineTransform(const Size& size, const AffineTransform& t);
// Axis-aligned bounds of the transformed rectangle.
Rect RectApplyAffineTransform(const Rect& rect, const AffineTransform& t);
Rect RectApplyTransform(const Rect& rect, const Mat4& transform);
// A node's transform to its parent's space: rotated (degrees clockwise) and
// scaled about its anchor (in points), the anchor placed at position unless
// the anchor is ignored for position. Nodes use this, and so can code that
// places things as nodes would without making one.
Mat4 NodeToParentTransform(const Vec2& position, float rotation, float scaleX, float scaleY,
                           const Vec2& anchorInPoints, bool ignoreAnchorForPosition);
AffineTransform AffineTransformConcat(const AffineTransform& t1, const AffineTransform& t2);
AffineTransform AffineTransformInvert(const AffineTransform& t);

} // namespace cocos2d
