#include "platform/desktop.h"
#include "platform/qt_desktop.h"
#include "tests/support/scripted_desktop.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace torvex {
namespace {

TEST(ErrorReportText, AppendsAFullStopOnlyAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(errorReportText(QStringLiteral("'x' is not a valid integer value")),
              QStringLiteral("'x' is not a valid integer value."));
    EXPECT_EQ(errorReportText(QStringLiteral("Cannot open file /tmp/a1")),
              QStringLiteral("Cannot open file /tmp/a1."));
    // ")", "!", "." and "-" all sort at or before "." and are left alone.
    EXPECT_EQ(errorReportText(QStringLiteral("List index out of bounds (-1)")),
              QStringLiteral("List index out of bounds (-1)"));
    EXPECT_EQ(errorReportText(QStringLiteral("Stop!")), QStringLiteral("Stop!"));
    EXPECT_EQ(errorReportText(QStringLiteral("Done.")), QStringLiteral("Done."));
    EXPECT_EQ(errorReportText(QStringLiteral("a -")), QStringLiteral("a -"));
    // "/" is the first character after ".".
    EXPECT_EQ(errorReportText(QStringLiteral("path/")), QStringLiteral("path/."));
    EXPECT_EQ(errorReportText(QString()), QString());
}

TEST(Guarded, TurnsAFailureIntoOneErrorReportAndKeepsEarlierSteps) {
    ScriptedDesktop scripted;
    ScriptedDesktop::Installed installed(scripted);
    int stepsDone = 0;
    const bool ok = guarded([&] {
        ++stepsDone;
        throw Failure("'abc' is not a valid integer value");
        ++stepsDone;
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(stepsDone, 1);
    ASSERT_EQ(scripted.errorReports().size(), 1u);
    EXPECT_EQ(scripted.errorReports()[0], QStringLiteral("'abc' is not a valid integer value."));
    EXPECT_TRUE(guarded([&] { ++stepsDone; }));
    EXPECT_EQ(scripted.shown.size(), 1u);
}

TEST(MailUrl, IsMailtoWithTheFixedSubjectAndBodyUnencoded) {
    EXPECT_EQ(mailUrl(QStringLiteral("someone@example.com")),
              QStringLiteral("mailto:someone@example.com?subject=Torvex Designer&body=Please "
                             "type your comments here."));
}

// The desktop's handler receives the mailto: text unencoded, as one argument.
TEST(QtMailLink, HandsTheDesktopHandlerTheExactText) {
    QTemporaryDir folder;
    const QString received = folder.filePath(QStringLiteral("received"));
    QFile handler(folder.filePath(QStringLiteral("xdg-open")));
    ASSERT_TRUE(handler.open(QIODevice::WriteOnly));
    handler.write("#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > \"$0.part\" && mv \"$0.part\" " +
                  QFile::encodeName(received) + "\n");
    handler.close();
    handler.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(folder.path()) + ':' + path);
    const QString url = mailUrl(QStringLiteral("someone@example.com"));
    QtDesktop().mailLink(nullptr, url);
    qputenv("PATH", path);
    for (int waited = 0; waited < 10000 && !QFile::exists(received); waited += 50)
        QTest::qWait(50);
    QFile result(received);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(result.readAll()), QStringLiteral("1|") + url);
}

TEST(FirstShowPosition, CentresTruncatesAndNeverGoesNegative) {
    EXPECT_EQ(firstShowPosition({1280, 1024}, {259, 350}), QPoint(510, 337));
    // Odd remainders are truncated.
    EXPECT_EQ(firstShowPosition({1025, 769}, {100, 100}), QPoint(462, 334));
    // A window larger than the screen starts at its edge.
    EXPECT_EQ(firstShowPosition({640, 480}, {800, 300}), QPoint(0, 90));
    EXPECT_EQ(firstShowPosition({640, 480}, {300, 481}), QPoint(170, 0));
}

TEST(FileDialogPosition, CentresHorizontallyWithAThirdOfTheRestAbove) {
    EXPECT_EQ(fileDialogPosition({1280, 1024}, {600, 424}), QPoint(340, 200));
}

TEST(MessageWidth, OneLineForShortTextsWrappedAtHalfTheScreenForLongOnes) {
    const int half = QGuiApplication::primaryScreen()->geometry().width() / 2;
    EXPECT_EQ(messageWidth(120), 121);
    EXPECT_EQ(messageWidth(half * 3), half);
}

TEST(MessageDialogCaption, NamesTheType) {
    EXPECT_EQ(messageDialogCaption(MessageType::Warning), QStringLiteral("Warning"));
    EXPECT_EQ(messageDialogCaption(MessageType::Error), QStringLiteral("Error"));
    EXPECT_EQ(messageDialogCaption(MessageType::Information), QStringLiteral("Information"));
}

TEST(FileDialog, KeepsTheAcceptedNameAndOffersItNextTimeButNotACancelledOne) {
    ScriptedDesktop scripted;
    ScriptedDesktop::Installed installed(scripted);
    FileDialog dialog(FileDialog::Kind::Save);
    scripted.fileAnswers = {QStringLiteral("/tmp/one"), std::nullopt, QStringLiteral("/tmp/two")};
    EXPECT_TRUE(dialog.execute(nullptr));
    EXPECT_EQ(dialog.fileName(), QStringLiteral("/tmp/one"));
    EXPECT_FALSE(dialog.execute(nullptr));
    EXPECT_EQ(dialog.fileName(), QStringLiteral("/tmp/one"));
    dialog.setFileName(QStringLiteral("/tmp/preset"));
    EXPECT_TRUE(dialog.execute(nullptr));
    const auto runs = scripted.of(ScriptedDesktop::Kind::FileDialog);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].initialName, QString());
    EXPECT_EQ(runs[1].initialName, QStringLiteral("/tmp/one"));
    EXPECT_EQ(runs[2].initialName, QStringLiteral("/tmp/preset"));
    EXPECT_EQ(runs[2].fileKind, FileDialogKind::Save);
}

TEST(ShowWindow, CentresOnlyAtTheFirstShowingAndLeavesAVisibleWindowAlone) {
    QWidget window;
    window.resize(200, 100);
    markCentredAtFirstShow(&window);
    showWindow(&window);
    const QPoint centred = window.pos();
    window.move(10, 20);
    showWindow(&window); // visible: nothing happens
    EXPECT_EQ(window.pos(), QPoint(10, 20));
    window.hide();
    showWindow(&window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint(10, 20));
    EXPECT_NE(centred, QPoint(10, 20));
}

// Only Yes and No are answers: Esc and the close box of a Yes/No box answer
// Cancel, so that a caller can tell them from No.
TEST(QtMessageBox, EscAndTheCloseBoxAnswerCancel) {
    QtDesktop qt;
    for (const bool closeBox : {false, true}) {
        QTimer::singleShot(0, [closeBox] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            if (closeBox)
                box->close();
            else
                QTest::keyClick(box, Qt::Key_Escape);
        });
        EXPECT_EQ(qt.messageBox(nullptr, QStringLiteral("Save?"), QStringLiteral("Save"),
                                BoxButtons::YesNo),
                  BoxAnswer::Cancel)
            << closeBox;
    }
}

} // namespace
} // namespace torvex
