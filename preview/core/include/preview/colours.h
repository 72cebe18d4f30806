#pragma once

#include <cstdint>

namespace torvex {

// A 24-bit colour as 0xRRGGBB.
using Rgb = std::uint32_t;

namespace colours {
inline constexpr Rgb black = 0x000000;
inline constexpr Rgb white = 0xFFFFFF;
inline constexpr Rgb red = 0xFF0000;
inline constexpr Rgb blue = 0x0000FF;
inline constexpr Rgb silver = 0xC0C0C0;
inline constexpr Rgb grey = 0x808080;
// The preview window's face beside and below the picture.
inline constexpr Rgb windowFace = 0xF0F0F0;
} // namespace colours

} // namespace torvex
