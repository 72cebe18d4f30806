// Test helpers around the Z80 toolchain: the preview source as the wizard
// writes it, and the independent cross-check of our bytes with Debian's pasmo.
#pragma once

#include "z80/assembler.h"

#include <cstdint>
#include <string>
#include <vector>

namespace torvex::test {

// The preview source file's bytes for these line list lines, by the product's code.
std::string previewSourceText(const std::vector<std::string>& listLines);

// One TASM-dialect line in pasmo's dialect: directives (.org, .db, .equ, ...),
// '^' and '&' as the words xor and and, octal numbers with a trailing q.
std::string translateLineToPasmo(const std::string& line);
// A whole source: #define NAME VALUE as equ, built-in #includes inlined,
// reading stops at .end.
std::string translateToPasmo(const std::string& source);

// Fails the test unless pasmo assembles the text to the same origin-based
// bytes as ours; names the first differing byte and the line it comes from.
void expectPasmoGivesSameBytes(const z80::Assembly& ours, const std::string& pasmoText);

} // namespace torvex::test
