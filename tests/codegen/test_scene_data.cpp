// The scene data file.
#include "codegen/scene_data.h"
#include "codegen/text_line_file.h"
#include "tests/support/file_bytes.h"

#include <gtest/gtest.h>

namespace torvex {
namespace {

TEST(SceneDataFile, LineListFileGivesTheGoldenDataFile) {
    const TextLines list = readTextLineFile(QStringLiteral(TORVEX_CODEGEN_GOLDEN "/line_list.txt"));
    EXPECT_EQ(joinTextLines(sceneDataFileLines(list)),
              test::fileBytes(QStringLiteral(TORVEX_CODEGEN_GOLDEN "/scene_data.z80")));
}

} // namespace
} // namespace torvex
