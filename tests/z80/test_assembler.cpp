// Tests of the TASM-dialect assembler: directives, #define, #include, errors.
#include "z80/assembler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <random>
#include <unistd.h>

using namespace torvex::z80;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytes(const std::string& src) {
    return assemble(src, "t.z80").bytes;
}

// The diagnostics of a source that must fail.
std::vector<Diagnostic> errors(const std::string& src, const std::string& file = "t.z80") {
    try {
        assemble(src, file);
    } catch (const AssemblyError& e) {
        EXPECT_FALSE(e.diagnostics.empty());
        return e.diagnostics;
    }
    ADD_FAILURE() << "no error for:\n" << src;
    return {};
}

std::string firstError(const std::string& src) {
    auto d = errors(src);
    return d.empty() ? std::string() : d[0].text();
}

class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        path_ = fs::temp_directory_path() /
                ("torvex-asm-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    fs::path write(const std::string& name, const std::string& text) const {
        fs::path p = path_ / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

} // namespace

// ---------------------------------------------------------------- directives

TEST(Assembler, OrgSetsOriginAndLabels) {
    Assembly a = assemble(" .org 9327h\nstart: nop\nnext\n ret\n", "t.z80");
    EXPECT_EQ(a.origin, 0x9327);
    EXPECT_EQ(a.bytes, (Bytes{0x00, 0xC9}));
    EXPECT_EQ(a.labels.at("start"), 0x9327);
    EXPECT_EQ(a.labels.at("next"), 0x9328);
}

TEST(Assembler, OrgInFirstColumnIsADirective) {
    Assembly a = assemble(".org 100h\n\tret\n.end\n", "t.z80");
    EXPECT_EQ(a.origin, 0x100);
    EXPECT_EQ(a.bytes, (Bytes{0xC9}));
}

TEST(Assembler, SeveralOrgBlocksFillTheGap) {
    Assembly a = assemble(" .org 10h\n .db 1\n .org 14h\n .db 2\n", "t.z80");
    EXPECT_EQ(a.origin, 0x10);
    EXPECT_EQ(a.bytes, (Bytes{1, 0, 0, 0, 2}));
}

TEST(Assembler, DbNumbersNegativesStringsAndLabels) {
    Assembly a = assemble(R"( .org 9327h
tab:
 .db 0, 1, -1, -128, 255, 'A', "Hi;x", tab & 0FFh, tab >> 8
 .byte -100, 100
)",
                          "t.z80");
    EXPECT_EQ(a.bytes,
              (Bytes{0, 1, 0xFF, 0x80, 0xFF, 'A', 'H', 'i', ';', 'x', 0x27, 0x93, 0x9C, 100}));
}

TEST(Assembler, DbOfSceneDataLines) {
    // The data lines of a preview source file.
    Assembly a = assemble(" .org 0\ndata:\n        .db    0,   0,   0,  10,  10,  10\n"
                          "        .db -100, 100, -50,  -1,   1, -10\n        .db 128\n",
                          "t.z80");
    EXPECT_EQ(a.bytes, (Bytes{0, 0, 0, 10, 10, 10, 0x9C, 100, 0xCE, 0xFF, 1, 0xF6, 0x80}));
}

TEST(Assembler, DwAndWord) {
    Assembly a = assemble(" .org 9327h\nhere: .dw here, -1, 1234h\n .word $, 0\n", "t.z80");
    EXPECT_EQ(a.bytes, (Bytes{0x27, 0x93, 0xFF, 0xFF, 0x34, 0x12, 0x2D, 0x93, 0, 0}));
}

TEST(Assembler, EquAndAssignment) {
    Assembly a = assemble(R"(five .equ 5
six = five + 1
ten: .equ 10
 .org 0
 ld a,five
 ld b,six
 ld c,ten
 ld d,later
later .equ 7
)",
                          "t.z80");
    EXPECT_EQ(a.bytes, (Bytes{0x3E, 5, 0x06, 6, 0x0E, 10, 0x16, 7}));
    EXPECT_EQ(a.labels.at("six"), 6);
}

TEST(Assembler, EndStopsAssembly) {
    Assembly a =
        assemble(" .org 0\n nop\n .end\n this is not assembled (\n #include \"nope\"\n", "t.z80");
    EXPECT_EQ(a.bytes, (Bytes{0}));
}

