// Torvex Designer - the text of the engine template (engine/engine_template.z80):
// its structure, labels, variables and tables, and a text every TASM-dialect
// assembler reads alike.
#include "engine_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <regex>

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

TEST(EngineTemplateText, HeaderVariablesLabelsAndTables) {
    const auto& l = lines();
    const std::vector<std::string> header = {
        ";Source code made by Torvex Designer",
        ";by Quorrin",
        ";The code you are viewing was written by Delvane.",
        ";Please do not ask me to explain it, instead, ask him.",
        "",
        "#define equ .equ",
        "#define EQU .equ",
        "#define END .end",
        "#include \"ti83asm.inc\"",
        "#include \"tokens.inc\""};
    ASSERT_GT(l.size(), 60u);
    EXPECT_EQ(std::vector<std::string>(l.begin(), l.begin() + 10), header);
    EXPECT_EQ(l.back(), "data:");
    // The 30 variables, one #define a line at their fixed addresses in
    // saveSScreen, an empty line after each two-byte one, a comment heading
    // the six program variables; then the program.
    const std::vector<std::pair<std::string, int>> vars = {
        {"countx", 1}, {"drawdistance", 1}, {"yend", 1},     {"xend", 1},    {"testx", 1},
        {"testy", 1},  {"testz", 1},        {"returnx", 1},  {"returny", 1}, {"addem", 1},
        {"bsave", 1},  {"csave", 1},        {"screenx", 1},  {"screeny", 1}, {"carx", 1},
        {"cary", 1},   {"carz", 1},         {"looking", 2},  {"p1", 2},      {"bigtemp", 2},
        {"hsave", 2},  {"dsave", 2},        {"equatep1", 2}, {"placep", 2},  {"camheading", 1},
        {"camx", 1},   {"camy", 1},         {"camz", 1},     {"hlsave", 2},  {"drawp", 2}};
    const torvex::z80::Assembly& a = bareEngine();
    size_t i = 10;
    int address = 0x8265;
    for (const auto& [name, size] : vars) {
        if (name == "camheading")
            EXPECT_EQ(l[i++], ";program variables");
        EXPECT_EQ(l[i].rfind("#define " + name + " 8", 0), 0u) << l[i];
        EXPECT_EQ(a.symbol(name), address) << name;
        address += size;
        if (++i; size == 2)
            EXPECT_EQ(l[i++], "") << "after " << name;
    }
    EXPECT_EQ(address, 0x828C);
    EXPECT_EQ(l[i], ".org 9327h");
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
        const size_t at = lineOf(name);
        EXPECT_GT(at, last) << name << " is out of order";
        last = at;
    }
    EXPECT_EQ(lineOf("headingdata"), lineOf("equates") + 72) << "71 rows of equates";
    EXPECT_EQ(lineOf("data"), lineOf("headingdata") + 38) << "37 rows of headingdata";
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
    // A case-sensitive assembler with only the calculator's names defined
    // resolves them (ours is case-sensitive).
    const torvex::z80::Assembly& a = bareEngine();
    EXPECT_EQ(a.symbol("_CLRLCDFULL"), 0x4755);
    EXPECT_EQ(a.symbol("_GRBUFCLR"), 0x515B);
    EXPECT_EQ(a.symbol("_GRBUFCPY_V"), 0x5164);
    EXPECT_EQ(a.symbol("_getkey"), 0x4CFE);
    EXPECT_EQ(label(a, "data"), a.origin + a.bytes.size() - 1); // only the end marker follows
    // Nothing another TASM-dialect assembler could read differently.
    for (const torvex::z80::Diagnostic& warning : a.warnings)
        ADD_FAILURE() << warning.text();
}
