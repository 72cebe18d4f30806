#pragma once

// The operating-system calls the file rules (file_io.h) are made of, and
// nothing else: file_system_posix.cpp implements them for POSIX systems; a
// build for another system replaces that one file, not the rules. Names are
// bytes and reach the system exactly as given. Each call returns the system's
// error (empty on success), whose message() is the system's own reason.

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace torvex::system {

using Path = std::filesystem::path;

enum class FileKind { Missing, Regular, Folder, Link, Pipe, Device, Socket, Other };

struct FileStatus {
    FileKind kind = FileKind::Missing;
    std::int64_t size = 0;
    std::uint32_t permissions = 0; // the mode's permission bits (07777)
    std::uint32_t owner = 0, group = 0;
    std::uint64_t device = 0, node = 0; // one file has one pair, under any name
    std::int64_t modified = 0;          // last change of its contents, ns since 1970

    bool operator==(const FileStatus&) const = default;
};

// An open file, closed when it goes.
class File {
public:
    File() = default;
    explicit File(std::intptr_t handle) : handle_(handle) {}
    ~File() { close(); }
    File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }
    File& operator=(File&& other) noexcept;
    std::intptr_t handle() const { return handle_; }
    bool isOpen() const { return handle_ != -1; }
    std::error_code close();

private:
    std::intptr_t handle_ = -1;
};

// Once, at program start: a write past the process's file-size limit fails
// with an error instead of ending the program, and the signals that end it
// when asked (Ctrl-C, a polite kill, a closed terminal) wait while a
// WriteInProgress lives.
void prepareProcessForFileWrites();

// While one lives, a signal that asks the program to end is held and
// delivered when the last one goes: a file being replaced ends whole, old or
// new, and no temporary file stays behind.
class WriteInProgress {
public:
    WriteInProgress();
    ~WriteInProgress();
    WriteInProgress(const WriteInProgress&) = delete;
    WriteInProgress& operator=(const WriteInProgress&) = delete;
};

// What the name leads to; with followLinks false a symbolic link is a Link.
std::error_code status(const Path& name, FileStatus& result, bool followLinks);
std::error_code status(const File& file, FileStatus& result);
std::error_code linkTarget(const Path& link, Path& target);
// True when the program may write the file (with its effective rights).
bool mayWrite(const Path& name);

// Opening never waits (a named pipe without a writer) and never makes a
// terminal the program's own.
std::error_code openForReading(const Path& name, File& file);
// An existing file, for reading and writing, not truncated.
std::error_code openForChanging(const Path& name, File& file);
// A new file in the folder, only the owner may read it when `privately`. When
// `name` may stay empty the file may be anonymous (gone if the program ends
// before it is named); giveName() then names it in the folder.
std::error_code createTemporary(const Path& folder, bool privately, bool anonymousAllowed,
                                File& file, Path& name);
std::error_code giveName(const File& file, const Path& folder, Path& name);
// A folder where a copy of a file may be kept for a while.
Path folderForCopies();

std::error_code readAt(const File& file, std::int64_t offset, char* data, std::size_t size,
                       std::size_t& got);
// All the bytes, or the error that stopped them.
std::error_code writeAt(const File& file, std::int64_t offset, const char* data, std::size_t size);
std::error_code truncate(const File& file, std::int64_t size);
std::error_code sync(const File& file);
// Gives the file this owner and group (an error when the system refuses),
// then these permissions.
std::error_code setOwnerAndPermissions(const File& file, const FileStatus& like);

// Puts `from` in the place of `to` in one step (same folder).
std::error_code replace(const Path& from, const Path& to);
std::error_code remove(const Path& name);

} // namespace torvex::system
