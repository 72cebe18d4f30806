#include "preview/regeneration.h"

#include "base/failure.h"
#include "preview/bitmap_font.h"
#include "scene/designer_state.h"

#include "tests/preview/canvas_census.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

namespace torvex {
namespace {

int inkPixels(char c) {
    int ink = 0;
    for (const auto row : glyphFor(c).rows)
        ink += __builtin_popcount(row);
    return ink;
}

char symbol(Rgb c) {
    switch (c) {
    case colours::white:
        return '.';
    case colours::black:
        return '#';
    case colours::silver:
        return 's';
    case colours::grey:
        return 'g';
    case colours::blue:
        return 'b';
    case colours::red:
        return 'r';
    default:
        return '?';
    }
}

std::string picture(const Canvas& canvas, int left, int top, int width, int height) {
    std::string out;
    for (int y = top; y < top + height; ++y) {
        for (int x = left; x < left + width; ++x)
            out += symbol(canvas.pixel(x, y));
        out += '\n';
    }
    return out;
}

std::string readGolden(const std::string& name) {
    std::ifstream in(std::string(TORVEX_PREVIEW_GOLDEN_DIR) + "/" + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class Regeneration : public ::testing::Test {
protected:
    void SetUp() override { resetDesignerState(); }
    void TearDown() override { resetDesignerState(); }
    Canvas canvas;
};

TEST_F(Regeneration, BackdropCensusOfTheEmptyList) {
    canvas.setPixel(5, 5, colours::red); // a leftover of an earlier picture
    drawPreviewBackdrop(canvas, defaultPanelHeight);

    // 201 × 201 dots: 21 × 21 with both coordinates multiples of ten (black, one of them
    // under the origin mark), 2 × 21 × 180 with exactly one (grey), 180 × 180 silver.
    const int letterInk = inkPixels('X') + inkPixels('Y');
    const int blackDots = 21 * 21 - 1;
    const std::map<Rgb, int> expected{
        {colours::silver, 180 * 180},
        {colours::grey, 2 * 21 * 180},
        {colours::black, blackDots + letterInk},
        {colours::blue, 5},
        {colours::white, 1280 * 1024 - 180 * 180 - 2 * 21 * 180 - blackDots - letterInk - 5},
    };
    EXPECT_EQ(census(canvas), expected);
    EXPECT_EQ(180 * 180 + 2 * 21 * 180 + 21 * 21, 40401);
}

TEST_F(Regeneration, CensusWithAListLineInBlack) {
    drawPreviewBackdrop(canvas, defaultPanelHeight);
    DrawMode = 0;
    line3D(canvas, splitLineRecord("   0,   0,   0,   0,   0, 100"), defaultPanelHeight);

    // The line covers x 640, y 508 down to 209: 300 pixels. On that column lie the dots
    // with X = Y for X 0..74: the origin (under its blue mark, whose upper arm at y 507 is
    // covered too), 7 black dots (X 10..70) and 67 silver ones; X = Y is never grey.
    const int letterInk = inkPixels('X') + inkPixels('Y');
    const int black = (21 * 21 - 1) + letterInk + 300 - 7;
    const std::map<Rgb, int> expected{
        {colours::silver, 180 * 180 - 67},
        {colours::grey, 2 * 21 * 180},
        {colours::black, black},
        {colours::blue, 3},
        {colours::white, 1280 * 1024 - (180 * 180 - 67) - 2 * 21 * 180 - black - 3},
    };
    EXPECT_EQ(census(canvas), expected);
}

TEST_F(Regeneration, GridDotsSitOnTheDiamondByColourClass) {
    drawGrid(canvas, defaultPanelHeight);
    EXPECT_EQ(canvas.pixel(640, 108), colours::black);  // X 100, Y 100
    EXPECT_EQ(canvas.pixel(1240, 508), colours::black); // X 100, Y −100
    EXPECT_EQ(canvas.pixel(640, 908), colours::black);  // X −100, Y −100
    EXPECT_EQ(canvas.pixel(40, 508), colours::black);   // X −100, Y 100
    EXPECT_EQ(canvas.pixel(640, 508), colours::black);  // origin before its mark
    EXPECT_EQ(canvas.pixel(643, 506), colours::grey);   // X 1, Y 0
    EXPECT_EQ(canvas.pixel(637, 506), colours::grey);   // X 0, Y 1
    EXPECT_EQ(canvas.pixel(640, 504), colours::silver); // X 1, Y 1
    EXPECT_EQ(canvas.pixel(700, 468), colours::black);  // X 20, Y 0
    EXPECT_EQ(canvas.pixel(641, 508), colours::white);  // between dots
}

TEST_F(Regeneration, OriginCrossAndAxisLettersMatchTheGoldenPicture) {
    drawPreviewBackdrop(canvas, defaultPanelHeight);
    EXPECT_EQ(picture(canvas, 636, 504, 9, 9), readGolden("origin_mark.txt"));
    // "Y" at (40 − 16, 508 − 4) and "X" at (1240 + 16, 508 − 4), with a margin.
    EXPECT_EQ(picture(canvas, 20, 500, 26, 21), readGolden("letter_y.txt"));
    EXPECT_EQ(picture(canvas, 1236, 500, 32, 21), readGolden("letter_x.txt"));
}

TEST_F(Regeneration, Line3DDrawsFromTheFieldsInTheDrawModeColour) {
    DrawMode = 1;
    line3D(canvas, {"   0", "   0", "   0", "  10", "   0", "   0"}, defaultPanelHeight);
    // (640, 508) towards (670, 488): 30 steps in x, the end pixel left white.
    EXPECT_EQ(census(canvas).at(colours::blue), 30);
    EXPECT_EQ(canvas.pixel(640, 508), colours::blue);
    EXPECT_EQ(canvas.pixel(669, 489), colours::blue);
    EXPECT_EQ(canvas.pixel(670, 488), colours::white);
    EXPECT_EQ(StartScreenX, 640);
    EXPECT_EQ(StartScreenY, 508);
    EXPECT_EQ(ScreenX, 670);
    EXPECT_EQ(ScreenY, 488);
    EXPECT_EQ(GridX, 10);

    // Straight up along Z in black, then erased in white.
    DrawMode = 0;
    line3D(canvas, {"0", "0", "0", "0", "0", "+100"}, defaultPanelHeight);
    EXPECT_EQ(canvas.pixel(640, 209), colours::black);
    EXPECT_EQ(canvas.pixel(640, 208), colours::white);
    EXPECT_EQ(census(canvas).at(colours::black), 300);
    DrawMode = -1;
    line3D(canvas, {"0", "0", "0", "0", "0", "$64"}, defaultPanelHeight);
    EXPECT_EQ(census(canvas).count(colours::black), 0u);

    // Red highlight; a mode outside the four keeps the pen as it was.
    DrawMode = 2;
    line3D(canvas, {"0", "0", "0", "-1", "0", "0"}, defaultPanelHeight);
    EXPECT_EQ(canvas.pixel(640, 508), colours::red);
    DrawMode = 7;
    line3D(canvas, {"0", "0", "0", "0", "-1", "0"}, defaultPanelHeight);
    // (640, 508) to (637, 510) and (640, 508) to (643, 510): three pixels each, the
    // start pixel shared.
    EXPECT_EQ(canvas.pixel(639, 509), colours::red);
    EXPECT_EQ(canvas.pixel(642, 509), colours::red);
    EXPECT_EQ(census(canvas).at(colours::red), 5);
}

TEST_F(Regeneration, Line3DFailsBeforeDrawingOnABadField) {
    DrawMode = 0;
    StartScreenX = 77;
    try {
        line3D(canvas, {"0", "0", "5   ", "10", "0", "0"}, defaultPanelHeight);
        FAIL() << "a trailing space was accepted";
    } catch (const Failure& failure) {
        EXPECT_STREQ(failure.what(), "'5   ' is not a valid integer value");
    }
    EXPECT_EQ(StartScreenX, 77);
    EXPECT_THROW(line3D(canvas, {"0", "0", "0", "10", "0", ""}, defaultPanelHeight), Failure);
    EXPECT_EQ(StartScreenX, 640); // the start point was projected before the end failed
    EXPECT_EQ(census(canvas), (std::map<Rgb, int>{{colours::white, 1280 * 1024}}));
}

TEST_F(Regeneration, HugeCoordinatesDrawOnlyTheVisiblePart) {
    DrawMode = 0;
    // From the origin to the far corner of the 32-bit range: the picture shows the
    // stretch from (640, 508) up to the right edge, nothing wraps.
    line3D(canvas, {"0", "0", "0", "2147483647", "-2147483648", "0"}, defaultPanelHeight);
    EXPECT_EQ(canvas.pixel(640, 508), colours::black);
    EXPECT_EQ(census(canvas).at(colours::black), 640);
}

} // namespace
} // namespace torvex
