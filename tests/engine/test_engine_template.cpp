// Torvex Designer - the text of the engine template (engine/engine_template.z80):
// its structure, labels, variables, tables and the syntax every TASM-dialect
// assembler accepts.
#include "engine_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <regex>
#include <set>

using namespace torvex::engine::test;

namespace {

const std::vector<std::string>& lines() {
    return templateLines();
}

// The label a line defines ("name:" in the first column), or "".
std::string labelOf(const std::string& line) {
    static const std::regex label(R"(^([A-Za-z_][A-Za-z0-9_]*):)");
    std::smatch m;
    return std::regex_search(line, m, label) ? m[1].str() : "";
}

size_t lineOf(const std::string& name) {
    for (size_t i = 0; i < lines().size(); ++i)
        if (labelOf(lines()[i]) == name)
            return i;
    ADD_FAILURE() << "no label " << name;
    return 0;
}

std::string code(const std::string& line) {
    return line.substr(0, line.find(';'));
}

} // namespace

TEST(EngineTemplateText, HeaderDefinesAndIncludes) {
    const auto& l = lines();
    ASSERT_GT(l.size(), 60u);
    EXPECT_EQ(l[0], ";Source code made by Torvex Designer");
    EXPECT_EQ(l[1], ";by Quorrin");
    EXPECT_EQ(l[2], ";The code you are viewing was written by Delvane.");
    EXPECT_EQ(l[3], ";Please do not ask me to explain it, instead, ask him.");
    EXPECT_EQ(l[4], "");
    EXPECT_EQ(l[5], "#define equ .equ");
    EXPECT_EQ(l[6], "#define EQU .equ");
    EXPECT_EQ(l[7], "#define END .end");
    EXPECT_EQ(l[8], "#include \"ti83asm.inc\"");
    EXPECT_EQ(l[9], "#include \"tokens.inc\"");
    EXPECT_EQ(l.back(), "data:");
}

TEST(EngineTemplateText, TheThirtyVariables) {
    const std::vector<std::pair<std::string, std::string>> vars = {
        {"countx", "8265h"},     {"drawdistance", "8266h"}, {"yend", "8267h"},
        {"xend", "8268h"},       {"testx", "8269h"},        {"testy", "826ah"},
        {"testz", "826bh"},      {"returnx", "826ch"},      {"returny", "826dh"},
        {"addem", "826eh"},      {"bsave", "826fh"},        {"csave", "8270h"},
        {"screenx", "8271h"},    {"screeny", "8272h"},      {"carx", "8273h"},
        {"cary", "8274h"},       {"carz", "8275h"},         {"looking", "8276h"},
        {"p1", "8278h"},         {"bigtemp", "827ah"},      {"hsave", "827ch"},
        {"dsave", "827eh"},      {"equatep1", "8280h"},     {"placep", "8282h"},
        {"camheading", "8284h"}, {"camx", "8285h"},         {"camy", "8286h"},
        {"camz", "8287h"},       {"hlsave", "8288h"},       {"drawp", "828ah"}};
    const std::set<std::string> twoBytes = {"looking",  "p1",     "bigtemp", "hsave", "dsave",
                                            "equatep1", "placep", "hlsave",  "drawp"};
    const auto& l = lines();
    size_t i = 10;
    for (size_t v = 0; v < vars.size(); ++v) {
        if (vars[v].first == "camheading") {
            ASSERT_EQ(l[i].rfind(";", 0), 0u) << "a comment heads the program variables";
            EXPECT_NE(l[i].find("program variables"), std::string::npos);
            ++i;
        }
        const std::string want = "#define " + vars[v].first + " " + vars[v].second;
        ASSERT_EQ(l[i].substr(0, want.size()), want) << "line " << i + 1;
        ASSERT_TRUE(l[i].size() == want.size() || l[i][want.size()] == '\t' ||
                    l[i][want.size()] == ' ')
            << l[i];
        if (v == 0) {
            EXPECT_NE(l[i].find(";these variables are needed for my code - put them in yours."),
                      std::string::npos);
        }
        ++i;
        if (twoBytes.count(vars[v].first)) {
            EXPECT_EQ(l[i], "") << "an empty line after the two-byte " << vars[v].first;
            ++i;
        }
    }
    EXPECT_EQ(l[i], ".org 9327h");
    EXPECT_EQ(l[i + 1], ";program goes down here vvvvvvvvvvvvvv");
    // Their addresses as the assembler sees them.
    const torvex::z80::Assembly& a = bareEngine();
    for (const auto& [name, address] : vars)
        EXPECT_EQ(a.symbol(name), std::stoi(address.substr(0, 4), nullptr, 16)) << name;
}

