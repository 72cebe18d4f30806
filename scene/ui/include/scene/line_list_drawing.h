#pragma once

#include "scene/line_record.h"

#include <QStringList>

namespace torvex {

class Canvas;

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

} // namespace torvex
