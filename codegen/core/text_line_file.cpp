#include "codegen/text_line_file.h"

#include "base/failure.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <memory>
#include <new>
#include <stdexcept>

namespace torvex {

namespace {

std::string utf8(const QString& text) {
    return text.toStdString();
}

[[noreturn]] void failWith(const char* prefix, const QString& fileName) {
    throw Failure(prefix + utf8(fileName));
}

std::unique_ptr<char[]> allocateFor(std::int64_t size, const QString& fileName) {
    if (size > kLargestReadableFile)
        failWith("File too large to read: ", fileName);
    try {
        return std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        failWith("Not enough memory to read file ", fileName);
    } catch (const std::length_error&) {
        failWith("Not enough memory to read file ", fileName);
    }
}

} // namespace

TextLines readTextLineFile(const QString& fileName) {
    QFile file(fileName);
    if (QFileInfo(fileName).isDir() || !file.open(QIODevice::ReadOnly))
        failWith("Cannot open file ", fileName);
    const qint64 size = file.size();
    const std::unique_ptr<char[]> bytes = allocateFor(size, fileName);
    const qint64 read = file.read(bytes.get(), size);
    if (read < 0)
        failWith("Cannot read file ", fileName);
    try {
        // A file that shrank while it was read yields the lines it still had.
        return splitTextLines(std::string_view(bytes.get(), static_cast<std::size_t>(read)));
    } catch (const std::bad_alloc&) {
        failWith("Not enough memory to read file ", fileName);
    }
}

void writeTextLineFile(const QString& fileName, const TextLines& lines) {
    const QFileInfo target(fileName);
    // An existing file that may not be written cannot be created anew either,
    // even where its folder would let us replace it.
    if (target.isDir() || (target.exists() && !target.isWritable()))
        failWith("Cannot create file ", fileName);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        failWith("Cannot create file ", fileName);
    const std::string bytes = joinTextLines(lines);
    const qint64 written = file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    // The bytes may still sit in the file's buffer: push them out and check
    // that they were all stored before the file is put in place.
    if (written != static_cast<qint64>(bytes.size()) || !file.flush() ||
        file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        throw Failure("Stream write error");
    }
    if (!file.commit())
        throw Failure("Stream write error");
}

} // namespace torvex
