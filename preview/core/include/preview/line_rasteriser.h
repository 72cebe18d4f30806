#pragma once

#include <algorithm>
#include <cstdint>

namespace torvex {

// The line primitive of the preview canvas, drawn like the platform's MoveTo/LineTo
// with a 1-pixel pen:
//
//  - The major axis is the one with the larger distance (x when both are equal).
//    One pixel is painted per step along it, from the start point up to but not
//    including the end point, so a line of n major steps paints n pixels and a line
//    to its own start point paints nothing.
//  - At major offset k (0 <= k < n) the minor coordinate is the true line's value
//    there, minor0 + k·dminor/n, rounded to the nearest integer; an exact half goes
//    to the smaller coordinate (up for y, left for x). The rule depends only on the
//    geometry, so a line and its reverse paint the same pixels apart from the end
//    points.
//
// Only the part inside [0, width) × [0, height) is visited. The visible range of k is
// found first (exact 128-bit arithmetic), then the pixels are stepped incrementally,
// so the time follows the visible part however far outside the end points lie, and
// the visited pixels are exactly the unclipped line's pixels inside the area.
// End points may lie anywhere within ±2^59 (projected 32-bit grid coordinates stay
// below ±2^34), which keeps every difference and product exact.

namespace line_detail {

using Wide = __int128;

inline Wide ceilDiv(Wide a, Wide b) { // b > 0
    Wide q = a / b;
    if (a % b != 0 && a > 0)
        ++q;
    return q;
}

// Minor offset at major step k of a line with n major steps and minor distance d.
inline std::int64_t minorOffset(std::int64_t k, std::int64_t d, std::int64_t n) {
    return std::int64_t(ceilDiv(Wide(2) * k * d - n, Wide(2) * n));
}

// Largest k in [lo, hi] with pred(k) true, for a predicate that is true on a prefix;
// lo - 1 when none.
template <class Pred> std::int64_t lastTrue(std::int64_t lo, std::int64_t hi, Pred pred) {
    std::int64_t none = lo - 1;
    while (lo <= hi) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if (pred(mid)) {
            none = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    return none;
}

// Rasterises along a major axis. plot(major, minor) receives coordinates inside
// [0, majorSize) × [0, minorSize).
template <class Plot>
void rasteriseMajor(std::int64_t major0, std::int64_t minor0, std::int64_t majorDist,
                    std::int64_t minorDist, std::int64_t majorSize, std::int64_t minorSize,
                    Plot&& plot) {
    const std::int64_t n = majorDist < 0 ? -majorDist : majorDist;
    const std::int64_t step = majorDist < 0 ? -1 : 1;
    const std::int64_t d = minorDist;

    // Steps whose major coordinate is inside the area.
    std::int64_t kLo = 0;
    std::int64_t kHi = n - 1;
    if (step > 0) {
        kLo = std::max(kLo, -major0);
        kHi = std::min(kHi, majorSize - 1 - major0);
    } else {
        kLo = std::max(kLo, major0 - (majorSize - 1));
        kHi = std::min(kHi, major0);
    }
    if (kLo > kHi)
        return;

    // The minor coordinate is monotonic in k and stays between the end points' minor
    // coordinates; when those are inside, so is every pixel. Otherwise narrow the range
    // to where it is inside.
    auto minorAt = [&](std::int64_t k) { return minor0 + minorOffset(k, d, n); };
    const std::int64_t minor1 = minor0 + d;
    const bool minorInside = minor0 >= 0 && minor0 < minorSize && minor1 >= 0 && minor1 < minorSize;
    if (!minorInside && d >= 0) {
        const std::int64_t firstInside =
            lastTrue(kLo, kHi, [&](std::int64_t k) { return minorAt(k) < 0; }) + 1;
        kHi = lastTrue(kLo, kHi, [&](std::int64_t k) { return minorAt(k) <= minorSize - 1; });
        kLo = firstInside;
    } else if (!minorInside) {
        const std::int64_t firstInside =
            lastTrue(kLo, kHi, [&](std::int64_t k) { return minorAt(k) > minorSize - 1; }) + 1;
        kHi = lastTrue(kLo, kHi, [&](std::int64_t k) { return minorAt(k) >= 0; });
        kLo = firstInside;
    }
    if (kLo > kHi)
        return;

    // Incremental stepping: minor = minor0 + q with q = ceil(a / 2n), a = 2·k·d − n,
    // and rem = a − q·2n kept in (−2n, 0].
    const Wide a = Wide(2) * kLo * d - n;
    const Wide q0 = ceilDiv(a, Wide(2) * n);
    std::int64_t rem = std::int64_t(a - q0 * (Wide(2) * n));
    std::int64_t minor = minor0 + std::int64_t(q0);
    std::int64_t major = major0 + step * kLo;
    const std::int64_t twoN = 2 * n;
    const std::int64_t twoD = 2 * d;
    for (std::int64_t k = kLo; k <= kHi; ++k) {
        plot(major, minor);
        major += step;
        rem += twoD;
        if (rem > 0) {
            ++minor;
            rem -= twoN;
        } else if (rem <= -twoN) {
            --minor;
            rem += twoN;
        }
    }
}

} // namespace line_detail

// Visits the pixels of the line from (x0, y0) towards (x1, y1) that lie inside
// [0, width) × [0, height), in drawing order: plot(x, y).
template <class Plot>
void rasteriseLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                   std::int64_t width, std::int64_t height, Plot&& plot) {
    const std::int64_t dx = x1 - x0;
    const std::int64_t dy = y1 - y0;
    const std::int64_t adx = dx < 0 ? -dx : dx;
    const std::int64_t ady = dy < 0 ? -dy : dy;
    if (adx == 0 && ady == 0)
        return;
    if (adx >= ady) {
        line_detail::rasteriseMajor(x0, y0, dx, dy, width, height,
                                    [&](std::int64_t x, std::int64_t y) { plot(x, y); });
    } else {
        line_detail::rasteriseMajor(y0, x0, dy, dx, height, width,
                                    [&](std::int64_t y, std::int64_t x) { plot(x, y); });
    }
}

} // namespace torvex
