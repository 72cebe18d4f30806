#include "codegen/engine_template.h"

#include "codegen/text_line_file.h"

#include <QFile>
#include <gtest/gtest.h>

// The template built into the program is the asset, byte for byte.
TEST(EngineTemplate, EmbedsTheAssetUnchanged) {
    QFile asset(QStringLiteral(TORVEX_ENGINE_TEMPLATE_ASSET));
    ASSERT_TRUE(asset.open(QIODevice::ReadOnly));
    const QByteArray bytes = asset.readAll();
    EXPECT_EQ(torvex::engineTemplateBytes(), std::string_view(bytes.constData(), bytes.size()));
    EXPECT_EQ(torvex::engineTemplateLines(),
              torvex::readTextLineFile(QStringLiteral(TORVEX_ENGINE_TEMPLATE_ASSET)));
}

TEST(EngineTemplate, EndsWithTheDataLabel) {
    const torvex::TextLines& lines = torvex::engineTemplateLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), ";Source code made by Torvex Designer");
    EXPECT_EQ(lines.back(), "data:");
}
