// Tests of the command-line companion: argument handling, `torvex assemble`
// (read back by libtifiles) and `torvex run` (frames as PNG files).
#include "cli/args.h"
#include "cli/cli.h"
#include "cli/keys.h"
#include "tests/cli/run_torvex.h"

#include "z80/assembler.h"
#include "z80/ti83.h"
#include "z80/ti83file.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/temporary_folder.h"
#include "tests/support/tifiles_library.h"

using namespace torvex::cli;
namespace fs = std::filesystem;

namespace {

using TempDir = torvex::test::TemporaryFolder;

std::vector<uint8_t> readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

const char* kSmall = R"(#include "ti83asm.inc"
 .org 9327h
 call _GRBUFCLR
 ld a,0C0h
 ld (PLOTSSCREEN),a      ; pixels (0,0) and (1,0)
 ld a,1
 ld (PLOTSSCREEN+767),a  ; pixel (95,63)
 call _GRBUFCPY_V
 call _getkey
 ret
)";

} // namespace

// ---------------------------------------------------------------- arguments

TEST(CliArgs, OptionsValuesFlagsAndPositionals) {
    std::vector<OptionDefinition> definitions{{"--output", "-o", true, "FILE", ""},
                                              {"--bin", "", false, "", ""}};
    ParsedArgs p = parseArgs({"a.z80", "-o", "x.83p", "--bin"}, definitions);
    EXPECT_EQ(p.positional, std::vector<std::string>{"a.z80"});
    EXPECT_EQ(p.value("--output"), "x.83p");
    EXPECT_TRUE(p.has("--bin"));
    p = parseArgs({"--output=y", "--", "-weird"}, definitions);
    EXPECT_EQ(p.value("--output"), "y");
    EXPECT_EQ(p.positional, std::vector<std::string>{"-weird"});
    EXPECT_THROW(parseArgs({"--nope"}, definitions), UsageError);
    EXPECT_THROW(parseArgs({"-o"}, definitions), UsageError);
    EXPECT_THROW(parseArgs({"-o", "a", "-o", "b"}, definitions), UsageError);
    EXPECT_THROW(parseArgs({"--bin=1"}, definitions), UsageError);
}

TEST(CliArgs, KeyNames) {
    using namespace torvex::z80::key;
    EXPECT_EQ(parseKeys("right,Left,UP,down,enter,clear,del,stat,vars,mode,45h,0x10,7"),
              (std::vector<uint8_t>{Right, Left, Up, Down, Enter, Clear, Del, Stat, Vars, Mode,
                                    0x45, 0x10, 7}));
    EXPECT_TRUE(parseKeys("").empty());
    EXPECT_THROW(parseKeys("rigth"), UsageError);
    EXPECT_THROW(parseKeys("right,,left"), UsageError);
    EXPECT_THROW(parseKeys("256"), UsageError);
    EXPECT_EQ(keyName(Mode), "mode");
    EXPECT_EQ(keyName(0x77), "77h");
}

// ---------------------------------------------------------------- help and dispatch

TEST(Cli, HelpForEachCommand) {
    Result r = cli({"--help"});
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_NE(r.out.find("assemble"), std::string::npos);
    EXPECT_NE(r.out.find("run"), std::string::npos);
    for (const char* c : {"assemble", "run"}) {
        r = cli({c, "--help"});
        EXPECT_EQ(r.code, kExitOk);
        EXPECT_NE(r.out.find(std::string("Usage: torvex ") + c), std::string::npos);
        EXPECT_TRUE(r.err.empty());
    }
}

