// `torvex build` against the designer's own road: the wizard's preview source
// assembled with `torvex assemble` must give the same program file.
#include "cli/cli.h"
#include "cli/scene_program.h"
#include "codegen/text_line_file.h"
#include "codegen/tform4.h"
#include "tests/cli/run_torvex.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scripted_desktop.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace torvex::cli {
namespace {

struct BuildCommand : ::testing::Test {
    QTemporaryDir folder;
    std::string path(const char* name) const {
        return folder.filePath(QString::fromLatin1(name)).toStdString();
    }
    std::string contents(const char* name) const {
        return test::fileBytes(QString::fromStdString(path(name)));
    }
    std::string list(const char* name, const TextLines& lines) const {
        writeTextLineFile(QString::fromStdString(path(name)), lines);
        return path(name);
    }
};

TEST_F(BuildCommand, GivesTheBytesOfTheWizardsFileAssembled) {
    const std::string scene =
        list("scene.lst", {"   0,  10,   0,  10,  10,   0", "  -7,   0,   0,   7,   0,   0",
                           "  +7, $1F, 007,  -5,  -5,  -5"});
    ScriptedDesktop scripted;
    ScriptedDesktop::Installed installed(scripted);
    QWidget notes;
    TForm4 wizard(&notes);
    scripted.fileAnswers = {QString::fromStdString(scene),
                            QString::fromStdString(path("scene.z80"))};
    QTest::mouseClick(wizard.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
    ASSERT_TRUE(scripted.errorReports().empty());
    // Our own source is the wizard's, each segment as the designer writes it.
    std::string wizards = contents("scene.z80");
    wizards.replace(wizards.find("  +7, $1F, 007"), 14, "   7,  31,   7");
    EXPECT_EQ(previewSourceForList(scene), wizards);

    // Assembled beside our own headers (a header beside the source wins).
    const std::string dir = folder.path().toStdString();
    ASSERT_EQ(cli({"headers", dir}).code, 0);
    EXPECT_EQ(cli({"headers", dir + "/new/folder", "-q"}).code, 0); // made as needed
    EXPECT_EQ(
        contents("tokens.inc"),
        "; tokens.inc - Torvex Designer built-in definitions (TI-83)\r\n"
        "; The Torvex engine uses no token names; this file only satisfies the #include.\r\n");
    const Result again = cli({"headers", dir});
    EXPECT_EQ(again.code, kExitFailure);
    EXPECT_EQ(again.err, "torvex headers: " + path("ti83asm.inc") +
                             " exists; nothing was written (--force replaces it)\n");
    EXPECT_EQ(cli({"headers", dir, "--force", "-q"}).err, "");
    const Result assembly =
        cli({"assemble", path("scene.z80"), "-o", path("a.83p"), "--name", "SCENE"});
    ASSERT_EQ(assembly.code, 0) << assembly.err;
    // A header of another make beside the list changes nothing for build.
    ASSERT_TRUE(
        test::writeFileBytes(QString::fromStdString(path("tokens.inc")), " .db NotOurs\r\n"));
    ASSERT_EQ(cli({"build", scene, "-o", path("b.83p"), "--name", "SCENE"}).code, 0);
    EXPECT_EQ(contents("b.83p"), contents("a.83p"));

    // The Plus family's source, assembled on its own, is the Plus program file.
    ASSERT_EQ(cli({"build", scene, "--model", "ti83p", "--source", "-o", path("plus.z80")}).code,
              0);
    const Result plusAssembly =
        cli({"assemble", path("plus.z80"), "-o", path("a.8xp"), "--name", "SCENE"});
    ASSERT_EQ(plusAssembly.code, 0) << plusAssembly.err;
    ASSERT_EQ(cli({"build", scene, "-o", path("b.8xp"), "--name", "SCENE"}).code, 0);
    EXPECT_EQ(contents("b.8xp"), contents("a.8xp"));
    EXPECT_NE(contents("b.8xp"), contents("b.83p"));
    EXPECT_EQ(cli({"build", scene, "--model", "ti83p", "--source", "-o", "-"}).out,
              contents("plus.z80"));
    // It ends at .end: nothing past it that another assembler reads as a second END.
    const std::string plus = contents("plus.z80");
    EXPECT_EQ(plus.substr(plus.size() - 23), "        .db 128\r\n.end\r\n");
    EXPECT_EQ(plus.find("#define END"), std::string::npos);
    // `run` of the list runs the program `build` gives.
    const Result ranList = cli({"run", scene, "--keys", "mode"});
    const Result ranProgram = cli({"run", path("b.83p"), "--keys", "mode"});
    EXPECT_EQ(ranList.code, kExitOk) << ranList.err;
    EXPECT_EQ(ranList.out, ranProgram.out);
}

// A line the engine cannot take is refused at its line, at column 0, and
// nothing is written; values it holds off the grid are warned about.
TEST_F(BuildCommand, ListLinesAreCheckedAtTheirLine) {
    const std::string good = "   0,   0,   0,   0,   0,   0";
    const std::vector<std::pair<std::string, std::string>> refused{
        {"   0,   0,   0,   0,   0", "expected six coordinates separated by commas, found 5"},
        {good + ",   0", "expected six coordinates separated by commas, found 7"},
        {" \t", "the line is empty: expected six coordinates separated by commas"},
        {"   0,   0,    ,   0,   0,   0", "coordinate 3 is empty"},
        {"0,0,0,128,0,0", "the coordinate 128 is out of range: the engine holds -127..127"},
        {"0,0,0,0,-129,0", "the coordinate -129 is out of range: the engine holds -127..127"},
        {"0,0,0,0,0,$C8", "the coordinate $C8 (200) is out of range: the engine holds -127..127"},
        {"0,-128,0,0,0,0",
         "the coordinate -128 is the engine's end marker: the scene would end here"},
        {"   0,   0,   0,   0, 1+2,   0", "'1+2' is not an integer"},
        {"0,0,0,0,+99999999999,0", "'+99999999999' is out of range: the engine holds -127..127"},
        {"   0,   0,   0,   0,   0, " + std::string(80, '9'), // quoted a line's worth
         "'" + std::string(72, '9') + "...' is out of range: the engine holds -127..127"},
        {good + "\x1A", "the line holds a Ctrl-Z (1Ah) byte, which ends the file for an assembler"},
    };
    for (const auto& [line, message] : refused) {
        const std::string bad = list("bad", {good, line});
        const Result build = cli({"build", bad, "-o", path("BAD.83p")});
        EXPECT_EQ(build.code, kExitFailure);
        EXPECT_EQ(build.err, bad + ":2: error: " + message + "\n");
        EXPECT_EQ(build.out, "");
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path("BAD.83p"))));
    }
    const std::string edges = list("edges", {" 127,-127, 101,-101, 100,-100",
                                             " 100,-100,   0, $64, -20,   0", "0,0,0,-81,0,0"});
    const Result build = cli({"build", edges, "-q", "-o", path("EDGES.83p")});
    EXPECT_EQ(build.code, kExitOk);
    const std::string never = ": warning: the calculator never draws this segment: its ends lie ";
    const std::string twice = " steps apart along x, more than twice its draw distance (40)\n";
    EXPECT_EQ(build.err, edges + ":1: warning: outside the grid -100..100: 127, -127, 101, -101\n" +
                             edges + ":1" + never + "228" + twice + edges + ":3" + never + "81" +
                             twice);
    const std::string many = list("many", TextLines(60, "1")); // as many as an assembly's
    EXPECT_TRUE(cli({"build", many, "-o", path("BAD.83p")})
                    .err.ends_with("1\n" + many + ":51: error: too many errors; stopping\n"));
    const std::string typo = list("typo", {"1,2,3,4,-,6x"}); // no line right, still a list
    EXPECT_EQ(cli({"build", typo, "-o", path("BAD.83p")}).err,
              typo + ":1: error: '-' is not an integer\n");
    const std::string bom = list("bom", {"\xEF\xBB\xBF" + good});
    EXPECT_EQ(cli({"build", bom, "-o", path("BAD.83p")}).err,
              bom + ":1: error: the list starts with a UTF-8 byte order mark (EF BB BF): save it "
                    "without one\n");
    // Values in hex alone are still a list's, read at their lines; a list is no source.
    const std::string hex =
        list("hex", {" $10,   0,   0,   0,   0,   0", " $10,   0,   0,   0,   0, 200"});
    EXPECT_EQ(cli({"build", hex, "-o", path("BAD.83p")}).err,
              hex + ":2: error: the coordinate 200 is out of range: the engine holds -127..127\n");
    EXPECT_EQ(cli({"assemble", hex}).err,
              "torvex assemble: " + hex +
                  ": a line list, not an assembly source: torvex build and torvex view take it\n");
    // Messages come in the list's order, errors and warnings alike.
    const std::string mixed =
        list("mixed", {"   0,   0,   0,   0,   0", " 101,   0,   0, 100,   0,   0"});
    EXPECT_EQ(cli({"build", mixed, "-o", path("BAD.83p")}).err,
              mixed + ":1: error: expected six coordinates separated by commas, found 5\n" + mixed +
                  ":2: warning: outside the grid -100..100: 101\n");
    // A program file's name must say its calculator, or --model must.
    EXPECT_EQ(cli({"build", edges}).code, kExitUsage);
    const Result bin = cli({"build", edges, "-o", path("EDGES.bin")});
    EXPECT_EQ(bin.code, kExitUsage);
    EXPECT_EQ(bin.err.substr(0, bin.err.find('\n')),
              "torvex build: " + path("EDGES.bin") +
                  " names no calculator: use .83p or .8xp, or say which with --model");
    EXPECT_EQ(cli({"build", edges, "-q", "-o", path("EDGES.bin"), "--model", "ti83p"}).code,
              kExitOk);
    // A .83p is the TI-83's file: asking for the Plus family there is a mistake.
    const Result plusAs83p = cli({"build", edges, "--model", "ti83p", "-o", path("BAD.83p")});
    EXPECT_EQ(plusAs83p.code, kExitUsage);
    EXPECT_NE(plusAs83p.err.find(".8xp"), std::string::npos) << plusAs83p.err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path("BAD.83p"))));
}

