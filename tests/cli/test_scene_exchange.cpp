// torvex import and torvex render: the files they write, every way they end,
// and the rendered picture against the preview window's own.
#include "cli/calculator_view.h"
#include "cli/scene_exchange.h"
#include "codegen/text_line_file.h"
#include "preview/regeneration.h"
#include "preview/tform5.h"
#include "tests/cli/run_torvex.h"
#include "tests/support/file_bytes.h"
#include "tests/support/gif_file.h"
#include "tests/support/scripted_desktop.h"
#include "tests/support/temporary_folder.h"

#include <QApplication>
#include <QImage>
#include <QScrollArea>
#include <gtest/gtest.h>

namespace torvex::cli {
namespace {

struct SceneExchange : ::testing::Test {
    test::TemporaryFolder folder;
    std::string path(const char* name) const { return (folder / name).string(); }
    std::string bytes(const char* name) const {
        return test::fileBytes(QString::fromStdString(path(name)));
    }
};

TEST_F(SceneExchange, ImportWritesTheDesignersRecordsAndSaysWhatItDropped) {
    folder.write("tri.obj", "v 0 0 0\nv 2 0 0\nv 2 0 2\nv 0 0 2\nf 1 2 3\nf 1 3 4\nl 1 3\n");
    Result run = cli({"import", path("tri.obj"), "-o", path("list"), "--up", "z"});
    EXPECT_EQ(run.code, 0) << run.err;
    // The diagonal is a line of the model as well: it stays.
    EXPECT_EQ(bytes("list"), "-100,   0,-100, 100,   0,-100\r\n"
                             " 100,   0,-100, 100,   0, 100\r\n"
                             " 100,   0, 100,-100,   0,-100\r\n"
                             " 100,   0, 100,-100,   0, 100\r\n"
                             "-100,   0, 100,-100,   0,-100\r\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "torvex import: " + path("tri.obj") +
                           ": 2 faces, 5 edges: 5 segments kept, 0 dropped (0 in a plane, 0 after "
                           "rounding, 0 past --max); scale 100 grid units per model unit; up axis "
                           "z (--up)\nwrote " +
                           path("list") + ": 5 segments\n");
}

TEST_F(SceneExchange, PastTheEnginesSegmentsImportWarnsAndMaxKeepsTheLongest) {
    std::string model;
    for (int i = 0; i < 72; ++i)
        model += "v " + std::to_string(i) + " 0 0\nv " + std::to_string(i) + " " +
                 std::to_string(i == 5 ? 2 : 1) + " 0\n";
    for (int i = 0; i < 72; ++i)
        model += "l " + std::to_string(2 * i + 1) + " " + std::to_string(2 * i + 2) + "\n";
    folder.write("fence.obj", model);
    Result all = cli({"import", path("fence.obj"), "-o", path("all")});
    EXPECT_EQ(all.code, 0);
    EXPECT_NE(all.err.find("torvex import: The scene has 72 segments: the calculator draws only "
                           "the first 71. (--max 71 keeps the longest)\n"),
              std::string::npos)
        << all.err;
    Result kept = cli({"import", path("fence.obj"), "-o", path("one"), "--max", "1"});
    EXPECT_EQ(kept.code, 0);
    EXPECT_EQ(bytes("one"), " -86,   0,  -3, -86,   0,   3\r\n");
    EXPECT_NE(kept.err.find("torvex import: --max 1 left out 71 segments\n"), std::string::npos);
    EXPECT_EQ(kept.err.find("The scene has"), std::string::npos);
}

TEST_F(SceneExchange, ACommandThatCannotDoItsWorkWritesNothing) {
    folder.write("broken.obj", "garbage");
    folder.write("points.obj", "v 0 0 0\nv 1 1 1\np 1 2\n");
    folder.write("list", "keep");
    folder.write("bad-list", "   0,   0,   0,  10,   0,   0\r\n   0,   0,   0, abc,   0,   0\r\n");
    // The points model with the options given: a bad option is a usage error.
    const auto points = [&](std::vector<std::string> options) {
        options.insert(options.begin(), {"import", path("points.obj"), "-o", path("list")});
        return options;
    };
    const struct {
        std::vector<std::string> args;
        int code;
        std::string err; // the start of the first line
    } cases[] = {
        {{"import", path("broken.obj"), "-o", path("list")},
         1,
         "torvex import: " + path("broken.obj")},
        {points({}), 1, "torvex import: " + path("points.obj")},
        {{"import", path("missing.obj"), "-o", path("list")}, 1, "torvex import: Cannot open file"},
        {{"import", path("list"), "-o", path("list")}, 1, "torvex import: the output"},
        {{"render", path("bad-list"), "-o", path("list")},
         1,
         path("bad-list") + ":2: error: ' abc' is not a valid integer value"},
        {{"render", path("missing"), "-o", path("list")}, 1, "torvex render: Cannot open file"},
        {{"import", path("points.obj")}, 2, "torvex import: no output file given"},
        {points({"--up", "w"}), 2, "torvex import: bad axis"},
        {points({"--size", "201"}), 2, "torvex import: bad --size"},
        {points({"--size", "0"}), 2, "torvex import: bad --size"},
        {points({"--max", "0"}), 2, "torvex import: bad --max"},
        {points({"--at", "1,2"}), 2, "torvex import: bad --at"},
        {points({"--at", "1,2,3,4"}), 2, "torvex import: bad --at"},
        {points({"--at", "0,-101,0"}), 2, "torvex import: bad --at"},
        {{"render", path("bad-list"), "-o", path("list"), "--size", "640"},
         2,
         "torvex render: bad --size"},
        {{"render", path("bad-list"), "-o", path("list"), "--size", "0x480"},
         2,
         "torvex render: bad --size"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1] + " " + c.args.back());
        const Result run = cli(c.args);
        EXPECT_EQ(run.code, c.code);
        EXPECT_EQ(run.err.substr(0, c.err.size()), c.err) << run.err;
        EXPECT_EQ(bytes("list"), "keep");
    }
    EXPECT_EQ(folder.entries(),
              (std::vector<std::string>{"bad-list", "broken.obj", "list", "points.obj"}));
}

TEST_F(SceneExchange, RenderIsWhatThePreviewWindowShows) {
    const QStringList entries{"   0,   0,   0,  10,   0,   0", "-100, 100, 100, 100,-100, 100",
                              "   0,   0,   0,   0,   0, 100"};
    TextLines lines;
    for (const QString& entry : entries)
        lines.push_back(entry.toStdString());
    writeTextLineFile(QString::fromStdString(path("list")), lines);

    ScriptedDesktop desktop;
    ScriptedDesktop::Installed installed{desktop};
    TForm5 form;
    form.beginRegeneration(defaultPanelHeight);
    CoordinateTexts fields;
    drawLineListEntries(form.canvas(), entries, defaultPanelHeight, fields);
    form.endRegeneration();
    form.setWindowState(Qt::WindowNoState);
    // Larger than the picture, and smaller (with scroll bars).
    for (const QSize client : {QSize(1300, 1050), QSize(500, 400)}) {
        form.resize(client);
        QApplication::processEvents();
        QWidget* area = form.scrollArea->viewport();
        const std::string size =
            std::to_string(area->width()) + "x" + std::to_string(area->height());
        SCOPED_TRACE(size);
        const Result run = cli({"render", path("list"), "-o", path("picture.png"), "--size", size});
        ASSERT_EQ(run.code, 0) << run.err;
        const QImage rendered(QString::fromStdString(path("picture.png")));
        const QImage shown = area->grab().toImage().convertToFormat(rendered.format());
        EXPECT_TRUE(rendered == shown);
    }
    // The default is the whole picture.
    ASSERT_EQ(cli({"render", path("list"), "-o", path("picture.png")}).code, 0);
    const QImage whole(QString::fromStdString(path("picture.png")));
    EXPECT_EQ(whole.size(), QSize(1280, 1024));
    EXPECT_EQ(whole.pixel(640, 209) & 0xFFFFFF, 0x000000u); // the line straight up
    EXPECT_EQ(whole.pixel(100, 208) & 0xFFFFFF, 0x000000u); // the line across
    EXPECT_EQ(whole.pixel(641, 508) & 0xFFFFFF, 0x0000FFu); // the origin mark
}

const TextLines kHouse = {"  -8,  14,  -5,   8,  14,  -5", "  -8,  14,   3,   8,  14,   3",
                          "  -8,  14,   3,   0,  14,  10"};

TEST_F(SceneExchange, ARecordedRunHasItsFramesForTheCalculatorsTime) {
    writeTextLineFile(QString::fromStdString(path("house")), kHouse);
    folder.write("no-frame.z80", "  .org 9327h\n  ret\n.end\n");
    for (const char* program : {"house.83p", "house.8xp"}) {
        SCOPED_TRACE(program);
        ASSERT_EQ(cli({"build", path("house"), "-o", path(program)}).code, 0);
        // Frames of 154162, 130336, 109616, 109760 and 110718 T-states on the
        // TI-83 (155344, 131518, 110798, 110942, 111900 on the Plus family).
        const Result run = cli({"run", path(program), "--keys", "left,del,del,up", "--record",
                                path("walk.gif"), "--scale", "1"});
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_NE(
            run.err.find("wrote " + path("walk.gif") + ": 5 frames, 0.10 s on the calculator\n"),
            std::string::npos)
            << run.err;
        const test::Gif gif = test::readGif(bytes("walk.gif"));
        ASSERT_NE(gif, nullptr);
        EXPECT_EQ(gif->SWidth * 1000 + gif->SHeight, 96064);
        EXPECT_EQ(test::gifDelays(gif.get()), (std::vector<int>{3, 2, 2, 1, 2}));
    }
    const struct {
        std::vector<std::string> args;
        int code;
        const char* err;
    } failures[] = {
        {{"run", path("no-frame.z80"), "--record", path("none.gif")},
         1,
         "torvex run: no frame was drawn"},
        {{"run", path("house.83p"), "--scale", "2"}, 2, "torvex run: --scale is for --record"},
        {{"run", path("house.83p"), "--record", path("none.gif"), "--scale", "17"},
         2,
         "torvex run: bad --scale"},
        {{"view", path("house"), "--record", path("house")}, 1, "torvex view: the output"},
    };
    for (const auto& f : failures) {
        const Result run = cli(f.args);
        EXPECT_EQ(run.code, f.code);
        EXPECT_EQ(run.err.substr(0, std::strlen(f.err)), f.err) << run.err;
    }
    EXPECT_EQ(bytes("none.gif"), "<missing>");
}

TEST_F(SceneExchange, TheViewRecordsEveryFrameItShowsAcrossRebuilds) {
    const QString list = QString::fromStdString(path("house"));
    writeTextLineFile(list, kHouse);
    CalculatorView view(list);
    view.startRecording({folder / "view.gif", 2});
    view.pressKey(z80::key::Left);
    view.pressKey(z80::key::Del);
    writeTextLineFile(list, {kHouse[0]});
    view.reload();
    view.pressKey(z80::key::Mode);
    view.restart();
    EXPECT_EQ(view.finishRecording(),
              "wrote " + path("view.gif") + ": 5 frames, 0.10 s on the calculator");
    const test::Gif gif = test::readGif(bytes("view.gif"));
    ASSERT_NE(gif, nullptr);
    EXPECT_EQ(gif->SWidth * 1000 + gif->SHeight, 192128);
    EXPECT_EQ(gif->ImageCount, 5);
}

} // namespace
} // namespace torvex::cli
