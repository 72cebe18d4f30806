#pragma once

#include "preview/colours.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace torvex {

// The preview bitmap: 1280 × 1024 pixels, (0,0) at the top-left, x to the right and
// y downwards. Every drawing operation is clipped to the bitmap. Pixels are stored as
// 0xFFRRGGBB words, row after row, so a QImage of format RGB32 can show the buffer
// without copying; the buffer never moves for the life of the canvas.
class Canvas {
public:
    static constexpr int width = 1280;
    static constexpr int height = 1024;

    Canvas();

    // Paints every pixel white and sets the pen back to black, in place.
    void clear();

    static bool contains(std::int64_t x, std::int64_t y) {
        return x >= 0 && x < width && y >= 0 && y < height;
    }

    // The colour at a pixel; outside the bitmap nothing is ever drawn, so it reads white.
    Rgb pixel(std::int64_t x, std::int64_t y) const {
        return contains(x, y) ? pixels_[index(x, y)] & 0xFFFFFF : colours::white;
    }

    void setPixel(std::int64_t x, std::int64_t y, Rgb colour);

    // The pen colour used by penLine.
    Rgb pen() const { return pen_; }
    void setPen(Rgb colour) { pen_ = colour; }

    // A 1-pixel solid line from (x0, y0) towards (x1, y1), the end pixel not painted
    // (see rasteriseLine for the exact pixels).
    void line(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, Rgb colour);
    void penLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
        line(x0, y0, x1, y1, pen_);
    }

    // Writes text with its cell's top-left corner at (x, y): black glyphs on an opaque
    // white box one font cell high. Returns the width of the box.
    int text(std::int64_t x, std::int64_t y, std::string_view characters);

    const std::uint32_t* bits() const { return pixels_.data(); }
    static constexpr int bytesPerLine() { return width * 4; }

private:
    static std::size_t index(std::int64_t x, std::int64_t y) {
        return std::size_t(y) * width + std::size_t(x);
    }

    std::vector<std::uint32_t> pixels_;
    Rgb pen_ = colours::black;
};

// What the preview window shows in a client area of width x height with the picture
// scrolled to its top-left corner (scroll bars aside): the canvas, cut off at the
// area's edges, and the window's face beside and below it. 0xFFRRGGBB words, row
// after row.
std::vector<std::uint32_t> clientAreaPixels(const Canvas& canvas, int width, int height);

} // namespace torvex
