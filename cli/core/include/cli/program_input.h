// Torvex Designer - reading a program for the command-line companion: a
// TASM-dialect source (assembled) or a program file (.83p for the TI-83, .8xp
// for the TI-83 Plus family).
#pragma once

#include "cli/args.h"
#include "z80/assembler.h"
#include "z80/calculator_model.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace torvex::cli {

// The largest source, line list or program file the commands read: many
// times what any calculator program is built from (the TI-83 has 27 KiB of
// memory for programs), and small enough to be assembled in memory.
inline constexpr std::int64_t kLargestInputFile = std::int64_t{16} << 20;

// What keeps a command from using its input. `atLines` when the text is one
// "FILE:LINE: ..." message per line, which is printed as it is; any other
// text is about the file or the command and gets the command's name in front.
class InputError : public std::runtime_error {
public:
    explicit InputError(const std::string& text, bool atLines = false)
        : std::runtime_error(text), atLines_(atLines) {}
    bool atLines() const { return atLines_; }

private:
    bool atLines_;
};

// The one way a command reports a failure on the error stream: messages at a
// file's lines as they are (an editor jumps to them), anything else after
// "torvex COMMAND: ".
void reportFailure(std::ostream& err, std::string_view command, const std::exception& failure);

struct ProgramInput {
    std::vector<uint8_t> code;
    uint16_t origin = 0;
    std::optional<z80::Assembly> assembly; // when assembled from source
    z80::Model model = z80::Model::Ti83;   // the calculator it is for
    // The assembler's warnings (none for a program file).
    const std::vector<z80::Diagnostic>& warnings() const;
};

// The --model option the commands share, and its value (UsageError for an
// unknown one).
OptionDefinition modelOptionDefinition();
std::optional<z80::Model> modelOption(const ParsedArgs& args);

// A file ending in .83p or .8xp (any case) is read as a program file of its
// family; anything else is assembled, for `model` when given, else for the
// family whose program origin the source has (TI-83 when it has neither).
// Throws InputError (with every warning and error of a failed assembly, one
// per line, or when the program file's family is not `model`).
ProgramInput loadProgramInput(const std::filesystem::path& file,
                              std::optional<z80::Model> model = std::nullopt,
                              const z80::AssemblyOptions& options = {});

// Throws InputError unless the program can run on its calculator: code at the
// model's origin that fits in memory, on the Plus family starting with BBh 6Dh.
void checkRunnable(const ProgramInput& in, const std::filesystem::path& file);

// The one way the companion reports what the assembler warns about: one
// "file:line: warning: message" line each, on the error stream. Warnings never
// stop a command.
void printWarnings(std::ostream& err, const std::vector<z80::Diagnostic>& warnings);

// "FILE:LINE: error: MESSAGE" or "FILE:LINE: warning: MESSAGE".
std::string diagnosticLine(const z80::Diagnostic& d);

// A failed assembly or list as an InputError: its warnings and errors, one
// per line, in the order of the files' lines (`otherwise` when there are none).
InputError failureAtLines(const std::vector<z80::Diagnostic>& warnings,
                          const std::vector<z80::Diagnostic>& errors,
                          const std::string& otherwise = {});

// The file and every file its assembly included: what no output may replace.
std::vector<std::filesystem::path> filesRead(const std::filesystem::path& file,
                                             const ProgramInput& in);

// A line as a line list holds them: numbers (decimal, $hex or hex ending in
// h, signed or not, well-formed or not) separated by commas.
bool isSegmentLine(std::string_view line);

bool isProgramFile(const std::filesystem::path& file);
// Four hex digits and "h", as the assembler writes an address ("9327h").
std::string hexAddress(unsigned address);
// The --name option of the commands that write a program file.
OptionDefinition programNameOption();
// The name given with --name, checked, or else the one made from the output
// file's name. Throws z80::ProgramFileError.
std::string programName(const ParsedArgs& args, const std::filesystem::path& output);

// The file's extension in lower case (".83p", ".z80", ...).
std::string lowerExtension(const std::filesystem::path& file);

} // namespace torvex::cli