TEST(Cli, UsageErrorsGoToStderr) {
    Result r = cli({});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("Usage"), std::string::npos);
    r = cli({"frobnicate"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_NE(r.err.find("unknown command 'frobnicate'"), std::string::npos);
    r = cli({"assemble"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_NE(r.err.find("no source file given"), std::string::npos);
    r = cli({"assemble", "a.z80", "--what"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_NE(r.err.find("unknown option '--what'"), std::string::npos);
    r = cli({"run", "a.z80", "--keys", "sideways"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_NE(r.err.find("unknown key 'sideways'"), std::string::npos);
}

// ---------------------------------------------------------------- assemble

TEST(CliAssemble, WritesA83pThatLibtifilesReadsBack) {
    TempDir dir;
    fs::path out = dir / "DEMO.83p";
    Result r = cli({"assemble", TORVEX_DEMO, "-o", out.string()});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_NE(r.out.find("prgmDEMO"), std::string::npos) << r.out;

    ASSERT_EQ(tifiles_file_get_model(out.c_str()), CALC_TI83);
    FileContent* content = tifiles_content_create_regular(CALC_TI83);
    ASSERT_EQ(tifiles_file_read_regular(out.c_str(), content), 0);
    ASSERT_EQ(content->num_entries, 1u);
    VarEntry* e = content->entries[0];
    EXPECT_STREQ(e->name, "DEMO");
    EXPECT_EQ(e->type, 0x06);
    EXPECT_EQ(content->checksum, content->stored_checksum);
    torvex::z80::Assembly a = torvex::z80::assembleFile(TORVEX_DEMO);
    EXPECT_EQ(e->size, 2 * a.bytes.size() + 9 + 2);
    std::vector<uint8_t> text = torvex::z80::hexTextProgram(a.bytes);
    EXPECT_EQ(std::vector<uint8_t>(e->data + 2, e->data + e->size), text);
    tifiles_content_delete_regular(content);
}

TEST(CliAssemble, NameFromTheOutputFileOrGiven) {
    TempDir dir;
    fs::path src = dir.write("scene.z80", kSmall);
    Result r = cli({"assemble", src.string()});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    auto v = torvex::z80::readProgramFile(readFile(dir / "scene.83p"));
    EXPECT_EQ(v.name, "SCENE");
    r = cli({"assemble", src.string(), "-o", (dir / "other.83p").string(), "--name", "MY3D"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(torvex::z80::readProgramFile(readFile(dir / "other.83p")).name, "MY3D");
}

TEST(CliAssemble, BadNameIsAClearErrorAndWritesNothing) {
    TempDir dir;
    fs::path src = dir.write("s.z80", kSmall);
    Result r = cli({"assemble", src.string(), "--name", "my3d"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_NE(r.err.find("program name \"my3d\" must start with an upper-case letter"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"s.z80"});
    r = cli({"assemble", src.string(), "-o", (dir / "1.83p").string()});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_NE(r.err.find("--name"), std::string::npos) << r.err;
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"s.z80"});
}

TEST(CliAssemble, BadSourceReportsEveryErrorAndWritesNothing) {
    TempDir dir;
    fs::path src = dir.write("bad.z80", " .org 9327h\n .db 300\n jp nowhere\n");
    fs::path out = dir / "BAD.83p";
    std::ofstream(out) << "old contents";
    Result r = cli({"assemble", src.string(), "-o", out.string()});
    EXPECT_EQ(r.code, kExitFailure);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(r.err, src.string() + ":2: value 300 out of range (-128..255)\n" + src.string() +
                         ":3: undefined label 'nowhere'\n");
    // the old file is untouched and no temporary file stays
    std::ifstream in(out);
    std::string old((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(old, "old contents");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"BAD.83p", "bad.z80"}));
}

TEST(CliAssemble, ProgramMustStartAtUserMem) {
    TempDir dir;
    fs::path src = dir.write("s.z80", " .org 9000h\n ret\n");
    Result r = cli({"assemble", src.string()});
    EXPECT_EQ(r.code, kExitFailure);
    EXPECT_NE(r.err.find("must start with .org 9327h"), std::string::npos) << r.err;
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"s.z80"});
}

// Labels in another case need -i; warnings go to stderr and write the file.
TEST(CliAssemble, BinWritesRawBytes) {
    TempDir dir;
    fs::path src = dir.write("s.z80", " .org 9000h\nFive .equ 5\n ld a,FIVE+1*2\n ret\n");
    Result r = cli({"assemble", src.string(), "--bin"});
    EXPECT_NE(r.err.find("did you mean 'Five'?"), std::string::npos) << r.err;
    r = cli({"assemble", src.string(), "--bin", "-i"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.err.rfind(src.string() + ":3: warning: 'FIVE+1*2' is 12 read left to right", 0), 0u)
        << r.err;
    EXPECT_EQ(readFile(dir / "s.bin"), (std::vector<uint8_t>{0x3E, 12, 0xC9}));
    r = cli({"assemble", src.string(), "--bin", "--name", "X"});
    EXPECT_EQ(r.code, kExitUsage);
}

// ---------------------------------------------------------------- run

TEST(CliRun, OneLinePerFrameAndPngsScaledFourTimes) {
    TempDir dir;
    fs::path src = dir.write("s.z80", kSmall);
    Result r = cli({"run", src.string(), "--keys", "enter", "--frames", (dir / "f").string()});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out.find("frame 1: "), 0u) << r.out;
    // The program's own T-states, then the clear and the copy charged apart.
    EXPECT_EQ(r.out.find("frame 1: 74 T-states + 67773 in ROM calls (estimated) -> "), 0u) << r.out;
    EXPECT_NE(r.out.find("returned"), std::string::npos) << r.out;
    QImage img(QString::fromStdString((dir / "f" / "frame-0001.png").string()));
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.width(), 384);
    EXPECT_EQ(img.height(), 256);
    QRgb on = img.pixel(0, 0), off = img.pixel(8, 0);
    EXPECT_NE(on, off);
    EXPECT_EQ(img.pixel(7, 3), on);      // pixel (1,0)
    EXPECT_EQ(img.pixel(383, 255), on);  // pixel (95,63)
    EXPECT_EQ(img.pixel(379, 255), off); // pixel (94,63)
    EXPECT_EQ(img.pixel(200, 100), off);
}

TEST(CliRun, RunsA83pLikeItsSource) {
    TempDir dir;
    fs::path src = dir.write("s.z80", kSmall);
    ASSERT_EQ(cli({"assemble", src.string(), "-o", (dir / "S.83p").string()}).code, kExitOk);
    Result a = cli({"run", src.string(), "--keys", "mode"});
    Result b = cli({"run", (dir / "S.83p").string(), "--keys", "mode"});
    ASSERT_EQ(a.code, kExitOk) << a.err;
    ASSERT_EQ(b.code, kExitOk) << b.err;
    EXPECT_EQ(a.out, b.out);
}

TEST(CliRun, KeysRunningOutEndCleanly) {
    TempDir dir;
    fs::path src = dir.write("s.z80", kSmall);
    Result r = cli({"run", src.string()});
    EXPECT_EQ(r.code, kExitOk) << r.err;
    EXPECT_NE(r.out.find("key script ended"), std::string::npos) << r.out;
}

TEST(CliRun, RunawayAndWriteGuardAreErrors) {
    TempDir dir;
    fs::path loop = dir.write("loop.z80", " .org 9327h\nagain: jr again\n");
    Result r = cli({"run", loop.string(), "--limit", "5000"});
    EXPECT_EQ(r.code, kExitFailure);
    EXPECT_NE(r.err.find("runaway"), std::string::npos) << r.err;
    fs::path wild = dir.write("wild.z80", " .org 9327h\n ld (0C000h),a\n ret\n");
    r = cli({"run", wild.string(), "--writable", "graph,8265-828Bh,stack"});
    EXPECT_EQ(r.code, kExitFailure);
    EXPECT_NE(r.err.find("C000h"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("PC 9327h"), std::string::npos) << r.err;
    r = cli({"run", wild.string(), "--writable", "9000"});
    EXPECT_EQ(r.code, kExitUsage);
}

TEST(CliRun, BadProgramFile) {
    TempDir dir;
    fs::path p = dir.write("X.83p", "not a program");
    Result r = cli({"run", p.string()});
    EXPECT_EQ(r.code, kExitFailure);
    EXPECT_NE(r.err.find("no **TI83** or **TI83F* signature"), std::string::npos) << r.err;
}

// ---------------------------------------------------------------- the executable

TEST(CliExecutable, AssembleAndRunEndToEnd) {
    TempDir dir;
    std::string exe = TORVEX_EXE;
    std::string cmd = exe + " assemble " + TORVEX_DEMO + " -o " + (dir / "DEMO.83p").string() +
                      " > " + (dir / "out1.txt").string() + " 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    cmd = exe + " run " + (dir / "DEMO.83p").string() + " --keys right,down,mode --frames " +
          (dir / "frames").string() + " > " + (dir / "out2.txt").string() + " 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::ifstream in(dir / "out2.txt");
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("frame 3: "), std::string::npos) << text;
    EXPECT_TRUE(fs::exists(dir / "frames" / "frame-0003.png"));
    cmd = exe + " assemble > /dev/null 2>&1";
    EXPECT_NE(std::system(cmd.c_str()), 0);
}
