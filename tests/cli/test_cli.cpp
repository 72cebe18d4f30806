// The command-line companion: arguments, `torvex assemble` and `torvex run`.
#include "cli/args.h"
#include "cli/cli.h"
#include "cli/keys.h"
#include "tests/cli/run_torvex.h"
#include "tests/support/temporary_folder.h"

#include "z80/assembler.h"
#include "z80/ti83.h"
#include "z80/ti83file.h"

#include <QImage>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace torvex::cli;
using testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

using TempDir = torvex::test::TemporaryFolder;

std::vector<uint8_t> readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Runs that must fail: exit code, empty stdout, parts of stderr.
struct Failing {
    std::vector<std::string> args;
    int code;
    std::vector<std::string> err = {};
};
void expectFailures(const std::vector<Failing>& cases) {
    for (size_t i = 0; i < cases.size(); ++i) {
        const Result r = cli(cases[i].args);
        EXPECT_EQ(r.code, cases[i].code) << "case " << i;
        EXPECT_TRUE(r.out.empty()) << r.out;
        for (const std::string& part : cases[i].err)
            EXPECT_TRUE(has(r.err, part)) << r.err;
    }
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

TEST(CliArgs, KeysByNameOrCode) {
    using namespace torvex::z80::key;
    EXPECT_EQ(parseKeys("right,Left,UP,down,enter,clear,del,stat,vars,mode,45h,0x5,7,255,4AH"),
              (std::vector<uint8_t>{Right, Left, Up, Down, Enter, Clear, Del, Stat, Vars, Mode,
                                    0x45, 0x05, 7, 255, 0x4A}));
    EXPECT_TRUE(parseKeys("").empty());
    for (const char* bad : {"rigth", "right,,left", "256"})
        EXPECT_THROW(parseKeys(bad), UsageError) << bad;
    EXPECT_EQ(keyName(Mode), "mode");
    EXPECT_EQ(keyName(0x77), "77h");
}

// Every command answers -h, --help and `torvex help COMMAND` alike, on stdout.
TEST(Cli, HelpVersionAndBadCommandLines) {
    std::string text;
    for (const CommandInfo& c : commands()) {
        const Result dash = cli({c.name, "-h"}), word = cli({"--help", c.name});
        EXPECT_EQ(dash.code, kExitOk);
        EXPECT_EQ(dash.out.rfind("Usage: torvex " + c.name + " ", 0), 0u) << dash.out;
        EXPECT_TRUE(has(dash.out, "\n  -q, --quiet ") && dash.err.empty()) << dash.out;
        EXPECT_EQ(word.out, dash.out);
        EXPECT_EQ(cli({c.name, "x", "--help", "-q"}).out, dash.out);
        for (std::istringstream lines(dash.out + cli({"help"}).out); std::getline(lines, text);)
            EXPECT_LE(text.size(), 79u) << "fits an 80-column terminal: " << text;
    }
    EXPECT_TRUE(has(cli({"help"}).out, "\n  assemble  "));
    const Result version = cli({"--version"});
    EXPECT_EQ(version.out, "torvex (Torvex Designer) 1.0.0.0\n");
    EXPECT_EQ(version.code, kExitOk);
    const std::string more = "Run 'torvex help assemble' for its options.\n";
    expectFailures({
        {{}, kExitUsage, {"Usage"}},
        {{"frobnicate"}, kExitUsage, {"torvex: unknown command 'frobnicate'\n"}},
        {{"help", "frob\x1B"}, kExitUsage, {"torvex: unknown command 'frob\\x1B'\n"}},
        {{"headers", ""}, kExitUsage, {"torvex headers: no folder given\n"}},
        {{"assemble"}, kExitUsage, {"torvex assemble: no source file given\n" + more}},
        {{"assemble", "a.z80", "-x"}, kExitUsage, {"torvex assemble: unknown option '-x'\n"}},
        {{"assemble", "a.z80", "-o"}, kExitUsage, {"torvex assemble: missing value after '-o'\n"}},
        {{"assemble", "a.z80", "-oa", "--output=b"}, kExitUsage, {"'--output' given twice\n"}},
        {{"assemble", "a.z80", "--bin=1"}, kExitUsage, {"unexpected value after '--bin'\n"}},
        {{"assemble", "a.z80", "b\x1B.z80"}, kExitUsage, {"unexpected argument 'b\\x1B.z80'\n"}},
        {{"build", "a", "-o", "a.83p", "--source"}, kExitUsage, {"--source writes an assembly"}},
        {{"assemble", "a.z80", "--bin", "-o", "a.8xp"}, kExitUsage, {"--bin writes the raw"}},
        {{"build", "a", "-oA.png", "--model", "ti83"}, kExitUsage, {"this is a program file\n"}},
        {{"import", "a.obj", "-oa.8XP"}, kExitUsage, {"a.8XP: .8xp names a program file; this"}},
        // after "--" an argument is a file, whatever it looks like
        {{"assemble", "--", "-o"}, kExitFailure, {"torvex assemble: Cannot open file -o ("}},
        {{"run", "none.83p"}, kExitFailure, {"torvex run: Cannot open file none.83p ("}},
        {{"build", TORVEX_DEMO, "-o", "n.83p"}, kExitFailure, {"demo.z80: not a line list: "}},
        {{"help", "build", "run"}, kExitUsage, {"torvex help: give one command\n"}},
        {{"--version", "x"}, kExitUsage, {"torvex --version: unexpected argument 'x'\n"}},
        {{"-q", "build"}, kExitUsage, {"torvex: unknown option '-q' (a command's options follow"}},
        // the last C1 control, a byte no UTF-8 starts with, an overlong ESC escaped; U+00A0 kept
        {{"assemble", "a\xC2\x9F\xF5\x80\x80\x80\xE0\x81\x9B\xC2\xA0"},
         kExitFailure,
         {"file a\\xC2\\x9F\\xF5\\x80\\x80\\x80\\xE0\\x81\\x9B\xC2\xA0 ("}},
        {{"run", "a.z80", "--keys", "sideways"}, kExitUsage, {"unknown key 'sideways'"}},
        {{"build", "a", "-oa.z80", "--source", "--name", "A"}, kExitUsage, {"--name has no mean"}},
    });
}

TEST(CliAssemble, WritesTheProgramFileOfTheAssembly) {
    TempDir dir;
    Result r = cli({"assemble", TORVEX_DEMO, "-o" + (dir / "DEMO.83p").string()});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_THAT(r.err, HasSubstr(": prgmDEMO for the TI-83, 220 bytes of code (file 523 bytes); "
                                 "run it with Send(9prgmDEMO\n"));
    EXPECT_EQ(readFile(dir / "DEMO.83p"),
              torvex::z80::makeProgramFile(torvex::z80::assembleFile(TORVEX_DEMO).bytes, "DEMO"));
    const fs::path src = dir.write("scene.z80", kSmall);
    ASSERT_EQ(cli({"assemble", src.string()}).code, kExitOk);
    EXPECT_EQ(torvex::z80::readProgramFile(readFile(dir / "scene.83p")).name, "SCENE");
    r = cli(
        {"assemble", src.string(), "--output=" + (dir / "other.83p").string(), "--name", "MY3D"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(torvex::z80::readProgramFile(readFile(dir / "other.83p")).name, "MY3D");
    // --quiet: nothing on success; -q and -o run together
    r = cli({"assemble", "-qo" + (dir / "quiet.83p").string(), src.string()});
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(torvex::z80::readProgramFile(readFile(dir / "quiet.83p")).name, "QUIET");
    // "-" is standard output; a program there needs its name.
    r = cli({"assemble", src.string(), "-o", "-", "--name", "S", "-q"});
    EXPECT_EQ(torvex::z80::readProgramFile({r.out.begin(), r.out.end()}).name, "S");
    EXPECT_TRUE(has(cli({"assemble", src.string(), "-o-"}).err, "needs --name")) << r.err;
}

TEST(CliAssemble, RefusalsWriteNothingAndLeaveTheOldFile) {
    TempDir dir;
    const std::string good = dir.write("s.z80", kSmall).string();
    const std::string elsewhere = dir.write("e.z80", " .org 9000h\n ret\n").string();
    const std::string bad = dir.write("bad.z80", " .org 9327h\n .db 300\n jp nowhere\n").string();
    dir.write("BAD.83p", "old");
    const std::vector<std::string> before = dir.entries();
    expectFailures({
        {{"assemble", good, "--name", "my3d"},
         kExitUsage,
         {"\"my3d\" must start with an upper-case"}},
        {{"assemble", good, "-o", (dir / "1.83p").string()}, kExitUsage, {"--name"}},
        {{"assemble", elsewhere}, kExitFailure, {"must start with .org 9327h"}},
        {{"assemble", (dir / "BAD.83p").string()}, kExitUsage, {"is a program file, not a"}},
        {{"assemble", good, "-o", (dir / "S.bin").string()}, kExitUsage, {"S.bin names no calc"}},
        {{"assemble", bad, "-o", (dir / "BAD.83p").string()},
         kExitFailure,
         {bad + ":2: error: value 300 out of range", bad + ":3: error: undefined label 'nowhere'"}},
    });
    EXPECT_EQ(dir.entries(), before);
    EXPECT_EQ(readFile(dir / "BAD.83p"), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

// Labels in another case need -i; warnings go to stderr and the file is written.
TEST(CliAssemble, BinWritesRawBytes) {
    TempDir dir;
    fs::path src =
        dir.write("s.z80", " .org 9000h\nFive .equ 5\n ld a,FIVE+1*2\n ret\n .end\n nop\n");
    Result r = cli({"assemble", src.string(), "--bin"});
    EXPECT_TRUE(has(r.err, "did you mean 'Five'?")) << r.err;
    r = cli({"assemble", src.string(), "--bin", "-i"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    // Each at column 0: what the preprocessor sees first, then the values.
    EXPECT_EQ(r.err.rfind(src.string() + ":6: warning: this line follows .end", 0), 0u) << r.err;
    EXPECT_THAT(r.err, HasSubstr("\n" + src.string() + ":3: warning: 'FIVE+1*2' is 12 read"));
    EXPECT_EQ(readFile(dir / "s.bin"), (std::vector<uint8_t>{0x3E, 12, 0xC9}));
    EXPECT_EQ(cli({"assemble", src.string(), "--bin", "--name", "X"}).code, kExitUsage);
}

TEST(CliRun, OneLinePerFrameAndPngsScaledFourTimes) {
    TempDir dir;
    fs::path src = dir.write("s.z80", kSmall);
    Result r = cli({"run", src.string(), "--keys", "enter", "--frames", (dir / "f").string()});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    // The program's own T-states, then the clear and the copy charged apart.
    EXPECT_EQ(r.out.find("frame 1: 74 T-states + 67773 in ROM calls (estimated) -> "), 0u) << r.out;
    QImage img(QString::fromStdString((dir / "f" / "frame-0001.png").string()));
    EXPECT_EQ(img.size(), QSize(384, 256));
    QRgb on = img.pixel(0, 0), off = img.pixel(8, 0);
    EXPECT_NE(on, off);
    EXPECT_EQ(img.pixel(7, 3), on);      // pixel (1,0)
    EXPECT_EQ(img.pixel(383, 255), on);  // pixel (95,63)
    EXPECT_EQ(img.pixel(379, 255), off); // pixel (94,63)
    r = cli({"run", src.string()});
    EXPECT_EQ(r.code, kExitOk) << r.err;
    EXPECT_TRUE(has(r.err, "key script ended") && !has(r.out, "key script")) << r.out;
}

// Every way a run can fail ends with status 1 (a bad command line with 2);
// returning and running out of keys end with 0 (above), whatever the program type.
TEST(CliRun, RunawayWriteGuardFaultsAndBadFilesAreErrors) {
    TempDir dir;
    const std::string loop = dir.write("loop.z80", " .org 9327h\nagain: jr again\n").string();
    const std::string wild = dir.write("wild.z80", " .org 9327h\n ld (0C000h),a\n ret\n").string();
    const std::string rom = dir.write("rom.z80", " .org 9327h\n call 4000h\n ret\n").string();
    const std::string rst = dir.write("rst.z80", " .org 9327h\n rst 28h\n .dw 4755h\n").string();
    const std::string plus =
        dir.write("plus.z80", " .org 9D93h\n .db 0BBh,6Dh\n jp 0C000h\n").string();
    const std::string bare = dir.write("bare.z80", " .org 9D93h\n ret\n").string();
    const std::string plusRom =
        dir.write("plusrom.z80", " .org 9D93h\n .db 0BBh,6Dh\n rst 28h\n .dw 1234h\n").string();
    const std::string notProgram = dir.write("X.83p", "not a program").string();
    const std::string source = dir.write("s.inc", "\t.org 9327h\n\n\tret\n").string();
    std::vector<uint8_t> unprotected = torvex::z80::makeProgramFile({0xC9}, "UN");
    unprotected[0x37 + 4] = 0x05;
    --unprotected[unprotected.size() - 2]; // the checksum, one less
    const std::string un =
        dir.write("UN.83p", std::string(unprotected.begin(), unprotected.end())).string();
    for (const char* limit : {"10", "999999999999999"}) // its ret takes 10 T-states
        EXPECT_EQ(cli({"run", un, "--limit", limit}).code, kExitOk) << limit;
    // The first byte of RAM may be guarded as writable; a program may fill
    // memory up to FFFFh, not a byte more.
    const std::string first =
        dir.write("first.asm", " .org 9327h\n ld a,55h\n ld (8000h),a\n"
                               " ld a,(8000h)\n cp 55h\n call nz,4000h\n ret\n")
            .string();
    EXPECT_EQ(cli({"run", first, "--writable", "0X8000-8000,stack"}).code, kExitOk);
    std::vector<uint8_t> fills(0x10000 - 0x9327, 0);
    fills[0] = 0xC9;
    const auto programFile = [&](const char* name) {
        const std::vector<uint8_t> file = torvex::z80::makeProgramFile(fills, "FILLS");
        return dir.write(name, std::string(file.begin(), file.end())).string();
    };
    EXPECT_EQ(cli({"run", programFile("FILLS.83p")}).code, kExitOk);
    fills.push_back(0);
    const std::string over = programFile("OVER.83p");
    const std::string copier =
        dir.write("copy.z80", " .org 9327h\nagain: call 5164h\n jr again\n").string();
    expectFailures({
        {{"run", loop, "--limit", "5000"}, kExitFailure, {"runaway"}},
        {{"run", wild, "--writable", "graph,08265-828Bh,stack"}, kExitFailure, {"C000h", "9327h"}},
        {{"run", rom},
         kExitFailure,
         {"4000h, which is not an emulated ROM call (came from around 932Ah or 9327h)"}},
        {{"run", plusRom},
         kExitFailure,
         {"rst 28h called 1234h, which is not an emulated ROM call (from 9D95h)"}},
        {{"run", plus}, kExitFailure, {"C000h"}},
        {{"run", rst}, kExitFailure, {"ROM address 0028h, which is not an emulated ROM call"}},
        {{"run", un, "--model", "TI83P"}, kExitFailure, {"a program file of the TI-83, not of"}},
        {{"run", bare}, kExitFailure, {"Plus assembly program must start with the bytes BBh 6Dh"}},
        {{"run", wild, "--writable", "9000"}, kExitUsage},
        {{"run", wild, "--writable", "10000-10001"}, kExitUsage},
        {{"run", wild, "--writable", "9000-8FFF"}, kExitUsage},
        {{"run", loop, "--limit", "0"}, kExitUsage},
        {{"run", un, "--limit", "9"}, kExitFailure, {"10 T-states without a frame (limit 9)"}},
        {{"run", un, "--limit", "1000000000000000"}, kExitUsage},
        {{"run", notProgram}, kExitFailure, {"no **TI83** or **TI83F* signature"}},
        {{"run", over}, kExitFailure, {over + ": the program does not fit in memory"}},
        {{"run", source},
         kExitFailure,
         {source + ": not a line list: ", "for run and view when named .z80 or .asm"}},
    });
    const Result copied = cli({"run", copier});
    EXPECT_EQ(copied.code, kExitFailure);
    EXPECT_THAT(copied.err, HasSubstr("10000 frames in 290017 T-states without reading a key"));
    EXPECT_TRUE(has(copied.out, "\nframe 10000: 29 T-states") && !has(copied.out, "frame 10001"));
}

// The program's exit status is the command's.
TEST(CliExecutable, ExitsWithTheCommandsStatus) {
    const std::string exe = TORVEX_EXE;
    EXPECT_EQ(std::system((exe + " run " TORVEX_DEMO " --keys mode > /dev/null").c_str()), 0);
    EXPECT_EQ(WEXITSTATUS(std::system((exe + " assemble > /dev/null 2>&1").c_str())), kExitUsage);
    TempDir dir; // Ctrl-C closes a view as its close box does: the walk recorded is written
    const std::string view = "QT_QPA_PLATFORM=offscreen timeout --preserve-status -s INT 2 " + exe +
                             " view " TORVEX_DEMO " --record " + (dir / "w.gif").string();
    EXPECT_EQ(WEXITSTATUS(std::system(view.c_str())), 130);
    EXPECT_TRUE(fs::exists(dir / "w.gif"));
}

// README's shell blocks and readme.txt's indented lines as copied (view needs a display).
TEST(CliExecutable, TheDocumentsCommandLinesWork) {
    std::vector<std::string> commands{TORVEX_EXE " build LIST --source -o SCENE.z80"};
    for (const char* document :
         {TORVEX_SOURCE_DIR "/README.md", TORVEX_SOURCE_DIR "/assets/readme.txt"}) {
        std::ifstream in(document);
        std::string line, command;
        for (bool fenced = false; std::getline(in, line);) {
            const size_t from = std::min(line.find_first_not_of(' '), line.size());
            const std::string text = line.substr(from, line.find_last_not_of('\r') + 1 - from);
            fenced = text.rfind("```", 0) == 0 ? !fenced : fenced;
            command += text;
            if (!command.empty() && command.back() == '\\') {
                command.pop_back();
                continue;
            }
            for (const std::string prefix : {"./build/cli/torvex ", "torvex "})
                if (command.rfind(prefix, 0) == 0 && command.rfind(prefix + "view", 0) != 0 &&
                    (fenced || from == 4))
                    commands.push_back(TORVEX_EXE " " + command.substr(prefix.size()));
            command.clear();
        }
    }
    EXPECT_GE(commands.size(), 12u);
    TempDir dir;
    fs::create_directories(dir / "path/to");
    for (const char* list : {"LIST", "path/to/your-list"})
        dir.write(list, "0,0,0,10,10,10\n-20,30,5,-20,30,-5\n");
    fs::create_symlink(TORVEX_SOURCE_DIR "/docs", dir / "docs");
    const std::string in = "cd '" + (dir / "").string() + "' && ";
    for (const std::string& command : commands)
        EXPECT_EQ(std::system((in + command + " >/dev/null 2>&1").c_str()), 0) << command;
}
