// The TASM-dialect assembler: bytes derived by hand from the Z80 manual and TASM's rules.
#include "tests/support/temporary_folder.h"
#include "z80/assembler.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

using namespace torvex::z80;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

// The diagnostics of a source that must fail.
std::vector<Diagnostic> errors(const std::string& src, const AssemblyOptions& options = {}) {
    try {
        assemble(src, "t.z80", options);
    } catch (const AssemblyError& e) {
        return e.diagnostics;
    }
    ADD_FAILURE() << "no error for:\n" << src;
    return {{}};
}

using TempDir = torvex::test::TemporaryFolder;

struct BytesCase {
    std::string source;
    Bytes bytes;
    bool ignoreCase = false;
};

} // namespace

TEST(Assembler, EachConstructGivesItsBytes) {
    const std::vector<BytesCase> cases = {
        // directives
        {" .org 10h\n .db 1\n .org 14h\n .db 2\n", {1, 0, 0, 0, 2}},
        {".org 100h\n\tret\n.end\n nop\n this is not read (\n", {0xC9}},
        {" .db 0, -1, -128, 255, 'A', \"Hi;x\", \"\", 1000h >> 8\n .byte -100",
         {0, 0xFF, 0x80, 0xFF, 'A', 'H', 'i', ';', 'x', 0x10, 0x9C}},
        {" .db 1,2,\n .dw 3,\n", {1, 2, 3, 0}}, // a trailing comma adds nothing
        {" .db 1\n .block 2\n .ds 1\n .fill 2\n .fill 1,7\n", {1, 0, 0, 0, 0xFF, 0xFF, 7}},
        {" .org 0FFFFh\n .fill 1\n", {0xFF}},
        {" .org 0\n .db 1, 2, 0FFh\n .chk 0\n .chk 3\n .chk $\n", {1, 2, 0xFF, 2, 2, 0}},
        {" .nolist\n .list\n .echo \"x\"\n .title \"t\"\n .cseg\n nop\n", {0}},
        {"five .equ 5\nsix = five + 1\nten: .equ 10\n ld a,five\n ld b,six\n ld c,ten\n"
         " ld d,later\nlater .equ 7\n",
         {0x3E, 5, 0x06, 6, 0x0E, 10, 0x16, 7}},
        {"*= 100h\n jp $\n$= 103h\n .dw $\n", {0xC3, 0, 1, 3, 1}},
        // numbers and expressions: strictly left to right
        {" .db 10, 0ah, $1F, 0x1F, 101b, %101, 17o, 17q, @17, 10d, 'a', 0x5",
         {10, 10, 0x1F, 0x1F, 5, 5, 15, 15, 15, 10, 'a', 5}},
        {" .db 0AH, 101B, 17O, 17Q, 10D, 0X1F, $A0, $ff\n .dw $C000",
         {10, 5, 15, 15, 10, 0x1F, 0xA0, 0xFF, 0x00, 0xC0}},
        // the largest 32-bit value in every radix (a .dw takes -1)
        {" .dw 11111111111111111111111111111111b, %11111111111111111111111111111111\n"
         " .dw 37777777777o, @37777777777, 0FFFFFFFFh, $FFFFFFFF, 4294967295",
         Bytes(14, 0xFF)},
        // $ and a hex digit is a number, else the location counter
        {" .org 100h\n .dw $F, $+0Fh, $-$F", {0x0F, 0, 0x0F, 1, 0xF1, 0}},
        {" .db 1+2*3, (1+2)*3, 1+(2*3), 10-2-3, 7%4, ~0&0Fh, 80h>>3, 2*3+1, -(2+3)",
         {9, 9, 7, 5, 3, 15, 16, 7, 0xFB}},
        {" .db 2==2, 2=3, 2!=3, 1<2, 2>1, 2<=2, 3>=4, 12|3, 12^10, 3>=3",
         {1, 0, 1, 1, 1, 1, 0, 15, 6, 1}},
        {" .db (1 << 31) >> 31, -8 >> 32, 1 << 32, -7 % 2, -7 / 2", {0xFF, 0xFF, 0, 0xFF, 0xFD}},
        {" .org 100h\n jr $\n .dw *+1", {0x18, 0xFE, 0x03, 0x01}},
        // each bound at its edge: jumps of +127 and -128, 8- and 16-bit values
        {" .org 100h\n jr $+129\n jr $-126\n djnz $+129\n jr nc,$-126",
         {0x18, 0x7F, 0x18, 0x80, 0x10, 0x7F, 0x30, 0x80}},
        {" .db -128, 255\n .dw -32768, 65535\n ld a,-128\n ld b,255\n ld (ix-128),a\n"
         " ld (iy+127),-128",
         {0x80, 0xFF, 0x00, 0x80, 0xFF, 0xFF, 0x3E, 0x80, 0x06, 0xFF, 0xDD, 0x77, 0x80, 0xFD, 0x36,
          0x7F, 0x80}},
        // forms pasmo does not take
        {" in (c)\n IN (C)", {0xED, 0x70, 0xED, 0x70}},
        {" .db \"a\\\"b\" \\ nop\n", {0x61, 0x22, 0x62, 0x00}}, // an escaped quote
        {" nop\r ld a,1\r", {0, 0x3E, 1}},                      // lines that end in CR alone
        // labels: anything in the first column, with or without ':'
        {" .org 0\nfirst: nop\nsecond nop\nthird:\n   fourth: ret\n jp third\n jp second\n",
         {0, 0, 0xC9, 0xC3, 2, 0, 0xC3, 1, 0}},
        {"Ld .equ 64h\ncall: nop\na .equ 2\n ld a,Ld\n call call\n .db a\n",
         {0, 0x3E, 0x64, 0xCD, 0, 0, 2}},
        {"isn't_done: nop\n jp isn't_done\n ex af,af'\n", {0, 0xC3, 0, 0, 0x08}},
        {" .org 5\nhere $\n .dw here\n", {5, 0}},
        {"n .set 1\n .db n\nn .set n+1\n .db n\nloop.2: jr loop.2\n", {1, 2, 0x18, 0xFE}},
        {" .org 0\nLoop: nop\nloop: nop\n jp Loop\n jp loop\n", {0, 0, 0xC3, 0, 0, 0xC3, 1, 0}},
        // -i is for labels: a #define TASM leaves the label tasm alone
        {"Value .equ 3\n .db VALUE, value\n#define TASM 1\ntasm .equ 5\n .db TASM, Tasm\n",
         {3, 3, 1, 5},
         true},
        {"x .equ 1\nx .equ 1\n .db x\n", {1}},
        {"_g .equ 10h\n .module one\n_loop: jr _loop\n .module two\n_loop: jr _loop\n"
         " .dw _loop, _g\n",
         {0x18, 0xFE, 0x18, 0xFE, 2, 0, 0x10, 0}},
        // the preprocessor
        {"#define count 8265h\n#define KEY 45h ; key\n ld a,(count)\n cp KEY\ncountx: .db "
         "\"count\"\n ld hl,countx\n",
         {0x3A, 0x65, 0x82, 0xFE, 0x45, 'c', 'o', 'u', 'n', 't', 0x21, 0x05, 0x00}},
        {"#define equ .equ\n#define END .end\nfive equ 5\n .db five\nEND\n .db 6\n", {5}},
        {"#define A1 B1+1\n#define B1 5\n .db A1, a1\na1 .equ 9\n", {6, 9}},
        {"#define bcall(x) rst 28h \\ .dw x\n bcall(4755h)\n bcall( 1+2 )\n",
         {0xEF, 0x55, 0x47, 0xEF, 3, 0}},
        {"#define sum(a,b) .db a+b, a\n sum(1,2)\n", {3, 1}},
        {"#define out2(v) ld a,v\n#defcont \\ out (0),a\n out2(7)\n", {0x3E, 7, 0xD3, 0}},
        {"#define U 1\n#undef U\n#ifdef U\n .db 1\n#endif\nU .equ 2\n .db U\n", {2}},
        {"#if 1\n#if 0\n .db 1\n#else\n .db 2\n#endif\n#else\n .db 3\n#endif\n"
         "#if 0\n#ifdef NONE\n#else\n .db 4\n#endif\n#endif\n",
         {2}},
        {" nop \\ ld a,1\\ ret\n .db \"a\\\\b\" \\ .db ';'\n",
         {0, 0x3E, 1, 0xC9, 'a', '\\', 'b', ';'}},
        {"#define A\n#ifdef A\n .db 1\n#else\n .db 2\n#endif\n#ifndef A\n .db 3\n#endif\n", {1}},
        {"#define V 3\n#if V == 3\n .db 1\n#else\n .db 2\n#endif\n#if 0\n#if undefined\n#endif\n"
         "#endif\n",
         {1}},
        {".addinstr B_CALL * EF 3 NOP 1\n.addinstr HALT2 \"\" 7676 2 NOP 1\n b_call 4755h\n "
         "halt2\n.addinstr FOO \"\" 123 2 NOP 1\n foo\n",
         {0xEF, 0x55, 0x47, 0x76, 0x76, 0x23, 0x01}},
        {"#include <ti83asm.inc>\n call _GRBUFCLR\n call _getkey\n call _CLRLCDFULL\n"
         " call _GRBUFCPY_V\n",
         {0xCD, 0x5B, 0x51, 0xCD, 0xFE, 0x4C, 0xCD, 0x55, 0x47, 0xCD, 0x64, 0x51}},
        {"\xEF\xBB\xBFstart: nop\n jp start\n\x1A\x1A", {0, 0xC3, 0, 0}},
        {" .db \"\\b\\f\\101\\t\\0\\q\\n\\r\\1011\"\n", {8, 12, 'A', 9, 0, 'q', 10, 13, 'A', '1'}},
        // instructions: case, both forms of the ALU operations, (nn) only spanning the operand
        {" LD A,(IX+1)\n Ld Hl,0\n DJNZ $\n sub a,b\n xor (iy-1)\n ld hl,(1+2)+(3+4)\n",
         {0xDD, 0x7E, 1, 0x21, 0, 0, 0x10, 0xFE, 0x90, 0xFD, 0xAE, 0xFF, 0x21, 10, 0}},
    };
    for (const BytesCase& c : cases) {
        AssemblyOptions options;
        options.ignoreCase = c.ignoreCase;
        try {
            EXPECT_EQ(assemble(c.source, "t.z80", options).bytes, c.bytes) << c.source;
        } catch (const AssemblyError& e) {
            ADD_FAILURE() << c.source << "\n" << e.what();
        }
    }
}

