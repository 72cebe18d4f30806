#include "codegen/text_line_file.h"

#include "base/failure.h"
#include "files/file_io.h"
#include "files/file_system.h"
#include "tests/support/file_bytes.h"
#include "tests/support/file_size_limit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using torvex::Failure;
using torvex::FileSizeLimit;
using torvex::readTextLineFile;
using torvex::TextLines;
using torvex::writeTextLineFile;
using torvex::test::fileBytes;
using torvex::test::writeFileBytes;

namespace {

class TextLineFile : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    template <class Action> static std::string failureOf(Action&& action) {
        try {
            action();
        } catch (const Failure& failure) {
            return failure.what();
        }
        ADD_FAILURE() << "no failure raised";
        return {};
    }

    QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir dir;
};

} // namespace

// Only regular files are read: a named pipe is refused at once (no waiting
// for a writer), a device without opening it. Names are carried as bytes and
// shown with their control bytes escaped.
TEST_F(TextLineFile, FileThatCannotBeOpenedIsReportedByNameAndReason) {
    const std::string folder = dir.path().toStdString();
    ASSERT_EQ(::mkfifo((folder + "/pipe").c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {folder + "/missing.txt", folder + "/missing.txt (No such file or directory)"},
        {folder, folder + " (is a folder)"},
        {folder + "/pipe", folder + "/pipe (is a named pipe)"},
        {"/dev/zero", "/dev/zero (is a device)"},
        {folder + "/sc\xC3\xA8ne~\x1B[2J\x7F\xE9",
         folder + "/sc\xC3\xA8ne~\\x1B[2J\\x7F\\xE9 (No such file or directory)"},
    };
    for (const auto& [name, shown] : cases)
        EXPECT_EQ(failureOf([&] { readTextLineFile(torvex::FileName(name)); }),
                  "Cannot open file " + shown);
}

// A file of the limit's size is read whole, one byte more is refused.
TEST_F(TextLineFile, FileTooLargeToHoldIsRefusedBeforeReading) {
    ASSERT_TRUE(writeFileBytes(path("edge.txt"), "12345\r\n789"));
    const torvex::FileName edge = torvex::fileNameOf(path("edge.txt"));
    EXPECT_EQ(torvex::readRegularFile(edge, 10), "12345\r\n789");
    EXPECT_EQ(failureOf([&] { torvex::readRegularFile(edge, 9); }),
              "File too large to read: " + path("edge.txt").toStdString());
    const QString name = path("huge.txt");
    QFile huge(name);
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    // Sparse: the size is there, the blocks are not.
    if (!huge.resize(torvex::kLargestReadableFile + 1))
        GTEST_SKIP() << "the file system holds no file this large";
    huge.close();
    EXPECT_EQ(failureOf([&] { readTextLineFile(name); }),
              "File too large to read: " + name.toStdString());
}

TEST_F(TextLineFile, FileThatCannotBeCreatedIsReportedAndNothingIsWritten) {
    const QString inMissingFolder = path("no/such/folder/list.txt");
    EXPECT_EQ(failureOf([&] { writeTextLineFile(inMissingFolder, {"a"}); }),
              "Cannot create file " + inMissingFolder.toStdString() +
                  " (No such file or directory)");
    EXPECT_EQ(failureOf([&] { writeTextLineFile(torvex::FileName(), {"a"}); }),
              "Cannot create file \"\" (no file name given)");
    // A folder or a named pipe is never replaced by a file.
    const QString pipe = path("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_EQ(failureOf([&] { writeTextLineFile(dir.path(), {"a"}); }),
              "Cannot create file " + dir.path().toStdString() + " (is a folder)");
    EXPECT_EQ(failureOf([&] { writeTextLineFile(pipe, {"a"}); }),
              "Cannot create file " + pipe.toStdString() + " (is a named pipe)");
    EXPECT_TRUE(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());
}

// As for an ordinary user (a child drops root's rights): a file that may not be
// written is not replaced; in a read-only folder a writable file is rewritten
// in place, and put back as it was when that write fails.
TEST_F(TextLineFile, FileAndFolderPermissionsDecideWhatIsWritten) {
    const QString readOnly = path("read-only.txt");
    const QString folder = path("read-only");
    const QString inFolder = folder + QStringLiteral("/list.txt");
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_TRUE(writeFileBytes(readOnly, "old\r\n"));
    ASSERT_TRUE(writeFileBytes(inFolder, "older\r\n")); // longer: nothing of it may stay
    const auto setMode = [](const QString& name, mode_t mode) {
        ::chmod(QFile::encodeName(name).constData(), mode);
    };
    setMode(readOnly, 0444), setMode(inFolder, 0666), setMode(dir.path(), 0777);
    ASSERT_TRUE(::geteuid() ||
                !::chown(QFile::encodeName(readOnly).constData(), 65534, ::getegid()));
    setMode(folder, 0555);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && ::setuid(65534) != 0)
            ::_exit(99);
        const std::string denied = failureOf([&] { writeTextLineFile(readOnly, {"new"}); });
        writeTextLineFile(inFolder, {"new"});
        bool trial = true; // rewritten in place: no file need be made beside it
        try {
            torvex::checkCanWrite(torvex::fileNameOf(inFolder));
        } catch (const Failure&) {
            trial = false;
        }
        FileSizeLimit limit(10);
        const std::string tooLarge =
            failureOf([&] { writeTextLineFile(inFolder, {"longer than the limit"}); });
        ::_exit(
            (denied != "Cannot create file " + readOnly.toStdString() + " (Permission denied)") |
            (tooLarge != "Stream write error (File too large)") * 2 | !trial * 4);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    setMode(folder, 0755);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 99) << "cannot run as an ordinary user";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(fileBytes(readOnly), "old\r\n");
    EXPECT_EQ(fileBytes(inFolder), "new\r\n");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("list.txt")});
}

