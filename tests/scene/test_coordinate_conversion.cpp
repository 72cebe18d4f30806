#include "scene/coordinate_conversion.h"

#include "base/failure.h"

#include <gtest/gtest.h>

#include <climits>

namespace torvex {
namespace {

// Expects the conversion to fail with the message naming the text exactly as given.
void expectRejected(const QString& text) {
    try {
        const int value = convertCoordinate(text);
        ADD_FAILURE() << "'" << text.toStdString() << "' was accepted as " << value;
    } catch (const Failure& failure) {
        EXPECT_EQ(std::string(failure.what()),
                  "'" + text.toStdString() + "' is not a valid integer value");
    }
}

TEST(CoordinateConversion, AcceptsSignedDecimalWithLeadingSpacesAndZeros) {
    EXPECT_EQ(convertCoordinate("0"), 0);
    EXPECT_EQ(convertCoordinate("+7"), 7);
    EXPECT_EQ(convertCoordinate("-5"), -5);
    EXPECT_EQ(convertCoordinate("007"), 7);
    EXPECT_EQ(convertCoordinate("-007"), -7);
    EXPECT_EQ(convertCoordinate("   7"), 7);
    EXPECT_EQ(convertCoordinate("  +7"), 7);
    EXPECT_EQ(convertCoordinate(" -12"), -12);
    EXPECT_EQ(convertCoordinate("-100"), -100);
    // Leading zeros do not count against the range.
    EXPECT_EQ(convertCoordinate("0000000000000000000042"), 42);
}

TEST(CoordinateConversion, DecimalLimitsAreThe32BitSignedRange) {
    EXPECT_EQ(convertCoordinate("2147483647"), INT_MAX);
    EXPECT_EQ(convertCoordinate("-2147483648"), INT_MIN);
    EXPECT_EQ(convertCoordinate("+2147483647"), INT_MAX);
    expectRejected("2147483648");
    expectRejected("-2147483649");
    expectRejected("+2147483648");
    expectRejected("99999999999999999999999");
}

TEST(CoordinateConversion, AcceptsHexadecimalAfterDollar) {
    EXPECT_EQ(convertCoordinate("$1F"), 31);
    EXPECT_EQ(convertCoordinate("$1f"), 31);
    EXPECT_EQ(convertCoordinate(" $1F"), 31);
    EXPECT_EQ(convertCoordinate("$0"), 0);
    EXPECT_EQ(convertCoordinate("$0000000000064"), 100);
    // Hexadecimal is a 32-bit pattern, reinterpreted as signed.
    EXPECT_EQ(convertCoordinate("$7FFFFFFF"), INT_MAX);
    EXPECT_EQ(convertCoordinate("$80000000"), INT_MIN);
    EXPECT_EQ(convertCoordinate("$FFFFFFFF"), -1);
    expectRejected("$100000000");
}

TEST(CoordinateConversion, RejectsEverythingElseNamingTheText) {
    expectRejected("");
    expectRejected(" ");
    expectRejected("    ");
    expectRejected("5   ");
    expectRejected("7 ");
    expectRejected("abc");
    expectRejected("+");
    expectRejected("-");
    expectRejected("$");
    expectRejected("-$");
    expectRejected("-$FF"); // a sign goes with decimal digits only
    expectRejected("+$5");
    expectRejected("$G");
    expectRejected("1,2,");
    expectRejected("- 5");
    expectRejected("+-5");
    expectRejected("--5");
    expectRejected("$-5");
    expectRejected("0x10");
    expectRejected("1e3");
    expectRejected("1.0");
    expectRejected("\t5");
    expectRejected(QString::fromUtf8("\xef\xbc\x95")); // fullwidth digit five
    expectRejected(QString::fromUtf8("\xc3\xa9t\xc3\xa9"));
}

} // namespace
} // namespace torvex