TEST(EngineTemplateText, LabelsAndRoutinesInOrder) {
    const std::vector<std::string> order = {
        "progstart",     "drawloop",  "noprint",     "skipnoprint",  "drawit",  "lineloop",
        "nextline",      "graphit",   "noover",      "turnright",    "setturn", "noturn",
        "nogoahead",     "nogoback",  "nosidleleft", "nosidleright", "nogoup",  "endy",
        "torvex",        "torvex2",   "torvex2a",    "findxy",       "radian",  "movecarforward",
        "sidlecarright", "movecarup", "setheading",  "makedata",     "findhl",  "line_on",
        "linep",         "skipdb",    "bit_on",      "drawpoints",   "compare", "equates",
        "headingdata",   "data"};
    size_t last = 0;
    for (const std::string& name : order) {
        size_t at = lineOf(name);
        EXPECT_GT(at, last) << name << " is out of order";
        last = at;
    }
    const auto& l = lines();
    // The end of the main loop and the marker lines.
    size_t endy = lineOf("endy");
    EXPECT_EQ(code(l[endy + 1]), "\tret\t");
    EXPECT_EQ(l[endy + 2], "");
    EXPECT_EQ(l[endy + 3], ";program goes up here ^^^^^^^^^^^^^^^^");
    EXPECT_EQ(l[endy + 4], "");
    EXPECT_EQ(l[endy + 5], "");
    EXPECT_EQ(labelOf(l[endy + 6]), "torvex");
    // Routines separated by an empty line, bit_on right after line_on.
    for (const char* routine : {"torvex2", "findxy", "radian", "movecarforward", "sidlecarright",
                                "movecarup", "setheading", "makedata", "findhl", "line_on"})
        EXPECT_EQ(l[lineOf(routine) - 1], "") << routine;
    EXPECT_NE(l[lineOf("bit_on") - 1], "");
    EXPECT_EQ(labelOf(l[lineOf("bit_on") - 2]), "skipdb");
    EXPECT_EQ(l[lineOf("linep") - 1], "\t.db 255,255,255,255");
    EXPECT_EQ(l[lineOf("linep") + 1], "\t.db 0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
    // The tables.
    const std::string zeros24 = "\t.db 0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0";
    size_t dp = lineOf("drawpoints");
    for (size_t i = 1; i <= 12; ++i)
        EXPECT_EQ(l[dp + i], zeros24);
    size_t cmp = lineOf("compare");
    EXPECT_EQ(cmp, dp + 13);
    for (size_t i = 1; i <= 3; ++i)
        EXPECT_EQ(l[cmp + i], zeros24);
    EXPECT_EQ(l[cmp + 4], "\t.db 0,0,0,0,0,0,0,0,0,0,0,0");
    EXPECT_EQ(lineOf("equates"), cmp + 5);
    EXPECT_EQ(lineOf("headingdata"), lineOf("equates") + 72);
    EXPECT_EQ(lineOf("data"), lineOf("headingdata") + 38);
    EXPECT_EQ(l[dp - 1], "");
    EXPECT_EQ(l[dp - 2], "");
    // Sizes as assembled.
    const torvex::z80::Assembly& a = bareEngine();
    EXPECT_EQ(label(a, "compare") - label(a, "drawpoints"), 288);
    EXPECT_EQ(label(a, "equates") - label(a, "compare"), 84);
    EXPECT_EQ(label(a, "skipdb") - label(a, "linep"), 26);
    EXPECT_EQ(a.origin, 0x9327);
}

TEST(EngineTemplateText, TextRules) {
    for (size_t i = 0; i < lines().size(); ++i) {
        const std::string& line = lines()[i];
        SCOPED_TRACE("line " + std::to_string(i + 1) + ": " + line);
        EXPECT_LE(line.size(), 101u);
        for (char c : line) {
            EXPECT_TRUE(c == '\t' || (c >= 32 && c <= 126));
        }
        if (!line.empty()) {
            EXPECT_TRUE(line.back() != ' ' && line.back() != '\t');
        }
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line[0] == '\t') {
            // An instruction or .db, indented by one tab.
            ASSERT_GT(line.size(), 1u);
            EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(line[1])) || line[1] == '.' ||
                        line[1] == ';');
            continue;
        }
        if (line == ".org 9327h")
            continue;
        // Otherwise a label in the first column, alone or with a comment.
        std::string name = labelOf(line);
        EXPECT_FALSE(name.empty());
        std::string rest = line.substr(name.size() + 1);
        EXPECT_TRUE(rest.empty() || rest[0] == '\t') << "after the label only a comment";
        if (!rest.empty()) {
            EXPECT_EQ(rest.find_first_not_of('\t'), rest.find(';'));
        }
    }
}

