// The engine template's text: read alike by every TASM-dialect assembler.
#include "engine_harness.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

using namespace torvex::engine::test;

namespace {

// The line without its comment and trailing blanks.
std::string code(const std::string& line) {
    std::string c = line.substr(0, line.find(';'));
    while (!c.empty() && (c.back() == ' ' || c.back() == '\t'))
        c.pop_back();
    return c;
}

} // namespace

// A statement in the first column would be a label.
TEST(EngineTemplateText, LinesArePrintableAsciiOrTabs) {
    for (const std::string& line : torvex::engineTemplateLines()) {
        SCOPED_TRACE(line);
        EXPECT_LE(line.size(), 101u);
        for (char c : line)
            EXPECT_TRUE(c == '\t' || (c >= 32 && c <= 126));
        EXPECT_TRUE(line.empty() || (line.back() != ' ' && line.back() != '\t'));
    }
}

TEST(EngineTemplateText, OnlyPlainOperands) {
    // No $, no operator precedence, no macros but three #defines and the variables.
    static const std::regex number(R"(^([0-9]+|[0-9][0-9a-fA-F]*[hH](>>8)?)$)");
    static const std::regex dataNumber(R"(^-?[0-9]+$)"); // .db values: -1 in headingdata
    static const std::regex name(R"(^[A-Za-z_][A-Za-z0-9_]*$)");
    static const std::regex labelOffset(
        R"(^[A-Za-z_][A-Za-z0-9_]*[+-]([0-9]+|[0-9][0-9a-fA-F]*[hH])$)");
    static const std::regex index(R"(^\(i[xy]\+[0-9]+\)$)");
    static const std::regex indirect(R"(^\(([A-Za-z_][A-Za-z0-9_]*|[0-9][0-9a-fA-F]*h)\)$)");
    static const std::regex variable(R"(^#define [a-z0-9]+ 8[0-9a-f]{3}h(\t;.*)?$)");
    int defines = 0;
    for (const std::string& line : torvex::engineTemplateLines()) {
        SCOPED_TRACE(line);
        if (line.rfind("#define", 0) == 0) {
            EXPECT_TRUE(++defines <= 3 || std::regex_search(line, variable));
            continue;
        }
        const std::string c = code(line);
        const size_t sp = c.find(' ');
        if (c.empty() || c[0] != '\t' || sp == std::string::npos)
            continue;
        const bool data = c.rfind("\t.db ", 0) == 0;
        EXPECT_NE(c.back(), ',');
        std::stringstream ops(c.substr(sp + 1));
        for (std::string op; std::getline(ops, op, ',');)
            EXPECT_TRUE((data && std::regex_match(op, dataNumber)) ||
                        std::regex_match(op, number) || std::regex_match(op, name) ||
                        std::regex_match(op, labelOffset) || std::regex_match(op, index) ||
                        std::regex_match(op, indirect) || op == "(sp)")
                << "operand '" << op << "'";
    }
    EXPECT_EQ(defines, 33);
}

TEST(EngineTemplateText, TheDataEndsTheProgramAndTheGuardedAreasAreWhole) {
    const torvex::z80::Assembly& a = bareEngine();
    EXPECT_EQ(torvex::engineTemplateLines().back(), "data:");
    EXPECT_EQ(label(a, "data"), a.origin + a.bytes.size() - 1); // only the end marker follows
    // The work areas the write guard lets the engine write, each whole.
    EXPECT_EQ(label(a, "compare") - label(a, "drawpoints"), 288);
    EXPECT_EQ(label(a, "equates") - label(a, "compare"), 84);
    EXPECT_EQ(label(a, "skipdb") - label(a, "linep"), 26);
    // Nothing another TASM-dialect assembler could read differently.
    for (const torvex::z80::Diagnostic& warning : a.warnings)
        ADD_FAILURE() << warning.text();
}
