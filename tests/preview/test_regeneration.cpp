// The preview picture: the backdrop against golden pictures and its census,
// list lines in the draw mode's colour, and drawing that never leaves the bitmap.
#include "preview/regeneration.h"

#include "base/failure.h"
#include "preview/bitmap_font.h"
#include "scene/designer_state.h"
#include "tests/support/file_bytes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

namespace torvex {
namespace {

std::map<Rgb, int> census(const Canvas& canvas) {
    std::map<Rgb, int> counts;
    for (int y = 0; y < Canvas::height; ++y)
        for (int x = 0; x < Canvas::width; ++x)
            ++counts[canvas.pixel(x, y)];
    return counts;
}

// A part of the picture as text, one character per colour.
std::string picture(const Canvas& canvas, int left, int top, int width, int height) {
    const std::map<Rgb, char> symbols{{colours::white, '.'},  {colours::black, '#'},
                                      {colours::silver, 's'}, {colours::grey, 'g'},
                                      {colours::blue, 'b'},   {colours::red, 'r'}};
    std::string out;
    for (int y = top; y < top + height; ++y, out += '\n')
        for (int x = left; x < left + width; ++x)
            out += symbols.count(canvas.pixel(x, y)) ? symbols.at(canvas.pixel(x, y)) : '?';
    return out;
}

std::string golden(const char* name) {
    return test::fileBytes(QStringLiteral(TORVEX_PREVIEW_GOLDEN_DIR "/") + QLatin1String(name));
}

int inkPixels(char c) {
    int ink = 0;
    for (const auto row : glyphFor(c).rows)
        ink += __builtin_popcount(row);
    return ink;
}

struct Regeneration : ::testing::Test {
    void SetUp() override { resetDesignerState(); }
    void TearDown() override { resetDesignerState(); }
    Canvas canvas;
};

TEST_F(Regeneration, BackdropIsTheGridOriginMarkAndAxisLetters) {
    canvas.setPixel(5, 5, colours::red); // a leftover of an earlier picture
    drawPreviewBackdrop(canvas, defaultPanelHeight);
    EXPECT_EQ(picture(canvas, 636, 504, 9, 9), golden("origin_mark.txt"));
    EXPECT_EQ(picture(canvas, 20, 500, 26, 21), golden("letter_y.txt"));
    EXPECT_EQ(picture(canvas, 1236, 500, 32, 21), golden("letter_x.txt"));
    // 201 × 201 dots: both coordinates multiples of ten black (one under the
    // origin mark), one of them grey, neither silver.
    const int black = 21 * 21 - 1 + inkPixels('X') + inkPixels('Y');
    EXPECT_EQ(census(canvas), (std::map<Rgb, int>{{colours::silver, 180 * 180},
                                                  {colours::grey, 2 * 21 * 180},
                                                  {colours::black, black},
                                                  {colours::blue, 5},
                                                  {colours::white, 1280 * 1024 - 180 * 180 -
                                                                       2 * 21 * 180 - black - 5}}));
}

TEST_F(Regeneration, ListLinesTakeTheDrawModesColourAndFailBeforeDrawingOnABadField) {
    DrawMode = 1;
    line3D(canvas, {"   0", "   0", "   0", "  10", "   0", "   0"}, defaultPanelHeight);
    // (640, 508) towards (670, 488): 30 steps in x, the end pixel left white.
    EXPECT_EQ(census(canvas).at(colours::blue), 30);
    EXPECT_EQ((std::array{StartScreenX, StartScreenY, ScreenX, ScreenY}),
              (std::array<std::int64_t, 4>{640, 508, 670, 488}));
    DrawMode = 0;
    line3D(canvas, {"0", "0", "0", "0", "0", "+100"}, defaultPanelHeight);
    EXPECT_EQ(census(canvas).at(colours::black), 300);
    DrawMode = -1; // erases
    line3D(canvas, {"0", "0", "0", "0", "0", "$64"}, defaultPanelHeight);
    EXPECT_EQ(census(canvas).count(colours::black), 0u);
    DrawMode = 2;
    line3D(canvas, {"0", "0", "0", "-1", "0", "0"}, defaultPanelHeight);
    DrawMode = 7; // outside the four: the pen stays red
    line3D(canvas, {"0", "0", "0", "0", "-1", "0"}, defaultPanelHeight);
    EXPECT_EQ(census(canvas).at(colours::red), 5);

    canvas.clear();
    const auto draw = [&] {
        line3D(canvas, {"0", "0", "5   ", "9", "0", "0"}, defaultPanelHeight);
    };
    EXPECT_THAT(draw, testing::ThrowsMessage<Failure>(
                          testing::StrEq("'5   ' is not a valid integer value")));
    EXPECT_EQ(census(canvas), (std::map<Rgb, int>{{colours::white, 1280 * 1024}}));
}

TEST_F(Regeneration, NothingIsDrawnOutsideTheBitmapNorWrapsIntoIt) {
    DrawMode = 0;
    // To the far corner of the 32-bit range: only the stretch up to the right edge.
    line3D(canvas, {"0", "0", "0", "2147483647", "-2147483648", "0"}, defaultPanelHeight);
    EXPECT_EQ(census(canvas).at(colours::black), 640);
    canvas.clear();
    for (const auto& [x, y] : {std::pair<std::int64_t, std::int64_t>{1280, 0},
                               {-1, 1},
                               {0, -1},
                               {0, 1024},
                               {-5'000'000'000LL, 3},
                               {4, 1LL << 40}})
        canvas.setPixel(x, y, colours::black);
    canvas.text(1276, 0, "XX"); // runs off the right edge
    EXPECT_EQ(census(canvas).count(colours::black), 1u) << "only the visible part of the text";
    for (const auto& [x, y] : {std::pair{0, 0}, {1279, 1023}, {0, 1023}, {1279, 0}})
        canvas.setPixel(x, y, colours::red);
    EXPECT_EQ(census(canvas).at(colours::red), 4) << "the corners are on the canvas";
}

} // namespace
} // namespace torvex
