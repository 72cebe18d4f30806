// Text line files as bytes: how lines are split and joined, and the
// Windows-1252 text the designer shows for them.
#include "codegen/text_lines.h"
#include "codegen/windows1252.h"

#include <QSet>
#include <gtest/gtest.h>
#include <random>

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
        {"ab\0cd\r\nef"sv, {"ab"}},
        {" \tx \t\x80\xff\r\n", {" \tx \t\x80\xff"}},
    };
    for (const auto& [bytes, lines] : cases)
        EXPECT_EQ(splitTextLines(bytes), lines);
    const std::string longLine(100000, 'L');
    EXPECT_EQ(splitTextLines(longLine + "\r\nshort"), (TextLines{longLine, "short"}));
    EXPECT_EQ(joinTextLines({"a", ""}), "a\r\n\r\n");
}

// Whatever bytes a file holds, the lines read from it are written and read
// back unchanged, and a second save gives the same bytes.
TEST(SplitTextLines, ReadWriteReadIsStableForRandomBytes) {
    std::mt19937 random(20261206);
    const std::string alphabet = std::string("ab \t\r\n\r\n\x80\xff", 10) + std::string(1, '\0');
    for (int round = 0; round < 2000; ++round) {
        std::string file(random() % 64, ' ');
        for (char& byte : file)
            byte = random() % 4 == 0 ? static_cast<char>(random() % 256)
                                     : alphabet[random() % alphabet.size()];
        const TextLines first = splitTextLines(file);
        const std::string written = joinTextLines(first);
        ASSERT_EQ(splitTextLines(written), first) << "round " << round;
        for (const std::string& line : first)
            ASSERT_EQ(line.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
    }
}

TEST(Windows1252, EveryByteIsOneCharacterAndBackAndOtherCharactersBecomeQuestionMarks) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    const QString text = decodeWindows1252(all);
    EXPECT_EQ(QSet<QChar>(text.begin(), text.end()).size(), 255) << "no two bytes share one";
    EXPECT_EQ(encodeWindows1252(text), all);
    EXPECT_EQ(decodeWindows1252("\x80\x9f\x81"), QString::fromUtf8("\u20ac\u0178\u0081"));
    EXPECT_EQ(encodeWindows1252(QString::fromUtf8("a\u0100\u0080\U0001F600b")), "a???b");
    EXPECT_EQ(encodeWindows1252(QString(QChar(0xD800))), "?") << "a lone surrogate half";
}

} // namespace
} // namespace torvex
