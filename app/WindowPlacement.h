#pragma once

#include <string>
#include <vector>

#include "platform/CCGLViewImpl.h"

// Where the window opens: the decisions, apart from the window system so that
// they can be checked without one. Rectangles are in the window system's
// coordinates (points, y down); a placement's origin is its frame's corner.
namespace veloquix {

// The settings key the window's placement is kept under.
inline const char* const kWindowPlacementKey = "window";

// Room kept above the client area for the title bar the window system adds,
// whose height is not known before the window is shown: more on taller
// screens, which are mostly the high-density ones with taller title bars.
float titleBarAllowance(const cocos2d::Rect& usable);

// The first launch: the design aspect, as large as fits in the usable area
// below a title bar but at most twice the design size, centred in that area.
cocos2d::WindowPlacement firstPlacement(const cocos2d::Size& design, const cocos2d::Rect& usable);

// A kept placement brought onto the displays present: onto the display it
// overlaps most (the first when it overlaps none), no larger than that
// display's usable area below a title bar, and wholly inside it. The states
// are kept as they were.
cocos2d::WindowPlacement fitToDisplays(const cocos2d::WindowPlacement& kept,
                                       const std::vector<cocos2d::Rect>& displays);

// "X Y WIDTH HEIGHT MAXIMISED FULLSCREEN", whole numbers.
std::string encodePlacement(const cocos2d::WindowPlacement& placement);
// False for text that is not such a line, or a size too small to be a window
// anybody meant.
bool decodePlacement(const std::string& text, cocos2d::WindowPlacement* placement);

// The placement to open with: the kept one fitted to the displays when it
// reads, else the first launch's on the first display; the design size,
// centred, when no display is known.
cocos2d::WindowPlacement choosePlacement(const std::string& kept, const std::vector<cocos2d::Rect>& displays,
                                         const cocos2d::Size& design);

} // namespace veloquix
