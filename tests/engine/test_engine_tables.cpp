// Torvex Designer - the generated `equates` and `headingdata` rows: their
// stated rules, the rows the engine has always had, and the committed template text.
#include "engine_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace torvex::engine;
using namespace torvex::engine::test;

namespace {

// The template's lines after the label line `name` up to the next label line.
std::vector<std::string> tableLines(const std::string& labelLine) {
    const std::vector<std::string>& lines = templateLines();
    auto it = std::find_if(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.rfind(labelLine, 0) == 0; });
    EXPECT_NE(it, lines.end()) << labelLine;
    std::vector<std::string> rows;
    for (++it; it != lines.end() && !it->empty() && (*it)[0] == '\t'; ++it)
        rows.push_back(*it);
    return rows;
}

int rounded(int k, int n) {
    return static_cast<int>(std::floor(48.0 * k / n + 0.5));
}

} // namespace

TEST(EngineTables, TheTemplateHoldsTheGeneratedRows) {
    EXPECT_EQ(tableLines("equates:"), equatesLines());
    EXPECT_EQ(tableLines("headingdata:"), headingdataLines());
}

TEST(EngineTables, RowsThePartFixes) {
    const std::vector<std::string> eq = equatesLines();
    ASSERT_EQ(eq.size(), 71u);
    EXPECT_EQ(eq[0], "\t.db 128,1,48");
    EXPECT_EQ(eq[23], "\t.db 128,24,2");
    for (int n = 45; n <= 50; ++n)
        EXPECT_EQ(eq[n - 1], "\t.db 128," + std::to_string(n) + ",1");
    EXPECT_EQ(eq[70], "\t.db 128,127");
    const std::vector<std::string> hd = headingdataLines();
    ASSERT_EQ(hd.size(), 37u);
    EXPECT_EQ(hd[0], "\t.db 128,0,0,1");
    EXPECT_EQ(hd[9], "\t.db 128,9,1,0");
    EXPECT_EQ(hd[18], "\t.db 128,18,0,-1");
    EXPECT_EQ(hd[27], "\t.db 128,27,-1,0");
    EXPECT_EQ(hd[36], "\t.db 128");
    for (const auto& l : eq)
        EXPECT_LE(l.size(), kMaxLineLength) << l;
    for (const auto& l : hd)
        EXPECT_LE(l.size(), kMaxLineLength) << l;
}

TEST(EngineTables, EquatesFollowTheirRule) {
    for (int n = 1; n <= kEquatesRows; ++n) {
        const std::vector<int>& p = equatesPattern(n);
        ASSERT_FALSE(p.empty());
        double mean = 0;
        for (int v : p) {
            EXPECT_GE(v, 0);
            EXPECT_LE(v, 48);
            mean += v;
        }
        mean /= p.size();
        EXPECT_NEAR(mean, 48.0 / n, 0.07 * 48.0 / n) << "depth " << n;
        if (n >= 45 && n <= 50)
            continue;
        // Every offset a point can have at this depth is 48*s/n rounded.
        for (int s = 1; s < n; ++s)
            EXPECT_EQ(equatesOffset(n, s), rounded(s, n)) << "depth " << n << " offset " << s;
    }
    // Rows 45..50: off by at most 2.94 pixels.
    for (int n = 45; n <= 50; ++n)
        for (int s = 1; s < n; ++s)
            EXPECT_LE(std::fabs(equatesOffset(n, s) - 48.0 * s / n), 2.94);
}

TEST(EngineTables, HeadingStepsFollowTheHeading) {
    for (int h = 0; h < kHeadings; ++h) {
        const std::vector<HeadingStep>& p = headingPattern(h);
        ASSERT_FALSE(p.empty());
        const double angle = h * 10 * 3.14159265358979323846 / 180;
        int sx = 0, sy = 0;
        for (const HeadingStep& s : p) {
            EXPECT_TRUE(s.x >= -1 && s.x <= 1 && s.y >= -1 && s.y <= 1);
            sx += s.x;
            sy += s.y;
        }
        // The sum of the pattern points along the heading (within 2 degrees)...
        double sumAngle = std::atan2(sx, sy) * 180 / 3.14159265358979323846;
        double diff = std::remainder(sumAngle - 10 * h, 360.0);
        EXPECT_LE(std::fabs(diff), 2.0) << "heading " << h;
        // ...and its running sums (the view ray) stay within 1.02 of k*sin, k*cos.
        ViewRay ray = viewRay(h);
        for (int k = 1; k <= kDrawDistance; ++k) {
            EXPECT_LE(std::fabs(ray.x[k] - k * std::sin(angle)), 1.02) << h << " " << k;
            EXPECT_LE(std::fabs(ray.y[k] - k * std::cos(angle)), 1.02) << h << " " << k;
        }
        // A step is one unit long on average.
        EXPECT_NEAR(std::hypot(sx, sy) / p.size(), 1.0, 0.05) << "heading " << h;
    }
}
