// Our assembler and Debian's pasmo give identical bytes for every instruction form.
#include "tests/support/toolchain.h"
#include "z80/assembler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace {

const std::vector<std::string> kR = {"a", "b", "c", "d", "e", "h", "l", "(hl)"};
const std::vector<std::string> kR7 = {"a", "b", "c", "d", "e", "h", "l"};
const std::vector<std::string> kDisp = {"0", "5", "-3", "127", "-128", "7Fh", "(4*5)-2"};
const std::vector<std::string> kN = {
    "0",    "1",       "7Fh",      "80h",       "0FFh",      "-1",    "-128",   "'A'",
    "255",  "$3C",     "0x42",     "%10100101", "01011010b", "17o",   "1+2",    "5+(3*4)",
    "8<<2", "0FFh>>4", "0F0h|0Fh", "0AAh^0FFh", "0F3h&3Ch",  "100/7", "~0&0FFh"};
const std::vector<std::string> kNN = {
    "0",         "1",          "1234h", "0FFFFh",        "-1",     "-32768", "label1",
    "label2+3",  "$",          "$+10",  "label2-label1", "0x8E29", "PLOT",   "(PLOT>>8)",
    "PLOT&0FFh", "2*(PLOT/4)", "40000", "'A'*256"};
const std::vector<std::string> kCC = {"nz", "z", "nc", "c", "po", "pe", "p", "m"};
const std::vector<std::string> kCC4 = {"nz", "z", "nc", "c"};
const std::vector<std::string> kRR = {"bc", "de", "hl", "sp"};
const std::vector<std::string> kXY = {"ix", "iy"};
const std::vector<std::string> kRel = {"$", "$+2", "$+129", "$-126", "$+50", "$-20"};

std::vector<std::string> indexed() {
    std::vector<std::string> out;
    for (const auto& xy : kXY)
        for (const auto& d : kDisp)
            out.push_back("(" + xy + (d[0] == '-' ? "" : "+") + d + ")");
    out.insert(out.end(), {"(ix)", "(iy)"});
    return out;
}

