#include "preview/projection.h"

#include "scene/designer_state.h"

namespace torvex {

ScreenPoint projectGridPoint(int gridX, int gridY, int gridZ, int panelHeight) {
    const std::int64_t x = gridX;
    const std::int64_t y = gridY;
    const std::int64_t z = gridZ;
    return {3 * x - 3 * y + 640, 620 - std::int64_t(panelHeight) - 2 * x - 2 * y - 3 * z};
}

void scrConv(int panelHeight) {
    const ScreenPoint p = projectGridPoint(GridX, GridY, GridZ, panelHeight);
    ScreenX = p.x;
    ScreenY = p.y;
}

} // namespace torvex
