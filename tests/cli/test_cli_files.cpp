// `torvex` reads only regular files and no command loses a file it meets.
#include "cli/scene_program.h"
#include "codegen/text_line_file.h"
#include "tests/cli/run_torvex.h"
#include "tests/support/file_bytes.h"
#include "tests/support/file_size_limit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace torvex::cli {
namespace {

struct CompanionFiles : ::testing::Test {
    QTemporaryDir dir;
    std::string err;

    std::string path(const char* name) const {
        return dir.filePath(QString::fromLatin1(name)).toStdString();
    }
    static std::string contents(const std::string& name) {
        return test::fileBytes(QString::fromStdString(name));
    }
    QStringList entries() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    }
    int torvex(const std::vector<std::string>& args) {
        const Result run = cli(args);
        err = run.err;
        return run.code;
    }
    // A line list, and its preview source as a source of our assembler.
    void SetUp() override {
        writeTextLineFile(dir.filePath(QStringLiteral("scene")),
                          {"   0,   0,   0,  10,  10,  10", "  -5,   0,   0,   5,   0,   0"});
        writeFileAtomically(path("scene.z80"), previewSourceForList(path("scene")));
    }
};

TEST_F(CompanionFiles, OutputThatIsTheInputIsRefusedAndNothingIsWritten) {
    ASSERT_EQ(::symlink(path("scene").c_str(), path("link.83p").c_str()), 0);
    ASSERT_EQ(::symlink(path("scene.z80").c_str(), path("source-link").c_str()), 0);
    ASSERT_EQ(::link(path("scene").c_str(), path("HARD.83p").c_str()), 0);
    ASSERT_TRUE(
        test::writeFileBytes(dir.filePath(QStringLiteral("data.inc")), " .db 1\n") &&
        test::writeFileBytes(dir.filePath(QStringLiteral("main.z80")), "#include \"data.inc\"\n"));
    const QStringList before = entries();
    const std::string list = contents(path("scene")), source = contents(path("scene.z80"));
    const std::string respelt =
        dir.path().toStdString() + "/./../" + QDir(dir.path()).dirName().toStdString() + "/scene";
    const std::vector<std::vector<std::string>> commands{
        {"build", path("scene"), "-o", path("scene")},
        {"build", path("scene"), "-o", path("link.83p")},
        {"build", path("scene"), "-o", path("HARD.83p")},
        {"build", path("scene"), "-o", respelt},
        {"assemble", path("scene.z80"), "-o", path("scene.z80")},
        {"assemble", path("scene.z80"), "-o", path("source-link"), "--name", "SCENE"},
        {"assemble", path("scene.z80"), "--bin", "-o", path("scene.z80")},
        {"assemble", path("scene.z80"), "--bin", "-o", path("source-link")},
        {"assemble", path("main.z80"), "--bin", "-o", path("data.inc")},
    };
    for (const auto& command : commands) {
        EXPECT_EQ(torvex(command), kExitFailure) << command.back();
        EXPECT_NE(err.find("is the input file"), std::string::npos) << err;
        EXPECT_EQ(contents(path("scene")), list) << command.back();
        EXPECT_EQ(contents(path("scene.z80")), source) << command.back();
    }
    EXPECT_EQ(contents(path("data.inc")), " .db 1\n");
    EXPECT_EQ(entries(), before);
}

// Names are bytes from the command line to the system, shown escaped.
TEST_F(CompanionFiles, NamesAreKeptAsBytesAndShownEscaped) {
    const std::string folder = dir.path().toStdString() + "/";
    const std::string odd = folder + "out\xE9\x1B.83p";
    const Result run = cli({"build", path("scene"), "-o", odd});
    EXPECT_EQ(run.code, kExitOk) << run.err;
    EXPECT_EQ(::access(odd.c_str(), F_OK), 0);
    EXPECT_THAT(run.err, testing::HasSubstr("wrote " + folder + "out\\xE9\\x1B.83p: prgmOUT"));
    EXPECT_EQ(torvex({"build", odd + ".list", "-o", path("x.83p")}), kExitFailure);
    EXPECT_THAT(err, testing::HasSubstr("Cannot open file " + folder + "out\\xE9\\x1B.83p.list"));
    for (const std::string command : {"build", "assemble"}) {
        EXPECT_EQ(torvex({command, path("scene"), "-o", ""}), kExitUsage);
        EXPECT_THAT(err, testing::HasSubstr("torvex " + command + ": the output file's name is"));
    }
    ::unlink(odd.c_str()); // Qt cannot name it to remove it with its folder
}

