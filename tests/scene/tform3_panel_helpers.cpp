// The designer panel's pure helpers: placement, the accelerator search, the
// field check and the line list part of the regeneration.
#include "preview/canvas.h"
#include "scene/designer_state.h"
#include "scene/line_list_drawing.h"
#include "scene/panel_accelerators.h"
#include "scene/panel_field_check.h"
#include "scene/panel_placement.h"

#include "base/failure.h"

#include <gtest/gtest.h>

namespace torvex {
namespace {

TEST(PanelPlacement, SitsInTheBottomRightCornerWithASixteenPixelMargin) {
    EXPECT_EQ(panelPosition({1280, 1024}, {632, 112}), QPoint(632, 896));
    EXPECT_EQ(panelPosition({1920, 1080}, {632, 112}), QPoint(1272, 952));
    // A screen narrower than the panel puts it partly off the left edge.
    EXPECT_EQ(panelPosition({600, 400}, {632, 112}), QPoint(-48, 272));
}

TEST(PanelAccelerators, TheLetterFollowsTheAmpersand) {
    EXPECT_EQ(acceleratorLetter("&Preview (hold)"), QChar('P'));
    EXPECT_EQ(acceleratorLetter("Create .&Z80 file"), QChar('Z'));
    EXPECT_EQ(acceleratorLetter("Pre&view scene"), QChar('V'));
    EXPECT_EQ(acceleratorLetter("Fish && &Chips"), QChar('C'));
    EXPECT_TRUE(acceleratorLetter("Add Line").isNull());
    EXPECT_TRUE(acceleratorLetter("Trailing &").isNull());
}

TEST(PanelAccelerators, TheFirstEnabledTargetInSearchOrderWins) {
    // Add Line: P, A; Linelist: D, C (disabled); Actions: S, L, C, Z, V.
    const std::vector<AcceleratorTarget> panel{{'P'}, {'A'}, {'D'}, {'C', false}, {'S'},
                                               {'L'}, {'C'}, {'Z'}, {'V'}};
    EXPECT_EQ(findAccelerator(panel, 'a'), 1);
    EXPECT_EQ(findAccelerator(panel, 'C'), 6);
    EXPECT_EQ(findAccelerator(panel, 'v'), 8);
    EXPECT_EQ(findAccelerator(panel, 'R'), -1);
    EXPECT_EQ(findAccelerator(panel, QChar()), -1);
    std::vector<AcceleratorTarget> bothEnabled = panel;
    bothEnabled[3].enabled = true;
    EXPECT_EQ(findAccelerator(bothEnabled, 'c'), 3);
}

TEST(PanelFieldCheck, BadTextBecomesMinusOneAndOutOfRangeValuesAreFlagged) {
    EXPECT_EQ(checkCoordinateField("abc").text, "-1");
    EXPECT_FALSE(checkCoordinateField("abc").outOfRange);
    EXPECT_EQ(checkCoordinateField("").text, "-1");
    EXPECT_EQ(checkCoordinateField("150").text, "150");
    EXPECT_TRUE(checkCoordinateField("150").outOfRange);
    EXPECT_TRUE(checkCoordinateField("-101").outOfRange);
    EXPECT_FALSE(checkCoordinateField("-100").outOfRange);
    EXPECT_FALSE(checkCoordinateField(" 100").outOfRange);
    EXPECT_EQ(checkCoordinateField("$64").text, "$64");
    EXPECT_TRUE(checkCoordinateField("$65").outOfRange);
}

class LineListDrawing : public ::testing::Test {
protected:
    void SetUp() override { resetDesignerState(); }
    Canvas canvas;
    CoordinateTexts fields{"a", "b", "c", "d", "e", "f"};
};

TEST_F(LineListDrawing, DrawsEveryEntryBlackAndLeavesTheLastOneInTheFields) {
    // (0,0,0)-(0,0,100) runs straight up from (640,508) to (640,208);
    // (0,0,0)-(10,0,0) towards (670,488).
    canvas.setPen(colours::red);
    drawLineListEntries(canvas, {"   0,   0,   0,   0,   0, 100", "   0,   0,   0,  10,   0,   0"},
                        112, fields);
    EXPECT_EQ(canvas.pixel(640, 300), colours::black);
    EXPECT_EQ(canvas.pixel(640, 209), colours::black);
    EXPECT_EQ(canvas.pixel(655, 498), colours::black);
    EXPECT_EQ(fields, (CoordinateTexts{"   0", "   0", "   0", "  10", "   0", "   0"}));
    EXPECT_EQ(CurrentLine, "   0,   0,   0,  10,   0,   0");
    EXPECT_EQ(DrawMode, 0);
}

TEST_F(LineListDrawing, AnEmptyListLeavesTheFieldsAlone) {
    drawLineListEntries(canvas, {}, 112, fields);
    EXPECT_EQ(fields, (CoordinateTexts{"a", "b", "c", "d", "e", "f"}));
}

TEST_F(LineListDrawing, StopsAtTheFirstEntryThatDoesNotConvert) {
    try {
        drawLineListEntries(
            canvas,
            {"   0,   0,   0,  10,   0,   0", "1,2,3,4,5,6", "   0,   0,   0,   0,   0, 100"}, 112,
            fields);
        FAIL() << "the bad entry must stop the drawing";
    } catch (const Failure& failure) {
        EXPECT_STREQ(failure.what(), "'1,2,' is not a valid integer value");
    }
    EXPECT_EQ(canvas.pixel(655, 498), colours::black);
    EXPECT_EQ(canvas.pixel(640, 300), colours::white);
    EXPECT_EQ(fields, (CoordinateTexts{"1,2,", ",4,5", "6", "", "", ""}));
    EXPECT_EQ(CurrentLine, "1,2,3,4,5,6");
}

} // namespace
} // namespace torvex
