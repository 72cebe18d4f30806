// Torvex Designer - output files of the command-line companion. They are
// written by the designer's own writer: to a temporary file beside the target,
// flushed and checked, then renamed, so no partial file stays and an earlier
// file survives a failed write.
#pragma once

#include "z80/calculator_model.h"
#include "z80/ti83.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace torvex::cli {

class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws OutputError saying what went wrong ("Cannot create file ...",
// "FILE: Stream write error", with the system's reason when there is one).
void writeFileAtomically(const std::filesystem::path& file, const std::vector<uint8_t>& bytes);

// Throws OutputError when the file could not be written now (before work
// that takes long, such as a walk recorded by hand).
void checkCanWriteOutput(const std::filesystem::path& file);

// Throws UsageError when the name's extension says another format than the
// one written ("pic.jpg" for a PNG): "NAME: WHAT; name it EXTENSION". A name
// without an extension is taken as it is.
void refuseOtherFormat(const std::filesystem::path& file, std::string_view extension,
                       std::string_view what);

// Throws UsageError when the name's extension is one torvex gives another
// kind of file it writes (.83p and .8xp program files, .z80 and .asm sources,
// .png pictures, .gif walks) than `kind` ("a line list"):
// "NAME: .png names a PNG picture; this is a line list".
void refuseNameOfAnotherKind(const std::filesystem::path& file, std::string_view kind);

// "-" as an output names standard output, as in other command-line tools.
inline bool isStandardOutput(const std::filesystem::path& file) {
    return file == "-";
}

// Writes the bytes to `out` when the file is "-", else as writeFileAtomically().
void writeOutput(const std::filesystem::path& file, const std::vector<uint8_t>& bytes,
                 std::ostream& out);

// "1 segment", "2 segments": the number and the word that fits it.
std::string counted(size_t n, std::string_view one, std::string_view many);

// The output's name as messages show it ("standard output" for "-").
std::string outputName(const std::filesystem::path& file);

// Throws OutputError when writing `output` would replace `input` (the same
// file under any name: another spelling, a symbolic or a hard link).
void refuseOutputOverInput(const std::filesystem::path& input, const std::filesystem::path& output);

// The same for every file a command read: its input and what the input
// included.
void refuseOutputOverInputs(const std::vector<std::filesystem::path>& inputs,
                            const std::filesystem::path& output);

// What build and assemble say once a program file is written: its name, the
// calculator, the sizes and how to start it there ("run it with Asm(prgmA)").
std::string programWritten(const std::filesystem::path& file, const std::string& name,
                           z80::Model model, size_t codeBytes, size_t fileBytes);

// The frame as a PNG, each calculator pixel a scale x scale square, dark pixels
// on a light background.
void writeFramePng(const z80::Frame& frame, const std::filesystem::path& file, int scale = 4);

} // namespace torvex::cli
