#pragma once

#include <cstring>
#include <vector>

#include "renderer/CCScreenQuad.h"

namespace cocos2d {

class DamageRegion;

// Whether two quads draw the same pixels: the same picture in the same
// state, at the same corners, inside the same clip.
inline bool sameDrawing(const ScreenQuad& a, const ScreenQuad& b)
{
    return a.serial == b.serial && a.version == b.version && a.clip.x == b.clip.x && a.clip.y == b.clip.y &&
           a.clip.w == b.clip.w && a.clip.h == b.clip.h && std::memcmp(a.v, b.v, sizeof(a.v)) == 0;
}

// Adds to damage every pixel where the picture drawn from the list `after`
// may differ from the one drawn from `before`. Quads matched in order
// between the two lists draw the same pixels in the same order, so a pixel
// that no unmatched quad touches looks the same in both pictures.
void diffFrames(const std::vector<ScreenQuad>& before, const std::vector<ScreenQuad>& after, DamageRegion& damage);

} // namespace cocos2d
