#pragma once

#include <cstdint>

namespace torvex {

// A pixel position on the preview canvas: x to the right, y downwards. 64 bits wide
// because grid coordinates may be anything in the 32-bit range.
struct ScreenPoint {
    std::int64_t x = 0;
    std::int64_t y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// The fixed oblique projection of the grid onto the canvas. The X-Y plane becomes a
// diamond centred at x 640 with the Z axis pointing straight up; panelHeight is the
// designer panel's outer height, which shifts the picture vertically:
//   x = 3·gridX − 3·gridY + 640
//   y = 620 − panelHeight − 2·gridX − 2·gridY − 3·gridZ
// Computed in 64 bits, so no 32-bit input can overflow.
ScreenPoint projectGridPoint(int gridX, int gridY, int gridZ, int panelHeight);

// The projection on the designer's shared working values: reads GridX, GridY, GridZ
// and writes ScreenX, ScreenY.
void scrConv(int panelHeight);

} // namespace torvex
