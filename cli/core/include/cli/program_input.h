// Torvex Designer - reading a program for the command-line companion: a
// TASM-dialect source (assembled) or a TI-83 program file (.83p).
#pragma once

#include "cli/args.h"
#include "z80/assembler.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace torvex::cli {

class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ProgramInput {
    std::vector<uint8_t> code;
    uint16_t origin = 0;
    std::string name;                      // program name (.83p) or empty
    std::optional<z80::Assembly> assembly; // when assembled from source
    // The assembler's warnings (none for a program file).
    const std::vector<z80::Diagnostic>& warnings() const;
};

// A file ending in .83p (any case) is read as a program file; anything else is
// assembled. Throws InputError (with every warning and error of a failed
// assembly, one per line).
ProgramInput loadProgramInput(const std::filesystem::path& file,
                              const z80::AssemblyOptions& options = {});

// The one way the companion reports what the assembler warns about: one
// "file:line: warning: message" line each, on the error stream. Warnings never
// stop a command.
void printWarnings(std::ostream& err, const std::vector<z80::Diagnostic>& warnings);

// A failed assembly as text: its warnings, then its errors, one per line.
std::string failureText(const std::vector<z80::Diagnostic>& warnings,
                        const std::vector<z80::Diagnostic>& errors);

bool isProgramFile(const std::filesystem::path& file);
// Four hex digits and "h", as the assembler writes an address ("9327h").
std::string hexAddress(unsigned address);
// Throws InputError unless the program starts at 9327h, where the TI-83 runs
// its programs.
void requireProgramStart(const std::filesystem::path& file, const ProgramInput& in);
// The --name option of the commands that write a program file.
OptionDefinition programNameOption();
// The name given with --name, checked, or else the one made from the output
// file's name. Throws z80::ProgramFileError.
std::string programName(const ParsedArgs& args, const std::filesystem::path& output);

// The file's extension in lower case (".83p", ".z80", ...).
std::string lowerExtension(const std::filesystem::path& file);

} // namespace torvex::cli