// TASM-dialect lines (instructions indented by a tab; a few labels) of every
// documented Z80 instruction form with a spread of operands. They refer to the
// symbols PLOT, label0, label1 and label2, which the caller defines.
std::vector<std::string> instructionCorpus() {
    using L = std::vector<std::string>;
    std::vector<std::string> out;
    auto add = [&](const std::string& s) { out.push_back("\t" + s); };
    // prefix + each item + suffix
    auto each = [&](const std::string& prefix, const L& items, const std::string& suffix = "") {
        for (const auto& item : items)
            add(prefix + item + suffix);
    };
    const L X = indexed();
    L nn; // kNN without "(...)", which would be an indirect operand
    std::copy_if(kNN.begin(), kNN.end(), std::back_inserter(nn),
                 [](const std::string& v) { return v[0] != '('; });

    each("", {"nop",  "rlca", "rrca", "rla",  "rra",  "daa",  "cpl",  "scf",  "ccf",
              "halt", "exx",  "di",   "ei",   "neg",  "retn", "reti", "rrd",  "rld",
              "ldi",  "cpi",  "ini",  "outi", "ldd",  "cpd",  "ind",  "outd", "ldir",
              "cpir", "inir", "otir", "lddr", "cpdr", "indr", "otdr", "ret"});

    // 8-bit loads
    for (const auto& d : kR)
        for (const auto& s : kR)
            if (!(d == "(hl)" && s == "(hl)"))
                add("ld " + d + "," + s);
    for (const auto& d : kR)
        each("ld " + d + ",", kN);
    for (const auto& r : kR7)
        for (const auto& x : X)
            each("ld ", {r + "," + x, x + "," + r});
    for (const auto& x : X)
        each("ld " + x + ",", {"0", "-1", "0FFh", "'z'"});
    each("", {"ld a,(bc)", "ld a,(de)", "ld (bc),a", "ld (de),a", "ld a,i", "ld a,r", "ld i,a",
              "ld r,a"});
    for (const auto& n : nn)
        each("ld ", {"a,(" + n + ")", "(" + n + "),a"});
    // 16-bit loads
    for (const auto& n : nn)
        for (const std::string rr : {"bc", "de", "hl", "sp", "ix", "iy"})
            each("ld ", {rr + "," + n, rr + ",(" + n + ")", "(" + n + ")," + rr});
    each("", {"ld sp,hl", "ld sp,ix", "ld sp,iy"});
    for (const std::string rr : {"bc", "de", "hl", "af", "ix", "iy"})
        each("", {"push " + rr, "pop " + rr});
    each("", {"ex de,hl", "ex af,af'", "ex (sp),hl", "ex (sp),ix", "ex (sp),iy"});

    // 8-bit arithmetic and logic
    for (const std::string op : {"add", "adc", "sub", "sbc", "and", "xor", "or", "cp"}) {
        const std::string pre = (op == "add" || op == "adc" || op == "sbc") ? op + " a," : op + " ";
        for (const L& operands : {kR, X, kN})
            each(pre, operands);
    }
    for (const std::string op : {"inc", "dec"})
        for (const L& operands : {kR, X, kRR, kXY})
            each(op + " ", operands);
    // 16-bit arithmetic
    for (const auto& rr : kRR)
        for (const char* op : {"add hl,", "adc hl,", "sbc hl,"})
            add(op + rr);
    for (const auto& xy : kXY)
        each("add " + xy + ",", {"bc", "de", xy, "sp"});

    // rotates, shifts and bits
    for (const std::string op : {"rlc", "rrc", "rl", "rr", "sla", "sra", "srl"}) {
        each(op + " ", kR);
        each(op + " ", X);
    }
    for (const std::string op : {"bit", "res", "set"})
        for (int b = 0; b < 8; ++b) {
            each(op + " " + std::to_string(b) + ",", kR);
            each(op + " " + std::to_string(b) + ",", {"(ix+5)", "(iy-128)", "(ix)"});
        }

    // jumps, calls, returns
    for (const auto& n : nn) {
        each("", {"jp " + n, "call " + n});
        for (const auto& cc : kCC)
            each("", {"jp " + cc + "," + n, "call " + cc + "," + n});
    }
    each("ret ", kCC);
    each("", {"jp (hl)", "jp (ix)", "jp (iy)"});
    for (const auto& rel : kRel) {
        each("", {"jr " + rel, "djnz " + rel});
        each("jr ", kCC4, "," + rel);
    }
    out.push_back("near:");
    each("", {"jr near", "jr nz,near", "djnz near", "jr c,far", "jr far"});
    out.push_back("far:");
    each("rst ", {"0", "08h", "10h", "18h", "20h", "28h", "30h", "38h", "8", "56"});
    each("im ", {"0", "1", "2"});

    // input and output
    for (const std::string p : {"0", "1", "10h", "0FFh", "255"})
        each("", {"in a,(" + p + ")", "out (" + p + "),a"});
    for (const auto& r : kR7)
        each("", {"in " + r + ",(c)", "out (c)," + r});

    // data
    each("", {".db 0,1,-1,-128,255,'a',\"Torvex\",label1&0FFh", ".byte 12h,-2",
              ".dw 0,1234h,-1,label1,$,-32768,65535", ".word label2-label1"});
    return out;
}

} // namespace

TEST(PasmoCrossCheck, EveryInstructionFormGivesIdenticalBytes) {
    const std::vector<std::string> corpus = instructionCorpus();
    ASSERT_GT(corpus.size(), 1500u);
    std::string tasm = "PLOT .equ 8E29h\n\t.org 9327h\nlabel0:\n";
    for (size_t i = 0; i < corpus.size(); ++i) {
        if (i == corpus.size() / 3 || i == 2 * corpus.size() / 3)
            tasm += i == corpus.size() / 3 ? "label1:\n" : "label2:\n";
        tasm += corpus[i] + "\n";
    }
    tasm += "\t.end\n";
    torvex::test::expectPasmoGivesSameBytes(torvex::z80::assemble(tasm, "corpus.z80"),
                                            torvex::test::translateToPasmo(tasm));
}

// Strict TASM keeps a #define's comment; headers beside the source need -i.
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
    EXPECT_EQ(beside.warnings.size(), 2u); // the same equate again; MedY4's precedence
}