TEST(Assembler, WarningsNameTheLineAndNeverStopTheAssembly) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {" .db 1+2*3\n", "t.z80:1: warning: '1+2*3' is 9 read left to right (as TASM reads it) "
                         "but 7 by the usual operator precedence"},
        {" .db 1^3&2\n", "t.z80:1: warning: '1^3&2' is 2 read left to right (as TASM reads it) "
                         "but 3 by the usual operator precedence"},
        {"#define carx 8273h ;where the car is\n ld (carx),a\n",
         "t.z80:2: warning: 'carx' brings the comment of its #define (t.z80:1) into this line"},
        {"#define D 1 ;one\n#defcont +1\n .db D\n", "t.z80:2: warning: #defcont continues 'D'"},
        {"x .equ 1\nx .equ 1\n", "t.z80:2: warning: 'x' defined again with the same value"},
        {".addinstr B_JUMP * 3AC3 5 T1 1\n", "t.z80:1: warning: .addinstr with rule T1"},
        {"ret\n", "t.z80:1: warning: 'ret' in the first column is a label"},
        {" nop\n .db 1\x1A,2\n .db 3\n",
         "t.z80:2: warning: a Ctrl-Z (1Ah, the end of a DOS file) ends the file here"},
        {" nop\n\x1A .db 2\n", "t.z80:2: warning: a Ctrl-Z (1Ah, the end of a DOS file) ends"},
        {" nop\n .end\n\n ; c\n\t\nEND\n .db 1\n", "t.z80:6: warning: this line follows .end"},
        {"symTable .equ FE6Eh\n",
         "t.z80:1: warning: 'symTable' cannot be evaluated (undefined label 'FE6Eh'): using it is "
         "an error"},
        {"z .equ 1/0\n",
         "t.z80:1: warning: 'z' cannot be evaluated (division by zero): using it is an error"},
    };
    AssemblyOptions options;
    options.warnAfterEnd = true;
    for (const auto& [source, warning] : cases) {
        Assembly a = assemble(source, "t.z80", options);
        ASSERT_EQ(a.warnings.size(), 1u) << source;
        EXPECT_EQ(a.warnings[0].text().substr(0, warning.size()), warning);
    }
    // Harmless: nothing after the name; a label with a colon or an equate; Ctrl-Z at the end.
    EXPECT_TRUE(assemble("#define K 1 ;k\n ld hl,K ;own comment\ncall: .db K\nLd .equ 1\n .end "
                         ";x\n;y\n\x1A\x1A\r\n",
                         "t.z80", options)
                    .warnings.empty());
}

