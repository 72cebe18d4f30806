#pragma once

#include <QString>

#include <cstdint>

namespace torvex {

// Working values shared by the designer panel's handlers and the preview drawing.
// They live for the whole process, start as zero or empty, and keep their values
// between events.

// The line record most recently taken from the line list; input of the split.
extern QString CurrentLine;

// Pen colour selector of the segment drawing: 0 black, 1 blue, 2 red, -1 white;
// any other value keeps the pen colour as it was.
extern int DrawMode;

// Input point of the projection.
extern int GridX;
extern int GridY;
extern int GridZ;

// Output pixel of the projection, and the projected start point of the segment
// being drawn. 64 bits wide: coordinates may be anything in the 32-bit range and the
// projection multiplies them.
extern std::int64_t ScreenX;
extern std::int64_t ScreenY;
extern std::int64_t StartScreenX;
extern std::int64_t StartScreenY;

// Puts every value back to its start-up state (used when a fresh state is needed,
// for instance between test cases).
void resetDesignerState();

} // namespace torvex
