#pragma once

#include <SDL.h>

#include <cstddef>
#include <vector>

namespace cocos2d {

// Rectangles of pixels; one without width or height is empty, nothing.
namespace pixels {

inline bool isEmpty(const SDL_Rect& r) { return r.w <= 0 || r.h <= 0; }

inline SDL_Rect intersection(const SDL_Rect& a, const SDL_Rect& b)
{
    SDL_Rect out;
    if (isEmpty(a) || isEmpty(b) || !SDL_IntersectRect(&a, &b, &out)) return SDL_Rect{0, 0, 0, 0};
    return out;
}

inline SDL_Rect unionOf(const SDL_Rect& a, const SDL_Rect& b)
{
    if (isEmpty(a)) return b;
    if (isEmpty(b)) return a;
    SDL_Rect out;
    SDL_UnionRect(&a, &b, &out);
    return out;
}

inline bool contains(const SDL_Rect& outer, const SDL_Rect& inner)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}

inline size_t area(const SDL_Rect& r) { return isEmpty(r) ? 0 : size_t(r.w) * size_t(r.h); }

} // namespace pixels

// The pixels of a frame to redraw, inside a limit (the screen), as a few
// rectangles: one that touches another joins it, and past the most kept
// apart the two whose union adds least area are merged.
class DamageRegion {
public:
    explicit DamageRegion(const SDL_Rect& limit) : _limit(limit) {}

    void add(const SDL_Rect& rect);
    // Everything inside the limit.
    void addAll() { _rects.assign(1, _limit); }
    const std::vector<SDL_Rect>& rects() const { return _rects; }

private:
    void mergeClosest();

    SDL_Rect _limit;
    std::vector<SDL_Rect> _rects;
};

} // namespace cocos2d
