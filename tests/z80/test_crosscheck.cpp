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

// The preview source means the same to every assembler its users have: one
// that keeps a #define line's comment in the body (strict TASM), and one with
// calculator-style headers beside it (read with -i, as such headers need).
TEST(PreviewSource, GivesTheSameBytesUnderEveryReadingOfItsDefinesAndHeaders) {
    using namespace torvex::z80;
    const std::string source = torvex::test::previewSourceText({"   0,   0,   0,  10,  10,  10",
                                                                " -20,  30,   5, -20,  30, -5",
                                                                " 100,-100,   0,-100, 100,  40"});
    const Assembly ours = assemble(source, "preview.z80");
    EXPECT_TRUE(ours.warnings.empty()) << ours.warnings.at(0).text();
    AssemblyOptions strict;
    strict.defineKeepsComment = true;
    EXPECT_EQ(assemble(source, "preview.z80", strict).bytes, ours.bytes);
    AssemblyOptions headers = strict;
    headers.ignoreCase = true;
    const Assembly beside = assemble(source, TORVEX_TEST_DATA "/ti-like/preview.z80", headers);
    EXPECT_EQ(beside.bytes, ours.bytes);
    EXPECT_EQ(beside.labels.at("MedY4"), static_cast<uint16_t>((0x8478 + 2) * 9));
    EXPECT_EQ(beside.labels.at("tLast"), 0xAE);
    EXPECT_EQ(beside.warnings.size(), 2u); // the same equate again; MedY4's precedence
}
