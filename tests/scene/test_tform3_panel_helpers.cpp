// The designer panel's helpers: the accelerator search, the field check and
// the placement of the panel and of the calculator view beside it.
#include "scene/panel_accelerators.h"
#include "scene/panel_field_check.h"
#include "scene/panel_placement.h"

#include <gtest/gtest.h>

namespace torvex {
namespace {

TEST(PanelAccelerators, TheLetterAfterTheAmpersandFindsTheFirstEnabledTargetInSearchOrder) {
    EXPECT_EQ(acceleratorLetter("Pre&view scene"), QChar('V'));
    EXPECT_EQ(acceleratorLetter("Fish && &Chips"), QChar('C'));
    EXPECT_TRUE(acceleratorLetter("Trailing &").isNull());
    // Add Line: P, A; Linelist: D, C (disabled); Actions: S, L, C, Z, V.
    std::vector<AcceleratorTarget> panel{{'P'}, {'A'}, {'D'}, {'C', false}, {'S'},
                                         {'L'}, {'C'}, {'Z'}, {'V'}};
    EXPECT_EQ(findAccelerator(panel, 'a'), 1);
    EXPECT_EQ(findAccelerator(panel, 'C'), 6);
    EXPECT_EQ(findAccelerator(panel, 'R'), -1);
    panel[3].enabled = true;
    EXPECT_EQ(findAccelerator(panel, 'c'), 3);
}

TEST(PanelFieldCheck, BadTextBecomesMinusOneAndOutOfRangeValuesAreFlagged) {
    const std::tuple<QString, QString, bool> cases[] = {
        {"abc", "-1", false},   {"", "-1", false},       {"150", "150", true},
        {"-101", "-101", true}, {"-100", "-100", false}, {" 100", " 100", false},
        {"$64", "$64", false},  {"$65", "$65", true},
    };
    for (const auto& [typed, kept, outOfRange] : cases) {
        EXPECT_EQ(checkCoordinateField(typed).text, kept) << typed.toStdString();
        EXPECT_EQ(checkCoordinateField(typed).outOfRange, outOfRange) << typed.toStdString();
    }
}

// The panel's outer frame is 632 x 112; the view's here 426 x 421.
TEST(PanelPlacement, ThePanelSitsBottomRightAndTheCalculatorViewAboveIt) {
    EXPECT_EQ(panelPosition({1280, 1024}, {632, 112}), QPoint(632, 896));
    EXPECT_EQ(calculatorViewPosition({1280, 1024}, {426, 421}), QPoint(838, 459));
    EXPECT_EQ(calculatorViewPosition({1920, 1080}, {426, 421}), QPoint(1478, 515));
    EXPECT_EQ(calculatorViewPosition({800, 600}, {426, 500}), QPoint(358, 0));
}

} // namespace
} // namespace torvex
