#include "codegen/tform4.h"

#include "assets/artwork.h"
#include "codegen/engine_template.h"
#include "codegen/scene_data.h"
#include "codegen/string_list.h"
#include "codegen/text_line_file.h"
#include "platform/contacts.h"
#include "tests/support/scripted_desktop.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

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

TextLines concatenated(TextLines first, const TextLines& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
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
Step report(const QString& text) {
    return {Kind::ErrorReport, text};
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
    const TextLines& list(const char* name) const {
        return form.findChild<StringList*>(QString::fromLatin1(name))->lines();
    }

    static std::string contents(const QString& fileName) {
        QFile file(fileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }
    static void store(const QString& fileName, std::string_view bytes) {
        QFile file(fileName);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }

    static std::size_t templateBytes() { return joinTextLines(engineTemplateLines()).size(); }

    ScriptedDesktop shell;
    ScriptedDesktop::Installed installed{shell};
    QTemporaryDir dir;
    QWidget additionalInformation;
    TForm4 form{&additionalInformation};
};

} // namespace

TEST_F(Wizard, WindowIsLaidOutAsTabled) {
    EXPECT_EQ(form.objectName(), QStringLiteral("TForm4"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Scenery Preview"));
    EXPECT_EQ(form.minimumSize(), QSize(227, 200));
    EXPECT_EQ(form.maximumSize(), QSize(227, 200));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form.font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(form.font().pixelSize(), 9);

    auto* image = form.findChild<QLabel*>(QStringLiteral("Image1"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->geometry(), QRect(8, 8, 32, 32));
    EXPECT_EQ(image->pixmap().toImage(), wizardPicture().toImage());
    EXPECT_NE(image->pixmap().toImage(), applicationPicture().toImage());
    auto* title = form.findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), QStringLiteral("Scenery Preview"));
    EXPECT_TRUE(title->font().bold());
    EXPECT_EQ(title->font().pixelSize(), 16);
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("by"));
    auto* link = form.findChild<QLabel*>(QStringLiteral("Label2"));
    EXPECT_EQ(link->text(), QStringLiteral("Quorrin"));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_NE(form.findChild<QWidget*>(QStringLiteral("Bevel1")), nullptr);
    auto* group = form.findChild<QGroupBox*>(QStringLiteral("GroupBox1"));
    EXPECT_EQ(group->title(), QStringLiteral("Would you like to:"));
    EXPECT_EQ(group->geometry(), QRect(8, 112, 209, 81));

    QPushButton* create = button("Button1");
    QPushButton* more = button("Button2");
    EXPECT_EQ(create->parentWidget(), group);
    EXPECT_EQ(create->text(), QStringLiteral("&Create a scenery preview?"));
    EXPECT_EQ(create->toolTip(), QStringLiteral("Step by step creation of Z80 source code. View "
                                                "readme.txt for more information."));
    EXPECT_EQ(more->text(), QStringLiteral("&View additional information?"));
    EXPECT_EQ(more->toolTip(),
              QStringLiteral("View more information (you can also view readme.txt)"));
    EXPECT_EQ(create->geometry(), QRect(8, 16, 193, 25));
    EXPECT_EQ(more->geometry(), QRect(8, 48, 193, 25));
    EXPECT_EQ(create->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(more->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(create->shortcut(), QKeySequence(QStringLiteral("Alt+C")));
    EXPECT_EQ(more->shortcut(), QKeySequence(QStringLiteral("Alt+V")));
    EXPECT_EQ(create->nextInFocusChain(), more);
}

TEST_F(Wizard, StringListsStayHiddenBelowTheClientAreaAndTheFirstHoldsTheTemplate) {
    form.show();
    for (const char* name : {"ListBox1", "ListBox2", "ListBox3", "ListBox4"}) {
        auto* stringList = form.findChild<StringList*>(QString::fromLatin1(name));
        ASSERT_NE(stringList, nullptr) << name;
        EXPECT_FALSE(stringList->isVisible()) << name;
        EXPECT_GE(stringList->geometry().top(), 200) << name;
    }
    EXPECT_EQ(list("ListBox1"), engineTemplateLines());
    EXPECT_TRUE(list("ListBox2").empty());
}

TEST_F(Wizard, CancelledOpenDialogWarnsAndTouchesNothing) {
    run(std::nullopt);
    EXPECT_EQ(steps(), (std::vector<Step>{info(kFirst), dialog(QString()), warning(kNoFile)}));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(Wizard, CancelledSaveDialogWarnsAndTouchesNothing) {
    const QString listFile = path("scene.txt");
    store(listFile, kRecord + "\r\n");
    run(listFile, std::nullopt);
    EXPECT_EQ(steps(),
              (std::vector<Step>{info(kFirst), dialog(QString()), info(kSecond),
                                 dialog(listFile + QStringLiteral(".z80")), warning(kNoFile)}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("scene.txt")});
    EXPECT_TRUE(list("ListBox2").empty());
}

TEST_F(Wizard, RecordsGiveTemplateThenDataLinesThenClosingLines) {
    const QString listFile = path("scene.txt");
    const QString output = path("scene.z80");
    const TextLines records(100, kRecord);
    writeTextLineFile(listFile, records);
    run(listFile, output);

    EXPECT_EQ(steps(), (std::vector<Step>{info(kFirst), dialog(QString()), info(kSecond),
                                          dialog(listFile + QStringLiteral(".z80")), info(kThird),
                                          info(kReady)}));
    const TextLines written = readTextLineFile(output);
    const std::size_t templateSize = engineTemplateLines().size();
    ASSERT_EQ(written.size(), templateSize + 100 + 3);
    EXPECT_EQ(contents(output).size(), templateBytes() + 43 * 100 + 28);
    EXPECT_EQ(TextLines(written.begin(), written.begin() + templateSize), engineTemplateLines());
    EXPECT_EQ(written[templateSize], "        .db    1,   2,   3,   4,   5,   6");
    EXPECT_EQ(TextLines(written.end() - 3, written.end()),
              (TextLines{"        .db 128", ".end", "END"}));
    EXPECT_EQ(list("ListBox2"), records);
    EXPECT_EQ(list("ListBox3").size(), 103u);
    EXPECT_EQ(list("ListBox4"), written);
}

TEST_F(Wizard, EmptyListAndListStartingWithNulGiveTemplateAndClosingLines) {
    for (const std::string& bytes : {std::string(), std::string(1, '\0') + kRecord}) {
        const QString listFile = path("empty.txt");
        const QString output = path("empty.z80");
        store(listFile, bytes);
        run(listFile, output);
        EXPECT_EQ(contents(output),
                  joinTextLines(engineTemplateLines()) + "        .db 128\r\n.end\r\nEND\r\n");
        EXPECT_EQ(contents(output).size(), templateBytes() + 28);
    }
}

TEST_F(Wizard, LineListFileGivesTheTemplateThenTheGoldenTail) {
    const QString listFile = path("list.txt");
    ASSERT_TRUE(QFile::copy(QStringLiteral(TORVEX_CODEGEN_GOLDEN "/line_list.txt"), listFile));
    run(listFile, path("preview.z80"));
    QFile tail(QStringLiteral(TORVEX_CODEGEN_GOLDEN "/preview_source_tail.z80"));
    ASSERT_TRUE(tail.open(QIODevice::ReadOnly));
    EXPECT_EQ(contents(path("preview.z80")),
              joinTextLines(engineTemplateLines()) + tail.readAll().toStdString());
}

TEST_F(Wizard, EmptyAndMalformedAndLongLinesAreCopiedUnchanged) {
    const QString listFile = path("odd.txt");
    const QString output = path("odd.z80");
    const std::string longLine(5000, '9');
    writeTextLineFile(listFile, {kRecord, "", "  junk\t", longLine});
    run(listFile, output);
    const TextLines written = readTextLineFile(output);
    const std::size_t data = engineTemplateLines().size();
    ASSERT_EQ(written.size(), data + 4 + 3);
    EXPECT_EQ(written[data + 1], "        .db ");
    EXPECT_EQ(written[data + 2], "        .db   junk\t");
    EXPECT_EQ(written[data + 3], "        .db " + longLine);
}

TEST_F(Wizard, TwoRunsGiveByteIdenticalFilesAndEachStartsWithAnEmptyOpenDialog) {
    const QString listFile = path("scene.txt");
    writeTextLineFile(listFile, {kRecord, "  -7,   0,   0,   7,   0,   0"});
    run(listFile, path("first.z80"));
    run(listFile, path("second.z80"));
    EXPECT_EQ(contents(path("first.z80")), contents(path("second.z80")));
    const std::vector<ScriptedDesktop::Shown> dialogs = shell.of(Kind::FileDialog);
    ASSERT_EQ(dialogs.size(), 4u);
    EXPECT_EQ(dialogs[2].fileKind, FileDialogKind::Open);
    EXPECT_EQ(dialogs[2].initialName, QString());
    EXPECT_EQ(dialogs[3].fileKind, FileDialogKind::Save);
    EXPECT_EQ(dialogs[3].initialName, listFile + QStringLiteral(".z80"));
    EXPECT_EQ(dialogs[3].owner, &form);
}

TEST_F(Wizard, ListFileChosenAsItsOwnOutputIsReadWholeThenReplaced) {
    const QString listFile = path("scene.txt");
    const TextLines records = {kRecord, "  -7,   0,   0,   7,   0,   0"};
    writeTextLineFile(listFile, records);
    run(listFile, listFile);
    EXPECT_EQ(readTextLineFile(listFile),
              concatenated(engineTemplateLines(), previewSourceLines({}, records)));
}

TEST_F(Wizard, DataLinesEqualThoseOfTheSceneDataFile) {
    const QString listFile = path("scene.txt");
    const TextLines records = {kRecord, "  -7,   0,   0,   7,   0,   0",
                               "   0,   0,   0,  10,  10,  10"};
    writeTextLineFile(listFile, records);
    run(listFile, path("preview.z80"));
    const TextLines scene = sceneDataFileLines(records);
    const TextLines& data = list("ListBox3");
    EXPECT_EQ(TextLines(data.begin(), data.end() - 1 - 2),
              TextLines(scene.begin() + 4, scene.end()));
}

TEST_F(Wizard, MissingListFileEndsTheRunWithAnErrorReportAfterTheThreeMessages) {
    const QString earlier = path("earlier.txt");
    writeTextLineFile(earlier, {kRecord});
    run(earlier, path("earlier.z80"));
    shell.shown.clear();

    const QString missing = path("missing.txt");
    run(missing, path("missing.z80"));
    EXPECT_EQ(steps(), (std::vector<Step>{info(kFirst), dialog(QString()), info(kSecond),
                                          dialog(missing + QStringLiteral(".z80")), info(kThird),
                                          report(QStringLiteral("Cannot open file ") + missing +
                                                 QStringLiteral("."))}));
    EXPECT_FALSE(QFile::exists(path("missing.z80")));
    EXPECT_EQ(list("ListBox2"), TextLines{kRecord});
}

TEST_F(Wizard, OutputThatCannotBeCreatedIsReportedWithoutTheFinalMessage) {
    const QString listFile = path("scene.txt");
    writeTextLineFile(listFile, {kRecord});
    const QString output = path("no/such/folder/scene.z80");
    run(listFile, output);
    const std::vector<Step> shown = steps();
    ASSERT_EQ(shown.size(), 6u);
    EXPECT_EQ(shown[4], info(kThird));
    EXPECT_EQ(shown[5], report(QStringLiteral("Cannot create file ") + output + u'.'));
    EXPECT_EQ(list("ListBox4").size(), engineTemplateLines().size() + 4);
}

TEST_F(Wizard, FailingWriteOverTheListFileLeavesItIntact) {
    const QString listFile = path("scene.txt");
    writeTextLineFile(listFile, TextLines(200, kRecord));
    const std::string before = contents(listFile);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit lowered = saved;
    // Room for the old list, not for the larger preview source.
    lowered.rlim_cur = before.size();
    setrlimit(RLIMIT_FSIZE, &lowered);
    run(listFile, listFile);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(shell.errorReports(), std::vector<QString>{QStringLiteral("Stream write error.")});
    EXPECT_EQ(contents(listFile), before);
    EXPECT_EQ(shell.of(Kind::MessageDialog).back().text, kThird);
}

TEST_F(Wizard, AdditionalInformationIsShownAndLeftInPlaceWhenVisible) {
    QTest::mouseClick(button("Button2"), Qt::LeftButton);
    EXPECT_TRUE(additionalInformation.isVisible());
    additionalInformation.move(123, 45);
    const QPoint placed = additionalInformation.pos();
    QTest::mouseClick(button("Button2"), Qt::LeftButton);
    EXPECT_TRUE(additionalInformation.isVisible());
    EXPECT_EQ(additionalInformation.pos(), placed);
    EXPECT_TRUE(shell.shown.empty());
}

TEST_F(Wizard, QuorrinIsTheAuthorsMailLink) {
    auto* link = form.findChild<QLabel*>(QStringLiteral("Label2"));
    QTest::mouseClick(link, Qt::LeftButton);
    const std::vector<ScriptedDesktop::Shown> links = shell.of(Kind::MailLink);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].text, mailUrl(authorMailAddress()));
    EXPECT_EQ(links[0].owner, &form);
}
