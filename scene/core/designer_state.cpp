#include "scene/designer_state.h"

namespace torvex {

QString CurrentLine;
int DrawMode = 0;
int GridX = 0;
int GridY = 0;
int GridZ = 0;
std::int64_t ScreenX = 0;
std::int64_t ScreenY = 0;
std::int64_t StartScreenX = 0;
std::int64_t StartScreenY = 0;

void resetDesignerState() {
    CurrentLine.clear();
    DrawMode = 0;
    GridX = 0;
    GridY = 0;
    GridZ = 0;
    ScreenX = 0;
    ScreenY = 0;
    StartScreenX = 0;
    StartScreenY = 0;
}

} // namespace torvex