TEST(Assembler, DsReservesZeroBytes) {
    Assembly a = assemble(" .org 0\n .db 1\n .block 3\n .ds 2\n .db 2\n", "t.z80");
    EXPECT_EQ(a.bytes, (Bytes{1, 0, 0, 0, 0, 0, 2}));
}

TEST(Assembler, ListDirectivesAreAccepted) {
    EXPECT_EQ(bytes(" .nolist\n .list\n nop\n"), (Bytes{0}));
}

// ---------------------------------------------------------------- numbers and expressions

TEST(Assembler, NumberForms) {
    EXPECT_EQ(bytes(" .db 10, 0ah, 0AH, 045h, $1F, 0x1F, 0X20, 101b, %101, 'a', 17o, 10d"),
              (Bytes{10, 10, 10, 0x45, 0x1F, 0x1F, 0x20, 5, 5, 'a', 15, 10}));
    EXPECT_EQ(bytes(" .dw 9327h, 8E29h, 0FFFFh"), (Bytes{0x27, 0x93, 0x29, 0x8E, 0xFF, 0xFF}));
}

TEST(Assembler, DollarIsTheCurrentAddress) {
    EXPECT_EQ(bytes(" .org 100h\n jp $\n jr $\n .dw $+1"),
              (Bytes{0xC3, 0x00, 0x01, 0x18, 0xFE, 0x06, 0x01}));
}

TEST(Assembler, Expressions) {
    EXPECT_EQ(bytes(" .db 1+2, 7-9, 3*4, 100/7, 12&10, 12|3, 12^10, 1<<4, 80h>>3, (1+2)*3, -(2+3), "
                    "~0&0Fh, 2*3+1, 10-2-3"),
              (Bytes{3, 0xFE, 12, 14, 8, 15, 6, 16, 16, 9, 0xFB, 15, 7, 5}));
}

TEST(Assembler, ExpressionsThatDependOnPrecedenceNeedParentheses) {
    // TASM evaluates left to right, other assemblers by precedence: 1+2*3 is 9 or 7.
    std::string e = firstError(" .db 1+2*3");
    EXPECT_NE(e.find("add parentheses"), std::string::npos) << e;
    EXPECT_EQ(bytes(" .db 1+(2*3), (1+2)*3"), (Bytes{7, 9}));
}

TEST(Assembler, DivisionByZero) {
    EXPECT_EQ(firstError(" .db 1/0"), "t.z80:1: division by zero");
}

TEST(Assembler, BadNumbers) {
    EXPECT_NE(firstError(" .db 12x").find("bad number '12x'"), std::string::npos);
    EXPECT_NE(firstError(" .db 102b").find("bad number"), std::string::npos);
    EXPECT_NE(firstError(" .dw 123456789012h").find("too large"), std::string::npos);
}

// ---------------------------------------------------------------- labels and case

TEST(Assembler, LabelForms) {
    Assembly a = assemble(R"( .org 0
first: nop
second nop
third:
fourth
   fifth: nop
sixth:ret
 jp third
)",
                          "t.z80");
    EXPECT_EQ(a.labels.at("first"), 0);
    EXPECT_EQ(a.labels.at("second"), 1);
    EXPECT_EQ(a.labels.at("third"), 2);
    EXPECT_EQ(a.labels.at("fourth"), 2);
    EXPECT_EQ(a.labels.at("fifth"), 2);
    EXPECT_EQ(a.labels.at("sixth"), 3);
    EXPECT_EQ(a.bytes, (Bytes{0, 0, 0, 0xC9, 0xC3, 2, 0}));
}

TEST(Assembler, LabelsAreCaseSensitive) {
    Assembly a = assemble(" .org 0\nLoop: nop\nloop: nop\n jp Loop\n jp loop\n", "t.z80");
    EXPECT_EQ(a.bytes, (Bytes{0, 0, 0xC3, 0, 0, 0xC3, 1, 0}));
    std::string e = firstError("Loop: nop\n jp LOOP\n");
    EXPECT_EQ(e, "t.z80:2: undefined label 'LOOP' (did you mean 'Loop'? labels are "
                 "case-sensitive)");
}

