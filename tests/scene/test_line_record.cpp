#include "scene/line_record.h"

#include <gtest/gtest.h>

namespace torvex {
namespace {

CoordinateTexts texts(const char* a, const char* b, const char* c, const char* d, const char* e,
                      const char* f) {
    return {QString(a), QString(b), QString(c), QString(d), QString(e), QString(f)};
}

TEST(LineRecordPadding, RightAlignsShortTextsToFourCharacters) {
    auto fields = texts("7", "-12", "+7", "$1F", "007", "0");
    padCoordinateTexts(fields);
    EXPECT_EQ(fields, texts("   7", " -12", "  +7", " $1F", " 007", "   0"));
}

TEST(LineRecordPadding, LeavesEmptyFullAndLongTextsAlone) {
    auto fields = texts("", "-100", "   7", "12345", "  ", "$FFFFFFFF");
    padCoordinateTexts(fields);
    EXPECT_EQ(fields, texts("", "-100", "   7", "12345", "    ", "$FFFFFFFF"));

    auto again = fields;
    padCoordinateTexts(again);
    EXPECT_EQ(again, fields);
}

TEST(LineRecordCompose, JoinsPaddedFieldsWithCommas) {
    auto fields = texts("0", "0", "0", "10", "-5", "100");
    padCoordinateTexts(fields);
    EXPECT_EQ(composeLineRecord(fields), "   0,   0,   0,  10,  -5, 100");

    auto extremes = texts("-100", "100", "0", "5", "-5", "55");
    padCoordinateTexts(extremes);
    const QString record = composeLineRecord(extremes);
    EXPECT_EQ(record, "-100, 100,   0,   5,  -5,  55");
    EXPECT_EQ(record.size(), lineRecordLength);
}

TEST(LineRecordCompose, KeepsUnpaddedTextsAsTheyAre) {
    EXPECT_EQ(composeLineRecord(texts("", "", "", "", "", "")), ",,,,,");
    EXPECT_EQ(composeLineRecord(texts("12345", "1", "", "a", "b", "c")), "12345,1,,a,b,c");
}

TEST(LineRecordSplit, RoundTripsAComposedRecord) {
    auto fields = texts("-100", "100", "0", "5", "-5", "55");
    padCoordinateTexts(fields);
    EXPECT_EQ(splitLineRecord(composeLineRecord(fields)),
              texts("-100", " 100", "   0", "   5", "  -5", "  55"));
}

TEST(LineRecordSplit, ShortRecordsLeaveTheMissingFieldsEmpty) {
    EXPECT_EQ(splitLineRecord(""), texts("", "", "", "", "", ""));
    // 14 characters: the three start fields only.
    EXPECT_EQ(splitLineRecord("   1,   2,   3"), texts("   1", "   2", "   3", "", "", ""));
    // A cut running past the end keeps what is there.
    EXPECT_EQ(splitLineRecord("   1,   2,  3"), texts("   1", "   2", "  3", "", "", ""));
    // 26 characters: the sixth cut starts at the last character.
    EXPECT_EQ(splitLineRecord("   1,   2,   3,   4,   5,6"),
              texts("   1", "   2", "   3", "   4", "   5", "6"));
    // 25 characters: the sixth cut starts past the end.
    EXPECT_EQ(splitLineRecord("   1,   2,   3,   4,   5,"),
              texts("   1", "   2", "   3", "   4", "   5", ""));
}

TEST(LineRecordSplit, MisalignedRecordsAreCutByColumnsNotByCommas) {
    EXPECT_EQ(splitLineRecord("1,2,3,4,5,6"), texts("1,2,", ",4,5", "6", "", "", ""));
    EXPECT_EQ(splitLineRecord("5   ,   0,   0,   1,   1,   1"),
              texts("5   ", "   0", "   0", "   1", "   1", "   1"));
    // Anything after character 29 is ignored.
    EXPECT_EQ(splitLineRecord("   1,   2,   3,   4,   5,   6,   7; junk"),
              texts("   1", "   2", "   3", "   4", "   5", "   6"));
}

} // namespace
} // namespace torvex
