// `torvex build` against the designer's own road: the wizard's preview source
// assembled with `torvex assemble` must give the same program file.
#include "cli/cli.h"
#include "cli/scene_program.h"
#include "codegen/text_line_file.h"
#include "codegen/tform4.h"
#include "tests/cli/run_torvex.h"
#include "tests/support/scripted_desktop.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace torvex::cli {
namespace {

QByteArray contents(const QString& file) {
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
    return f.readAll();
}

TEST(BuildCommand, GivesTheBytesOfTheWizardsFileAssembled) {
    QTemporaryDir folder;
    const QString list = folder.filePath(QStringLiteral("scene.lst"));
    // Whatever forms the panel accepted are written as typed and assemble.
    writeTextLineFile(list, {"   0,  10,   0,  10,  10,   0", "  -7,   0,   0,   7,   0,   0",
                             "  +7, $1F, 007,  -5,  -5,  -5"});
    // The wizard writes the preview source through its dialogs.
    ScriptedDesktop scripted;
    ScriptedDesktop::Installed installed(scripted);
    QWidget notes;
    TForm4 wizard(&notes);
    const QString source = folder.filePath(QStringLiteral("scene.z80"));
    scripted.fileAnswers = {list, source};
    QTest::mouseClick(wizard.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
    ASSERT_TRUE(scripted.errorReports().empty());
    // Our own reconstruction of that source is byte for byte the wizard's.
    EXPECT_EQ(QByteArray::fromStdString(previewSourceForList(list.toStdString())),
              contents(source));

    const std::string assembled = folder.filePath(QStringLiteral("a.83p")).toStdString();
    const std::string built = folder.filePath(QStringLiteral("b.83p")).toStdString();
    const Result assembly =
        cli({"assemble", source.toStdString(), "-o", assembled, "--name", "SCENE"});
    ASSERT_EQ(assembly.code, 0) << assembly.err;
    ASSERT_EQ(cli({"build", list.toStdString(), "-o", built, "--name", "SCENE"}).code, 0);
    const QByteArray program = contents(QString::fromStdString(built));
    EXPECT_FALSE(program.isEmpty());
    EXPECT_EQ(program, contents(QString::fromStdString(assembled)));

    // The Plus family's source, assembled on its own, is the Plus program file.
    const std::string plusSource = folder.filePath(QStringLiteral("plus.z80")).toStdString();
    const std::string plusAssembled = folder.filePath(QStringLiteral("a.8xp")).toStdString();
    const std::string plusBuilt = folder.filePath(QStringLiteral("b.8xp")).toStdString();
    ASSERT_EQ(
        cli({"build", list.toStdString(), "--model", "ti83p", "--source", "-o", plusSource}).code,
        0);
    const Result plusAssembly =
        cli({"assemble", plusSource, "-o", plusAssembled, "--name", "SCENE"});
    ASSERT_EQ(plusAssembly.code, 0) << plusAssembly.err;
    ASSERT_EQ(cli({"build", list.toStdString(), "-o", plusBuilt, "--name", "SCENE"}).code, 0);
    EXPECT_EQ(contents(QString::fromStdString(plusBuilt)),
              contents(QString::fromStdString(plusAssembled)));
    EXPECT_NE(contents(QString::fromStdString(plusBuilt)), program);
}

TEST(BuildCommand, WritesNothingWhenTheListDoesNotAssemble) {
    QTemporaryDir folder;
    const QString list = folder.filePath(QStringLiteral("bad"));
    writeTextLineFile(list, {"   0,   0,   0,   0,   0,   0", "   1,   2, 999,   0,   0,   0"});
    const std::string output = folder.filePath(QStringLiteral("BAD.83p")).toStdString();
    const Result build = cli({"build", list.toStdString(), "-o", output});
    EXPECT_EQ(build.code, kExitFailure);
    EXPECT_NE(build.err.find(list.toStdString() + ":2:"), std::string::npos) << build.err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(output)));
    EXPECT_EQ(cli({"build", list.toStdString()}).code, kExitUsage);
    // A .83p is the TI-83's file: asking for the Plus family there is a mistake.
    const QString good = folder.filePath(QStringLiteral("good"));
    writeTextLineFile(good, {"   0,   0,   0,   0,   0,   0"});
    const Result plusAs83p = cli({"build", good.toStdString(), "--model", "ti83p", "-o", output});
    EXPECT_EQ(plusAs83p.code, kExitUsage);
    EXPECT_NE(plusAs83p.err.find(".8xp"), std::string::npos) << plusAs83p.err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(output)));
}

TEST(SceneProgram, CountsTheSegmentsOfEveryKindOfInput) {
    QTemporaryDir folder;
    const QString list = folder.filePath(QStringLiteral("three"));
    writeTextLineFile(list, {"   0,  10,   0,  10,  10,   0", "   1,   1,   1,   2,   2,   2",
                             "   3,   3,   3,   4,   4,   4"});
    const SceneProgram fromList = loadSceneProgram(list.toStdString());
    ASSERT_TRUE(fromList.segments);
    EXPECT_EQ(*fromList.segments, 3u);
    const std::string program = folder.filePath(QStringLiteral("THREE.83p")).toStdString();
    ASSERT_EQ(cli({"build", list.toStdString(), "-o", program}).code, 0);
    const SceneProgram fromProgram = loadSceneProgram(program);
    EXPECT_EQ(fromProgram.program.code, fromList.program.code);
    ASSERT_TRUE(fromProgram.segments);
    EXPECT_EQ(*fromProgram.segments, 3u);
    // The same for the Plus family's program file.
    const std::string plusProgram = folder.filePath(QStringLiteral("THREE.8xp")).toStdString();
    ASSERT_EQ(cli({"build", list.toStdString(), "-o", plusProgram}).code, 0);
    const SceneProgram fromPlus = loadSceneProgram(plusProgram);
    EXPECT_EQ(fromPlus.program.model, z80::Model::Ti83Plus);
    EXPECT_EQ(fromPlus.program.code,
              loadSceneProgram(list.toStdString(), z80::Model::Ti83Plus).program.code);
    ASSERT_TRUE(fromPlus.segments);
    EXPECT_EQ(*fromPlus.segments, 3u);
    // It runs on the family's emulated calculator, writing only where its guard allows.
    const Result run = cli({"run", plusProgram, "--keys", "del,right,up,mode", "--writable",
                            "graph,ram,program,stack"});
    EXPECT_EQ(run.code, kExitOk) << run.err;
    EXPECT_NE(run.out.find("frame 4:"), std::string::npos) << run.out;
}

TEST(Readme, StandsBesideTheProgramAndSaysHowToBuildSendAndRun) {
    const QByteArray text = contents(QStringLiteral(TORVEX_BUILT_README));
    EXPECT_EQ(text, contents(QStringLiteral(TORVEX_README)));
    // Plain ASCII with CR LF line ends, as the program's own text files.
    for (qsizetype i = 0; i < text.size(); ++i) {
        ASSERT_TRUE(text[i] > 0 && (text[i] >= ' ' || text[i] == '\r' || text[i] == '\n'));
        ASSERT_EQ(text[i] == '\n', i > 0 && text[i - 1] == '\r') << "at byte " << i;
    }
    for (const char* fact : {"torvex build", "ti83asm.inc", "tokens.inc", "Send(9prgm", "DEL",
                             "STAT", "VARS", "CLEAR", "MODE", "first 71 segments"})
        EXPECT_TRUE(text.contains(fact)) << fact;
}

} // namespace
} // namespace torvex::cli
