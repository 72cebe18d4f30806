// A corpus of every documented Z80 instruction form for the pasmo cross-check.
#pragma once

#include <string>
#include <vector>

namespace torvex::z80::test {

// TASM-dialect lines (instructions indented by a tab; a few labels). They
// refer to the symbols PLOT, label0, label1 and label2, which the caller defines.
std::vector<std::string> instructionCorpus();

} // namespace torvex::z80::test
