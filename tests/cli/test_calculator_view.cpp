// The calculator view offscreen: at every step, reloads too, the model's frame.
#include "cli/calculator_view.h"
#include "cli/cli.h"
#include "cli/scene_program.h"
#include "codegen/text_line_file.h"
#include "codegen/text_lines.h"
#include "engine/engine_model.h"
#include "tests/cli/run_torvex.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace torvex::cli {
namespace {

namespace model = torvex::engine;

const TextLines kHouse = {
    "  -8,  14,  -5,   8,  14,  -5", "  -8,  14,   3,   8,  14,   3",
    "  -8,  14,  -5,  -8,  14,   3", "   8,  14,  -5,   8,  14,   3",
    "  -8,  14,   3,   0,  14,  10", "   0,  14,  10,   8,  14,   3",
    "  -8,  30,  -5,  -8,  14,  -5", "   8,  30,  -5,   8,  14,  -5",
};

namespace keys = model::keys;

struct CalculatorViewTest : ::testing::Test {
    QTemporaryDir folder;
    QString list = folder.filePath(QStringLiteral("house"));

    void save(const TextLines& lines) { writeTextLineFile(list, lines); }

    static model::Camera camera(const std::vector<uint8_t>& keys) {
        model::Camera camera;
        for (uint8_t key : keys)
            model::step(camera, key);
        return camera;
    }
    // The model's frame for a scene after a sequence of keys.
    static model::Frame expected(const TextLines& lines, const std::vector<uint8_t>& keys) {
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        return model::render(model::parseLineRecords(text), camera(keys));
    }
    static bool shows(const CalculatorView& view, const model::Frame& frame) {
        const auto& shown = view.display()->pixels();
        return std::equal(shown.begin(), shown.end(), frame.bytes.begin());
    }
    static void expectShows(const CalculatorView& view, const model::Frame& frame,
                            const char* when) {
        EXPECT_TRUE(shows(view, frame)) << when << "\nexpected:\n" << model::toText(frame);
    }
};

// On both calculators; the title says which.
TEST_F(CalculatorViewTest, EveryKeyShowsTheModelsFrameAndTheCamera) {
    save(kHouse);
    for (z80::Model calculator : {z80::Model::Ti83, z80::Model::Ti83Plus}) {
        CalculatorView view(list, calculator);
        const std::string_view name = z80::calculatorModel(calculator).name;
        SCOPED_TRACE(name);
        EXPECT_TRUE(view.windowTitle().endsWith(
            QStringLiteral("(%1)").arg(QString::fromUtf8(name.data(), name.size()))));
        expectShows(view, expected(kHouse, {}), "at the start");
        // On-screen buttons and the PC keys standing for them, alternately.
        const struct {
            const char* button;
            Qt::Key host;
            uint8_t code;
        } presses[] = {{"DEL", Qt::Key_Delete, keys::Del},    {"DEL", Qt::Key_Delete, keys::Del},
                       {"RIGHT", Qt::Key_Right, keys::Right}, {"VARS", Qt::Key_V, keys::Vars},
                       {"UP", Qt::Key_Up, keys::Up},          {"LEFT", Qt::Key_Left, keys::Left},
                       {"STAT", Qt::Key_S, keys::Stat},       {"CLEAR", Qt::Key_C, keys::Clear},
                       {"LEFT", Qt::Key_Left, keys::Left},    {"DOWN", Qt::Key_Down, keys::Down},
                       {"VARS", Qt::Key_V, keys::Vars}}; // ending at x below 0
        std::vector<uint8_t> pressed;
        for (const auto& press : presses) {
            if (pressed.size() % 2 == 0)
                QTest::mouseClick(view.findChild<QPushButton*>(QString::fromLatin1(press.button)),
                                  Qt::LeftButton);
            else
                QTest::keyClick(&view, press.host);
            pressed.push_back(press.code);
            expectShows(view, expected(kHouse, pressed), press.button);
        }
        const model::Camera walked = camera(pressed);
        const CameraState shown = view.session()->camera();
        EXPECT_EQ(std::tie(shown.x, shown.y, shown.z, shown.heading),
                  std::tie(walked.x, walked.y, walked.z, walked.heading));
        EXPECT_TRUE(view.statusText().contains(QStringLiteral("heading %1").arg(walked.heading)));
        // Painted as the calculator shows its bytes: the top bit leftmost.
        const QImage painted = view.display()->grab().toImage();
        const int s = view.display()->scale();
        const QPoint at((painted.width() - 96 * s) / 2, (painted.height() - 64 * s) / 2);
        for (int i = 0; i < 96 * 64; ++i)
            ASSERT_EQ(qGray(painted.pixel(at + QPoint(i % 96, i / 96) * s)) < 128,
                      (view.display()->pixels()[i / 8] & (0x80 >> i % 8)) != 0);
    }
}

TEST_F(CalculatorViewTest, ModeEndsTheProgramAndItCanStartAgain) {
    save(kHouse);
    CalculatorView view(list);
    EXPECT_TRUE(
        view.statusText().contains(QStringLiteral("engine 71,013 T-states + display 119,373")))
        << view.statusText().toStdString(); // as torvex run gives them
    auto* restart = view.findChild<QPushButton*>(QStringLiteral("restart"));
    view.pressKey(keys::Del);
    QTest::keyClick(&view, Qt::Key_Return); // starts again only once ended
    expectShows(view, expected(kHouse, {keys::Del}), "Enter during the walk");
    EXPECT_TRUE(restart->isHidden());
    QTest::keyClick(&view, Qt::Key_Escape);
    ASSERT_TRUE(view.session()->ended());
    EXPECT_FALSE(view.session()->endedWithError());
    EXPECT_FALSE(restart->isHidden());
    view.pressKey(keys::Del); // nothing runs any more
    QTest::mouseClick(restart, Qt::LeftButton);
    EXPECT_FALSE(view.session()->ended());
    expectShows(view, expected(kHouse, {}), "after starting again");
    // Once ended, a change to the list starts the program afresh.
    QTest::keyClick(&view, Qt::Key_Escape);
    TextLines more = kHouse;
    more.push_back("  -8,  30,  -5,   8,  30,  -5");
    save(more);
    view.reload();
    EXPECT_FALSE(view.session()->ended());
    expectShows(view, expected(more, {}), "rebuilt after the end");
}

TEST_F(CalculatorViewTest, ProgramsThatCannotRunSayWhy) {
    const QString source = folder.filePath(QStringLiteral("copy.z80"));
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(" .org 9327h\nagain: ld bc,0\nwait: dec bc\n ld a,b\n or c\n jr nz,wait\n"
               " call 5164h\n jr again\n");
    file.close();
    CalculatorView view(source);
    ASSERT_TRUE(view.session() && view.session()->endedWithError());
    EXPECT_TRUE(view.findChild<QLabel*>(QStringLiteral("ended"))
                    ->text()
                    .contains(QStringLiteral("without reading a key (the T-state limit)")));
    EXPECT_LE(view.minimumSizeHint().width(), 96 * 4 + 40) << "the message wraps";
    view.show();
    EXPECT_EQ(view.display()->scale(), 4) << "with the ended row from the start";
    // A program file that cannot be read is still named with its family.
    CalculatorView unreadable(folder.filePath(QStringLiteral("NONE.8xp")));
    EXPECT_EQ(unreadable.windowTitle(), QStringLiteral("Calculator view - NONE.8xp (TI-83 Plus)"));
    EXPECT_FALSE(unreadable.errorText().isEmpty());
}

// Rows that come and go below the display (the end of the program, an error)
// take their room from the window, not from the display's picture.
TEST_F(CalculatorViewTest, TheDisplayKeepsItsScaleWhenARowAppearsOrGoes) {
    save(kHouse);
    CalculatorView view(list);
    view.show();
    ASSERT_EQ(view.display()->scale(), 4);
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_EQ(view.display()->scale(), 4) << "with the ended row";
    save({"abc"});
    view.reload();
    EXPECT_EQ(view.display()->scale(), 4) << "with the error row too";
    save(kHouse);
    view.reload();
    view.restart();
    EXPECT_EQ(view.display()->scale(), 4) << "with both gone";
    QTest::keyClick(&view, Qt::Key_T); // above the other windows, or not
    EXPECT_TRUE(view.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(CalculatorViewTest, ReloadKeepsTheCameraAndABrokenFileKeepsThePicture) {
    save(kHouse);
    CalculatorView view(list);
    const std::vector<uint8_t> walk = {keys::Del, keys::Right, keys::Up};
    for (uint8_t key : walk)
        view.pressKey(key);
    TextLines changed = kHouse;
    changed.push_back("  -8,  30,  -5,   8,  30,  -5");
    save(changed);
    // The file watcher rebuilds by itself shortly after the save.
    ASSERT_TRUE(QTest::qWaitFor([&] { return shows(view, expected(changed, walk)); }, 5000));
    EXPECT_EQ(view.session()->camera().heading, 1);
    EXPECT_TRUE(view.errorText().isEmpty());
    // The rebuilt run took over the whole walk, the step pattern's place too.
    view.pressKey(keys::Del);
    view.pressKey(keys::Del);
    expectShows(view, expected(changed, {keys::Del, keys::Right, keys::Up, keys::Del, keys::Del}),
                "walking on after the reload");
    EXPECT_EQ(view.session()->history().size(), 5u);

    // A broken file shows its line and keeps the picture until it is mended.
    TextLines broken = changed;
    broken.insert(broken.begin() + 2, "   0,   0, 300,   0,   0,   0");
    save(broken);
    view.reload();
    EXPECT_TRUE(view.errorText().contains(list + QStringLiteral(":3:")));
    const std::vector<uint8_t> walked{keys::Del, keys::Right, keys::Up, keys::Del, keys::Del};
    expectShows(view, expected(changed, walked), "while the file is broken");
    save(kHouse);
    view.reload();
    EXPECT_TRUE(view.errorText().isEmpty());
    expectShows(view, expected(kHouse, walked), "after recovering");
}

// The view follows the path, not the first file it led to: a link pointed
// elsewhere, a save of the file it leads to now, that file deleted and made
// again, under a name that is not UTF-8.
TEST_F(CalculatorViewTest, FollowsThePathNotTheFirstFileItNamed) {
    const std::string live = folder.filePath(QStringLiteral("live")).toStdString() + "\xE9";
    const std::string scenes = folder.filePath(QStringLiteral("scenes")).toStdString() + "\xE9";
    const std::filesystem::path b = scenes + "/B";
    ASSERT_EQ(::mkdir(scenes.c_str(), 0777), 0);
    TextLines more = kHouse;
    more.push_back("  -8,  30,  -5,   8,  30,  -5");
    writeTextLineFile(scenes + "/A", kHouse);
    writeTextLineFile(b, more);
    ASSERT_EQ(::symlink("scenes\xE9/A", live.c_str()), 0);
    CalculatorView view{std::filesystem::path(live)};
    expectShows(view, expected(kHouse, {}), "at the start");
    ASSERT_EQ(::unlink(live.c_str()) | ::symlink("scenes\xE9/B", live.c_str()), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shows(view, expected(more, {})); }, 5000));
    writeTextLineFile(b, kHouse);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shows(view, expected(kHouse, {})); }, 5000));
    ASSERT_TRUE(std::filesystem::remove(b));
    QTest::qWait(300);
    writeTextLineFile(b, more);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shows(view, expected(more, {})); }, 5000));
    // An editor that writes the file in place changes no folder.
    QTest::qWait(300);
    std::ofstream(b, std::ios::binary) << joinTextLines(kHouse); // truncated, not replaced
    EXPECT_TRUE(QTest::qWaitFor([&] { return shows(view, expected(kHouse, {})); }, 5000));
}

