// A preview source file written by the wizard, assembled by our assembler and
// run on the emulated TI-83, draws the frames the engine model draws.
#include "codegen/tform4.h"

#include "codegen/text_line_file.h"
#include "engine/engine_model.h"
#include "tests/support/scripted_desktop.h"
#include "z80/assembler.h"
#include "z80/ti83.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace torvex;

namespace {

// A box ahead of the car (which starts at the origin looking along +y), a
// post beside it, and a segment behind the car that must not be drawn.
const TextLines kScene = {
    "  -8,  20,  -4,   8,  20,  -4", "   8,  20,  -4,   8,  20,   6",
    "   8,  20,   6,  -8,  20,   6", "  -8,  20,   6,  -8,  20,  -4",
    "  -8,  30,  -4,   8,  30,  -4", "  -8,  20,  -4,  -8,  30,  -4",
    "   8,  20,  -4,   8,  30,  -4", "  12,  15,  -4,  12,  15,   3",
    "   0, -10,   0,   5, -10,   0",
};

std::string joined(const TextLines& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

std::string picture(const std::array<uint8_t, 768>& bytes) {
    engine::Frame frame;
    frame.bytes = bytes;
    return engine::toText(frame);
}

} // namespace

TEST(PreviewEndToEnd, EmulatedCalculatorDrawsTheEngineModelsFrames) {
    ScriptedDesktop shell;
    ScriptedDesktop::Installed installed(shell);
    QTemporaryDir dir;
    QWidget additionalInformation;
    TForm4 form(&additionalInformation);

    const QString listFile = dir.filePath(QStringLiteral("box.txt"));
    const QString output = dir.filePath(QStringLiteral("box.z80"));
    writeTextLineFile(listFile, kScene);
    shell.fileAnswers = {listFile, output};
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
    ASSERT_TRUE(shell.errorReports().empty());

    QFile written(output);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const z80::Assembly program =
        z80::assemble(written.readAll().toStdString(), output.toStdString());
    ASSERT_EQ(program.origin, z80::kProgramStart);

    // Look at the box, turn right, step forward, climb, then leave.
    const std::vector<uint8_t> keys = {z80::key::Right, z80::key::Del, z80::key::Up,
                                       z80::key::Mode};
    z80::Ti83 calculator;
    calculator.loadProgram(program.bytes, program.origin);
    calculator.setKeys(keys);
    const z80::RunResult result = calculator.run();
    ASSERT_EQ(result.reason, z80::StopReason::Returned) << result.message;

    const std::vector<engine::Frame> expected =
        engine::run(engine::parseLineRecords(joined(kScene)), keys);
    const std::vector<z80::Frame>& frames = calculator.frames();
    ASSERT_EQ(frames.size(), expected.size());
    // The scene is on the first frame: the comparison is not one of blanks.
    ASSERT_NE(expected.front(), engine::Frame{});
    for (std::size_t index = 0; index < frames.size(); ++index)
        EXPECT_EQ(picture(frames[index].graphBuffer), engine::toText(expected[index]))
            << "frame " << index;
}
