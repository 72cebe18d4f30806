#include "preview/canvas.h"

#include "preview/bitmap_font.h"
#include "preview/line_rasteriser.h"

#include <algorithm>

namespace torvex {

namespace {

constexpr std::uint32_t opaque(Rgb colour) {
    return 0xFF000000u | (colour & 0xFFFFFFu);
}

} // namespace

Canvas::Canvas() : pixels_(std::size_t(width) * height, opaque(colours::white)) {}

void Canvas::clear() {
    std::fill(pixels_.begin(), pixels_.end(), opaque(colours::white));
    pen_ = colours::black;
}

void Canvas::setPixel(std::int64_t x, std::int64_t y, Rgb colour) {
    if (contains(x, y))
        pixels_[index(x, y)] = opaque(colour);
}

void Canvas::line(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, Rgb colour) {
    const std::uint32_t word = opaque(colour);
    std::uint32_t* data = pixels_.data();
    rasteriseLine(x0, y0, x1, y1, width, height,
                  [=](std::int64_t x, std::int64_t y) { data[index(x, y)] = word; });
}

int Canvas::text(std::int64_t x, std::int64_t y, std::string_view characters) {
    std::int64_t left = x;
    for (const char c : characters) {
        const Glyph& glyph = glyphFor(c);
        for (int row = 0; row < fontCellHeight; ++row) {
            for (int column = 0; column < glyph.advance; ++column) {
                const bool ink = (glyph.rows[std::size_t(row)] >> (glyph.advance - 1 - column)) & 1;
                setPixel(left + column, y + row, ink ? colours::black : colours::white);
            }
        }
        left += glyph.advance;
    }
    return int(left - x);
}

std::vector<std::uint32_t> clientAreaPixels(const Canvas& canvas, int width, int height) {
    std::vector<std::uint32_t> area(std::size_t(width) * std::size_t(height),
                                    opaque(colours::windowFace));
    const int columns = std::min(width, Canvas::width);
    for (int y = 0; y < std::min(height, Canvas::height); ++y)
        std::copy_n(canvas.bits() + std::size_t(y) * Canvas::width, columns,
                    area.begin() + std::ptrdiff_t(y) * width);
    return area;
}

} // namespace torvex
