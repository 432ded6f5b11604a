#include "WindowPlacement.h"

#include <algorithm>
#include <cmath>
#include <sstream>

using cocos2d::Rect;
using cocos2d::Size;
using cocos2d::Vec2;
using cocos2d::WindowPlacement;

namespace veloquix {

namespace {

const float kSmallestWindow = 160.0f;

// Where a window's origin (its frame's corner) and client size must stay for
// the whole window to be in the usable area: the client area's height less
// the title bar allowance.
Rect clientArea(const Rect& usable)
{
    float allowance = std::min(titleBarAllowance(usable), usable.size.height * 0.5f);
    return Rect(usable.origin.x, usable.origin.y, usable.size.width, usable.size.height - allowance);
}

float overlap(const Rect& a, const Rect& b)
{
    float w = std::min(a.getMaxX(), b.getMaxX()) - std::max(a.getMinX(), b.getMinX());
    float h = std::min(a.getMaxY(), b.getMaxY()) - std::max(a.getMinY(), b.getMinY());
    return w > 0 && h > 0 ? w * h : 0.0f;
}

} // namespace

float titleBarAllowance(const Rect& usable) { return std::max(32.0f, std::round(usable.size.height / 20.0f)); }

WindowPlacement firstPlacement(const Size& design, const Rect& usable)
{
    Rect area = clientArea(usable);
    float scale = std::min({area.size.width / design.width, area.size.height / design.height, 2.0f});
    WindowPlacement placement;
    placement.bounds.size = Size(std::floor(design.width * scale), std::floor(design.height * scale));
    placement.bounds.origin = Vec2(std::floor(area.getMidX() - placement.bounds.size.width * 0.5f),
                                   std::floor(area.getMidY() - placement.bounds.size.height * 0.5f));
    placement.positioned = true;
    return placement;
}

WindowPlacement fitToDisplays(const WindowPlacement& kept, const std::vector<Rect>& displays)
{
    if (displays.empty()) return kept;
    size_t best = 0;
    float bestOverlap = 0.0f;
    for (size_t i = 0; i < displays.size(); ++i) {
        float shared = overlap(kept.bounds, displays[i]);
        if (shared > bestOverlap) {
            best = i;
            bestOverlap = shared;
        }
    }
    Rect area = clientArea(displays[best]);
    WindowPlacement placed = kept;
    Size size(std::min(kept.bounds.size.width, area.size.width), std::min(kept.bounds.size.height, area.size.height));
    Vec2 origin = kept.bounds.origin;
    if (bestOverlap == 0.0f || !kept.positioned) {
        origin = Vec2(std::floor(area.getMidX() - size.width * 0.5f), std::floor(area.getMidY() - size.height * 0.5f));
    }
    origin.x = std::clamp(origin.x, area.getMinX(), area.getMaxX() - size.width);
    origin.y = std::clamp(origin.y, area.getMinY(), area.getMaxY() - size.height);
    placed.bounds = Rect(origin, size);
    placed.positioned = true;
    return placed;
}

std::string encodePlacement(const WindowPlacement& placement)
{
    std::ostringstream out;
    const Rect& r = placement.bounds;
    out << std::lround(r.origin.x) << ' ' << std::lround(r.origin.y) << ' ' << std::lround(r.size.width) << ' '
        << std::lround(r.size.height) << ' ' << (placement.maximized ? 1 : 0) << ' '
        << (placement.fullscreen ? 1 : 0);
    return out.str();
}

bool decodePlacement(const std::string& text, WindowPlacement* placement)
{
    std::istringstream in(text);
    long x, y, w, h;
    int maximized, fullscreen;
    if (!(in >> x >> y >> w >> h >> maximized >> fullscreen)) return false;
    in >> std::ws;
    if (!in.eof()) return false;
    const long kFar = 1L << 20;
    if (std::labs(x) > kFar || std::labs(y) > kFar || w > kFar || h > kFar) return false;
    if (w < kSmallestWindow || h < kSmallestWindow) return false;
    if ((maximized != 0 && maximized != 1) || (fullscreen != 0 && fullscreen != 1)) return false;
    placement->bounds = Rect(float(x), float(y), float(w), float(h));
    placement->positioned = true;
    placement->maximized = maximized == 1;
    placement->fullscreen = fullscreen == 1;
    return true;
}

WindowPlacement choosePlacement(const std::string& kept, const std::vector<Rect>& displays, const Size& design)
{
    WindowPlacement placement;
    if (decodePlacement(kept, &placement)) return fitToDisplays(placement, displays);
    if (displays.empty()) {
        placement = WindowPlacement();
        placement.bounds.size = design;
        return placement;
    }
    return firstPlacement(design, displays.front());
}

} // namespace veloquix
