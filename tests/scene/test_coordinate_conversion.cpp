#include "scene/coordinate_conversion.h"

#include "base/failure.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>

namespace torvex {
namespace {

// Expects the conversion to fail with the message naming the text exactly as given.
void expectRejected(const QString& text) {
    EXPECT_THAT([&] { convertCoordinate(text); },
                testing::ThrowsMessage<Failure>(
                    testing::StrEq("'" + text.toStdString() + "' is not a valid integer value")));
}

TEST(CoordinateConversion, AcceptsSignedDecimalAndDollarHexadecimalWithLeadingSpaces) {
    // Leading zeros do not count against the range; hexadecimal is a 32-bit
    // pattern reinterpreted as signed.
    const std::pair<const char*, int> cases[] = {{"0", 0},
                                                 {"+7", 7},
                                                 {"-007", -7},
                                                 {"  +7", 7},
                                                 {" -12", -12},
                                                 {"0000000000000000000042", 42},
                                                 {"2147483647", INT_MAX},
                                                 {"-2147483648", INT_MIN},
                                                 {"$1f", 31},
                                                 {" $1F", 31},
                                                 {"$0000000000064", 100},
                                                 {"$7FFFFFFF", INT_MAX},
                                                 {"$80000000", INT_MIN},
                                                 {"$FFFFFFFF", -1}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(convertCoordinate(QString::fromLatin1(text)), value) << text;
}

TEST(CoordinateConversion, RejectsEverythingElseNamingTheText) {
    for (const char* text : {"2147483648",  "-2147483649",
                             "+2147483648", "99999999999999999999999",
                             "$100000000",  "",
                             "    ",        "5   ",
                             "abc",         "+",
                             "-",           "$",
                             "-$",          "-$FF",
                             "+$5",         "$G",
                             "1,2,",        "- 5",
                             "+-5",         "$-5",
                             "0x10",        "1e3",
                             "1.0",         "\t5"})
        expectRejected(QString::fromLatin1(text));
    expectRejected(QString::fromUtf8("\xef\xbc\x95")); // fullwidth digit five
    expectRejected(QString::fromUtf8("\xc3\xa9t\xc3\xa9"));
}

} // namespace
} // namespace torvex
