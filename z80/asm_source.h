// Torvex Designer - Z80 toolchain: the statements the preprocessor hands to the
// passes, and the one place where problems found in them are collected.
#pragma once

#include "z80/assembler.h"

#include <string>
#include <vector>

namespace torvex::z80::detail {

// One statement after preprocessing: defines expanded, comment removed. A line
// holding '\' separators gives several statements with the same line number.
struct SourceLine {
    std::string text;
    int file = 0; // index into Diagnostics' files
    int line = 0;
};

// Errors (capped; past the cap the assembly stops) and warnings, by file and line.
class Diagnostics {
public:
    int addFile(std::string name);
    const std::string& file(int index) const { return files_[index]; }
    std::string where(int file, int line) const; // "file:line"

    void error(int file, int line, std::string message);
    void warning(int file, int line, std::string message);
    bool hasErrors() const { return !errors_.empty(); }
    [[noreturn]] void fail() const;
    const std::vector<Diagnostic>& warnings() const { return warnings_; }

private:
    std::vector<std::string> files_;
    std::vector<Diagnostic> errors_;
    std::vector<Diagnostic> warnings_;
};

} // namespace torvex::z80::detail
