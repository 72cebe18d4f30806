// Torvex Designer - the reference model of the engine on its own: keys,
// turning to the heading, the perspective, lines, scenes, and the projection's
// quality against the exact perspective.
#include "engine/engine_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

using namespace torvex::engine;

namespace {
constexpr double kPi = 3.14159265358979323846;

Camera walked(std::initializer_list<uint8_t> keys, Camera c = {}) {
    for (uint8_t k : keys)
        step(c, k);
    return c;
}

} // namespace

TEST(EngineModel, TurningWrapsRestartsThePatternAndWalkingFollowsTheHeading) {
    Camera c;
    EXPECT_TRUE(step(c, keys::Left));
    EXPECT_EQ(c.heading, 35);
    EXPECT_TRUE(step(c, keys::Right));
    EXPECT_EQ(c.heading, 0);
    EXPECT_FALSE(step(c, keys::Mode));
    EXPECT_EQ(walked({keys::Right, keys::Right, keys::Del, keys::Del}).step, 2); // heading 2
    EXPECT_EQ(walked({keys::Right, keys::Right, keys::Del, keys::Del, keys::Left}).step, 0);
    // Heading 0 looks along +y, its right is +x; heading 9 along +x, its right -y.
    EXPECT_EQ(walked({keys::Del}), (Camera{0, 1, 0, 0, 1}));
    const Camera moved =
        walked({keys::Clear, keys::Vars, keys::Vars, keys::Stat, keys::Up, keys::Up, keys::Down});
    EXPECT_EQ((std::tuple<int, int, int>(moved.x, moved.y, moved.z)), std::make_tuple(-1, -1, 1));
    Camera east;
    for (int i = 0; i < 9; ++i)
        step(east, keys::Right);
    EXPECT_EQ(walked({keys::Del, keys::Clear}, east).x, 1);
    EXPECT_EQ(walked({keys::Del, keys::Clear}, east).y, -1);
    EXPECT_EQ(walked({0x05, 0x22}, east), east); // ENTER and other keys change nothing
}

TEST(EngineModel, ThePerspective) {
    EXPECT_EQ(perspective(0, 10, 0), (Pixel{48, 31}));
    EXPECT_EQ(perspective(5, 10, 0), (Pixel{72, 31}));
    EXPECT_EQ(perspective(-5, 10, 0), (Pixel{24, 31}));
    EXPECT_EQ(perspective(0, 10, 5), (Pixel{48, 7}));
    EXPECT_EQ(perspective(0, 10, -5), (Pixel{48, 55}));
    EXPECT_EQ(perspective(0, 24, 9), (Pixel{48, 13})); // row 24 is "2"
    EXPECT_EQ(perspective(9, 48, 0), (Pixel{57, 31})); // row 48 is "1"
    EXPECT_FALSE(perspective(0, 0, 0));                // not ahead
    EXPECT_FALSE(perspective(0, -5, 0));
    EXPECT_FALSE(perspective(10, 10, 0)); // as far to the side as ahead
    EXPECT_FALSE(perspective(0, 10, -10));
    EXPECT_FALSE(perspective(0, 71, 0)); // no equates row
    EXPECT_TRUE(perspective(69, 70, -69));
    // Rows above the top: the height test alone lets them through.
    EXPECT_LT(perspective(0, 30, 29)->row, 0);
}

// The model's pixel of every visible point (x, y, z in -40..40, all 36
// headings) against the exact perspective: column 48 + 48 * side / ahead, row
// 31 - 48 * height / ahead, side and ahead turned exactly by the heading.
TEST(EngineModel, ProjectionQuality) {
    double worst = 0, sum = 0, worstFar = 0, worstAxes = 0, sumAxes = 0;
    long count = 0, countAxes = 0, withinOne = 0;
    for (int h = 0; h < kHeadings; ++h) {
        const ViewRay ray = viewRay(h);
        const double a = h * 10 * kPi / 180, sn = std::sin(a), cs = std::cos(a);
        for (int x = -40; x <= 40; ++x)
            for (int y = -40; y <= 40; ++y)
                for (int z = -40; z <= 40; ++z) {
                    auto px = project(Point{static_cast<int8_t>(x), static_cast<int8_t>(y),
                                            static_cast<int8_t>(z)},
                                      ray);
                    if (!px || px->column < 0 || px->column >= kColumns || px->row < 0 ||
                        px->row >= kRows)
                        continue;
                    const double ahead = x * sn + y * cs, side = x * cs - y * sn;
                    const double e = std::hypot(px->column - (48 + 48 * side / ahead),
                                                px->row - (31 - 48 * z / ahead));
                    worst = std::max(worst, e);
                    sum += e;
                    ++count;
                    withinOne += e <= 1;
                    if (ahead >= 10)
                        worstFar = std::max(worstFar, e);
                    if (h % 9 == 0) {
                        worstAxes = std::max(worstAxes, e);
                        sumAxes += e;
                        ++countAxes;
                    }
                }
    }
    const double mean = sum / count;
    // The bounds measured (integer side and ahead are coarse close to the
    // camera: the worst is a point about 2 ahead).
    EXPECT_GT(count, 2'000'000);
    EXPECT_LE(worst, 19.2);
    EXPECT_LE(mean, 0.83);
    EXPECT_GE(static_cast<double>(withinOne) / count, 0.72);
    EXPECT_LE(worstFar, 6.6);
    // On headings 0, 9, 18 and 27 the turn is exact: only the equates rows
    // round, half a pixel on each axis (rows 45-50, which hold 1, lie beyond
    // the draw distance on these headings).
    EXPECT_LE(worstAxes, 0.72);
    EXPECT_LE(sumAxes / countAxes, 0.40);
}