TEST(Assembler, RomCallNamesKeepTheCalculatorsSpelling) {
    EXPECT_EQ(bytes("#include \"ti83asm.inc\"\n call _GRBUFCLR\n call _getkey\n"),
              (Bytes{0xCD, 0x5B, 0x51, 0xCD, 0xFE, 0x4C}));
    std::string e = firstError("#include \"ti83asm.inc\"\n call _grbufclr\n");
    EXPECT_NE(e.find("undefined label '_grbufclr'"), std::string::npos) << e;
    EXPECT_NE(e.find("_GRBUFCLR"), std::string::npos) << e;
}

TEST(Assembler, MnemonicsRegistersAndDirectivesIgnoreCase) {
    EXPECT_EQ(bytes(" .ORG 0\n LD A,(IX+1)\n Ld Hl,0\n .DB 1\n .Dw 2\n DJNZ $\n"),
              (Bytes{0xDD, 0x7E, 0x01, 0x21, 0, 0, 1, 2, 0, 0x10, 0xFE}));
}

// ---------------------------------------------------------------- #define

TEST(Assembler, DefineIsWholeWordSubstitution) {
    Assembly a = assemble(R"(#define count 8265h
#define KEY 45h ; comment
 .org 0
 ld a,(count)
 cp KEY
countx: .db "count", 'c'
 ld hl,countx
 .db KEY+1
)",
                          "t.z80");
    EXPECT_EQ(a.bytes, (Bytes{0x3A, 0x65, 0x82, 0xFE, 0x45, 'c', 'o', 'u', 'n', 't', 'c', 0x21,
                              0x05, 0x00, 0x46}));
    EXPECT_EQ(a.defines.at("count"), "8265h");
    EXPECT_EQ(a.symbol("count"), 0x8265);
    EXPECT_EQ(a.symbol("countx"), 5);
    EXPECT_EQ(a.symbol("nothing"), std::nullopt);
}

TEST(Assembler, DefinesOfTheEngineTemplate) {
    Assembly a = assemble(R"(#define equ .equ
#define EQU .equ
#define END .end
five equ 5
six EQU 6
 .org 0
 .db five, six
.end
END
)",
                          "t.z80");
    EXPECT_EQ(a.bytes, (Bytes{5, 6}));
}

TEST(Assembler, DefineEndEndsAssembly) {
    EXPECT_EQ(bytes("#define END .end\n nop\nEND\n garbage here\n"), (Bytes{0}));
}

TEST(Assembler, DefinesAreCaseSensitiveAndExpandRecursively) {
    EXPECT_EQ(bytes("#define A1 B1+1\n#define B1 5\n .db A1, a1\na1 .equ 9\n"), (Bytes{6, 9}));
}

TEST(Assembler, SelfReferencingDefinesDoNotHang) {
    std::string e = firstError("#define X X+1\n .db X\n");
    EXPECT_NE(e.find("undefined label 'X'"), std::string::npos) << e;
    e = firstError("#define P Q\n#define Q P\n .db P\n");
    EXPECT_NE(e.find("undefined label 'P'"), std::string::npos) << e;
}

TEST(Assembler, DefineAfterUseDoesNotApplyBefore) {
    std::string e = firstError(" .db LATE\n#define LATE 3\n");
    EXPECT_NE(e.find("undefined label 'LATE'"), std::string::npos) << e;
}

TEST(Assembler, IfdefElseEndif) {
    EXPECT_EQ(
        bytes("#define A\n#ifdef A\n .db 1\n#else\n .db 2\n#endif\n#ifndef A\n .db 3\n#endif\n"),
        (Bytes{1}));
    EXPECT_NE(firstError("#ifdef X\n").find("#ifdef without #endif"), std::string::npos);
    EXPECT_NE(firstError("#endif\n").find("#endif without #ifdef"), std::string::npos);
}

// ---------------------------------------------------------------- #include

TEST(Assembler, IncludeBesideTheSource) {
    TempDir dir;
    dir.write("defs.inc", "VALUE .equ 42\n#define TWICE VALUE*2\n");
    dir.write("sub/more.inc", " .db 7\n");
    fs::path main = dir.write("main.z80", "#include \"defs.inc\"\n .org 0\n .db VALUE, TWICE\n"
                                          "#include \"sub/more.inc\"\n");
    Assembly a = assembleFile(main);
    EXPECT_EQ(a.bytes, (Bytes{42, 84, 7}));
}