TEST(Assembler, TheStrictReadingOfADefineKeepsItsComment) {
    AssemblyOptions strict;
    strict.defineKeepsComment = true;
    EXPECT_EQ(
        assemble("#define V 5 ;five\n .db V,6\n#define X ld\n#defcont a,5\n X\n", "t.z80", strict)
            .bytes,
        (Bytes{5, 0x3E, 5})); // and #defcont joins with a space
}

TEST(Assembler, IncludeFilesBesideTheSourceBeforeTheBuiltInOnes) {
    TempDir dir;
    dir.write("defs.inc", "VALUE .equ 42\n#define TWICE VALUE*2\n");
    dir.write("ti83asm.inc", "_getkey .equ 1234h\n");
    dir.write("bad.inc", "; one\n frobnicate a\n");
    dir.write("self.z80", "#include \"self.z80\"\n");
    fs::path main = dir.write("main.z80", "#include \"DEFS.INC\"\n#include \"ti83asm.inc\"\n"
                                          " .db VALUE, TWICE\n call _getkey\n");
    EXPECT_EQ(assembleFile(main).bytes, (Bytes{42, 84, 0xCD, 0x34, 0x12}));
    EXPECT_EQ(assembleFile(main).includedFiles,
              (std::vector<fs::path>{dir / "defs.inc", dir / "ti83asm.inc"}));
    fs::create_directory(dir / "folder.inc");
    ASSERT_EQ(::mkfifo((dir / "pipe.inc").c_str(), 0600), 0);
    Assembly builtIn = assemble("#include \"TI83ASM.INC\"\n#include \"tokens.inc\"\n", "x/y.z80");
    EXPECT_EQ(builtIn.labels.at("PLOTSSCREEN"), 0x8E29);
    // Files that include one another many times over, or add up to too much.
    for (int level = 0; level < 13; ++level)
        dir.write("fan" + std::to_string(level) + ".inc",
                  "#include \"fan" + std::to_string(level + 1) + ".inc\"\n#include \"fan" +
                      std::to_string(level + 1) + ".inc\"\n");
    dir.write("fan13.inc", " nop\n");
    for (int level = 0; level <= 32; ++level) // 32 levels below the source, not 33
        dir.write("deep" + std::to_string(level) + ".inc",
                  level < 32 ? "#include \"deep" + std::to_string(level + 1) + ".inc\"\n"
                             : " nop\n");
    EXPECT_EQ(assembleFile(dir.write("main3.z80", "#include \"deep1.inc\"\n")).bytes, Bytes{0});
    dir.write("big.inc", ";" + std::string((2 << 20) - 64, 'x') + "\n");
    std::string bigTimes17;
    for (int i = 0; i < 17; ++i)
        bigTimes17 += "#include \"big.inc\"\n";
    dir.write("big17.inc", bigTimes17);
    for (const auto& [file, message] : std::vector<std::pair<std::string, std::string>>{
             {"fan0.inc", "fan12.inc:2: more than 4096 #include in one assembly (do files "
                          "include one another many times over?)"},
             {"big17.inc", "big17.inc:17: the included files add up to more than 32 MiB in one "
                           "assembly (do files include one another many times over?)"},
             {"deep0.inc", "deep31.inc:1: includes nested too deeply: \"deep32.inc\""},
             {"bad.inc", "bad.inc:2: unknown instruction 'frobnicate'"},
             {"self.z80", "self.z80:1: \"self.z80\" includes itself"},
             {"folder.inc", "main2.z80:1: cannot read include file \"folder.inc\": is a folder"},
             {"pipe.inc", "main2.z80:1: cannot read include file \"pipe.inc\": is a named pipe"},
             {"missing.inc", "main2.z80:1: cannot find include file \"missing.inc\""}}) {
        try {
            assembleFile(dir.write("main2.z80", "#include \"" + file + "\"\n"));
            ADD_FAILURE() << file;
        } catch (const AssemblyError& e) {
            EXPECT_EQ(e.diagnostics.size(), 1u) << e.what();
            const std::string text = e.diagnostics.at(0).text();
            EXPECT_EQ(text.substr(text.size() - message.size()), message);
        }
    }
    EXPECT_THROW(assembleFile("/nonexistent/dir/x.z80"), AssemblyError);
}

