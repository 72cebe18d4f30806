#include "codegen/scene_data.h"

#include "codegen/text_line_file.h"

#include <QFile>

#include <gtest/gtest.h>

using torvex::dataLine;
using torvex::joinTextLines;
using torvex::previewSourceLines;
using torvex::sceneDataFileLines;
using torvex::TextLines;

TEST(DataLine, PrefixesTheEntryUnchanged) {
    EXPECT_EQ(dataLine("   0,   0,   0,  10,  -5, 100"),
              "        .db    0,   0,   0,  10,  -5, 100");
    EXPECT_EQ(dataLine("   0,   0,   0,  10,  -5, 100").size(), 41u);
    EXPECT_EQ(dataLine(""), "        .db ");
    EXPECT_EQ(dataLine("not a record\t"), "        .db not a record\t");
    const std::string longEntry(5000, '1');
    EXPECT_EQ(dataLine(longEntry), "        .db " + longEntry);
}

TEST(SceneDataFile, ExampleListGivesExactBytes) {
    const TextLines list = {"   1,   2,   3,   4,   5,   6", "  -7,   0,   0,   7,   0,   0"};
    EXPECT_EQ(joinTextLines(sceneDataFileLines(list)),
              ";Scene data made by Torvex Designer\r\n"
              ";***** USE AT YOUR OWN RISK *****\r\n"
              ";================================\r\n"
              "scene:\r\n"
              "        .db    1,   2,   3,   4,   5,   6\r\n"
              "        .db   -7,   0,   0,   7,   0,   0\r\n");
}

TEST(SceneDataFile, EmptyListGivesOnlyTheHeader) {
    const TextLines lines = sceneDataFileLines({});
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], ";" + std::string(32, '='));
    EXPECT_EQ(lines[3], "scene:");
}

TEST(PreviewSource, TemplateThenDataLinesThenClosingLines) {
    const TextLines templateLines = {";engine", "\tret", "data:"};
    const TextLines list = {"   0,   0,   0,  10,  10,  10", ""};
    EXPECT_EQ(previewSourceLines(templateLines, list),
              (TextLines{";engine", "\tret", "data:", "        .db    0,   0,   0,  10,  10,  10",
                         "        .db ", "        .db 128", ".end", "END"}));
}

TEST(PreviewSource, SizeGrowsByFortyThreeBytesPerRecord) {
    const TextLines templateLines = {"a", "bc", "data:"};
    const std::size_t templateBytes = joinTextLines(templateLines).size();
    for (std::size_t records : {0u, 1u, 72u}) {
        const TextLines list(records, "   1,   2,   3,   4,   5,   6");
        const TextLines lines = previewSourceLines(templateLines, list);
        EXPECT_EQ(lines.size(), templateLines.size() + records + 3);
        EXPECT_EQ(joinTextLines(lines).size(), templateBytes + 43 * records + 28);
    }
}

// A line list file with a blank line gives the data file kept in golden/.
TEST(SceneDataFile, LineListFileGivesTheGoldenDataFile) {
    const TextLines list =
        torvex::readTextLineFile(QStringLiteral(TORVEX_CODEGEN_GOLDEN "/line_list.txt"));
    QFile golden(QStringLiteral(TORVEX_CODEGEN_GOLDEN "/scene_data.z80"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_EQ(joinTextLines(sceneDataFileLines(list)), golden.readAll().toStdString());
}