TEST(Assembler, IncludeFileBesideTheSourceWinsOverBuiltIn) {
    TempDir dir;
    dir.write("ti83asm.inc", "_getkey .equ 1234h\n");
    fs::path main = dir.write("main.z80", "#include \"ti83asm.inc\"\n call _getkey\n");
    EXPECT_EQ(assembleFile(main).bytes, (Bytes{0xCD, 0x34, 0x12}));
}

TEST(Assembler, BuiltInIncludes) {
    Assembly a = assemble("#include \"ti83asm.inc\"\n#include \"tokens.inc\"\n", "nowhere/x.z80");
    EXPECT_EQ(a.labels.at("_CLRLCDFULL"), 0x4755);
    EXPECT_EQ(a.labels.at("_GRBUFCLR"), 0x515B);
    EXPECT_EQ(a.labels.at("_GRBUFCPY_V"), 0x5164);
    EXPECT_EQ(a.labels.at("_getkey"), 0x4CFE);
    EXPECT_EQ(a.labels.at("PLOTSSCREEN"), 0x8E29);
    EXPECT_EQ(a.labels.at("SAVESSCREEN"), 0x8265);
    EXPECT_TRUE(a.bytes.empty());
}

TEST(Assembler, ErrorsInIncludedFilesNameThatFile) {
    TempDir dir;
    dir.write("bad.inc", "; one\n; two\n frobnicate a\n");
    fs::path main = dir.write("main.z80", " nop\n#include \"bad.inc\"\n");
    try {
        assembleFile(main);
        FAIL();
    } catch (const AssemblyError& e) {
        ASSERT_EQ(e.diagnostics.size(), 1u);
        EXPECT_EQ(e.diagnostics[0].file, (dir.path() / "bad.inc").string());
        EXPECT_EQ(e.diagnostics[0].line, 3);
        EXPECT_EQ(e.diagnostics[0].message, "unknown instruction 'frobnicate'");
    }
}

TEST(Assembler, MissingInclude) {
    EXPECT_EQ(firstError(" nop\n#include \"nothere.inc\"\n"),
              "t.z80:2: cannot find include file \"nothere.inc\"");
}

TEST(Assembler, SelfInclusion) {
    TempDir dir;
    fs::path self = dir.write("self.z80", " nop\n#include \"self.z80\"\n");
    try {
        assembleFile(self);
        FAIL();
    } catch (const AssemblyError& e) {
        EXPECT_EQ(e.diagnostics.at(0).text(), self.string() + ":2: \"self.z80\" includes itself");
    }
    dir.write("a.inc", "#include \"b.inc\"\n");
    dir.write("b.inc", "#include \"a.inc\"\n");
    fs::path m = dir.write("m.z80", "#include \"a.inc\"\n");
    try {
        assembleFile(m);
        FAIL();
    } catch (const AssemblyError& e) {
        EXPECT_NE(e.diagnostics.at(0).message.find("includes itself"), std::string::npos);
    }
}

TEST(Assembler, UnreadableSourceFile) {
    try {
        assembleFile("/nonexistent/dir/x.z80");
        FAIL();
    } catch (const AssemblyError& e) {
        EXPECT_EQ(e.diagnostics.at(0).text(),
                  "/nonexistent/dir/x.z80:0: cannot open the source file");
    }
}

// ---------------------------------------------------------------- errors

TEST(AssemblerErrors, UnknownInstruction) {
    EXPECT_EQ(firstError(" nop\n mov a,b\n"), "t.z80:2: unknown instruction 'mov'");
}

TEST(AssemblerErrors, UndefinedLabel) {
    EXPECT_EQ(firstError(" jp nowhere\n"), "t.z80:1: undefined label 'nowhere'");
}

TEST(AssemblerErrors, DuplicateLabel) {
    EXPECT_EQ(firstError("twice: nop\ntwice: nop\n"),
              "t.z80:2: duplicate label 'twice' (first defined at t.z80:1)");
    EXPECT_NE(firstError("x .equ 1\nx .equ 2\n").find("duplicate label 'x'"), std::string::npos);
}