TEST(AssemblerErrors, SayWhatIsWrongAndWhere) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {" nop\r\n\r\n mov a,b\r\n", "t.z80:3: unknown instruction 'mov'"}, // CR LF is one end
        {" jp nowhere\n", "t.z80:1: undefined label 'nowhere'"},
        {"Loop: nop\n jp LOOP\n", "t.z80:2: undefined label 'LOOP' (did you mean 'Loop'?"},
        {"X .equ Y\nY .equ X\n .db X\n",
         "t.z80:3: 'X' cannot be evaluated: its definition at t.z80:1 says the value of 'Y' is not "
         "known here"},
        {"s .equ FE6Eh\nt .equ s\n jp t\n",
         "t.z80:3: 't' cannot be evaluated: its definition at t.z80:2 says 's' cannot be "
         "evaluated: its definition at t.z80:1 says undefined label 'FE6Eh'"},
        {"twice: nop\ntwice: nop\n", "t.z80:2: duplicate label 'twice'"},
        {"x .equ 1\nx .equ 2\n", "t.z80:2: 'x' defined again with another value"},
        {" .db 256\n", "t.z80:1: value 256 out of range (-128..255)"},
        {" .db -129\n", "t.z80:1: value -129 out of range (-128..255)"},
        {" ld a,256\n", "t.z80:1: value 256 out of range (-128..255)"},
        {" .dw 65536\n", "t.z80:1: value 65536 out of range (-32768..65535)"},
        {" .dw -32769\n", "t.z80:1: value -32769 out of range (-32768..65535)"},
        {" ld a,(ix+128)\n", "t.z80:1: index displacement 128 out of range (-128..127)"},
        {" ld (iy-129),a\n", "t.z80:1: index displacement -129 out of range (-128..127)"},
        {" .org 100h\n jr $+130\n", "t.z80:2: relative jump out of reach (128 bytes; -128..127)"},
        {" .org 100h\n djnz $-127\n",
         "t.z80:2: relative jump out of reach (-129 bytes; -128..127)"},
        {" .db 1/0\n", "t.z80:1: division by zero"},
        {" .org 10000h\n", "t.z80:1: .org address 65536 out of range (0..FFFFh)"},
        {" .db 'ab'\n", "t.z80:1: character constant must hold one character"},
        {" .db 12x\n", "t.z80:1: bad number '12x'"},
        {" .dw 123456789012h\n", "t.z80:1: number too large '123456789012h'"},
        {" .dw 111111111111111111111111111111111b\n", "t.z80:1: number too large '1111"},
        {" .db %102\n", "t.z80:1: bad number '%102'"},
        {" .db 18o\n", "t.z80:1: bad number '18o'"},
        {" .db @78\n", "t.z80:1: bad number '@78'"},
        {" .db\n", "t.z80:1: .db needs values"},
        {" .db ,\n", "t.z80:1: empty value in .db"},
        {" .module a\n_x: nop\n .module b\n jp _x\n", "t.z80:4: undefined label '_x'"},
        {"n .equ 1\nn .set 2\n", "t.z80:2: 'n' is a label or .equ"},
        {" .frob 1\n", "t.z80:1: unknown directive '.frob'"},
        {"#pragma once\n", "t.z80:1: unknown directive '#pragma'"},
        {"#ifdef X\n", "t.z80:1: #if without #endif"},
        {"#endif\n", "t.z80:1: #endif without #if"},
        {"#if 1\n#else\n#else\n#endif\n", "t.z80:3: #else without #if"},
        {"#if nothing\n#endif\n", "t.z80:1: #if can use numbers and #define values only"},
        {"#define f(a) a\n .db f(1,2)\n", "t.z80:2: 'f' takes 1 argument, not 2"},
        {"#define f(a a\n", "t.z80:1: #define f( needs a ')' after its arguments"},
        {"#defcont 1\n", "t.z80:1: #defcont without a #define before it"},
        {"#define V .db 1\n#defcont 0\n V\n",
         "t.z80:3: unexpected '0' in expression"}, // a space joins
        {" .db LATE\n#define LATE 3\n", "t.z80:1: undefined label 'LATE'"},
        {"#define X X+1\n .db X\n", "t.z80:2: undefined label 'X'"},
        {".addinstr B_CALL * EF 3 NOP 1\n b_call\n", "t.z80:2: invalid operands for 'b_call': "},
        {" .org later\nlater: nop\n", "t.z80:1: .org needs a value known here: not a label"},
        {" .org 0FFFFh\n nop\n nop\n", "t.z80:3: code goes past address FFFFh"},
        {" .chk 5\n", "t.z80:1: .chk start 5 is not before .chk"},
        {" .db 1\x1B[2J\n", "t.z80:1: unexpected '\\x1B[2J' in expression"},
        {" ld (hl),(hl)\n", "t.z80:1: invalid operands for 'ld': (hl),(hl)"},
        {" jr po,$\n", "t.z80:1: invalid operands for 'jr': po,$"},
        {" bit 8,a\n", "t.z80:1: bit number 8 out of range (0..7)"},
        {" rst 9\n", "t.z80:1: rst address 9 invalid"},
        {" rst 40h\n", "t.z80:1: rst address 64 invalid"},
        {" im 3\n", "t.z80:1: interrupt mode 3 out of range (0..2)"},
        {" nop a\n", "t.z80:1: 'nop' takes no operands"},
        {" push\n", "t.z80:1: 'push' takes 1 operand"},
        {" ld a,\n", "t.z80:1: missing operand in 'ld a,'"},
        {" ld a,(ix*2)\n", "t.z80:1: bad index operand '(ix*2)'"},
        {" out (256),a\n", "t.z80:1: port 256 out of range (0..255)"},
        {" .db " + std::string(100000, '(') + "1\n", "t.z80:1: expression nested too deeply"},
        {" .fill 4294967295\n",
         "t.z80:1: .fill count '4294967295', which is -1 in 32 bits, out of range (0..65536 here)"},
        {" .db 1" + std::string(100000, 'x') + "\n",
         "t.z80:1: bad number '1" + std::string(71, 'x') + "...'"},
        {" ld " + std::string(100000, 'Q') + ",a\n", // 240 bytes of message, then cut
         "t.z80:1: invalid operands for 'ld': " + std::string(213, 'Q') + "..."},
    };
    for (const auto& [source, message] : cases)
        EXPECT_EQ(errors(source).at(0).text().substr(0, message.size()), message) << source;
}

