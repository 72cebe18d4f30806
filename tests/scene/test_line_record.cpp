// Line records: fields padded to four characters, joined with commas, cut by columns.
#include "scene/line_record.h"

#include <gtest/gtest.h>

namespace torvex {
namespace {

TEST(LineRecord, PadsShortTextsAndJoinsThemWithCommas) {
    const std::pair<CoordinateTexts, QString> cases[] = {
        {{"7", "-12", "+7", "$1F", "007", "0"}, "   7, -12,  +7, $1F, 007,   0"},
        {{"-100", "100", "0", "5", "-5", "55"}, "-100, 100,   0,   5,  -5,  55"},
        // Empty, full and long texts stay as they are; blanks count as text.
        {{"", "-100", "   7", "12345", "  ", "$FFFFFFFF"}, ",-100,   7,12345,    ,$FFFFFFFF"},
    };
    for (auto [fields, record] : cases) {
        padCoordinateTexts(fields);
        EXPECT_EQ(composeLineRecord(fields), record);
    }
}

TEST(LineRecord, SplitsByColumnsNotByCommas) {
    const std::pair<QString, CoordinateTexts> cases[] = {
        {"-100, 100,   0,   5,  -5,  55", {"-100", " 100", "   0", "   5", "  -5", "  55"}},
        {"", {"", "", "", "", "", ""}},
        {"   1,   2,  3", {"   1", "   2", "  3", "", "", ""}},
        {"   1,   2,   3,   4,   5,6", {"   1", "   2", "   3", "   4", "   5", "6"}},
        {"1,2,3,4,5,6", {"1,2,", ",4,5", "6", "", "", ""}},
        {"   1,   2,   3,   4,   5,   6,   7; junk",
         {"   1", "   2", "   3", "   4", "   5", "   6"}},
    };
    for (const auto& [record, fields] : cases)
        EXPECT_EQ(splitLineRecord(record), fields) << record.toStdString();
}

} // namespace
} // namespace torvex