TEST_F(BuildCommand, SegmentsAreCountedInEveryKindOfInput) {
    const std::string three =
        list("three", {"   0,  10,   0,  10,  10,   0", "   1,   1,   1,   2,   2,   2",
                       "   3,   3,   3,   4,   4,   4"});
    for (const auto& [file, model] :
         {std::pair{"THREE.83p", z80::Model::Ti83}, std::pair{"THREE.8xp", z80::Model::Ti83Plus}}) {
        SCOPED_TRACE(file);
        ASSERT_EQ(cli({"build", three, "-o", path(file)}).code, 0);
        const SceneProgram fromList = loadSceneProgram(three, model);
        const SceneProgram fromProgram = loadSceneProgram(path(file));
        EXPECT_EQ(fromProgram.program.model, model);
        EXPECT_EQ(fromProgram.program.code, fromList.program.code);
        for (const SceneProgram* p : {&fromList, &fromProgram}) {
            ASSERT_TRUE(p->segments);
            EXPECT_EQ(*p->segments, 3u);
        }
    }
    // It runs on the family's emulated calculator, writing only where its guard allows.
    const Result run = cli({"run", path("THREE.8xp"), "--keys", "del,right,up,mode", "--writable",
                            "graph,ram,program,stack"});
    EXPECT_EQ(run.code, kExitOk) << run.err;
    EXPECT_NE(run.out.find("frame 4:"), std::string::npos) << run.out;
}

TEST(Readme, StandsBesideTheProgramAsPlainAsciiWithCrLf) {
    const std::string text = test::fileBytes(QStringLiteral(TORVEX_BUILT_README));
    EXPECT_EQ(text, test::fileBytes(QStringLiteral(TORVEX_README)));
    for (size_t i = 0; i < text.size(); ++i) {
        ASSERT_TRUE(text[i] > 0 && (text[i] >= ' ' || text[i] == '\r' || text[i] == '\n'));
        ASSERT_EQ(text[i] == '\n', i > 0 && text[i - 1] == '\r') << "at byte " << i;
    }
}

} // namespace
} // namespace torvex::cli
