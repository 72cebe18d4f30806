// torvex import, render and recorded walks: the files they write, every way
// they end, the rendered picture against the preview window's own, and the
// GIFs read back.
#include "cli/calculator_view.h"
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
#include <QStringList>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace torvex::cli {
namespace {

// Runs in its temporary folder, so files are named as a user names them.
struct SceneExchange : ::testing::Test {
    test::TemporaryFolder folder;
    const std::filesystem::path before = std::filesystem::current_path();
    void SetUp() override { std::filesystem::current_path(folder / ""); }
    void TearDown() override { std::filesystem::current_path(before); }
    static Result torvex(const QString& line) {
        std::vector<std::string> args;
        for (const QString& word : line.split(' '))
            args.push_back(word.toStdString());
        return cli(args);
    }
    static std::string bytes(const char* name) { return test::fileBytes(name); }
};

const TextLines kHouse = {"  -8,  14,  -5,   8,  14,  -5", "  -8,  14,   3,   8,  14,   3",
                          "  -8,  14,   3,   0,  14,  10"};

TEST_F(SceneExchange, ImportWritesTheDesignersRecordsAndSaysWhatItDropped) {
    folder.write("tri.obj", "v 0 0 0\nv 2 0 0\nv 2 0 2\nv 0 0 2\nf 1 2 3\nf 1 3 4\nl 1 3\n");
    Result run = torvex("import tri.obj -o list --up Z --max 5"); // all kept, in order
    EXPECT_EQ(run.code, 0) << run.err;
    // The diagonal is a line of the model as well: it stays.
    EXPECT_EQ(bytes("list"), "-100,   0,-100, 100,   0,-100\r\n 100,   0,-100, 100,   0, 100\r\n"
                             " 100,   0, 100,-100,   0,-100\r\n 100,   0, 100,-100,   0, 100\r\n"
                             "-100,   0, 100,-100,   0,-100\r\n");
    EXPECT_EQ(run.err, "torvex import: tri.obj: 2 faces, 5 edges: 5 segments kept, 0 dropped (0 "
                       "in a plane, 0 after rounding, 0 past --max); scale 100 grid units per "
                       "model unit; up axis z (--up)\ntorvex import: warning: the calculator never "
                       "draws 3 segments: their ends lie more than 80 steps apart along x or y; "
                       "--size 80 or less keeps them drawable\ntorvex import: wrote list: 5 "
                       "segments\n");
}

TEST_F(SceneExchange, PastTheEnginesSegmentsImportWarnsAndMaxKeepsTheLongest) {
    std::string model, lines; // 72 posts along x, the sixth twice as high
    for (int i = 0; i < 72; ++i) {
        model += "v " + std::to_string(i) + " 0 0\nv " + std::to_string(i) +
                 (i == 5 ? " 2 0\n" : " 1 0\n");
        lines += "l " + std::to_string(2 * i + 1) + " " + std::to_string(2 * i + 2) + "\n";
    }
    folder.write("fence.obj", model + lines);
    EXPECT_NE(torvex("import fence.obj -o all")
                  .err.find("\nall:72: warning: the calculator draws only the first 71 segments: "
                            "this one is left out\ntorvex import: --max 71 keeps the longest 71\n"),
              std::string::npos);
    EXPECT_EQ(torvex("import fence.obj -o most --max 71").err.find("first 71"), std::string::npos);
    // The longest post, its top raised to 101, off the grid.
    const Result kept = torvex("import fence.obj -o one --max 1 --at 0,0,98");
    EXPECT_EQ(bytes("one"), " -86,   0,  95, -86,   0, 101\r\n");
    for (const char* said :
         {"0 faces, 72 edges: 1 segment kept, 71 dropped (0 in a plane, 0 after rounding, 71 past",
          "torvex import: 1 segment reaches beyond the grid -100..100\n"})
        EXPECT_NE(kept.err.find(said), std::string::npos) << said;
    EXPECT_EQ(kept.err.find("first 71"), std::string::npos);
    EXPECT_EQ(torvex("import fence.obj -o low --max 1 --at 0,0,-98 -q").err,
              "torvex import: 1 segment reaches beyond the grid -100..100\ntorvex import: --max 1 "
              "left out 71 segments\n");
}

TEST_F(SceneExchange, ACommandThatCannotDoItsWorkWritesNothing) {
    folder.write("broken.obj", "garbage");
    folder.write("points.obj", "v 0 0 0\nv 1 1 1\np 1 2\n");
    folder.write("inc.z80", " .org 9327h\n#include \"inc.gif\"\n ret\n");
    folder.write("inc.gif", "");
    writeTextLineFile("frame-0001.png", kHouse); // a list named as a frame
    folder.write("tri.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    folder.write("empty.stl", "solid x\nendsolid x\n");
    folder.write("short.stl", std::string(80, ' ') + std::string("\1\0\0\0", 4) + "a");
    folder.write("list", "keep");
    folder.write("bad-list", "   0,   0,   0,  10,   0,   0\r\n   0,   0,   0, abc,   0,   0\r\n"
                             " 1,2,3,4,5,6,7\r\n");
    folder.write("no-frame.z80", "  .org 9327h\n  ret\n.end\n");
    folder.write("key.z80", "#include \"ti83asm.inc\"\n .org 9327h\n call _getkey\n ret\n");
    writeTextLineFile("house", kHouse);
    ASSERT_EQ(torvex("build house -o house.83p").code, 0);
    const std::vector<std::string> files = folder.entries();
    const struct {
        const char* line;
        int code;
        const char* err; // how the error stream starts
    } cases[] = {
        {"import broken.obj -o list", 1, "torvex import: broken.obj: "},
        {"import points.obj -o list --at -100,100,-100 --size 200", 1,
         "torvex import: points.obj: the model holds no edges; nothing was written\n"},
        {"import empty.stl -o list", 1, "torvex import: empty.stl: "},
        {"import short.stl -o list", 1, "torvex import: short.stl: "},
        {"import missing.obj -o list", 1, "torvex import: Cannot open file missing.obj"},
        {"import list -o list", 1, "torvex import: the output list is the input file list"},
        {"render bad-list -o list", 1,
         "bad-list:2: error: 'abc' is not an integer\n"
         "bad-list:3: error: expected six coordinates separated by commas, found 7\n"},
        {"render missing -o list", 1, "torvex render: Cannot open file missing"},
        {"render list -o list", 1, "torvex render: the output list is the input file list"},
        {"import points.obj", 2, "torvex import: no output file given"},
        {"import points.obj -o list --up w", 2, "torvex import: bad axis"},
        {"import points.obj -o list --size 201", 2, "torvex import: bad --size"},
        {"import points.obj -o list --max 0", 2, "torvex import: bad --max"},
        {"import points.obj -o list --at 1,2", 2, "torvex import: bad --at"},
        {"import points.obj -o list --at 0,-101,0", 2, "torvex import: bad --at"},
        {"import tri.obj -o list --at -100,0,0 --size 56", 1,
         "torvex import: tri.obj: placed by --at the model reaches -128, beyond what the engine "
         "holds (-127..127); nothing was written\n"},
        {"import tri.obj -o list --at 100,0,0 --size 56", 1,
         "torvex import: tri.obj: placed by --at the model reaches 128, beyond"},
        {"render bad-list -o list.jpg", 2, "torvex render: list.jpg: the picture is a PNG;"},
        {"run house.83p --record none/walk.gif", 1, "torvex run: Cannot create file none/walk.gif"},
        {"render bad-list -o list --size 640", 2, "torvex render: bad --size"},
        {"render bad-list -o list --size 640X0", 2, "torvex render: bad --size height '0'"},
        {"run no-frame.z80 --record none.gif", 1, "torvex run: no frame was drawn"},
        {"run key.z80 --record none.gif", 1, "torvex run: no frame was drawn"},
        {"run inc.z80 --record inc.gif", 1, "torvex run: the output inc.gif is the input file"},
        {"view inc.z80 --record inc.gif", 1, "torvex view: the output inc.gif is the input file"},
        {"run inc.z80 --record walk.txt", 2, "torvex run: walk.txt: the walk is a GIF; name it"},
        {"run frame-0001.png --frames .", 1,
         "torvex run: the output ./frame-0001.png is the input"},
        {"run house.83p --scale 2", 2, "torvex run: --scale is for --record"},
        {"run house.83p --record none.gif --scale 17", 2, "torvex run: bad --scale"},
        {"view house --record house", 1, "torvex view: the output house is the input file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const Result run = torvex(c.line);
        EXPECT_EQ(run.code, c.code);
        EXPECT_EQ(run.err.substr(0, std::strlen(c.err)), c.err) << run.err;
        EXPECT_TRUE(std::strstr(c.line, "--frames") || run.out.empty()); // a frame goes as made
    }
    EXPECT_EQ(bytes("list"), "keep");
    EXPECT_EQ(folder.entries(), files);
}

TEST_F(SceneExchange, RenderIsWhatThePreviewWindowShows) {
    const QStringList entries{"   0,   0,   0,  10,   0,   0", "-100, 100, 100, 100,-100, 100",
                              "   0,   0,   0,   0,   0, 100"};
    // Lines spaced as a user types them are drawn as the designer's records.
    writeTextLineFile("list",
                      {entries[0].toStdString(), "-100,100 ,100,100,-100,100", "0,0,0,0,0,100"});
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
        const QString size = QStringLiteral("%1x%2").arg(area->width()).arg(area->height());
        SCOPED_TRACE(size.toStdString());
        ASSERT_EQ(torvex("render list -o picture.png --size " + size).code, 0);
        const QImage rendered(QStringLiteral("picture.png"));
        EXPECT_TRUE(rendered == area->grab().toImage().convertToFormat(rendered.format()));
    }
    ASSERT_EQ(torvex("render list -o PICTURE.PNG").code, 0);
    EXPECT_EQ(QImage(QStringLiteral("PICTURE.PNG")).size(), QSize(1280, 1024));
}

TEST_F(SceneExchange, ARecordedRunHasItsFramesForTheCalculatorsTime) {
    writeTextLineFile("house", kHouse);
    // The smallest and the largest scale.
    for (const auto& [program, scale, size] :
         {std::tuple{"house.83p", "1", 96064}, {"house.8xp", "16", 1537024}}) {
        SCOPED_TRACE(program);
        ASSERT_EQ(torvex(QStringLiteral("build house -o ") + program).code, 0);
        // Frames of 154162, 130336 and 109616 T-states on the TI-83 (155344,
        // 131518 and 110798 on the Plus family).
        const Result run =
            torvex(QStringLiteral("run %1 --keys left,del --record walk.gif --scale %2")
                       .arg(program, scale));
        EXPECT_THAT(run.err,
                    testing::HasSubstr("wrote walk.gif: 3 frames, 0.07 s on the calculator"));
        const test::Gif gif = test::readGif(bytes("walk.gif"));
        ASSERT_NE(gif, nullptr);
        EXPECT_EQ(gif->SWidth * 1000 + gif->SHeight, size);
        EXPECT_EQ(test::gifDelays(gif.get()), (std::vector<int>{3, 2, 2}));
    }
    EXPECT_THAT(torvex("run house.8xp --keys mode --record one.gif").err,
                testing::HasSubstr("wrote one.gif: 1 frame, 0.03 s"));
    EXPECT_EQ(test::readGif(bytes("one.gif"))->SWidth, 288) << "scale 3 unless --scale says";
}

TEST_F(SceneExchange, TheViewRecordsEveryFrameItShowsAcrossRebuilds) {
    writeTextLineFile("house", kHouse);
    CalculatorView view(QStringLiteral("house"));
    view.startRecording({"view.gif", 2});
    view.pressKey(z80::key::Left);
    view.pressKey(z80::key::Del);
    writeTextLineFile("house", {kHouse[0]});
    view.reload();
    view.pressKey(z80::key::Mode);
    view.restart();
    EXPECT_EQ(view.finishRecording(), "wrote view.gif: 5 frames, 0.10 s on the calculator");
    const test::Gif gif = test::readGif(bytes("view.gif"));
    ASSERT_NE(gif, nullptr);
    EXPECT_EQ(gif->SWidth * 1000 + gif->SHeight, 192128);
    EXPECT_EQ(gif->ImageCount, 5);
}

} // namespace
} // namespace torvex::cli
