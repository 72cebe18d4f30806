#pragma once

// Every file the program reads or writes is a text line file: the line list
// file, the scene data file and the preview source file.

#include "codegen/text_lines.h"
#include "files/file_io.h"

#include <QString>

namespace torvex {

// Reads the whole file (readRegularFile) and splits it into lines. Nothing is
// returned on a failure, so callers that read before touching their list keep
// it unchanged.
TextLines readTextLineFile(const FileName& fileName, std::int64_t limit = kLargestReadableFile);

// Writes the lines, each followed by CR LF, creating or replacing the file
// through writeFileAtomically, with its failures.
void writeTextLineFile(const FileName& fileName, const TextLines& lines);

// A name from a file dialog as the system spells it.
FileName fileNameOf(const QString& name);
inline TextLines readTextLineFile(const QString& fileName,
                                  std::int64_t limit = kLargestReadableFile) {
    return readTextLineFile(fileNameOf(fileName), limit);
}
inline void writeTextLineFile(const QString& fileName, const TextLines& lines) {
    writeTextLineFile(fileNameOf(fileName), lines);
}
inline TextLines readTextLineFile(const char* fileName) {
    return readTextLineFile(FileName(fileName));
}
inline void writeTextLineFile(const char* fileName, const TextLines& lines) {
    writeTextLineFile(FileName(fileName), lines);
}

} // namespace torvex
