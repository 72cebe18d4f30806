// The reference model's projection against the exact perspective.
#include "engine/engine_model.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace torvex::engine;

namespace {
constexpr double kPi = 3.14159265358979323846;
} // namespace

// Every visible point in -40..40 on all headings: column 48 + 48 side / ahead,
// row 31 - 48 height / ahead.
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
    // On headings 0, 9, 18 and 27 the turn is exact: only the equates rows round.
    EXPECT_LE(worstAxes, 0.72);
    EXPECT_LE(sumAxes / countAxes, 0.40);
}
