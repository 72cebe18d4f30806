#pragma once

// The one reader and the one writer of whole files, used by every route that
// reads or writes a file: the designer panel, the preview wizard and the
// `torvex` command. Failures are Failure exceptions with the messages the
// error report shows.

#include "base/failure.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

namespace torvex {

// Files larger than this are refused before anything is allocated: their
// lines would not fit the lists that hold them.
inline constexpr std::int64_t kLargestReadableFile = std::int64_t{1} << 30;

// Reads the whole of a regular file. Anything else (a folder, a named pipe, a
// device) is refused as "Cannot open file %s" without waiting on it, as is a
// file that does not exist or may not be read. A file larger than `limit`
// fails with "File too large to read: %s" before anything is allocated; a
// read error with "Cannot read file %s". A file that shrinks while it is
// read yields the bytes it still had.
QByteArray readRegularFile(const QString& fileName, std::int64_t limit = kLargestReadableFile);

// A write that could not store every byte. what() is the message the
// designer shows ("Stream write error", or "Cannot create file %s");
// systemReason() says what the system reported, when it said anything.
class WriteFailure : public Failure {
public:
    WriteFailure(const std::string& message, std::string systemReason)
        : Failure(message), systemReason_(std::move(systemReason)) {}
    const std::string& systemReason() const { return systemReason_; }

private:
    std::string systemReason_;
};

// Creates or replaces the file with exactly these bytes. The bytes go to a
// file beside the target which then replaces it in one step, so a write that
// fails leaves the earlier file as it was. Where no file can be made beside
// the target (a read-only folder) but the target itself may be written, the
// target is rewritten in place instead. Throws WriteFailure "Cannot create
// file %s" when the file cannot be created and "Stream write error" when
// fewer bytes than asked could be stored. A file-size limit of the process
// makes the write fail; it never ends the program.
void writeFileAtomically(const QString& fileName, std::string_view bytes);

// True when both names lead to one existing file: the same name, another
// spelling of it, a symbolic or a hard link.
bool isSameFile(const QString& first, const QString& second);

} // namespace torvex