TEST(EngineTemplateText, OnlyPlainOperands) {
    // Operands: registers, conditions, plain numbers (decimal, or hex with a
    // leading digit and a trailing h), labels and label plus or minus a
    // number; (hl)-style indirection and (ix+n); a page as ADDRESS>>8, so
    // that it moves with its address. Nothing else: no $, no operator
    // precedence, no other macros than the three #defines.
    static const std::regex number(R"(^([0-9]+|[0-9][0-9a-fA-F]*[hH](>>8)?)$)");
    static const std::regex dataNumber(R"(^-?[0-9]+$)"); // .db values: -1 in headingdata
    static const std::regex name(R"(^[A-Za-z_][A-Za-z0-9_]*$)");
    static const std::regex labelOffset(
        R"(^[A-Za-z_][A-Za-z0-9_]*[+-]([0-9]+|[0-9][0-9a-fA-F]*[hH])$)");
    static const std::regex index(R"(^\(i[xy]\+[0-9]+\)$)");
    static const std::regex indirect(R"(^\(([A-Za-z_][A-Za-z0-9_]*|[0-9][0-9a-fA-F]*h)\)$)");
    int defines = 0;
    for (const std::string& line : lines()) {
        SCOPED_TRACE(line);
        if (line.rfind("#define", 0) == 0) {
            ++defines;
            if (defines > 3) {
                EXPECT_TRUE(std::regex_search(
                    line, std::regex(R"(^#define [a-z0-9]+ 8[0-9a-f]{3}h(\t;.*)?$)")));
            }
            continue;
        }
        std::string c = code(line);
        if (c.empty() || c[0] != '\t')
            continue;
        c = c.substr(1);
        while (!c.empty() && (c.back() == ' ' || c.back() == '\t'))
            c.pop_back();
        size_t sp = c.find(' ');
        if (sp == std::string::npos)
            continue;
        std::string ops = c.substr(sp + 1);
        const bool data = c.rfind(".db ", 0) == 0;
        size_t start = 0;
        while (start <= ops.size()) {
            size_t comma = ops.find(',', start);
            std::string op =
                ops.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            EXPECT_TRUE((data && std::regex_match(op, dataNumber)) ||
                        std::regex_match(op, number) || std::regex_match(op, name) ||
                        std::regex_match(op, labelOffset) || std::regex_match(op, index) ||
                        std::regex_match(op, indirect) || op == "(sp)")
                << "operand '" << op << "'";
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
    }
    EXPECT_EQ(defines, 33);
}

TEST(EngineTemplateText, SystemRoutinesSpelledAsTheIncludeFile) {
    std::map<std::string, int> calls;
    for (const std::string& line : lines()) {
        std::string c = code(line);
        while (!c.empty() && (c.back() == '\t' || c.back() == ' '))
            c.pop_back();
        static const std::regex call(R"(^\tcall (_[A-Za-z_]+)$)");
        std::smatch m;
        if (std::regex_search(c, m, call))
            ++calls[m[1].str()];
        for (const char* wrong : {"_clrlcdfull", "_grbufclr", "_grbufcpy_v", "_GETKEY"})
            EXPECT_EQ(c.find(wrong), std::string::npos) << line;
    }
    EXPECT_EQ(calls["_CLRLCDFULL"], 1);
    EXPECT_EQ(calls["_GRBUFCLR"], 1);
    EXPECT_EQ(calls["_GRBUFCPY_V"], 1);
    EXPECT_EQ(calls["_getkey"], 1);
    EXPECT_EQ(calls.size(), 4u);
}

TEST(EngineTemplateText, AssemblesAgainstAnIncludeFileOfTheCalculatorsSpelling) {
    // A case-sensitive assembler with only the calculator's names defined:
    // the four routines must resolve (our assembler is case-sensitive).
    const torvex::z80::Assembly& a = bareEngine();
    EXPECT_EQ(a.symbol("_CLRLCDFULL"), 0x4755);
    EXPECT_EQ(a.symbol("_GRBUFCLR"), 0x515B);
    EXPECT_EQ(a.symbol("_GRBUFCPY_V"), 0x5164);
    EXPECT_EQ(a.symbol("_getkey"), 0x4CFE);
    EXPECT_EQ(label(a, "data"), a.origin + a.bytes.size() - 1); // only the end marker follows
}
