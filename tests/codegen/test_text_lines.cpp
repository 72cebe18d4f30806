#include "codegen/text_lines.h"

#include <gtest/gtest.h>
#include <random>

using torvex::joinTextLines;
using torvex::splitTextLines;
using torvex::TextLines;

namespace {

std::string bytes(std::initializer_list<unsigned char> values) {
    return std::string(values.begin(), values.end());
}

} // namespace

TEST(SplitTextLines, EachTerminatorEndsOneLine) {
    EXPECT_EQ(splitTextLines("a\r\nb\r\n"), (TextLines{"a", "b"}));
    EXPECT_EQ(splitTextLines("a\rb\r"), (TextLines{"a", "b"}));
    EXPECT_EQ(splitTextLines("a\nb\n"), (TextLines{"a", "b"}));
    EXPECT_EQ(splitTextLines("a\r\nb\nc\rd"), (TextLines{"a", "b", "c", "d"}));
}

TEST(SplitTextLines, LineFeedThenCarriageReturnStartsAnEmptyLine) {
    EXPECT_EQ(splitTextLines(bytes({0x61, 0x0A, 0x0D, 0x62})), (TextLines{"a", "", "b"}));
    EXPECT_EQ(splitTextLines("\r\n\r\n"), (TextLines{"", ""}));
    EXPECT_EQ(splitTextLines("\n\r"), (TextLines{"", ""}));
}

TEST(SplitTextLines, LastLineNeedsNoTerminatorAndFinalTerminatorAddsNothing) {
    EXPECT_EQ(splitTextLines("x"), (TextLines{"x"}));
    EXPECT_EQ(splitTextLines("x\r\ny"), (TextLines{"x", "y"}));
    EXPECT_EQ(splitTextLines("x\r\n"), (TextLines{"x"}));
}

TEST(SplitTextLines, FirstNulEndsTheReading) {
    EXPECT_TRUE(splitTextLines("").empty());
    EXPECT_TRUE(splitTextLines(std::string_view("\0abc", 4)).empty());
    EXPECT_EQ(splitTextLines(std::string_view("x\r\n\0y", 5)), (TextLines{"x"}));
    // A NUL inside a line ends that line and the reading.
    EXPECT_EQ(splitTextLines(std::string_view("ab\0cd\r\nef", 9)), (TextLines{"ab"}));
}

TEST(SplitTextLines, KeepsBlanksTabsHighBytesAndLongLines) {
    EXPECT_EQ(splitTextLines(" \tx \t\r\n"), (TextLines{" \tx \t"}));
    EXPECT_EQ(splitTextLines(bytes({0x80, 0xFF, 0x81, 0x0D, 0x0A})),
              (TextLines{bytes({0x80, 0xFF, 0x81})}));
    const std::string longLine(100000, 'L');
    EXPECT_EQ(splitTextLines(longLine + "\r\nshort"), (TextLines{longLine, "short"}));
}

TEST(JoinTextLines, EveryLineEndsInCarriageReturnLineFeed) {
    EXPECT_EQ(joinTextLines({}), "");
    EXPECT_EQ(joinTextLines({"a", ""}), bytes({0x61, 0x0D, 0x0A, 0x0D, 0x0A}));
    EXPECT_EQ(splitTextLines(joinTextLines({"a", ""})), (TextLines{"a", ""}));
    const TextLines lines = {"   1,   2,   3,   4,   5,   6", "", "last"};
    EXPECT_EQ(joinTextLines(lines).size(), 29u + 0u + 4u + 2u * 3u);
}

// Whatever bytes a file holds, the lines read from it are written and read
// back unchanged, and a second save gives the same bytes.
TEST(TextLinesProperty, ReadWriteReadIsStableForRandomBytes) {
    std::mt19937 random(20261206);
    const std::string alphabet = std::string("ab \t\r\n\r\n\x80\xff", 10) + std::string(1, '\0');
    for (int round = 0; round < 2000; ++round) {
        std::string file(random() % 64, ' ');
        for (char& byte : file)
            byte = random() % 4 == 0 ? static_cast<char>(random() % 256)
                                     : alphabet[random() % alphabet.size()];
        const TextLines first = splitTextLines(file);
        const std::string written = joinTextLines(first);
        const TextLines second = splitTextLines(written);
        ASSERT_EQ(first, second) << "round " << round;
        ASSERT_EQ(joinTextLines(second), written) << "round " << round;
        for (const std::string& line : first)
            ASSERT_EQ(line.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
    }
}
