#include "renderer/CCDamageRegion.h"

#include <cstdint>

namespace cocos2d {

using namespace pixels;

namespace {
// Separate damaged rectangles kept apart before the closest ones are merged.
const size_t kMostDamageRects = 6;
} // namespace

void DamageRegion::add(const SDL_Rect& rect)
{
    SDL_Rect r = intersection(rect, _limit);
    if (isEmpty(r)) return;
    for (;;) {
        bool merged = false;
        for (size_t i = 0; i < _rects.size(); ++i) {
            SDL_Rect grown{_rects[i].x - 1, _rects[i].y - 1, _rects[i].w + 2, _rects[i].h + 2};
            if (SDL_HasIntersection(&grown, &r)) {
                r = unionOf(r, _rects[i]);
                _rects.erase(_rects.begin() + std::ptrdiff_t(i));
                merged = true;
                break;
            }
        }
        if (!merged) break;
    }
    _rects.push_back(r);
    while (_rects.size() > kMostDamageRects) mergeClosest();
}

void DamageRegion::mergeClosest()
{
    size_t bestI = 0, bestJ = 1;
    size_t bestGrowth = SIZE_MAX;
    for (size_t i = 0; i < _rects.size(); ++i) {
        for (size_t j = i + 1; j < _rects.size(); ++j) {
            size_t growth = area(unionOf(_rects[i], _rects[j])) - area(_rects[i]) - area(_rects[j]);
            if (growth < bestGrowth) {
                bestGrowth = growth;
                bestI = i;
                bestJ = j;
            }
        }
    }
    SDL_Rect joined = unionOf(_rects[bestI], _rects[bestJ]);
    _rects.erase(_rects.begin() + std::ptrdiff_t(bestJ));
    _rects.erase(_rects.begin() + std::ptrdiff_t(bestI));
    add(joined);
}

} // namespace cocos2d
