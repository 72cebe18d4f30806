#include "preview/projection.h"

#include "scene/designer_state.h"

#include <gtest/gtest.h>

#include <climits>

namespace torvex {
namespace {

TEST(Projection, GridDiamondCornersOriginAndZ) {
    EXPECT_EQ(projectGridPoint(100, 100, 0, 112), (ScreenPoint{640, 108}));
    EXPECT_EQ(projectGridPoint(100, -100, 0, 112), (ScreenPoint{1240, 508}));
    EXPECT_EQ(projectGridPoint(-100, -100, 0, 112), (ScreenPoint{640, 908}));
    EXPECT_EQ(projectGridPoint(-100, 100, 0, 112), (ScreenPoint{40, 508}));
    EXPECT_EQ(projectGridPoint(0, 0, 0, 112), (ScreenPoint{640, 508}));
    // Each unit of Z lifts a point by 3 pixels.
    EXPECT_EQ(projectGridPoint(0, 0, 100, 112), (ScreenPoint{640, 208}));
    EXPECT_EQ(projectGridPoint(0, 0, -1, 112), (ScreenPoint{640, 511}));
    EXPECT_EQ(projectGridPoint(100, 100, 100, 112), (ScreenPoint{640, -192}));
}

TEST(Projection, PanelHeightShiftsOnlyVertically) {
    EXPECT_EQ(projectGridPoint(10, 0, 0, 0), (ScreenPoint{670, 600}));
    EXPECT_EQ(projectGridPoint(10, 0, 0, 200), (ScreenPoint{670, 400}));
}

TEST(Projection, ExtremeInputsDoNotOverflow) {
    // 3·(2^31 − 1) + 3·2^31 + 640 and 508 − 2·(2^31 − 1) + 2·2^31 + 3·2^31.
    EXPECT_EQ(projectGridPoint(INT_MAX, INT_MIN, INT_MIN, 112),
              (ScreenPoint{12884901885LL + 640, 510 + 6442450944LL}));
    // 508 + 2·2^31 + 2·2^31 + 3·2^31.
    EXPECT_EQ(projectGridPoint(INT_MIN, INT_MIN, INT_MIN, 112),
              (ScreenPoint{640, 508 + 7 * 2147483648LL}));
    EXPECT_EQ(projectGridPoint(INT_MAX, INT_MAX, INT_MAX, 112),
              (ScreenPoint{640, 508 - 7 * 2147483647LL}));
}

TEST(Projection, ScrConvWorksOnTheSharedValues) {
    resetDesignerState();
    GridX = 100;
    GridY = -100;
    GridZ = 2;
    scrConv(112);
    EXPECT_EQ(ScreenX, 1240);
    EXPECT_EQ(ScreenY, 502);
    EXPECT_EQ(GridX, 100);
    resetDesignerState();
}

} // namespace
} // namespace torvex