TEST(AssemblerErrors, DbValueOutOfRange) {
    EXPECT_EQ(firstError(" .db 256\n"), "t.z80:1: value 256 out of range (-128..255)");
    EXPECT_EQ(firstError(" .db -129\n"), "t.z80:1: value -129 out of range (-128..255)");
    EXPECT_EQ(firstError(" ld a,300\n"), "t.z80:1: value 300 out of range (-128..255)");
    EXPECT_EQ(firstError(" .dw 65536\n"), "t.z80:1: value 65536 out of range (-32768..65535)");
    EXPECT_EQ(firstError(" ld a,(ix+128)\n"),
              "t.z80:1: index displacement 128 out of range (-128..127)");
}

TEST(AssemblerErrors, RelativeJumpOutOfReach) {
    std::string src = " .org 0\nstart: nop\n .ds 200\n jr start\n";
    EXPECT_EQ(firstError(src), "t.z80:4: relative jump out of reach (-203 bytes; -128..127)");
    EXPECT_NE(firstError(" djnz $+200\n").find("relative jump out of reach"), std::string::npos);
}

TEST(AssemblerErrors, BadOperands) {
    EXPECT_NE(firstError(" ld (hl),(hl)\n").find("invalid operands for 'ld'"), std::string::npos);
    EXPECT_NE(firstError(" ld bc,de\n").find("invalid operands"), std::string::npos);
    EXPECT_NE(firstError(" jr po,$\n").find("invalid operands"), std::string::npos);
    EXPECT_NE(firstError(" bit 8,a\n").find("bit number 8 out of range"), std::string::npos);
    EXPECT_NE(firstError(" rst 9\n").find("rst address 9 invalid"), std::string::npos);
    EXPECT_NE(firstError(" im 3\n").find("interrupt mode 3"), std::string::npos);
    EXPECT_NE(firstError(" nop a\n").find("takes no operands"), std::string::npos);
    EXPECT_NE(firstError(" push\n").find("takes 1 operand"), std::string::npos);
    EXPECT_NE(firstError(" ld a,\n").find("missing operand"), std::string::npos);
    EXPECT_NE(firstError(" ld a,(ix*2)\n").find("bad index operand"), std::string::npos);
    EXPECT_NE(firstError(" out (300),a\n").find("port 300 out of range"), std::string::npos);
}

TEST(AssemblerErrors, UnknownDirectives) {
    EXPECT_EQ(firstError(" .frob 1\n"), "t.z80:1: unknown directive '.frob'");
    EXPECT_EQ(firstError("#pragma once\n"), "t.z80:1: unknown directive '#pragma'");
}

TEST(AssemblerErrors, UnindentedInstructionIsNotALabel) {
    EXPECT_NE(firstError("ret\n").find("instructions must be indented"), std::string::npos);
}

TEST(AssemblerErrors, OrgNeedsKnownValueAndCodeMustFit) {
    EXPECT_NE(
        firstError(" .org later\nlater: nop\n").find("must not use a label defined further on"),
        std::string::npos);
    EXPECT_NE(firstError(" .org 0FFFFh\n nop\n nop\n").find("past address FFFFh"),
              std::string::npos);
    EXPECT_NE(firstError(" .org 10000h\n").find("out of range"), std::string::npos);
}

TEST(AssemblerErrors, SeveralErrorsAreAllReported) {
    auto d = errors(" mov\n nop\n .db 300\n jp nowhere\n");
    // Pass 1 stops at the structural error; the value errors need pass 2.
    ASSERT_EQ(d.size(), 1u);
    d = errors(" .db 300\n nop\n jp nowhere\n ld a,(ix+200)\n");
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0].line, 1);
    EXPECT_EQ(d[1].line, 3);
    EXPECT_EQ(d[2].line, 4);
}

TEST(AssemblerErrors, WhatHoldsEveryDiagnostic) {
    try {
        assemble(" .db 300\n jp nowhere\n", "x.z80");
        FAIL();
    } catch (const AssemblyError& e) {
        EXPECT_EQ(
            std::string(e.what()),
            "x.z80:1: value 300 out of range (-128..255)\nx.z80:2: undefined label 'nowhere'");
    }
}

TEST(AssemblerErrors, ManyErrorsAreCapped) {
    std::string src;
    for (int i = 0; i < 500; ++i)
        src += " bogus\n";
    auto d = errors(src);
    EXPECT_LE(d.size(), 51u);
    EXPECT_EQ(d.back().message, "too many errors; stopping");
}

