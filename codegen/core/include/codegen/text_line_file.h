#pragma once

// Every file the program reads or writes is a text line file: the line list
// file, the scene data file and the preview source file.

#include "codegen/text_lines.h"

#include <QString>
#include <cstdint>

namespace torvex {

// Files larger than this are refused before anything is allocated: their
// lines would not fit the lists that hold them.
inline constexpr std::int64_t kLargestReadableFile = std::int64_t{1} << 30;

// Reads the whole file and splits it into lines. Throws Failure
// "Cannot open file %s" when the file cannot be opened, and a Failure naming
// the file when it cannot be read whole (too large for memory, a read error).
// Nothing is returned then, so callers that read before touching their list
// keep it unchanged.
TextLines readTextLineFile(const QString& fileName);

// Writes the lines, each followed by CR LF, creating or replacing the file.
// The bytes go to a file beside the target which then replaces it in one
// step, so a write that fails leaves the earlier file as it was. Throws
// Failure "Cannot create file %s" when the file cannot be created and
// "Stream write error" when fewer bytes than asked could be stored.
void writeTextLineFile(const QString& fileName, const TextLines& lines);

} // namespace torvex
