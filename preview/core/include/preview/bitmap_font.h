#pragma once

#include <array>
#include <cstdint>

namespace torvex {

// A small built-in bitmap font in the manner of "MS Sans Serif" 8 pt at 96 dpi: a
// character cell 13 pixels high with capitals 8 pixels tall standing on the baseline
// at row 10. Only the characters the preview writes are designed; any other character
// is drawn as a hollow box of the same size.
inline constexpr int fontCellHeight = 13;

struct Glyph {
    int advance = 0; // cell width in pixels, spacing included
    // One bit mask per row; bit (advance − 1 − column) is set where the pixel is ink,
    // so the masks read like the glyph when written in binary.
    std::array<std::uint8_t, fontCellHeight> rows{};
};

const Glyph& glyphFor(char c);

} // namespace torvex
