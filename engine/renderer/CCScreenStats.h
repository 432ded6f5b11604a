#pragma once

#include <cstddef>

namespace cocos2d {

// What the screen frame did with the frames rasterised so far.
struct ScreenStats {
    // Rasterisations that redrew at least one pixel.
    size_t redraws = 0;
    // Pixels redrawn by the last rasterised frame, 0 when nothing differed.
    size_t lastPixels = 0;
    // Quads drawn by the last rasterised frame and those left out because
    // an opaque quad drawn later hides them completely.
    size_t lastDrawn = 0;
    size_t lastHidden = 0;
};

} // namespace cocos2d
