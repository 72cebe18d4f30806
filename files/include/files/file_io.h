#pragma once

// The one reader and the one writer of whole files, used by every route that
// reads or writes a file: the designer panel, the preview wizard, the `torvex`
// commands and the assembler's includes. Names are bytes, as the system takes
// them; messages quote them with their control bytes escaped (printable()).

#include "base/failure.h"
#include "files/file_system.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace torvex {

using FileName = std::filesystem::path;

// Files larger than this are refused before anything is allocated: their
// lines would not fit the lists that hold them.
inline constexpr std::int64_t kLargestReadableFile = std::int64_t{1} << 30;

// A file that could not be read or written. what() is the message the
// command line shows: what failed, naming the file, then the reason in
// parentheses when there is one ("Cannot open file a.txt (is a folder)"),
// then a note that must not be lost ("; the earlier contents are in ...").
// The designer's error report keeps its own wording: the message and the
// note, without the reason. reason() is the reason alone.
class FileFailure : public Failure {
public:
    FileFailure(const std::string& message, std::string reason, std::string note = {});
    const std::string& reason() const { return reason_; }
    std::string reportText() const override;

private:
    std::string message_, reason_, note_;
};

// The name as messages show it.
std::string shownName(const FileName& name);

// "is a folder", "is a named pipe", ...: what a name that is not a regular
// file leads to.
std::string whatItIs(system::FileKind kind);

// The names the system goes through when it opens `name`: the name itself,
// then the target of each symbolic link on the way (a relative one joined to
// its link's folder, never shortened by hand: "L/../a" lies in the folder
// above where L leads), the last one the file itself.
std::vector<FileName> namesAlongLinks(const FileName& name);

// Reads the whole of a regular file. Anything else (a folder, a named pipe, a
// device) is refused as "Cannot open file %s" without waiting on it and
// without opening it, as is a file that does not exist or may not be read. A
// file larger than `limit` fails with "File too large to read: %s" before
// anything is allocated, also when it grows while it is read; a read error
// with "Cannot read file %s". A file that shrinks while it is read yields the
// bytes it still had.
std::string readRegularFile(const FileName& name, std::int64_t limit = kLargestReadableFile);

// Creates or replaces the file the name leads to, as the system resolves it
// (through symbolic links), with exactly these bytes. The bytes go to a new
// file beside it, which then takes its place in one step, with the earlier
// file's owner and permissions; a write that fails leaves the earlier file as
// it was. Where that cannot be (a folder that may not be written, an owner
// that cannot be kept) but the file itself may be written, it is rewritten in
// place, after its contents were copied to folderForCopies(); a write that
// fails puts them back, and says where the copy is when even that fails.
// Fails with "Cannot create file %s" when the file cannot be created (nothing
// changed) and "Stream write error" when fewer bytes than asked could be
// stored. Only regular files are replaced.
void writeFileAtomically(const FileName& name, std::string_view bytes);

// Fails as writeFileAtomically() would before writing a byte ("Cannot create
// file %s") when it could not write the name now: for a command that works
// for long before it writes, such as a recorded walk.
void checkCanWrite(const FileName& name);

// True when both names lead to one existing file: the same name, another
// spelling of it, a symbolic or a hard link.
bool isSameFile(const FileName& first, const FileName& second);

} // namespace torvex