TEST(AssemblerErrors, RandomGarbageNeverCrashes) {
    std::mt19937 rng(1234);
    const std::string alphabet = " \t,;:()+-*/&|^<>$%'\"#.0123456789abcdefhixylrABCDEFHX_\n";
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1), len(0, 40);
    const std::vector<std::string> words = {"ld",   "jr",   "#define", "#include", ".db",
                                            ".org", "(ix+", "af'",     "'",        "\"",
                                            "$",    "%",    ".end"};
    std::uniform_int_distribution<size_t> pickWord(0, words.size() - 1);
    for (int round = 0; round < 3000; ++round) {
        std::string src;
        int lines = 1 + static_cast<int>(rng() % 4);
        for (int l = 0; l < lines; ++l) {
            if (rng() % 2)
                src += " " + words[pickWord(rng)] + " ";
            size_t n = len(rng);
            for (size_t i = 0; i < n; ++i)
                src += alphabet[pick(rng)];
            src += "\n";
        }
        try {
            assemble(src, "fuzz.z80");
        } catch (const AssemblyError& e) {
            ASSERT_FALSE(e.diagnostics.empty());
            for (const auto& d : e.diagnostics)
                ASSERT_EQ(d.file, "fuzz.z80") << src;
        }
    }
}

// ---------------------------------------------------------------- instructions (spot checks)

TEST(Assembler, AluAcceptsBothOperandForms) {
    EXPECT_EQ(bytes(" sub a,b\n sub b\n and a,5\n cp a,(hl)\n xor (iy-1)\n"),
              (Bytes{0x90, 0x90, 0xE6, 5, 0xBE, 0xFD, 0xAE, 0xFF}));
}

TEST(Assembler, ParenthesisedExpressionIsImmediateUnlessItSpansTheOperand) {
    EXPECT_EQ(bytes(" ld hl,(1234h)\n ld hl,(1+2)+(3+4)\n"),
              (Bytes{0x2A, 0x34, 0x12, 0x21, 10, 0}));
}

TEST(Assembler, ListingMapsAddressesToLines) {
    Assembly a = assemble(" .org 100h\n nop\n\n ld a,1\n", "t.z80");
    ASSERT_EQ(a.listing.size(), 2u);
    EXPECT_EQ(a.listing[1].address, 0x101);
    EXPECT_EQ(a.listing[1].size, 2);
    EXPECT_EQ(a.listing[1].line, 4);
}

TEST(Assembler, PreprocessGivesExpandedLines) {
    auto lines = preprocess("#define X 5 ; five\n ld a,X ; load\n.end\n ld b,X\n", "p.z80");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, " ld a,5 ");
    EXPECT_EQ(lines[0].line, 2);
    EXPECT_EQ(lines[1].text, ".end");
}

TEST(Assembler, StringEscapes) {
    EXPECT_EQ(bytes(R"( .db "a\"b", "\\", "x\ny", '\'', '\0', "semi;colon")"),
              (Bytes{'a', '"', 'b', '\\', 'x', '\n', 'y', '\'', 0, 's', 'e', 'm', 'i', ';', 'c',
                     'o', 'l', 'o', 'n'}));
}

TEST(Assembler, ByteOrderMarkIsIgnored) {
    EXPECT_EQ(bytes("\xEF\xBB\xBFstart: nop\n jp start\n"), (Bytes{0, 0xC3, 0, 0}));
}

TEST(AssemblerErrors, RegisterNamesAreNotLabels) {
    EXPECT_NE(firstError("hl: nop\n").find("register name"), std::string::npos);
    EXPECT_NE(firstError("a .equ 5\n").find("register name"), std::string::npos);
}

TEST(AssemblerErrors, PathologicalInputEndsWithAnError) {
    std::string defines;
    for (int i = 0; i < 24; ++i) // 2^24 copies: too long long before too deep
        defines += "#define D" + std::to_string(i) + " D" + std::to_string(i + 1) + " D" +
                   std::to_string(i + 1) + "\n";
    EXPECT_NE(firstError(defines + " .db D0\n").find("too long"), std::string::npos);
    EXPECT_NE(firstError(" .db " + std::string(100000, '(') + "1" + std::string(100000, ')') + "\n")
                  .find("nested too deeply"),
              std::string::npos);
    EXPECT_NE(firstError(" .db " + std::string(100000, '-') + "1\n").find("nested too deeply"),
              std::string::npos);
}
