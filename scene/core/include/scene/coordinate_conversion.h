#pragma once

#include <QString>

#include <string>

namespace torvex {

// Converts the text of a coordinate field to an integer.
//
// Accepted forms, and nothing else:
//   - any number of leading spaces (U+0020 only, no tabs),
//   - then an optional "+" or "-",
//   - then either decimal digits up to the end of the text,
//     or "$" followed by hexadecimal digits (either case) up to the end of the text.
//
// Decimal values must lie in the 32-bit signed range. Hexadecimal values are read as
// 32-bit unsigned numbers and reinterpreted as signed, so "$FFFFFFFF" is -1 and
// "$80000000" is -2147483648; a sign in front of "$" negates that 32-bit value with
// wrap-around, so "-$10" is -16 and "-$80000000" stays -2147483648. More than 32 bits
// of hexadecimal value fail, however many leading zeros the text has.
//
// Anything else (empty text, spaces only, trailing spaces, a lone sign or "$", other
// characters, out-of-range values) throws torvex::Failure with the message
// "'<text>' is not a valid integer value".
int convertCoordinate(const QString& text);

// The message of a failed conversion, in UTF-8.
std::string invalidIntegerMessage(const QString& text);

} // namespace torvex
