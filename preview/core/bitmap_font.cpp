#include "preview/bitmap_font.h"

namespace torvex {

namespace {

// Column 0 is the leftmost bit of the 8-bit masks below (advance 8).
constexpr Glyph letterX{8,
                        {0b00000000, 0b00000000, 0b00000000, //
                         0b10000010, 0b10000010, 0b01000100, 0b00101000, 0b00010000, 0b00101000,
                         0b01000100, 0b10000010, //
                         0b00000000, 0b00000000}};

constexpr Glyph letterY{8,
                        {0b00000000, 0b00000000, 0b00000000, //
                         0b10000010, 0b10000010, 0b01000100, 0b00101000, 0b00010000, 0b00010000,
                         0b00010000, 0b00010000, //
                         0b00000000, 0b00000000}};

constexpr Glyph space{3, {}};

constexpr Glyph unknown{6,
                        {0b000000, 0b000000, 0b000000, //
                         0b111110, 0b100010, 0b100010, 0b100010, 0b100010, 0b100010, 0b100010,
                         0b111110, //
                         0b000000, 0b000000}};

} // namespace

const Glyph& glyphFor(char c) {
    switch (c) {
    case 'X':
        return letterX;
    case 'Y':
        return letterY;
    case ' ':
        return space;
    default:
        return unknown;
    }
}

} // namespace torvex
