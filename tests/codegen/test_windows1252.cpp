#include "codegen/windows1252.h"

#include <QSet>
#include <gtest/gtest.h>

using torvex::decodeWindows1252;
using torvex::encodeWindows1252;

TEST(Windows1252, EveryByteSurvivesDecodeThenEncode) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    const QString text = decodeWindows1252(all);
    ASSERT_EQ(text.size(), 255);
    EXPECT_EQ(encodeWindows1252(text), all);
    // A bijection: no two bytes share a character.
    QSet<QChar> characters(text.begin(), text.end());
    EXPECT_EQ(characters.size(), 255);
}

TEST(Windows1252, DecodesTheCodePageCharacters) {
    EXPECT_EQ(decodeWindows1252("   1, -10"), QStringLiteral("   1, -10"));
    EXPECT_EQ(decodeWindows1252("\x80"), QString(QChar(0x20AC)));
    EXPECT_EQ(decodeWindows1252("\x9f"), QString(QChar(0x0178)));
    EXPECT_EQ(decodeWindows1252("\x96\x97"), QString(QChar(0x2013)) + QChar(0x2014));
    EXPECT_EQ(decodeWindows1252("\xe9\xa0\xff"), QString::fromUtf8("\u00e9\u00a0\u00ff"));
    // The five bytes the code page leaves open stand for the control characters.
    for (const unsigned char byte : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(decodeWindows1252(std::string(1, static_cast<char>(byte))), QString(QChar(byte)));
}

TEST(Windows1252, CharactersWithoutAByteBecomeQuestionMarks) {
    EXPECT_EQ(encodeWindows1252(QString::fromUtf8("\u20ac\u00e9")), "\x80\xe9");
    EXPECT_EQ(encodeWindows1252(QString::fromUtf8("a\u0100b")), "a?b");
    // U+0080 is a control character, not the euro sign's byte.
    EXPECT_EQ(encodeWindows1252(QString(QChar(0x0080))), "?");
    // A character outside the basic plane is a single '?'.
    EXPECT_EQ(encodeWindows1252(QString::fromUtf8("x\U0001F600y")), "x?y");
    // A lone surrogate half has no byte either.
    EXPECT_EQ(encodeWindows1252(QString(QChar(0xD800))), "?");
}
