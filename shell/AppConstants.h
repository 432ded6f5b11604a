#pragma once

#include <array>
#include <string>

#include "cocos2d.h"

// Values every part of the application shares.
namespace veloquix {

inline const char* const kWindowTitle = "VELOQUIX";
// The release, as the build sets it ("1.1.0").
inline const char* const kVersion = VELOQUIX_VERSION;
inline const cocos2d::Size kDesignSize(1024.0f, 768.0f);

// The showcase service's API root; request paths are appended to it.
inline const char* const kShowcaseBaseUrl = "https://showcase.galvora.example/api/";

// kShowcaseBaseUrl, or $VELOQUIX_SHOWCASE_URL when set (always ending in "/").
std::string showcaseBaseUrl();

// Picture of each track-part type, indexed by PartType.
inline const std::array<std::string, 8> partImageFiles = {
    "res/circuit_start.png", "res/circuit_straight.png", "res/circuit_corner.png", "res/circuit_wave.png",
    "res/circuit_slope.png", "res/circuit_bank.png",     "res/circuit_changer.png", "res/circuit_jump.png",
};

// Titles and counters, and body text.
inline const char* const kTitleFont = "fonts/Diamante-ExtraBold.ttf";
inline const char* const kBodyFont = "fonts/arial.ttf";

// Name of the background child of a button view.
inline const std::string kButtonBackgroundName = "itembg";

// Folder under the writable path that keeps the circuit thumbnails.
inline const char* const kThumbnailFolder = "screen";

} // namespace veloquix
