// The engine template: the generated `equates` and `headingdata` rows, the
// data at the end, the guarded areas whole, no warning.
#include "engine_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace torvex::engine;
using namespace torvex::engine::test;

namespace {

// The template's tab-indented lines after the line that starts with `labelLine`.
std::vector<std::string> tableLines(const std::string& labelLine) {
    const std::vector<std::string>& lines = torvex::engineTemplateLines();
    auto it = std::find_if(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.rfind(labelLine, 0) == 0; });
    EXPECT_NE(it, lines.end()) << labelLine;
    std::vector<std::string> rows;
    for (++it; it != lines.end() && !it->empty() && (*it)[0] == '\t'; ++it)
        rows.push_back(*it);
    return rows;
}

} // namespace

TEST(EngineTables, TheTemplateHoldsTheGeneratedRowsAndTheRowsTheEngineAlwaysHad) {
    const std::vector<std::string> eq = equatesLines(), hd = headingdataLines();
    EXPECT_EQ(tableLines("equates:"), eq);
    EXPECT_EQ(tableLines("headingdata:"), hd);
    ASSERT_EQ(eq.size(), 71u);
    EXPECT_EQ(eq[0], "\t.db 128,1,48");
    EXPECT_EQ(eq[23], "\t.db 128,24,2");
    for (int n = 45; n <= 50; ++n)
        EXPECT_EQ(eq[n - 1], "\t.db 128," + std::to_string(n) + ",1");
    EXPECT_EQ(eq[70], "\t.db 128,127");
    ASSERT_EQ(hd.size(), 37u);
    EXPECT_EQ(hd[0], "\t.db 128,0,0,1");
    EXPECT_EQ(hd[9], "\t.db 128,9,1,0");
    EXPECT_EQ(hd[18], "\t.db 128,18,0,-1");
    EXPECT_EQ(hd[27], "\t.db 128,27,-1,0");
    EXPECT_EQ(hd[36], "\t.db 128");
}

TEST(EngineTables, HeadingRowsFollowTheHeading) {
    for (int h = 0; h < kHeadings; ++h) {
        const std::vector<HeadingStep>& p = headingPattern(h);
        const double angle = h * 10 * 3.14159265358979323846 / 180;
        int sx = 0, sy = 0;
        for (const HeadingStep& s : p) {
            EXPECT_TRUE(s.x >= -1 && s.x <= 1 && s.y >= -1 && s.y <= 1);
            sx += s.x;
            sy += s.y;
        }
        // Along the heading within 2 degrees, one unit a step on average, and
        // the view ray within 1.02 of k*sin, k*cos.
        const double sumAngle = std::atan2(sx, sy) * 180 / 3.14159265358979323846;
        EXPECT_LE(std::fabs(std::remainder(sumAngle - 10 * h, 360.0)), 2.0) << "heading " << h;
        EXPECT_NEAR(std::hypot(sx, sy) / p.size(), 1.0, 0.05) << "heading " << h;
        const ViewRay ray = viewRay(h);
        for (int k = 1; k <= kDrawDistance; ++k) {
            EXPECT_LE(std::fabs(ray.x[k] - k * std::sin(angle)), 1.02) << h << " " << k;
            EXPECT_LE(std::fabs(ray.y[k] - k * std::cos(angle)), 1.02) << h << " " << k;
        }
    }
}

TEST(EngineTemplateText, TheDataEndsTheProgramAndTheGuardedAreasAreWhole) {
    const torvex::z80::Assembly& a = bareEngine();
    EXPECT_EQ(torvex::engineTemplateLines().back(), "data:");
    EXPECT_EQ(label(a, "data"), a.origin + a.bytes.size() - 1); // only the end marker follows
    // The work areas the write guard lets the engine write, each whole.
    EXPECT_EQ(label(a, "compare") - label(a, "drawpoints"), 288);
    EXPECT_EQ(label(a, "equates") - label(a, "compare"), 84);
    EXPECT_EQ(label(a, "skipdb") - label(a, "linep"), 26);
    // Nothing another TASM-dialect assembler could read differently.
    for (const torvex::z80::Diagnostic& warning : a.warnings)
        ADD_FAILURE() << warning.text();
}
