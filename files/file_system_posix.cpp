// The file rules' system calls on POSIX systems (Linux, the BSDs, macOS).
#include "files/file_system.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace torvex::system {

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

int fd(const File& file) {
    return static_cast<int>(file.handle());
}

const char* bytes(const Path& name) {
    return name.c_str();
}

FileKind kindOf(mode_t mode) {
    return S_ISREG(mode)                    ? FileKind::Regular
           : S_ISDIR(mode)                  ? FileKind::Folder
           : S_ISLNK(mode)                  ? FileKind::Link
           : S_ISFIFO(mode)                 ? FileKind::Pipe
           : S_ISCHR(mode) || S_ISBLK(mode) ? FileKind::Device
           : S_ISSOCK(mode)                 ? FileKind::Socket
                                            : FileKind::Other;
}

std::error_code fill(int result, const struct stat& info, FileStatus& out) {
    out = {};
    if (result != 0)
        return errno == ENOENT || errno == ENOTDIR ? std::error_code() : lastError();
    out.kind = kindOf(info.st_mode);
    out.size = info.st_size;
    out.permissions = info.st_mode & 07777;
    out.owner = info.st_uid;
    out.group = info.st_gid;
    out.device = info.st_dev;
    out.node = info.st_ino;
    out.modified = std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    return {};
}

// A name no other file in the folder has yet (tried again if it has).
Path uniqueName(const Path& folder) {
    static std::mt19937_64 random{std::random_device{}()};
    static const char* letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = ".torvex-";
    for (int i = 0; i < 10; ++i)
        name += letters[random() % 36];
    return folder / name;
}

} // namespace

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        other.handle_ = -1;
    }
    return *this;
}

std::error_code File::close() {
    if (handle_ == -1)
        return {};
    const int result = ::close(static_cast<int>(handle_));
    handle_ = -1;
    return result == 0 || errno == EINTR ? std::error_code() : lastError();
}

namespace {
volatile std::sig_atomic_t writesInProgress = 0, heldSignal = 0;

extern "C" void endOrHold(int signal) {
    if (writesInProgress) {
        heldSignal = signal;
        return;
    }
    std::signal(signal, SIG_DFL); // ends the program as the signal would have
    std::raise(signal);
}
} // namespace

void prepareProcessForFileWrites() {
    std::signal(SIGXFSZ, SIG_IGN);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction now {};
        if (::sigaction(signal, nullptr, &now) != 0 || now.sa_handler != SIG_DFL)
            continue; // ignored as the program was started, or handled already
        struct sigaction held {};
        held.sa_handler = endOrHold;
        held.sa_flags = SA_RESTART;
        sigemptyset(&held.sa_mask);
        ::sigaction(signal, &held, nullptr);
    }
}

WriteInProgress::WriteInProgress() {
    writesInProgress = writesInProgress + 1;
}

WriteInProgress::~WriteInProgress() {
    writesInProgress = writesInProgress - 1;
    if (writesInProgress == 0 && heldSignal)
        std::raise(heldSignal);
}

std::error_code status(const Path& name, FileStatus& result, bool followLinks) {
    struct stat info {};
    return fill(followLinks ? ::stat(bytes(name), &info) : ::lstat(bytes(name), &info), info,
                result);
}

std::error_code status(const File& file, FileStatus& result) {
    struct stat info {};
    const int done = ::fstat(fd(file), &info);
    return done == 0 ? fill(0, info, result) : lastError();
}

std::error_code linkTarget(const Path& link, Path& target) {
    std::string text(256, '\0');
    for (;;) {
        const ssize_t size = ::readlink(bytes(link), text.data(), text.size());
        if (size < 0)
            return lastError();
        if (std::size_t(size) < text.size()) {
            text.resize(std::size_t(size));
            target = text;
            return {};
        }
        text.resize(text.size() * 2);
    }
}

bool mayWrite(const Path& name) {
    return ::faccessat(AT_FDCWD, bytes(name), W_OK, AT_EACCESS) == 0;
}

namespace {
// Opens without waiting (a named pipe with no writer would block open()) and
// without taking a terminal as the process's own.
std::error_code openExisting(const Path& name, int access, File& file) {
    const int opened = ::open(bytes(name), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (opened < 0)
        return lastError();
    file = File(opened);
    return {};
}
} // namespace

std::error_code openForReading(const Path& name, File& file) {
    return openExisting(name, O_RDONLY, file);
}

std::error_code openForChanging(const Path& name, File& file) {
    return openExisting(name, O_RDWR, file);
}

std::error_code createTemporary(const Path& folder, bool privately, bool anonymousAllowed,
                                File& file, Path& name) {
    const mode_t mode = privately ? 0600 : 0666;
    name.clear();
#ifdef O_TMPFILE
    if (anonymousAllowed) {
        const int opened = ::open(bytes(folder), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (opened >= 0) {
            file = File(opened);
            return {};
        }
        // Only a system or file system without anonymous files goes on.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return lastError();
    }
#endif
    for (int attempt = 0; attempt < 100; ++attempt) {
        const Path candidate = uniqueName(folder);
        const int opened =
            ::open(bytes(candidate), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
        if (opened >= 0) {
            file = File(opened);
            name = candidate;
            return {};
        }
        if (errno != EEXIST)
            return lastError();
    }
    return std::make_error_code(std::errc::file_exists);
}

std::error_code giveName(const File& file, const Path& folder, Path& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd(file));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const Path candidate = uniqueName(folder);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, bytes(candidate), AT_SYMLINK_FOLLOW) == 0) {
            name = candidate;
            return {};
        }
        if (errno != EEXIST)
            return lastError();
    }
    return std::make_error_code(std::errc::file_exists);
}

Path folderForCopies() {
    const char* folder = std::getenv("TMPDIR");
    return folder && *folder ? Path(folder) : Path("/tmp");
}

std::error_code readAt(const File& file, std::int64_t offset, char* data, std::size_t size,
                       std::size_t& got) {
    for (;;) {
        const ssize_t done = ::pread(fd(file), data, size, off_t(offset));
        if (done >= 0) {
            got = std::size_t(done);
            return {};
        }
        if (errno != EINTR)
            return lastError();
    }
}

std::error_code writeAt(const File& file, std::int64_t offset, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t done = ::pwrite(fd(file), data, size, off_t(offset));
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0)
            return lastError();
        if (done == 0)
            return std::make_error_code(std::errc::no_space_on_device);
        data += done, offset += done, size -= std::size_t(done);
    }
    return {};
}

std::error_code truncate(const File& file, std::int64_t size) {
    return ::ftruncate(fd(file), off_t(size)) == 0 ? std::error_code() : lastError();
}

std::error_code sync(const File& file) {
    return ::fsync(fd(file)) == 0 || errno == EINVAL ? std::error_code() : lastError();
}

std::error_code setOwnerAndPermissions(const File& file, const FileStatus& like) {
    FileStatus now;
    if (const std::error_code error = status(file, now))
        return error;
    if ((now.owner != like.owner || now.group != like.group) &&
        ::fchown(fd(file), like.owner, like.group) != 0)
        return lastError();
    return ::fchmod(fd(file), mode_t(like.permissions)) == 0 ? std::error_code() : lastError();
}

std::error_code replace(const Path& from, const Path& to) {
    return ::rename(bytes(from), bytes(to)) == 0 ? std::error_code() : lastError();
}

std::error_code remove(const Path& name) {
    return ::unlink(bytes(name)) == 0 ? std::error_code() : lastError();
}

} // namespace torvex::system
