#pragma once

// The byte-level form of a text line file, free of Qt so that it can be
// compiled on its own (the fuzz target builds it with clang alone).

#include <string>
#include <string_view>
#include <vector>

namespace torvex {

// Lines are bytes in the system's ANSI code page, without CR, LF or NUL.
// Nothing is converted between file and list.
using TextLines = std::vector<std::string>;

// Splits a file's bytes into lines: a line runs up to the next CR, LF or NUL;
// CR LF, a lone CR and a lone LF each end one line (LF CR ends one line and
// starts an empty one); a last line without a terminator still counts; the
// first NUL byte ends the reading. Lines of any length are kept whole.
TextLines splitTextLines(std::string_view bytes);

// The file's bytes for a list of lines: each line followed by CR LF.
std::string joinTextLines(const TextLines& lines);

} // namespace torvex
