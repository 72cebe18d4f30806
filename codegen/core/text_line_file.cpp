#include "codegen/text_line_file.h"

#include <new>

namespace torvex {

TextLines readTextLineFile(const QString& fileName, std::int64_t limit) {
    const QByteArray bytes = readRegularFile(fileName, limit);
    try {
        return splitTextLines(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    } catch (const std::bad_alloc&) {
        throw Failure("Not enough memory to read file " + fileName.toStdString());
    }
}

void writeTextLineFile(const QString& fileName, const TextLines& lines) {
    writeFileAtomically(fileName, joinTextLines(lines));
}

} // namespace torvex
