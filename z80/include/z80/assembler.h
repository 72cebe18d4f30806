// Torvex Designer - Z80 toolchain: TASM-dialect assembler.
//
// Two passes over the TASM 3.x dialect that TI-83 programs and TI's own headers
// are written in: anything in the first column is a label (with or without a
// colon), ';' comments, '\' between statements, #define with and without
// arguments (#defcont, #undef), #include "file", #ifdef/#ifndef/#if/#else/
// #endif, .org, .db/.byte/.text, .dw/.word, .ds/.block/.fill, .chk, .equ and
// '=', .set, .module with _local labels, .addinstr (simple forms), .end, every
// documented Z80 instruction. Expressions are read strictly left to right, as
// TASM reads them. Labels and defines are case-sensitive unless ignoreCase;
// mnemonics, registers and directives never are.
#pragma once

#include "files/printable.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace torvex::z80 {

// One problem found in the source. Input text quoted in file and message has
// its control bytes escaped (\x1B), so that printing it is always safe.
struct Diagnostic {
    std::string file;
    int line = 0;
    std::string message;
    bool warning = false;     // warnings never stop the assembly
    std::string text() const; // "file:line: message" or "file:line: warning: message"
};

// Thrown by assemble()/assembleFile() when the source has errors. what() holds
// every error's text(), one per line. Nothing is produced on error.
class AssemblyError : public std::runtime_error {
public:
    explicit AssemblyError(std::vector<Diagnostic> diagnostics,
                           std::vector<Diagnostic> warnings = {});
    std::vector<Diagnostic> diagnostics; // the errors
    std::vector<Diagnostic> warnings;    // found before the assembly stopped
};

// The errors reported at most (then "too many errors; stopping"), and as
// many warnings (then "more warnings follow; not shown").
constexpr size_t kMaxErrors = 50;

// A message as every diagnostic shows it: each quoted text ('...') cut to
// about a line's worth, the whole to a few lines, control bytes escaped.
std::string messageText(std::string_view message);

struct AssemblyOptions {
    // TASM's -i: labels compared without regard to case (#define names keep
    // their case).
    bool ignoreCase = false;
    // #include of a name builtinInclude() knows takes our own definitions even
    // when a file of that name lies beside the source (a TI header there may
    // need other options).
    bool ownIncludes = false;
    // Read a ';' comment on a #define line as part of its body, as assemblers
    // that follow TASM's manual literally do (it swallows the rest of every line
    // the name is used in). By default the comment is dropped.
    bool defineKeepsComment = false;
    // Warn at the first line after .end that holds a statement: assemblers
    // that read on past .end (spasm-ng, pasmo) assemble it.
    bool warnAfterEnd = false;
};

// Text safe to print (files/printable.h): the same escapes as every message
// naming a file.
using torvex::printable;

// Where the bytes of one source line went (for listings, debuggers, views).
struct ListingEntry {
    uint16_t address = 0;
    uint16_t size = 0; // bytes emitted by the line
    std::string file;
    int line = 0;
};

struct Assembly {
    // Address of bytes[0]: the lowest address written (normally the first
    // .org). Gaps between .org blocks are filled with 00h.
    uint16_t origin = 0;
    std::vector<uint8_t> bytes;
    // Labels and .equ/'=' symbols with their values (case as written).
    std::map<std::string, uint16_t> labels;
    // #define names with their replacement text (as the last definition left them).
    std::map<std::string, std::string> defines;
    std::vector<ListingEntry> listing;
    // Things that assemble but that the user should look at, in source order.
    std::vector<Diagnostic> warnings;
    // Every file an #include read, as the assembler named it to the system.
    std::vector<std::filesystem::path> includedFiles;

    // Value of a label, or of a #define whose text is a number/expression of
    // labels (e.g. "8265h"); nullopt when unknown.
    std::optional<uint16_t> symbol(const std::string& name) const;
};

// Assembles TASM-dialect source text. fileName is used for messages and to
// resolve #include beside it. Throws AssemblyError.
Assembly assemble(std::string_view source, const std::string& fileName,
                  const AssemblyOptions& options = {});
// Reads and assembles a file. Throws AssemblyError (also when it cannot be read).
Assembly assembleFile(const std::filesystem::path& file, const AssemblyOptions& options = {});

// Our own built-in definitions for "ti83asm.inc" and "tokens.inc" (used when
// no file of that name lies beside the source). nullopt for other names.
std::optional<std::string> builtinInclude(std::string_view name);

} // namespace torvex::z80
