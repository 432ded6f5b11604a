#include "ConnectionGeometry.h"

#include <algorithm>
#include <cmath>

namespace connection {

int angleBetween(const cocos2d::Vec2& u, const cocos2d::Vec2& v)
{
    const double n = double(u.length()) * double(v.length());
    if (n == 0.0) return 0;
    const double c = std::clamp((double(u.x) * v.x + double(u.y) * v.y) / n, -1.0, 1.0);
    const int angle = int(std::lround(std::acos(c) * 180.0 / M_PI));
    const double s = std::round((double(u.x) * v.y - double(u.y) * v.x) / n);
    return s < 0 ? -angle : angle;
}

Candidate nearestFreeEnd(const std::vector<EndSpot>& moving, const std::vector<EndSpot>& targets, float limit)
{
    Candidate best;
    float bestDistance = limit;
    for (std::size_t m = 0; m < moving.size(); ++m) {
        const EndSpot& from = moving[m];
        for (std::size_t t = 0; t < targets.size(); ++t) {
            const EndSpot& to = targets[t];
            if (to.part && to.part != from.part) continue;
            const float d = from.position.distance(to.position);
            if (d < bestDistance) {
                bestDistance = d;
                best.moving = int(m);
                best.target = int(t);
                best.distance = d;
            }
        }
    }
    return best;
}

} // namespace connection