TEST(AssemblerErrors, AreAllReportedUpToACap) {
    // Pass 1 stops at a structural error; value errors need pass 2.
    EXPECT_EQ(errors(" mov\n nop\n .db 300\n").size(), 1u);
    EXPECT_EQ(errors(" .db 300\n nop\n jp nowhere\n").size(), 2u);
    EXPECT_EQ(errors("#if NOPE\n#else\n#include \"missing.inc\"\n#endif\n").size(), 1u);
    std::string many, defines;
    for (int i = 0; i < 500; ++i)
        many += " bogus\n";
    EXPECT_EQ(errors(many).back().message, "too many errors; stopping");
    for (int i = 0; i < 24; ++i) // 2^24 copies: too long long before too deep
        defines += "#define D" + std::to_string(i) + " D" + std::to_string(i + 1) + " D" +
                   std::to_string(i + 1) + "\n";
    EXPECT_NE(errors(defines + " .db D0\n").at(0).message.find("too long"), std::string::npos);
    // 2^30 expansions that make nothing: stopped once, at the first line.
    std::string calls = "#define C0(x)\n";
    for (int i = 1; i <= 30; ++i)
        calls += "#define C" + std::to_string(i) + "(x) C" + std::to_string(i - 1) + "(x)C" +
                 std::to_string(i - 1) + "(x)\n";
    const std::vector<Diagnostic> runaway = errors(calls + " .db C30(1)\n .db C30(1)\n");
    ASSERT_EQ(runaway.size(), 1u);
    EXPECT_EQ(runaway[0].text(), "t.z80:32: more than 262144 #define uses in one assembly (do "
                                 "defines use one another many times over?)");
    const std::string wide = "#define W " + std::string(60'000, '1') + "\n";
    std::string uses;
    for (int i = 0; i < 300; ++i)
        uses += " .db W\n";
    EXPECT_EQ(errors(wide + uses).at(0).text().substr(0, 48),
              "t.z80:281: #define expansion takes more than 16 ");
    // A condition in error skips its block, and its #else and #endif close it.
    EXPECT_EQ(errors("#if nothing\n#endif\n#ifdef\n#else\n nop a\n#endif\n").size(), 2u);
}
