#include "preview/line_rasteriser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace torvex {
namespace {

using Pixel = std::pair<std::int64_t, std::int64_t>;
using Wide = __int128;

constexpr std::int64_t W = 1280;
constexpr std::int64_t H = 1024;

std::vector<Pixel> rasterised(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                              std::int64_t w = W, std::int64_t h = H) {
    std::vector<Pixel> out;
    rasteriseLine(x0, y0, x1, y1, w, h,
                  [&](std::int64_t x, std::int64_t y) { out.emplace_back(x, y); });
    return out;
}

// The nearest integer to num/den (den > 0), an exact half going to the smaller one:
// take the floor and step up only when the remainder is more than half of den.
std::int64_t nearestHalfDown(Wide num, Wide den) {
    Wide q = num / den;
    Wide r = num % den;
    if (r < 0) {
        q -= 1;
        r += den;
    }
    if (2 * r > den)
        q += 1;
    return std::int64_t(q);
}

// Plain reference: walk every major step of the whole line, compute the minor
// coordinate of the true line there, keep the pixels inside the area.
std::vector<Pixel> reference(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                             std::int64_t w = W, std::int64_t h = H) {
    std::vector<Pixel> out;
    const std::int64_t dx = x1 - x0, dy = y1 - y0;
    const std::int64_t n = std::max(std::abs(dx), std::abs(dy));
    for (std::int64_t k = 0; k < n; ++k) {
        std::int64_t x, y;
        if (std::abs(dx) >= std::abs(dy)) {
            x = x0 + (dx > 0 ? k : -k);
            y = y0 + nearestHalfDown(Wide(k) * dy, n);
        } else {
            y = y0 + (dy > 0 ? k : -k);
            x = x0 + nearestHalfDown(Wide(k) * dx, n);
        }
        if (x >= 0 && x < w && y >= 0 && y < h)
            out.emplace_back(x, y);
    }
    return out;
}

// Reference for lines too long to walk: for every column (x-major) or row (y-major) of
// the area, the step that lands there and the true line's minor coordinate.
std::vector<Pixel> analyticReference(std::int64_t x0, std::int64_t y0, std::int64_t x1,
                                     std::int64_t y1) {
    std::vector<Pixel> out;
    const std::int64_t dx = x1 - x0, dy = y1 - y0;
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const std::int64_t n = std::max(std::abs(dx), std::abs(dy));
    if (n == 0)
        return out;
    const std::int64_t majorSize = xMajor ? W : H;
    for (std::int64_t m = 0; m < majorSize; ++m) {
        const std::int64_t major0 = xMajor ? x0 : y0;
        const std::int64_t majorDist = xMajor ? dx : dy;
        const std::int64_t k = majorDist > 0 ? m - major0 : major0 - m;
        if (k < 0 || k >= n)
            continue;
        const std::int64_t minor =
            xMajor ? y0 + nearestHalfDown(Wide(k) * dy, n) : x0 + nearestHalfDown(Wide(k) * dx, n);
        const Pixel p = xMajor ? Pixel{m, minor} : Pixel{minor, m};
        if (p.first >= 0 && p.first < W && p.second >= 0 && p.second < H)
            out.push_back(p);
    }
    // Drawing runs from the start point; the loop above ran in increasing order.
    if ((xMajor ? dx : dy) < 0)
        std::reverse(out.begin(), out.end());
    return out;
}

std::string describe(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    std::ostringstream text;
    text << "(" << x0 << "," << y0 << ")->(" << x1 << "," << y1 << ")";
    return text.str();
}

TEST(LineRasteriser, PaintsOnePixelPerMajorStepWithoutTheEndPoint) {
    EXPECT_EQ(rasterised(0, 0, 4, 0), (std::vector<Pixel>{{0, 0}, {1, 0}, {2, 0}, {3, 0}}));
    EXPECT_EQ(rasterised(5, 7, 5, 4), (std::vector<Pixel>{{5, 7}, {5, 6}, {5, 5}}));
    EXPECT_EQ(rasterised(3, 3, 0, 0), (std::vector<Pixel>{{3, 3}, {2, 2}, {1, 1}}));
    EXPECT_TRUE(rasterised(9, 9, 9, 9).empty());
    // One step in each direction: only the start pixel.
    EXPECT_EQ(rasterised(10, 10, 11, 11), (std::vector<Pixel>{{10, 10}}));
}

TEST(LineRasteriser, RoundsToTheNearestPixelWithHalvesGoingToTheSmallerCoordinate) {
    // Slope 1/3: minor offsets 0, 1/3, 2/3 round to 0, 0, 1.
    EXPECT_EQ(rasterised(0, 0, 3, 1), (std::vector<Pixel>{{0, 0}, {1, 0}, {2, 1}}));
    // Exact halves: at x = 1 the true y is 0.5 both ways, and stays at 0.
    EXPECT_EQ(rasterised(0, 0, 2, 1), (std::vector<Pixel>{{0, 0}, {1, 0}}));
    EXPECT_EQ(rasterised(2, 1, 0, 0), (std::vector<Pixel>{{2, 1}, {1, 0}}));
    // y-major with a half in x: x = 0.5 at y = 1 goes to 0.
    EXPECT_EQ(rasterised(0, 0, 1, 2), (std::vector<Pixel>{{0, 0}, {0, 1}}));
    EXPECT_EQ(rasterised(1, 2, 0, 0), (std::vector<Pixel>{{1, 2}, {0, 1}}));
    // Negative minor direction: y = −0.5 at x = 1 goes to −1 (the smaller).
    EXPECT_EQ(rasterised(0, 5, 2, 4), (std::vector<Pixel>{{0, 5}, {1, 4}}));
}

TEST(LineRasteriser, AgreesWithThePlainReferenceOnRandomLines) {
    std::mt19937_64 random(20261206);
    // Inside the bitmap, across its edges, and short lines near the corners.
    std::uniform_int_distribution<std::int64_t> wideX(-400, W + 400), wideY(-400, H + 400);
    std::uniform_int_distribution<std::int64_t> shortStep(-6, 6);
    for (int i = 0; i < 3000; ++i) {
        std::int64_t x0 = wideX(random), y0 = wideY(random), x1, y1;
        if (i % 3 == 0) {
            x0 = (i % 2 ? 0 : W - 1) + shortStep(random);
            y0 = (i % 4 < 2 ? 0 : H - 1) + shortStep(random);
            x1 = x0 + shortStep(random);
            y1 = y0 + shortStep(random);
        } else {
            x1 = wideX(random);
            y1 = wideY(random);
        }
        ASSERT_EQ(rasterised(x0, y0, x1, y1), reference(x0, y0, x1, y1))
            << describe(x0, y0, x1, y1);
    }
}

TEST(LineRasteriser, ClipsToASmallAreaExactlyLikeTheUnclippedLine) {
    // A tiny area makes most random lines leave it on several sides.
    std::mt19937_64 random(42);
    std::uniform_int_distribution<std::int64_t> coordinate(-60, 80);
    for (int i = 0; i < 5000; ++i) {
        const std::int64_t x0 = coordinate(random), y0 = coordinate(random);
        const std::int64_t x1 = coordinate(random), y1 = coordinate(random);
        ASSERT_EQ(rasterised(x0, y0, x1, y1, 17, 11), reference(x0, y0, x1, y1, 17, 11))
            << describe(x0, y0, x1, y1);
    }
}

TEST(LineRasteriser, HugeCoordinatesGiveExactlyTheVisiblePixels) {
    std::mt19937_64 random(7);
    // Projected 32-bit coordinates reach about ±1.5e10.
    constexpr std::int64_t far = 15'000'000'000LL;
    std::uniform_int_distribution<std::int64_t> huge(-far, far);
    std::uniform_int_distribution<std::int64_t> insideX(0, W - 1), insideY(0, H - 1);
    int crossing = 0;
    for (int i = 0; i < 400; ++i) {
        std::int64_t x0 = huge(random), y0 = huge(random), x1 = huge(random), y1 = huge(random);
        if (i % 2 == 0) {
            // Through a point of the bitmap, from far away on one side to the other.
            const std::int64_t cx = insideX(random), cy = insideY(random);
            const std::int64_t vx = huge(random) / 2, vy = huge(random) / 2;
            x0 = cx - vx;
            y0 = cy - vy;
            x1 = cx + vx;
            y1 = cy + vy;
        }
        const auto expected = analyticReference(x0, y0, x1, y1);
        crossing += !expected.empty();
        ASSERT_EQ(rasterised(x0, y0, x1, y1), expected) << describe(x0, y0, x1, y1);
    }
    EXPECT_GT(crossing, 150);

    // The far ends of the supported range, through the bitmap in all four directions.
    constexpr std::int64_t limit = 1LL << 59;
    for (const auto& [x0, y0, x1, y1] :
         {std::array<std::int64_t, 4>{-limit, -limit + 3, limit, limit - 1},
          {limit, 500, -limit, 520},
          {600, limit, 610, -limit},
          {-limit + 7, limit, limit, -limit}}) {
        const auto expected = analyticReference(x0, y0, x1, y1);
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(rasterised(x0, y0, x1, y1), expected) << describe(x0, y0, x1, y1);
    }
}

TEST(LineRasteriser, AnalyticReferenceMatchesTheWalkingReference) {
    // The per-column reference used for huge lines agrees with walking the line.
    std::mt19937_64 random(99);
    std::uniform_int_distribution<std::int64_t> coordinate(-3000, 3000);
    for (int i = 0; i < 300; ++i) {
        const std::int64_t x0 = coordinate(random), y0 = coordinate(random);
        const std::int64_t x1 = coordinate(random), y1 = coordinate(random);
        ASSERT_EQ(analyticReference(x0, y0, x1, y1), reference(x0, y0, x1, y1))
            << describe(x0, y0, x1, y1);
    }
}

TEST(LineRasteriser, AxisLinesFromFarOutsideAreCutAtTheEdges) {
    const auto horizontal = rasterised(-5'000'000'000LL, 3, 5'000'000'000LL, 3);
    ASSERT_EQ(horizontal.size(), std::size_t(W));
    EXPECT_EQ(horizontal.front(), (Pixel{0, 3}));
    EXPECT_EQ(horizontal.back(), (Pixel{W - 1, 3}));

    // Ending exactly at the bottom edge: the end point would be the first row outside.
    const auto vertical = rasterised(7, -10, 7, H);
    ASSERT_EQ(vertical.size(), std::size_t(H));
    EXPECT_EQ(vertical.back(), (Pixel{7, H - 1}));

    EXPECT_TRUE(rasterised(-10, -10, -1'000'000, 5'000'000'000LL).empty());
    EXPECT_TRUE(rasterised(W, 0, W + 100, H).empty());
}

} // namespace
} // namespace torvex
