#pragma once

// The assembly lines made from a line list: the scene data file that
// "Create .Z80 file" writes, and the data part of the preview source file.

#include "codegen/text_lines.h"

#include <string>
#include <string_view>

namespace torvex {

// "        .db " followed by the entry, unchanged (entries are not checked).
std::string dataLine(std::string_view entry);

// The four header lines, then one data line per entry in list order.
TextLines sceneDataFileLines(const TextLines& entries);

// The engine template, one data line per line of the line list file, then
// the end marker line "        .db 128", ".end" and "END".
TextLines previewSourceLines(const TextLines& templateLines, const TextLines& listLines);

} // namespace torvex
