#pragma once

#include <cstdint>

// Track-part type id: palette order, index of veloquix::partImageFiles and the
// "type" value of a saved part.
using PartType = std::int32_t;

namespace PartTypes {
constexpr PartType start = 0;
constexpr PartType straight = 1;
constexpr PartType corner = 2;
constexpr PartType wave = 3;
constexpr PartType slope = 4;
constexpr PartType bank = 5;
constexpr PartType changer = 6;
constexpr PartType jump = 7;
constexpr int count = 8;
} // namespace PartTypes
