#pragma once

#include <QString>

#include <array>

namespace torvex {

// The six coordinate texts of one segment, in the order
// Start X, Start Y, Start Z, End X, End Y, End Z.
using CoordinateTexts = std::array<QString, 6>;

// Width of one field of a line record and the length of a record made by the program.
inline constexpr qsizetype lineRecordFieldWidth = 4;
inline constexpr qsizetype lineRecordLength = 29;

// Right-aligns the texts in place to width 4 in three passes over all six fields:
// texts of exactly 1 character get a leading space, then texts of exactly 2, then of
// exactly 3. Empty texts and texts of 4 or more characters are left alone.
void padCoordinateTexts(CoordinateTexts& texts);

// Joins the six texts with "," (no spaces added, no trailing comma).
QString composeLineRecord(const CoordinateTexts& texts);

// Cuts the record into the six field texts: four characters starting at the 1-based
// positions 1, 6, 11, 16, 21 and 26. A cut that runs past the end keeps what is there;
// one that starts past the end is empty. Commas and anything after position 29 are
// ignored; leading and trailing spaces are kept.
CoordinateTexts splitLineRecord(const QString& record);

} // namespace torvex
