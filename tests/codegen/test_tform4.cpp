#include "codegen/tform4.h"

#include "codegen/string_list.h"
#include "codegen/text_line_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/scripted_desktop.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << text.toStdString();
}
QT_END_NAMESPACE

using namespace torvex;
using Kind = ScriptedDesktop::Kind;

namespace {

const QString kFirst =
    QStringLiteral("First, we will need a linelist to compile. Click [OK] to select a linelist.");
const QString kSecond =
    QStringLiteral("Now we will need a .Z80 file to store the program and data in.");
const QString kThird =
    QStringLiteral("The program will now create the .Z80 file for compilation...");
const QString kReady =
    QStringLiteral("The source code is ready to use. See readme.txt for details.");
const QString kNoFile = QStringLiteral("You did not select a file!");

const std::string kRecord = "   1,   2,   3,   4,   5,   6";

// One step of a run as the user sees it.
struct Step {
    Kind kind;
    QString text;
    bool operator==(const Step&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Step& step) {
    return out << static_cast<int>(step.kind) << ':' << step.text.toStdString();
}

Step info(const QString& text) {
    return {Kind::MessageDialog, text};
}
Step warning(const QString& text) {
    return {Kind::MessageDialog, QStringLiteral("!") + text};
}
Step dialog(const QString& initialName) {
    return {Kind::FileDialog, initialName};
}

class Wizard : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // Runs the wizard with the given answers of its two file dialogs.
    void run(std::optional<QString> listFile, std::optional<QString> output = std::nullopt) {
        shell.fileAnswers = {listFile};
        if (listFile)
            shell.fileAnswers.push_back(output);
        QTest::mouseClick(button("Button1"), Qt::LeftButton);
        EXPECT_TRUE(shell.fileAnswers.empty());
    }

    std::vector<Step> steps() const {
        std::vector<Step> result;
        for (const ScriptedDesktop::Shown& shown : shell.shown) {
            if (shown.kind == Kind::FileDialog)
                result.push_back(dialog(shown.initialName));
            else if (shown.kind == Kind::MessageDialog && shown.type == MessageType::Warning)
                result.push_back(warning(shown.text));
            else
                result.push_back({shown.kind, shown.text});
        }
        return result;
    }

    QPushButton* button(const char* name) const {
        return form.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    static std::string golden(const char* name) {
        return test::fileBytes(QStringLiteral(TORVEX_CODEGEN_GOLDEN "/") + QLatin1String(name));
    }

    ScriptedDesktop shell;
    ScriptedDesktop::Installed installed{shell};
    QTemporaryDir dir;
    TForm4 form{nullptr};
};

} // namespace

TEST_F(Wizard, CancelledDialogsWarnAndTouchNothing) {
    run(std::nullopt);
    EXPECT_EQ(steps(), (std::vector<Step>{info(kFirst), dialog(QString()), warning(kNoFile)}));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    shell.shown.clear();
    const QString listFile = path("scene.txt");
    ASSERT_TRUE(test::writeFileBytes(listFile, kRecord + "\r\n"));
    run(listFile, std::nullopt);
    EXPECT_EQ(steps(),
              (std::vector<Step>{info(kFirst), dialog(QString()), info(kSecond),
                                 dialog(listFile + QStringLiteral(".z80")), warning(kNoFile)}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("scene.txt")});
}

// Every run gives the engine's source with CR LF, then the golden tail (a blank
// list line becomes a bare data line), also over the list it read.
TEST_F(Wizard, LineListFileGivesTheTemplateThenTheGoldenTailEveryTime) {
    const QString listFile = path("list.txt");
    ASSERT_TRUE(test::writeFileBytes(listFile, golden("line_list.txt")));
    std::string expected;
    for (char c : test::fileBytes(QStringLiteral(TORVEX_ENGINE_TEMPLATE)))
        expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    expected += golden("preview_source_tail.z80");
    for (const char* output : {"first.z80", "list.txt"}) {
        shell.shown.clear();
        run(listFile, path(output));
        EXPECT_EQ(steps(), (std::vector<Step>{info(kFirst), dialog(QString()), info(kSecond),
                                              dialog(listFile + QStringLiteral(".z80")),
                                              info(kThird), info(kReady)}));
        EXPECT_EQ(test::fileBytes(path(output)), expected);
    }
}

// A list that cannot be read, or a write that fails over the list itself, is
// reported after the third message, and no file changes.
TEST_F(Wizard, AFailingReadOrWriteIsReportedAfterTheThirdMessage) {
    const QString missing = path("missing.txt"), listFile = path("scene.txt");
    writeTextLineFile(listFile, TextLines(200, kRecord));
    const std::string before = test::fileBytes(listFile);
    for (const auto& [list, output, failure] :
         {std::tuple{missing, path("missing.z80"), "Cannot open file " + missing + "."},
          {listFile, listFile, QStringLiteral("Stream write error.")}}) {
        shell.shown.clear();
        {
            FileSizeLimit limit(before.size()); // room for the list, not for the source
            run(list, output);
        }
        EXPECT_EQ(steps(), (std::vector<Step>{info(kFirst), dialog(QString()), info(kSecond),
                                              dialog(list + QStringLiteral(".z80")), info(kThird),
                                              Step{Kind::ErrorReport, failure}}));
    }
    EXPECT_FALSE(QFile::exists(path("missing.z80")));
    EXPECT_EQ(test::fileBytes(listFile), before);
}