// A kill during a write waits for it: the file is whole, then the program ends.
TEST_F(TextLineFile, ASignalToEndWaitsForTheWriteInProgress) {
    const pid_t child = ::fork();
    if (child == 0) {
        torvex::system::prepareProcessForFileWrites();
        {
            const torvex::system::WriteInProgress writing;
            ::kill(::getpid(), SIGTERM);
            writeTextLineFile(path("list.txt"), {"new"});
        }
        ::_exit(0); // not reached: the held signal ends the program
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(fileBytes(path("list.txt")), "new\r\n");
}

TEST_F(TextLineFile, WriteThatRunsOutOfRoomLeavesTheOldFileIntact) {
    const QString name = path("list.txt");
    const TextLines oldLines = {"   1,   2,   3,   4,   5,   6"};
    // A small file is held in the file's buffer until it is flushed, a large
    // one is written at once; both must fail the same way.
    for (const std::size_t records : {40u, 1000u}) {
        writeTextLineFile(name, oldLines);
        const std::string oldBytes = fileBytes(name);
        const TextLines bigger(records, "  -7,   0,   0,   7,   0,   0");
        {
            FileSizeLimit limit(oldBytes.size() + 100);
            EXPECT_EQ(failureOf([&] { writeTextLineFile(name, bigger); }),
                      "Stream write error (File too large)");
        }
        EXPECT_EQ(fileBytes(name), oldBytes) << records;
        EXPECT_EQ(entries(), QStringList{QStringLiteral("list.txt")}) << "nothing left beside it";
    }
}

// Replacing keeps a link to the file the system resolves ("L/../x" lies above
// where L leads), the file's permissions and, also for root, its owner.
TEST_F(TextLineFile, ReplacingKeepsLinksPermissionsAndOwner) {
    const QString real = path("real.txt");
    const QString link = path("link.txt");
    ASSERT_TRUE(writeFileBytes(real, "old\r\n"));
    ::chmod(QFile::encodeName(real).constData(), 0640);
    const bool root = ::geteuid() == 0;
    ASSERT_TRUE(!root || ::chown(QFile::encodeName(real).constData(), 65534, 65534) == 0);
    ASSERT_TRUE(QFile::link(real, link));
    writeTextLineFile(link, {"new"});
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(fileBytes(real), "new\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_TRUE(!root || (info.st_uid == 65534 && info.st_gid == 65534)) << info.st_uid;

    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("x/y")));
    ASSERT_TRUE(writeFileBytes(path("x/in.txt"), "old\r\n") &&
                writeFileBytes(path("in.txt"), "input"));
    ASSERT_TRUE(QFile::link(QStringLiteral("x/y"), path("L")));
    ASSERT_TRUE(QFile::link(QStringLiteral("L/../in.txt"), path("out")));
    writeTextLineFile(path("out"), {"new"});
    EXPECT_EQ(fileBytes(path("x/in.txt")), "new\r\n");
    EXPECT_EQ(fileBytes(path("in.txt")), "input");
    for (int i = 0; i < 41; ++i) // the system follows 40 links, not 41
        ASSERT_TRUE(QFile::link(QStringLiteral("c%1").arg(i + 1), path("c") + QString::number(i)));
    writeTextLineFile(path("c1"), {"new"});
    EXPECT_EQ(fileBytes(path("c41")), "new\r\n");
    EXPECT_TRUE(failureOf([&] {
                    writeTextLineFile(path("c0"), {"a"});
                }).ends_with(" (Too many levels of symbolic links)"));
    const mode_t mask = ::umask(027); // a new file gets what the mask leaves of 0666
    writeTextLineFile(path("new.txt"), {"new"});
    ::umask(mask);
    ASSERT_EQ(::stat(QFile::encodeName(path("new.txt")).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}
