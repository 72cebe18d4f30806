// Torvex Designer - Z80 toolchain: the preprocessor. #define (with and without
// arguments, #defcont), #undef, #include, #ifdef/#ifndef/#if/#else/#endif, the
// '\' statement separator and .end; comments are removed.
#pragma once

#include "asm_source.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace torvex::z80::detail {

class Preprocessor {
public:
    Preprocessor(Diagnostics& diagnostics, const AssemblyOptions& options)
        : diags_(diagnostics), options_(options) {}

    std::vector<SourceLine> run(std::string_view source, const std::string& fileName);

    // Define names as written with their bodies (as the last definition left them).
    std::map<std::string, std::string> defineBodies() const;
    const std::vector<std::filesystem::path>& includedFiles() const { return includedFiles_; }

private:
    struct Define {
        std::string name; // as written
        bool function = false;
        std::vector<std::string> params;
        std::string body;    // comments dropped
        std::string literal; // comments kept, as an assembler that keeps them reads it
        std::string where;   // "file:line" of the definition
        bool commented = false;
    };
    struct Conditional {
        bool active;
        bool elseSeen;
        bool broken = false; // its condition was in error: neither branch is read
    };
    // Per line: where a #define comment starts to swallow the rest of the line.
    struct Swallow {
        size_t at = std::string::npos;
        const Define* define = nullptr;
    };

    Diagnostics& diags_;
    const AssemblyOptions& options_;
    std::vector<SourceLine> lines_;
    std::map<std::string, Define> defines_; // by key()
    std::string lastDefine_;                // key() of the last #define, for #defcont
    std::vector<Conditional> conditionals_;
    std::vector<std::filesystem::path> includeStack_;
    std::vector<std::filesystem::path> includedFiles_;
    bool ended_ = false; // .end, or the assembly took more work than it may
    bool endSeen_ = false;
    bool afterEndWarned_ = false;
    // The work this assembly has done so far, bounded so that defines or
    // includes that use one another many times over end with an error.
    size_t defineUses_ = 0;
    size_t expandedBytes_ = 0; // of #define bodies and arguments
    size_t includedBytes_ = 0;
    size_t includes_ = 0;

    [[noreturn]] void tooMuchWork(std::string message);

    std::string key(std::string_view name) const;
    bool active() const;
    void file(std::string_view text, int file, const std::filesystem::path& dir, int depth);
    void directive(std::string_view line, int file, int lineNo, const std::filesystem::path& dir,
                   int depth);
    void define(std::string_view rest, std::string_view comment, int file, int lineNo);
    void defcont(std::string_view rest, std::string_view comment, int file, int lineNo);
    bool condition(std::string_view expr);
    void include(const std::string& name, const std::filesystem::path& dir, int depth);
    void statements(const std::string& expanded, int file, int lineNo);
    void warnAfterEnd(const std::vector<std::string>& lines, size_t from, int file);
    void warnIfSwallowed(const Define& define, std::string_view rest, int file, int lineNo);

    std::string expandLine(std::string_view s, Swallow& swallow);
    void expand(std::string_view s, int depth, std::vector<std::string>& activeNames,
                std::string& out, Swallow& swallow);
    size_t expandCall(const Define& d, std::string_view s, size_t i, int depth,
                      std::vector<std::string>& activeNames, std::string& out, Swallow& swallow);
};

} // namespace torvex::z80::detail
