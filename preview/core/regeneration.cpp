#include "preview/regeneration.h"

#include "preview/projection.h"
#include "scene/coordinate_conversion.h"
#include "scene/designer_state.h"

namespace torvex {

Rgb penColourForDrawMode(int drawMode, Rgb current) {
    switch (drawMode) {
    case 0:
        return colours::black;
    case 1:
        return colours::blue;
    case 2:
        return colours::red;
    case -1:
        return colours::white;
    default:
        return current;
    }
}

void drawGrid(Canvas& canvas, int panelHeight) {
    for (int x = -100; x <= 100; ++x) {
        for (int y = -100; y <= 100; ++y) {
            const ScreenPoint p = projectGridPoint(x, y, 0, panelHeight);
            canvas.setPixel(p.x, p.y, colours::silver);
            if (x % 10 == 0)
                canvas.setPixel(p.x, p.y, colours::grey);
            if (y % 10 == 0)
                canvas.setPixel(p.x, p.y, colours::grey);
            if (x % 10 == 0 && y % 10 == 0)
                canvas.setPixel(p.x, p.y, colours::black);
        }
    }
}

void drawOriginMark(Canvas& canvas, int panelHeight) {
    const ScreenPoint o = projectGridPoint(0, 0, 0, panelHeight);
    canvas.setPixel(o.x, o.y, colours::blue);
    canvas.setPixel(o.x + 1, o.y, colours::blue);
    canvas.setPixel(o.x, o.y - 1, colours::blue);
    canvas.setPixel(o.x - 1, o.y, colours::blue);
    canvas.setPixel(o.x, o.y + 1, colours::blue);
}

void drawAxisLetters(Canvas& canvas, int panelHeight) {
    const ScreenPoint yEnd = projectGridPoint(-100, 100, 0, panelHeight);
    canvas.text(yEnd.x - 16, yEnd.y - 4, "Y");
    const ScreenPoint xEnd = projectGridPoint(100, -100, 0, panelHeight);
    canvas.text(xEnd.x + 16, xEnd.y - 4, "X");
}

void drawPreviewBackdrop(Canvas& canvas, int panelHeight) {
    canvas.clear();
    drawGrid(canvas, panelHeight);
    drawOriginMark(canvas, panelHeight);
    drawAxisLetters(canvas, panelHeight);
}

void line3D(Canvas& canvas, const CoordinateTexts& texts, int panelHeight) {
    GridX = convertCoordinate(texts[0]);
    GridY = convertCoordinate(texts[1]);
    GridZ = convertCoordinate(texts[2]);
    scrConv(panelHeight);
    StartScreenX = ScreenX;
    StartScreenY = ScreenY;

    GridX = convertCoordinate(texts[3]);
    GridY = convertCoordinate(texts[4]);
    GridZ = convertCoordinate(texts[5]);
    scrConv(panelHeight);

    canvas.setPen(penColourForDrawMode(DrawMode, canvas.pen()));
    canvas.penLine(StartScreenX, StartScreenY, ScreenX, ScreenY);
}

void drawLineListEntries(Canvas& canvas, const QStringList& entries, int panelHeight,
                         CoordinateTexts& fields) {
    if (entries.isEmpty())
        return;
    CoordinateTexts pieces;
    for (const QString& entry : entries) {
        CurrentLine = entry;
        pieces = splitLineRecord(CurrentLine);
        DrawMode = 0;
        try {
            line3D(canvas, pieces, panelHeight);
        } catch (...) {
            fields = pieces;
            throw;
        }
    }
    fields = pieces;
}

void drawPreview(Canvas& canvas, const QStringList& entries, int panelHeight,
                 CoordinateTexts& fields) {
    drawPreviewBackdrop(canvas, panelHeight);
    drawLineListEntries(canvas, entries, panelHeight, fields);
}

} // namespace torvex
