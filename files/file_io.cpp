#include "files/file_io.h"

#include "files/printable.h"

#include <new>

namespace torvex {

using system::File;
using system::FileKind;
using system::FileStatus;

namespace {

std::string withReason(const std::string& message, const std::string& reason) {
    return reason.empty() ? message : message + " (" + reason + ")";
}

[[noreturn]] void fail(const char* what, const FileName& name, const std::string& reason = {}) {
    throw FileFailure(what + shownName(name), reason);
}

[[noreturn]] void cannotCreate(const FileName& name, const std::string& reason) {
    fail("Cannot create file ", name, reason);
}

[[noreturn]] void streamWriteError(const std::string& reason) {
    throw FileFailure("Stream write error", reason);
}

std::string missing() {
    return std::make_error_code(std::errc::no_such_file_or_directory).message();
}

FileName folderOf(const FileName& name) {
    return name.has_parent_path() ? name.parent_path() : FileName(".");
}

// Removes a named temporary file unless it was put in its place.
class TemporaryName {
public:
    explicit TemporaryName(FileName& name) : name_(name) {}
    ~TemporaryName() {
        if (!name_.empty())
            system::remove(name_);
    }
    void keep() { name_.clear(); }

private:
    FileName& name_;
};

std::string readAll(const File& file, std::int64_t size) {
    std::string bytes(std::size_t(size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        std::size_t got = 0;
        if (const std::error_code error = system::readAt(
                file, std::int64_t(done), bytes.data() + done, bytes.size() - done, got))
            throw std::system_error(error);
        if (got == 0)
            break;
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

// Where the file cannot be replaced, its bytes are rewritten in place: first
// copied where they can be put back from, restored on a failure.
void writeInPlace(const FileName& name, const FileName& target, std::string_view bytes) {
    File file;
    if (const std::error_code error = system::openForChanging(target, file))
        cannotCreate(name, error.message());
    FileStatus info;
    std::string earlier;
    try {
        if (const std::error_code error = system::status(file, info))
            throw std::system_error(error);
        earlier = readAll(file, info.size);
    } catch (const std::system_error& error) {
        cannotCreate(name, "its contents cannot be kept: " + error.code().message());
    } catch (const std::bad_alloc&) {
        cannotCreate(name, "not enough memory to keep its contents");
    }
    File copy;
    FileName copyName;
    TemporaryName copyGuard(copyName);
    std::error_code error =
        system::createTemporary(system::folderForCopies(), true, false, copy, copyName);
    if (!error)
        error = system::writeAt(copy, 0, earlier.data(), earlier.size());
    if (!error)
        error = system::sync(copy);
    if (!error)
        error = copy.close();
    if (error)
        cannotCreate(name, "no copy of its contents can be kept: " + error.message());

    error = system::writeAt(file, 0, bytes.data(), bytes.size());
    if (!error)
        error = system::truncate(file, std::int64_t(bytes.size()));
    if (!error)
        error = system::sync(file);
    if (!error)
        error = file.close();
    if (!error)
        return;
    if (system::writeAt(file, 0, earlier.data(), earlier.size()) ||
        system::truncate(file, std::int64_t(earlier.size())) || system::sync(file)) {
        const std::string kept = shownName(copyName); // keep() forgets the name
        copyGuard.keep();
        throw FileFailure("Stream write error", error.message(),
                          "the earlier contents are in " + kept);
    }
    streamWriteError(error.message());
}

} // namespace

FileFailure::FileFailure(const std::string& message, std::string reason, std::string note)
    : Failure(withReason(message, reason) + (note.empty() ? "" : "; " + note)), message_(message),
      reason_(std::move(reason)), note_(std::move(note)) {}

std::string FileFailure::reportText() const {
    return note_.empty() ? message_ : message_ + "; " + note_;
}

std::string shownName(const FileName& name) {
    return printable(name.string());
}

std::string whatItIs(FileKind kind) {
    switch (kind) {
    case FileKind::Missing:
        return missing();
    case FileKind::Folder:
        return "is a folder";
    case FileKind::Pipe:
        return "is a named pipe";
    case FileKind::Device:
        return "is a device";
    case FileKind::Socket:
        return "is a socket";
    default:
        return "is not a regular file";
    }
}

std::vector<FileName> namesAlongLinks(const FileName& name) {
    std::vector<FileName> names{name};
    for (int links = 0; links < 40; ++links) {
        FileStatus info;
        FileName target;
        if (system::status(names.back(), info, false) || info.kind != FileKind::Link ||
            system::linkTarget(names.back(), target))
            break;
        names.push_back(target.is_absolute() ? target : names.back().parent_path() / target);
    }
    return names;
}

std::string readRegularFile(const FileName& name, std::int64_t limit) {
    // Anything but a regular file is refused by its name first, so that no
    // device is ever opened (opening some has effects of its own). What was
    // opened is judged again, so that the file cannot be swapped between the
    // look at its name and the open.
    FileStatus info;
    if (const std::error_code error = system::status(name, info, true))
        fail("Cannot open file ", name, error.message());
    if (info.kind != FileKind::Regular)
        fail("Cannot open file ", name, whatItIs(info.kind));
    File file;
    if (const std::error_code error = system::openForReading(name, file))
        fail("Cannot open file ", name, error.message());
    if (const std::error_code error = system::status(file, info))
        fail("Cannot open file ", name, error.message());
    if (info.kind != FileKind::Regular)
        fail("Cannot open file ", name, whatItIs(info.kind));
    if (info.size > limit)
        fail("File too large to read: ", name);
    try {
        return readAll(file, info.size);
    } catch (const std::bad_alloc&) {
        fail("Not enough memory to read file ", name);
    } catch (const std::system_error& error) {
        fail("Cannot read file ", name, error.code().message());
    }
}

namespace {
// The file the name leads to, and what is there now, when the writer may
// replace or create it. Only regular files are written: a folder, a device or
// a named pipe is never replaced by a file. An existing file that may not be
// written cannot be created anew either, even where its folder would let us
// replace it.
FileName writableTarget(const FileName& name, FileStatus& earlier) {
    if (name.empty())
        throw FileFailure("Cannot create file \"\"", "no file name given");
    FileName target = namesAlongLinks(name).back();
    if (const std::error_code error = system::status(target, earlier, true))
        cannotCreate(name, error.message());
    FileStatus last;
    if (!system::status(target, last, false) && last.kind == FileKind::Link)
        cannotCreate(name,
                     std::make_error_code(std::errc::too_many_symbolic_link_levels).message());
    const bool replacing = earlier.kind != FileKind::Missing;
    if (replacing && earlier.kind != FileKind::Regular)
        cannotCreate(name, whatItIs(earlier.kind));
    if (replacing && !system::mayWrite(target))
        cannotCreate(name, std::make_error_code(std::errc::permission_denied).message());
    return target;
}
} // namespace

void checkCanWrite(const FileName& name) {
    const system::WriteInProgress held; // its trial file goes, whatever comes
    FileStatus earlier;
    const FileName target = writableTarget(name, earlier);
    if (earlier.kind != FileKind::Missing)
        return; // a file that may be written is replaced or rewritten in place
    File file;
    FileName temporary;
    TemporaryName guard(temporary);
    if (const std::error_code error =
            system::createTemporary(folderOf(target), false, true, file, temporary))
        cannotCreate(name, error.message());
}

void writeFileAtomically(const FileName& name, std::string_view bytes) {
    const system::WriteInProgress held;
    FileStatus earlier;
    const FileName target = writableTarget(name, earlier);
    const bool replacing = earlier.kind != FileKind::Missing;
    const FileName folder = folderOf(target);
    File file;
    FileName temporary;
    TemporaryName guard(temporary);
    if (const std::error_code error =
            system::createTemporary(folder, false, true, file, temporary)) {
        if (replacing)
            return writeInPlace(name, target, bytes);
        cannotCreate(name, error.message());
    }
    if (const std::error_code error = system::writeAt(file, 0, bytes.data(), bytes.size()))
        streamWriteError(error.message());
    // The earlier file's owner and permissions stay; where the owner cannot be
    // kept, the file is rewritten in place, which keeps them.
    if (replacing && system::setOwnerAndPermissions(file, earlier))
        return writeInPlace(name, target, bytes);
    if (const std::error_code error = system::sync(file))
        streamWriteError(error.message());
    if (temporary.empty())
        if (const std::error_code error = system::giveName(file, folder, temporary))
            cannotCreate(name, error.message());
    if (const std::error_code error = file.close())
        streamWriteError(error.message());
    if (const std::error_code error = system::replace(temporary, target))
        cannotCreate(name, error.message());
    guard.keep();
}

bool isSameFile(const FileName& first, const FileName& second) {
    FileStatus a, b;
    return !system::status(first, a, true) && !system::status(second, b, true) &&
           a.kind != FileKind::Missing && b.kind != FileKind::Missing && a.device == b.device &&
           a.node == b.node;
}

} // namespace torvex
