#include "scene/line_list_drawing.h"

#include "preview/canvas.h"
#include "preview/regeneration.h"
#include "scene/designer_state.h"

namespace torvex {

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

} // namespace torvex
