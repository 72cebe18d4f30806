// Torvex Designer - Z80 toolchain: TASM-dialect assembler.
//
// Two passes over the TASM dialect used by the generated preview sources and
// the engine template: labels in the first column (with or without a colon),
// ';' comments, #define (whole-word text substitution), #include "file",
// .org, .db/.byte, .dw/.word, .ds/.block, .equ and '=', .end, every
// documented Z80 instruction. Labels and defines are case-sensitive;
// mnemonics, registers and directives are not.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace torvex::z80 {

// One problem found in the source, reported as "file:line: message".
struct Diagnostic {
    std::string file;
    int line = 0;
    std::string message;
    std::string text() const; // "file:line: message"
};

// Thrown by assemble()/assembleFile() when the source has errors. what() holds
// every diagnostic's text(), one per line. Nothing is produced on error.
class AssemblyError : public std::runtime_error {
public:
    explicit AssemblyError(std::vector<Diagnostic> diagnostics);
    std::vector<Diagnostic> diagnostics;
};

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

    // Value of a label, or of a #define whose text is a number/expression of
    // labels (e.g. "8265h"); nullopt when unknown.
    std::optional<uint16_t> symbol(const std::string& name) const;
};

// Assembles TASM-dialect source text. fileName is used for messages and to
// resolve #include beside it. Throws AssemblyError.
Assembly assemble(std::string_view source, const std::string& fileName);
// Reads and assembles a file. Throws AssemblyError (also when it cannot be read).
Assembly assembleFile(const std::filesystem::path& file);

// One line after preprocessing: #define substituted, comments removed,
// #include files inlined, #ifdef resolved; the list stops at the .end line.
struct PreprocessedLine {
    std::string file;
    int line = 0;
    std::string text;
};
// Runs only the preprocessor (throws AssemblyError on its errors). Used to
// translate sources mechanically for other assemblers (the pasmo cross-check).
std::vector<PreprocessedLine> preprocess(std::string_view source, const std::string& fileName);

// Our own built-in definitions for "ti83asm.inc" and "tokens.inc" (used when
// no file of that name lies beside the source). nullopt for other names.
std::optional<std::string> builtinInclude(std::string_view name);

} // namespace torvex::z80
