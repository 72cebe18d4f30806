// Torvex Designer - generator of the engine's `equates` and `headingdata` rows.
//
// THE RULE OF `equates` (one row per depth n = 1..70, then "128,127"):
//   A row is 128, n, then a cyclic pattern of increments. The projection moves
//   a point that lies s units to the side (or up or down) at the distance n
//   ahead by the sum of the first s increments, cycling, so the sum should be
//   48*s/n. Let r(k) be 48*k/n rounded to the nearest whole number (halves
//   up). The pattern is r(1)-r(0), r(2)-r(1), ..., r(L)-r(L-1) for the
//   shortest length L that makes the cyclic sum equal r(s) for every offset
//   s = 1..n-1 (the offsets a point at depth n can have on the display, since
//   the engine shows only points less far to the side and up than ahead).
//   Exception: rows 45 to 50 hold the single value 1, as the engine has
//   always had them (48/n is within 7% of 1 there; the offsets are off by at most
//   2.93 pixels, at s = n-1).
//
// THE RULE OF `headingdata` (one row per heading h = 0..35, then "128"):
//   A row is 128, h, then a cyclic pattern of steps (x, y), each component
//   -1, 0 or 1. Heading h looks 10*h degrees clockwise from +y, along
//   (sin, cos) of that angle, and k steps should move k*sin along x and k*cos
//   along y: the engine's view ray (`compare`) is the running sums of 1 to 40
//   steps, and a walking step is one unit long on average. Let X(k) and Y(k)
//   be k*sin and k*cos rounded to the nearest whole number (halves away from
//   zero). The pattern is the steps (X(k+1)-X(k), Y(k+1)-Y(k)) for
//   k = 0..L-1, where L is the length, among those whose row still fits on a
//   template line of 101 characters, whose cyclic running sums stay closest
//   to k*sin and k*cos over k = 1..40 (the draw distance): the smallest worst
//   error, the shortest L on a tie.
#include "engine/engine_tables.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace torvex::engine {

namespace {

constexpr int kScale = 48;     // pixels from the display centre to its side edge
constexpr int kRayLength = 40; // steps of the view ray: the draw distance
constexpr double kPi = 3.14159265358979323846;

// The .db line of a row of values.
std::string dbLine(const std::vector<int>& values) {
    std::string line = "\t.db ";
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            line += ',';
        line += std::to_string(values[i]);
    }
    return line;
}

// 48*k/n rounded to the nearest whole number, halves up (exact integers).
int roundedScale(int k, int n) {
    return (2 * kScale * k + n) / (2 * n);
}

std::vector<int> equatesRow(const std::vector<int>& pattern, int n) {
    std::vector<int> row{128, n};
    row.insert(row.end(), pattern.begin(), pattern.end());
    return row;
}

std::vector<int> makeEquatesPattern(int n) {
    if (n >= 45 && n <= 50)
        return {1};
    for (int length = 1;; ++length) {
        std::vector<int> pattern;
        for (int k = 0; k < length; ++k)
            pattern.push_back(roundedScale(k + 1, n) - roundedScale(k, n));
        if (dbLine(equatesRow(pattern, n)).size() > kMaxLineLength)
            throw std::logic_error("equates row " + std::to_string(n) + " does not fit a line");
        bool exact = true;
        int sum = 0;
        for (int s = 1; s < n && exact; ++s) {
            sum += pattern[(s - 1) % length];
            exact = sum == roundedScale(s, n);
        }
        if (exact)
            return pattern;
    }
}

// x rounded to the nearest whole number, halves away from zero. The small
// allowance keeps products like 3*sin(30 degrees) = 1.4999999... at 1.5.
int roundAway(double x) {
    double r = std::floor(std::fabs(x) + 0.5 + 1e-9);
    return static_cast<int>(x < 0 ? -r : r);
}

std::vector<int> headingRow(const std::vector<HeadingStep>& pattern, int h) {
    std::vector<int> row{128, h};
    for (const HeadingStep& s : pattern) {
        row.push_back(s.x);
        row.push_back(s.y);
    }
    return row;
}

std::vector<HeadingStep> makeHeadingPattern(int h) {
    const double angle = h * 10 * kPi / 180;
    const double sx = std::sin(angle), sy = std::cos(angle);
    std::vector<HeadingStep> best;
    double bestError = 0;
    for (int length = 1;; ++length) {
        std::vector<HeadingStep> pattern;
        for (int k = 0; k < length; ++k)
            pattern.push_back({roundAway((k + 1) * sx) - roundAway(k * sx),
                               roundAway((k + 1) * sy) - roundAway(k * sy)});
        if (dbLine(headingRow(pattern, h)).size() > kMaxLineLength)
            break;
        double worst = 0;
        int x = 0, y = 0;
        for (int k = 1; k <= kRayLength; ++k) {
            x += pattern[(k - 1) % length].x;
            y += pattern[(k - 1) % length].y;
            worst = std::max({worst, std::fabs(x - k * sx), std::fabs(y - k * sy)});
        }
        if (best.empty() || worst < bestError - 1e-9) {
            best = pattern;
            bestError = worst;
        }
    }
    return best;
}

void checkIndex(int index, int count) {
    if (index < 0 || index >= count)
        throw std::out_of_range("table row " + std::to_string(index));
}

} // namespace

const std::vector<int>& equatesPattern(int depth) {
    static const std::vector<std::vector<int>> rows = [] {
        std::vector<std::vector<int>> v;
        for (int n = 1; n <= kEquatesRows; ++n)
            v.push_back(makeEquatesPattern(n));
        return v;
    }();
    checkIndex(depth - 1, kEquatesRows);
    return rows[depth - 1];
}

const std::vector<HeadingStep>& headingPattern(int heading) {
    static const std::vector<std::vector<HeadingStep>> rows = [] {
        std::vector<std::vector<HeadingStep>> v;
        for (int h = 0; h < kHeadings; ++h)
            v.push_back(makeHeadingPattern(h));
        return v;
    }();
    checkIndex(heading, kHeadings);
    return rows[heading];
}

std::vector<std::string> equatesLines() {
    std::vector<std::string> lines;
    for (int n = 1; n <= kEquatesRows; ++n)
        lines.push_back(dbLine(equatesRow(equatesPattern(n), n)));
    lines.push_back(dbLine({128, 127}));
    return lines;
}

std::vector<std::string> headingdataLines() {
    std::vector<std::string> lines;
    for (int h = 0; h < kHeadings; ++h)
        lines.push_back(dbLine(headingRow(headingPattern(h), h)));
    lines.push_back(dbLine({128}));
    return lines;
}

} // namespace torvex::engine
