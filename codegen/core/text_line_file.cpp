#include "codegen/text_line_file.h"

#include <QFile>
#include <new>

namespace torvex {

TextLines readTextLineFile(const FileName& fileName, std::int64_t limit) {
    const std::string bytes = readRegularFile(fileName, limit);
    try {
        return splitTextLines(bytes);
    } catch (const std::bad_alloc&) {
        throw Failure("Not enough memory to read file " + shownName(fileName));
    }
}

void writeTextLineFile(const FileName& fileName, const TextLines& lines) {
    writeFileAtomically(fileName, joinTextLines(lines));
}

FileName fileNameOf(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

} // namespace torvex
