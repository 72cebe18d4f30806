// Text line files as bytes: how lines are split and joined, the Windows-1252
// text the designer shows for them, and the scene data file.
#include "codegen/scene_data.h"
#include "codegen/text_line_file.h"
#include "codegen/text_lines.h"
#include "codegen/windows1252.h"
#include "tests/support/file_bytes.h"

#include <gtest/gtest.h>

namespace torvex {
namespace {

TEST(SplitTextLines, EachTerminatorEndsOneLineAndTheFirstNulEndsTheReading) {
    using namespace std::string_view_literals;
    const std::pair<std::string_view, TextLines> cases[] = {
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\n\rb", {"a", "", "b"}}, // LF CR ends a line and starts an empty one
        {"\r\n\r\n", {"", ""}},
        {"x\r\n", {"x"}},
        {"", {}},
        {"\0abc"sv, {}},
        {"abcdefghij\0klmnopqrstu\r\nef"sv, {"abcdefghij"}},
        {" \tx \t\x80\xff\r\n", {" \tx \t\x80\xff"}},
    };
    for (const auto& [bytes, lines] : cases)
        EXPECT_EQ(splitTextLines(bytes), lines);
    const std::string longLine(100000, 'L');
    EXPECT_EQ(splitTextLines(longLine + "\r\nshort"), (TextLines{longLine, "short"}));
    EXPECT_EQ(joinTextLines({"a", ""}), "a\r\n\r\n");
}

// Every byte surviving the round trip is checked through the designer panel.
TEST(Windows1252, ShowsTheWindowsCharactersAndOtherCharactersBecomeQuestionMarks) {
    EXPECT_EQ(decodeWindows1252("\x80\x91\x92\x9f\x81"),
              QString::fromUtf8("\u20ac\u2018\u2019\u0178\u0081"));
    EXPECT_EQ(encodeWindows1252(QString::fromUtf8("a\u0100\u0080\U0001F600b")), "a???b");
    EXPECT_EQ(encodeWindows1252(QString(QChar(0xD800))), "?") << "a lone surrogate half";
}

TEST(SceneDataFile, LineListFileGivesTheGoldenDataFile) {
    const TextLines list = readTextLineFile(QStringLiteral(TORVEX_CODEGEN_GOLDEN "/line_list.txt"));
    EXPECT_EQ(joinTextLines(sceneDataFileLines(list)),
              test::fileBytes(QStringLiteral(TORVEX_CODEGEN_GOLDEN "/scene_data.z80")));
}

} // namespace
} // namespace torvex
