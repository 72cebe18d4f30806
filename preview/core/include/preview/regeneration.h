#pragma once

#include "preview/canvas.h"
#include "scene/line_record.h"

#include <QStringList>

namespace torvex {

// The designer panel's outer height with its fixed layout; it shifts the projection.
inline constexpr int defaultPanelHeight = 112;

// Pen colour selected by DrawMode: 0 black, 1 blue, 2 red, -1 white; any other value
// keeps the current colour.
Rgb penColourForDrawMode(int drawMode, Rgb current);

// One dot per grid point of the plane Z = 0, X and Y from −100 to 100 (outer loop X,
// inner loop Y): silver, then grey if X is a multiple of 10, then grey if Y is, then
// black if both are. 49,284 writes leaving 40,401 dots.
void drawGrid(Canvas& canvas, int panelHeight);

// Five blue pixels in a cross centred on the projected origin.
void drawOriginMark(Canvas& canvas, int panelHeight);

// "Y" left of the corner (X −100, Y 100) and "X" right of the corner (X 100, Y −100).
void drawAxisLetters(Canvas& canvas, int panelHeight);

// Everything a regeneration draws before the line list: a white canvas, the grid, the
// origin mark and the axis letters.
void drawPreviewBackdrop(Canvas& canvas, int panelHeight);

// Draws the segment held in the six coordinate texts with the pen chosen by DrawMode,
// through the shared working values: the start texts convert into GridX, GridY, GridZ
// and project into StartScreenX/Y, then the end texts into GridX..Z and ScreenX/Y.
// A text that does not convert throws the conversion failure before anything is drawn.
void line3D(Canvas& canvas, const CoordinateTexts& texts, int panelHeight);

// The line list part of a regeneration: for each entry in order, CurrentLine
// takes the entry, its pieces become the segment, DrawMode becomes 0 and the
// segment is drawn in black.
//
// The coordinate fields are the working storage of every step, but only their
// final state can be seen, so they are written once: on success `fields` hold
// the pieces of the last entry (unchanged for an empty list); when an entry
// does not convert, `fields` hold that entry's pieces, the entries before it
// stay drawn and the conversion failure propagates.
void drawLineListEntries(Canvas& canvas, const QStringList& entries, int panelHeight,
                         CoordinateTexts& fields);

// The whole picture of a regeneration, as the preview window shows it: the
// backdrop, then every entry. The designer's regeneration and `torvex render`
// both draw it with these steps.
void drawPreview(Canvas& canvas, const QStringList& entries, int panelHeight,
                 CoordinateTexts& fields);

} // namespace torvex
