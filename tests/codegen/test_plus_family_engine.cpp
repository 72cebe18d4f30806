// The TI-83 Plus family's engine, made from the TI-83 engine template.
#include "codegen/plus_family_engine.h"

#include "base/ascii.h"
#include "codegen/scene_data.h"
#include "z80/assembler.h"
#include "z80/calculator_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace torvex;

TEST(PlusFamilyEngine, MovesTheMemoryMapAndTheRomCalls) {
    const TextLines ti83{"#define equ .equ",
                         "#define EQU .equ",
                         "#include \"ti83asm.inc\"",
                         "#include \"tokens.inc\"",
                         "#define carx 8273h\t;where the car is",
                         ".org 9327h",
                         "\tcall _getkey\t;wait for a key",
                         "\tld de,8e29h\t;the graph buffer, 8e29h",
                         "\tld h,8f00h>>8",
                         "\tcp 912ah>>8",
                         "\tld de,0fff4h",
                         "\tex af,af'\t;back to 8e29h",
                         "\tld de,0x8E29",
                         "\tld a,143"};
    const TextLines plus{"#define equ .equ", // EQU is equ where define names ignore case
                         "#ifndef EQU",
                         "#define EQU .equ",
                         "#endif",
                         "#include \"ti83plus.inc\"",
                         ";where the car is",
                         "#define carx 9880h",
                         ".org 9d93h",
                         "\t.db 0BBh,6Dh\t;t2ByteTok, tAsmCmp: an assembly program, run with "
                         "Asm(prgmNAME)",
                         "\trst 28h\t;wait for a key",
                         "\t.dw _GetKey",
                         "\tld de,9340h\t;the graph buffer, 9340h",
                         "\tld h,9400h>>8",
                         "\tcp 962ah>>8",
                         "\tld de,0fff4h",
                         "\tex af,af'\t;back to 9340h",
                         "\tld de,9340h",
                         "\tld a,143"};
    EXPECT_EQ(plusFamilyEngineLines(ti83), plus);
}

TEST(PlusFamilyEngine, RefusesWhatItCannotMove) {
    for (const char* line : {"\tld hl,8600h", "\tld a,(9200h)", "\tld h,8eh", "\tcp 91h",
                             "\tcall nz,_getkey", "\tjp _GRBUFCLR", "\tcall _GRBUFCPY",
                             "\tcall 4CFEh", "#include \"other.inc\"", ".org 9000h"}) {
        const auto transform = [&] { plusFamilyEngineLines({".org 9327h", line}); };
        EXPECT_THAT(transform,
                    testing::ThrowsMessage<EngineTransformError>(testing::HasSubstr("line 2")))
            << line;
    }
    EXPECT_THROW(plusFamilyEngineLines({"\tret"}), EngineTransformError); // no .org
}

// No instruction's address word lies in the TI-83 engine's RAM or at a TI-83
// ROM routine; every ROM call is an rst 28h and one of the family's routines.
TEST(PlusFamilyEngine, NoTi83AddressIsLeftInTheProgram) {
    const z80::CalculatorModel& ti83 = z80::calculatorModel(z80::Model::Ti83);
    const z80::CalculatorModel& plus = z80::calculatorModel(z80::Model::Ti83Plus);
    const std::string source =
        joinTextLines(previewSourceLines(plusFamilyEngineTemplateLines(), {}));
    const z80::Assembly a = z80::assemble(source, "plus.z80");
    ASSERT_EQ(a.origin, plus.origin);
    const auto wordAt = [&](size_t at) { return a.bytes[at] | (a.bytes[at + 1] << 8); };
    int romCalls = 0;
    for (size_t i = 0; i < a.listing.size(); ++i) {
        const z80::ListingEntry& entry = a.listing[i];
        const size_t at = entry.address - a.origin;
        if (entry.size == 3 || entry.size == 4) { // an instruction's address is its last word
            const unsigned word = wordAt(at + entry.size - 2);
            const bool ti83Ram =
                (word >= ti83.programRam.first && word <= ti83.programRam.last()) ||
                (word >= ti83.graphBuffer.first && word <= ti83.graphBuffer.last() + 1u) ||
                word == ti83.origin;
            EXPECT_FALSE(ti83Ram || ti83.routineAt(static_cast<uint16_t>(word)))
                << std::hex << word << " in line " << std::dec << entry.line;
        }
        if (entry.size == 1 && a.bytes[at] == 0xEF) { // rst 28h
            ASSERT_LT(i + 1, a.listing.size());
            EXPECT_TRUE(plus.routineAt(static_cast<uint16_t>(wordAt(at + 1))));
            ++romCalls;
        }
    }
    EXPECT_EQ(romCalls, 4);
    // The source means the same to an assembler that keeps a #define line's
    // comment in its body (strict TASM).
    z80::AssemblyOptions strict;
    strict.defineKeepsComment = true;
    EXPECT_EQ(z80::assemble(source, "plus.z80", strict).bytes, a.bytes);
    // ...and to one that folds the case of every name, defines included.
    strict.ignoreCase = true;
    EXPECT_EQ(z80::assemble(asciiLower(source), "plus.z80", strict).bytes, a.bytes);
    EXPECT_TRUE(a.warnings.empty()) << a.warnings.at(0).text();
}
