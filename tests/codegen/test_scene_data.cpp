// The scene data file and the embedded engine template.
#include "codegen/engine_template.h"
#include "codegen/scene_data.h"
#include "codegen/text_line_file.h"

#include <QFile>
#include <gtest/gtest.h>

namespace torvex {
namespace {

std::string bytesOf(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
}

// A line list file with a blank line gives the data file kept in golden/.
TEST(SceneDataFile, LineListFileGivesTheGoldenDataFile) {
    const TextLines list = readTextLineFile(QStringLiteral(TORVEX_CODEGEN_GOLDEN "/line_list.txt"));
    EXPECT_EQ(joinTextLines(sceneDataFileLines(list)),
              bytesOf(QStringLiteral(TORVEX_CODEGEN_GOLDEN "/scene_data.z80")));
}

TEST(EngineTemplate, EmbedsTheCommittedFileUnchangedEndingWithTheDataLabel) {
    EXPECT_EQ(std::string(engineTemplateBytes()),
              bytesOf(QStringLiteral(TORVEX_ENGINE_TEMPLATE_ASSET)));
    ASSERT_FALSE(engineTemplateLines().empty());
    EXPECT_EQ(engineTemplateLines().back(), "data:");
}

} // namespace
} // namespace torvex