TEST_F(CalculatorViewTest, BuildAndViewGiveTheSameWarnings) {
    // 72 segments, the second one's x off the grid.
    TextLines many(72, "   0,  10,   0,   1,  10,   0");
    many[1] = " 101,  10,   0,   1,  10,   0";
    save(many);
    const Result build = cli({"build", list.toStdString(), "-o",
                              folder.filePath(QStringLiteral("MANY.83p")).toStdString()});
    EXPECT_EQ(build.code, kExitOk);
    const std::string offGrid =
        list.toStdString() + ":2: warning: outside the grid -100..100: 101\n";
    const std::string tooLarge = list.toStdString() +
                                 ":72: warning: the calculator draws only the first 71 segments: "
                                 "this one is left out\n";
    CalculatorView view(list);
    for (const std::string& warning : {offGrid, tooLarge}) {
        EXPECT_NE(build.err.find(warning), std::string::npos) << build.err;
        EXPECT_TRUE(view.statusText().contains(QString::fromStdString(warning).trimmed()));
    }
    many[1] = many[0];
    many.pop_back();
    save(many);
    view.reload();
    EXPECT_FALSE(view.statusText().contains(QStringLiteral("warning")));
    const QString program = folder.filePath(QStringLiteral("ALL.83p")); // 71 in a program too
    ASSERT_EQ(cli({"build", list.toStdString(), "-o", program.toStdString()}).code, kExitOk);
    EXPECT_FALSE(CalculatorView(program).statusText().contains(QStringLiteral("first 71")));
}

TEST(StatusLine, GivesTheFrameRateOnTheSixMegahertzCalculator) {
    // The display's ROM calls count: 240,000 + 60,000 T-states make 20 frames a second.
    const QString text = statusLine({-3, 12, 1, 9}, {240'000, 60'000}, {});
    EXPECT_TRUE(text.contains(QStringLiteral("x -3  y 12  z 1  heading 9 (90")));
    EXPECT_TRUE(text.contains(QStringLiteral("20.0 frames/s")));
    EXPECT_TRUE(text.contains(QStringLiteral("estimated")));
    const QStringList seven(7, QStringLiteral("w")); // six are shown; of seven, five and a count
    EXPECT_TRUE(statusLine({}, {}, seven.mid(1)).endsWith(QStringLiteral(")\nw\nw\nw\nw\nw\nw")));
    EXPECT_EQ(statusLine({}, {}, seven),
              QStringLiteral("x 0  y 0  z 0  heading 0 (0\u00B0)\nw\nw\nw\nw\nw\n"
                             "and 2 more warnings (torvex build lists them all)"));
}

} // namespace
} // namespace torvex::cli
