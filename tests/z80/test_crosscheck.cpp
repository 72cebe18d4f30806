// Proof of the encoding: our assembler and Debian's pasmo must give identical
// bytes for a corpus of every documented instruction form.
#include "corpus.h"
#include "tests/support/toolchain.h"
#include "z80/assembler.h"

#include <gtest/gtest.h>

TEST(PasmoCrossCheck, EveryInstructionFormGivesIdenticalBytes) {
    auto corpus = torvex::z80::test::instructionCorpus();
    ASSERT_GT(corpus.size(), 1500u);
    std::vector<std::string> lines{"PLOT .equ 8E29h", "\t.org 9327h", "label0:"};
    for (size_t i = 0; i < corpus.size(); ++i) {
        if (i == corpus.size() / 3)
            lines.push_back("label1:");
        if (i == 2 * corpus.size() / 3)
            lines.push_back("label2:");
        lines.push_back(corpus[i]);
    }
    std::string tasm;
    for (const auto& l : lines)
        tasm += l + "\n";
    tasm += "\t.end\n";
    torvex::test::expectPasmoGivesSameBytes(torvex::z80::assemble(tasm, "corpus.z80"),
                                            torvex::test::translateToPasmo(tasm));
}
