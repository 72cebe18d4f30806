// Torvex Designer - Z80 toolchain: reading TASM-dialect source text (characters
// of names, literals, comments, operand lists, lines) and quoting it in messages.
#pragma once

#include "base/ascii.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvex::z80::detail {

bool isIdentStart(char c);
bool isIdentChar(char c);
// Index just past the name starting at i: letters, digits, '_' and, after the
// first character, '.' (loop.2). A quote between two name characters belongs
// to the name (isn't_done); af' keeps its quote out, as it ends there.
size_t nameEnd(std::string_view s, size_t i);
std::string_view trim(std::string_view s);

// A quote ' opens a character literal unless it directly follows a name
// character (as in af' or isn't).
bool opensCharLiteral(std::string_view s, size_t i);
// Index just past a string or character literal starting at i (or s.size()).
size_t skipLiteral(std::string_view s, size_t i);
// The bytes of a literal body: \n \r \t \b \f and \ooo (octal) stand for
// their character, a backslash before anything else for that character.
std::string unescape(std::string_view body);

// Index of the ';' that starts the comment (outside literals), or npos.
size_t commentStart(std::string_view s);
std::string stripComment(std::string_view s);
// Splits at commas outside parentheses and literals; blank text gives no items.
std::vector<std::string> splitOperands(std::string_view s);
// Statements of one line: '\' outside literals starts a new statement whose
// first character counts as the first column.
std::vector<std::string> splitStatements(std::string_view s);
std::vector<std::string> splitLines(std::string_view text);
// A source file's bytes, read as every file is (readRegularFile, at most
// 16 MiB). Throws FileFailure.
std::string readSourceFile(const std::filesystem::path& p);

} // namespace torvex::z80::detail
