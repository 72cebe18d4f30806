#include "preview/canvas.h"

#include "preview/bitmap_font.h"

#include "tests/preview/canvas_census.h"

#include <gtest/gtest.h>

#include <map>

namespace torvex {
namespace {

TEST(Canvas, StartsWhiteAndClearsInPlace) {
    Canvas canvas;
    EXPECT_EQ(census(canvas), (std::map<Rgb, int>{{colours::white, 1280 * 1024}}));
    // The buffer is opaque RGB32: the top byte is 0xFF.
    EXPECT_EQ(canvas.bits()[0], 0xFFFFFFFFu);

    const std::uint32_t* before = canvas.bits();
    canvas.setPixel(3, 4, colours::red);
    canvas.setPen(colours::blue);
    canvas.clear();
    EXPECT_EQ(canvas.bits(), before);
    EXPECT_EQ(canvas.pixel(3, 4), colours::white);
    EXPECT_EQ(canvas.pen(), colours::black);
}

TEST(Canvas, PixelWritesOutsideTheBitmapAreDropped) {
    Canvas canvas;
    canvas.setPixel(1279, 1023, colours::blue);
    canvas.setPixel(0, 0, colours::red);
    EXPECT_EQ(canvas.pixel(1279, 1023), colours::blue);
    EXPECT_EQ(canvas.pixel(0, 0), colours::red);
    EXPECT_EQ(canvas.bits()[0], 0xFFFF0000u);

    // None of these may wrap into a neighbouring row or land anywhere else.
    canvas.setPixel(1280, 0, colours::black);
    canvas.setPixel(-1, 1, colours::black);
    canvas.setPixel(0, -1, colours::black);
    canvas.setPixel(0, 1024, colours::black);
    canvas.setPixel(-5'000'000'000LL, 3, colours::black);
    canvas.setPixel(4, 1LL << 40, colours::black);
    EXPECT_EQ(census(canvas).count(colours::black), 0u);
    EXPECT_EQ(canvas.pixel(1280, 0), colours::white);
    EXPECT_EQ(canvas.pixel(-1, 1), colours::white);
}

TEST(Canvas, LinesAreClippedNotWrapped) {
    Canvas canvas;
    // Straight up from the grid's top corner to beyond the top edge (y = −192).
    canvas.line(640, 108, 640, -192, colours::black);
    const auto counts = census(canvas);
    EXPECT_EQ(counts.at(colours::black), 109);
    EXPECT_EQ(canvas.pixel(640, 0), colours::black);
    EXPECT_EQ(canvas.pixel(640, 108), colours::black);
    EXPECT_EQ(canvas.pixel(640, 1023), colours::white);

    canvas.clear();
    canvas.penLine(1270, 500, 1300, 500);
    EXPECT_EQ(census(canvas).at(colours::black), 10);
    EXPECT_EQ(canvas.pixel(0, 501), colours::white);
}

TEST(Canvas, TextIsInkOnAnOpaqueWhiteCell) {
    Canvas canvas;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            canvas.setPixel(x, y, colours::silver);

    const int boxWidth = canvas.text(10, 20, "XY");
    EXPECT_EQ(boxWidth, glyphFor('X').advance + glyphFor('Y').advance);

    int ink = 0;
    for (int y = 20; y < 20 + fontCellHeight; ++y) {
        for (int x = 10; x < 10 + boxWidth; ++x) {
            const Rgb c = canvas.pixel(x, y);
            EXPECT_TRUE(c == colours::black || c == colours::white) << x << "," << y;
            ink += c == colours::black;
        }
    }
    EXPECT_GT(ink, 20);
    // The box ends exactly at its edges.
    EXPECT_EQ(canvas.pixel(9, 20), colours::silver);
    EXPECT_EQ(canvas.pixel(10 + boxWidth, 20), colours::silver);
    EXPECT_EQ(canvas.pixel(10, 19), colours::silver);
    EXPECT_EQ(canvas.pixel(10, 20 + fontCellHeight), colours::silver);

    // Text running off the right edge is clipped, not wrapped to the next row.
    Canvas edge;
    edge.text(1276, 0, "XX");
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(edge.pixel(x, 1), colours::white);
}

} // namespace
} // namespace torvex