// Named pipes and devices are refused at once (no waiting for a writer, no
// reading without end), as are folders and files that are not there.
TEST_F(CompanionFiles, OnlyRegularFilesAreRead) {
    ASSERT_EQ(::mkfifo(path("pipe.z80").c_str(), 0600), 0);
    const QStringList before = entries();
    for (const std::string& input :
         {path("pipe.z80"), std::string("/dev/zero"), path(""), path("missing.z80")}) {
        const std::vector<std::vector<std::string>> commands{
            {"build", input, "-o", path("OUT.83p")},
            {"assemble", input, "-o", path("OUT.83p")},
            {"assemble", input, "--bin", "-o", path("out.bin")},
            {"run", input, "--frames", path("frames")},
        };
        for (const auto& command : commands) {
            EXPECT_EQ(torvex(command), kExitFailure) << command[0] << " " << input;
            EXPECT_NE(err.find("Cannot open file " + input), std::string::npos) << err;
        }
    }
    EXPECT_EQ(entries(), before);
}

// A full disk: the command fails and says why; nothing else changes.
TEST_F(CompanionFiles, WriteThatRunsOutOfRoomKeepsTheEarlierFile) {
    writeFileAtomically(path("OLD.83p"), "earlier program");
    const QStringList before = entries();
    const std::vector<std::vector<std::string>> commands{
        {"build", path("scene"), "-o", path("OLD.83p")},
        {"assemble", path("scene.z80"), "-o", path("OLD.83p")},
    };
    for (const auto& command : commands) {
        {
            FileSizeLimit limit(1000);
            EXPECT_EQ(torvex(command), kExitFailure) << command[0];
        }
        EXPECT_THAT(err, testing::HasSubstr("OLD.83p: Stream write error"));
        EXPECT_EQ(contents(path("OLD.83p")), "earlier program");
    }
    EXPECT_EQ(entries(), before);
}

// Inputs are refused past 16 MiB, many times what a calculator program is built
// from; running out of memory on a smaller one is an error, never an abort.
TEST_F(CompanionFiles, LargeInputsAreRefusedAndRunningOutOfMemoryIsAnError) {
    for (const char* name : {"big.z80", "big"}) {
        writeFileAtomically(path(name), "");
        std::filesystem::resize_file(path(name), (16 << 20) + 1);
    }
    for (const auto& command :
         std::vector<std::vector<std::string>>{{"build", path("big"), "-o", path("OUT.83p")},
                                               {"assemble", path("big.z80"), "-o", path("OUT.83p")},
                                               {"run", path("big.z80")}}) {
        EXPECT_EQ(torvex(command), kExitFailure) << command[0];
        EXPECT_NE(err.find("File too large to read: " + command[1]), std::string::npos) << err;
    }
#if defined(__SANITIZE_ADDRESS__) // set by GCC and Clang
    GTEST_SKIP() << "the address sanitizer needs more address space than the test allows";
#endif
    std::string nops = " .org 9327h\n";
    for (int i = 0; i < 3'000'000; ++i)
        nops += " nop\n";
    writeFileAtomically(path("nops.z80"), nops);
    const std::string run = "ulimit -v 250000; " + std::string(TORVEX_EXE) + " assemble " +
                            path("nops.z80") + " -o " + path("OUT.83p") + " 2> " + path("err");
    EXPECT_EQ(WEXITSTATUS(std::system(run.c_str())), kExitFailure);
    EXPECT_EQ(contents(path("err")), "torvex assemble: not enough memory\n");
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("OUT.83p"))));
}

} // namespace
} // namespace torvex::cli
