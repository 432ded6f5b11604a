#include "math/CCGeometry.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace cocos2d {

const Size Size::ZERO(0.0f, 0.0f);
const Rect Rect::ZERO(0.0f, 0.0f, 0.0f, 0.0f);

bool Size::equals(const Size& other) const
{
    return std::fabs(width - other.width) < FLT_EPSILON && std::fabs(height - other.height) < FLT_EPSILON;
}

void Rect::setRect(float x, float y, float w, float h)
{
    origin.set(x, y);
    size.setSize(w, h);
}

bool Rect::equals(const Rect& rect) const { return origin.equals(rect.origin) && size.equals(rect.size); }

bool Rect::containsPoint(const Vec2& point) const
{
    return point.x >= getMinX() && point.x <= getMaxX() && point.y >= getMinY() && point.y <= getMaxY();
}

bool Rect::intersectsRect(const Rect& rect) const
{
    return !(getMaxX() < rect.getMinX() || rect.getMaxX() < getMinX() || getMaxY() < rect.getMinY() ||
             rect.getMaxY() < getMinY());
}

Rect Rect::unionWithRect(const Rect& rect) const
{
    float left = std::min(getMinX(), rect.getMinX());
    float bottom = std::min(getMinY(), rect.getMinY());
    float right = std::max(getMaxX(), rect.getMaxX());
    float top = std::max(getMaxY(), rect.getMaxY());
    return Rect(left, bottom, right - left, top - bottom);
}

void Rect::merge(const Rect& rect) { *this = unionWithRect(rect); }

} // namespace cocos2d
