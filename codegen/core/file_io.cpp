#include "codegen/file_io.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace torvex {

namespace {

std::string utf8(const QString& text) {
    return text.toStdString();
}

[[noreturn]] void failWith(const char* prefix, const QString& fileName) {
    throw Failure(prefix + utf8(fileName));
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

QByteArray allocateFor(std::int64_t size, std::int64_t limit, const QString& fileName) {
    if (size > limit)
        failWith("File too large to read: ", fileName);
    try {
        return QByteArray(static_cast<qsizetype>(size), Qt::Uninitialized);
    } catch (const std::bad_alloc&) {
        failWith("Not enough memory to read file ", fileName);
    }
}

// With the signal's default action a write past the process's file-size limit
// would end the program with the user's work unsaved; ignored, the write
// fails and is reported like a full disk.
void letWritesPastTheSizeLimitFail() {
    std::signal(SIGXFSZ, SIG_IGN);
}

// What the system said about the failed write, when it said anything.
std::string systemReason(const QFileDevice& file) {
    const QString reason = file.errorString();
    return reason == QLatin1String("Unknown error") ? std::string() : utf8(reason);
}

[[noreturn]] void cannotCreate(const QString& fileName, const QString& reason = {}) {
    throw WriteFailure("Cannot create file " + utf8(fileName), utf8(reason));
}

} // namespace

QByteArray readRegularFile(const QString& fileName, std::int64_t limit) {
    // Anything but a regular file is refused by its name first, so that no
    // device is ever opened (opening some has effects of its own). The file is
    // then opened without waiting (a named pipe with no writer would block
    // open()) and judged again by what was actually opened, so that it cannot
    // be swapped between the look at its name and the open.
    const QByteArray name = QFile::encodeName(fileName);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        failWith("Cannot open file ", fileName);
    const Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        failWith("Cannot open file ", fileName);
    QByteArray bytes = allocateFor(info.st_size, limit, fileName);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd.get(), bytes.data() + done, std::size_t(bytes.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failWith("Cannot read file ", fileName);
        if (got == 0)
            break;
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

void writeFileAtomically(const QString& fileName, std::string_view bytes) {
    letWritesPastTheSizeLimitFail();
    const QFileInfo target(fileName);
    // Only regular files are written: a folder, a device or a named pipe is
    // never replaced by a file. An existing file that may not be written
    // cannot be created anew either, even where its folder would let us
    // replace it.
    if (target.exists() && (!target.isFile() || !target.isWritable()))
        cannotCreate(fileName);
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        cannotCreate(fileName, file.errorString());
    const qint64 written = file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    // The bytes may still sit in the file's buffer: push them out and check
    // that they were all stored before the file is put in place.
    if (written != static_cast<qint64>(bytes.size()) || !file.flush() ||
        file.error() != QFileDevice::NoError) {
        const std::string reason = systemReason(file);
        file.cancelWriting();
        throw WriteFailure("Stream write error", reason);
    }
    if (!file.commit())
        throw WriteFailure("Stream write error", systemReason(file));
}

bool isSameFile(const QString& first, const QString& second) {
    std::error_code error;
    return std::filesystem::equivalent(
               std::filesystem::path(QFile::encodeName(first).toStdString()),
               std::filesystem::path(QFile::encodeName(second).toStdString()), error) &&
           !error;
}

} // namespace torvex
