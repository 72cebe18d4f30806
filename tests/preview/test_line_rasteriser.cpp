// The line rasteriser against two plain references: one walks every step of
// the whole line, one (for lines too long to walk) finds the step landing on
// each column or row of the area.
#include "preview/line_rasteriser.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace torvex {
namespace {

using Pixel = std::pair<std::int64_t, std::int64_t>;
using Line = std::array<std::int64_t, 4>;
using Wide = __int128;
constexpr std::int64_t W = 1280, H = 1024;

std::vector<Pixel> rasterised(const Line& l, std::int64_t w = W, std::int64_t h = H) {
    std::vector<Pixel> out;
    rasteriseLine(l[0], l[1], l[2], l[3], w, h,
                  [&](std::int64_t x, std::int64_t y) { out.emplace_back(x, y); });
    return out;
}

// The nearest integer to num/den (den > 0), an exact half going to the smaller one.
std::int64_t nearestHalfDown(Wide num, Wide den) {
    Wide q = num / den, r = num % den;
    if (r < 0) {
        q -= 1;
        r += den;
    }
    return std::int64_t(2 * r > den ? q + 1 : q);
}

// The pixel at major step k (0 <= k < n) of the true line.
Pixel step(const Line& l, std::int64_t k) {
    const std::int64_t dx = l[2] - l[0], dy = l[3] - l[1];
    const std::int64_t n = std::max(std::abs(dx), std::abs(dy));
    if (std::abs(dx) >= std::abs(dy))
        return {l[0] + (dx > 0 ? k : -k), l[1] + nearestHalfDown(Wide(k) * dy, n)};
    return {l[0] + nearestHalfDown(Wide(k) * dx, n), l[1] + (dy > 0 ? k : -k)};
}

bool inside(const Pixel& p, std::int64_t w, std::int64_t h) {
    return p.first >= 0 && p.first < w && p.second >= 0 && p.second < h;
}

std::vector<Pixel> walked(const Line& l, std::int64_t w = W, std::int64_t h = H) {
    std::vector<Pixel> out;
    const std::int64_t n = std::max(std::abs(l[2] - l[0]), std::abs(l[3] - l[1]));
    for (std::int64_t k = 0; k < n; ++k)
        if (inside(step(l, k), w, h))
            out.push_back(step(l, k));
    return out;
}

std::vector<Pixel> perColumn(const Line& l) {
    const std::int64_t dx = l[2] - l[0], dy = l[3] - l[1];
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const std::int64_t n = std::max(std::abs(dx), std::abs(dy)), d = xMajor ? dx : dy;
    std::vector<Pixel> out;
    for (std::int64_t m = 0; m < (xMajor ? W : H); ++m) {
        const std::int64_t i = d > 0 ? m : (xMajor ? W : H) - 1 - m; // in drawing order
        const std::int64_t k = d > 0 ? i - (xMajor ? l[0] : l[1]) : (xMajor ? l[0] : l[1]) - i;
        if (k >= 0 && k < n && inside(step(l, k), W, H))
            out.push_back(step(l, k));
    }
    return out;
}

std::string text(const Line& l) {
    return "(" + std::to_string(l[0]) + "," + std::to_string(l[1]) + ")->(" + std::to_string(l[2]) +
           "," + std::to_string(l[3]) + ")";
}

TEST(LineRasteriser, LeavesOutTheEndPointAndSendsHalvesToTheSmallerCoordinate) {
    const std::pair<Line, std::vector<Pixel>> cases[] = {
        {{0, 0, 4, 0}, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
        {{9, 9, 9, 9}, {}},
        {{10, 10, 11, 11}, {{10, 10}}},
        {{0, 0, 3, 1}, {{0, 0}, {1, 0}, {2, 1}}},
        {{2, 1, 0, 0}, {{2, 1}, {1, 0}}},
        {{1, 2, 0, 0}, {{1, 2}, {0, 1}}},
        {{0, 5, 2, 4}, {{0, 5}, {1, 4}}},
    };
    for (const auto& [line, pixels] : cases)
        EXPECT_EQ(rasterised(line), pixels) << text(line);
}

TEST(LineRasteriser, GivesTheReferencesPixelsInsideTheAreaOnRandomLines) {
    std::mt19937_64 random(20261206);
    std::uniform_int_distribution<std::int64_t> x(-400, W + 400), y(-400, H + 400), small(-60, 80);
    for (int i = 0; i < 3000; ++i) {
        const Line across{x(random), y(random), x(random), y(random)};
        ASSERT_EQ(rasterised(across), walked(across)) << text(across);
        // A tiny area that most lines leave on several sides.
        const Line clipped{small(random), small(random), small(random), small(random)};
        ASSERT_EQ(rasterised(clipped, 17, 11), walked(clipped, 17, 11)) << text(clipped);
    }
}

TEST(LineRasteriser, HugeCoordinatesGiveExactlyTheVisiblePixels) {
    std::mt19937_64 random(7);
    constexpr std::int64_t far = 15'000'000'000LL; // projected 32-bit coordinates
    std::uniform_int_distribution<std::int64_t> huge(-far, far), cx(0, W - 1), cy(0, H - 1);
    int crossing = 0;
    for (int i = 0; i < 400; ++i) {
        // Every other line passes through a point of the bitmap.
        const std::int64_t px = cx(random), py = cy(random), vx = huge(random), vy = huge(random);
        const Line l = i % 2 ? Line{huge(random), huge(random), huge(random), huge(random)}
                             : Line{px - vx / 2, py - vy / 2, px + vx / 2, py + vy / 2};
        const auto expected = perColumn(l);
        crossing += !expected.empty();
        ASSERT_EQ(rasterised(l), expected) << text(l);
    }
    EXPECT_GT(crossing, 150);
    constexpr std::int64_t limit = 1LL << 59;
    for (const Line& l : {Line{-limit, -limit + 3, limit, limit - 1}, Line{limit, 500, -limit, 520},
                          Line{600, limit, 610, -limit}, Line{-limit + 7, limit, limit, -limit},
                          Line{7, -10, 7, H}})
        EXPECT_EQ(rasterised(l), perColumn(l)) << text(l);
}

} // namespace
} // namespace torvex
