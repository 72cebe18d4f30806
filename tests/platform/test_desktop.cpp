#include "platform/desktop.h"
#include "platform/qt_desktop.h"
#include "tests/support/scripted_desktop.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace torvex {
namespace {

TEST(ErrorReportText, AppendsAFullStopOnlyAfterCharactersThatSortAfterIt) {
    // ")", "!", "." and "-" sort at or before "." and are left alone; "/" is the first after.
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {{"not valid", "not valid."},
        {"file /tmp/a1", "file /tmp/a1."}, {"bounds (-1)", "bounds (-1)"}, {"Stop!", "Stop!"},
        {"Done.", "Done."}, {"a -", "a -"}, {"path/", "path/."}, {"", ""}};
    // clang-format on
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(errorReportText(QString::fromLatin1(text)), QString::fromLatin1(shown)) << text;
}

// A handler that fails or runs out of memory ends with an error report.
TEST(Guarded, ReportsFailuresAndRunningOutOfMemory) {
    ScriptedDesktop scripted;
    ScriptedDesktop::Installed installed(scripted);
    EXPECT_TRUE(guarded([] {}));
    EXPECT_FALSE(guarded([] { throw Failure("Cannot open file x"); }));
    EXPECT_FALSE(guarded([] { throw std::bad_alloc(); }));
    EXPECT_EQ(scripted.errorReports(),
              (std::vector<QString>{"Cannot open file x.", "Not enough memory."}));
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
    EXPECT_EQ(firstShowPosition({1025, 769}, {100, 100}), QPoint(462, 334)); // truncated
    EXPECT_EQ(firstShowPosition({640, 480}, {800, 300}), QPoint(0, 90));
    EXPECT_EQ(firstShowPosition({640, 480}, {300, 481}), QPoint(170, 0));
    // File dialogs: a third of the height left above them.
    EXPECT_EQ(fileDialogPosition({1280, 1024}, {600, 400}), QPoint(340, 208));
    EXPECT_EQ(fileDialogPosition({1280, 1024}, {601, 402}), QPoint(339, 207)); // truncated
}

TEST(CentredOnOwner, CentresTheOuterFrameOnTheOwnersAndKeepsItOnTheScreen) {
    // The panel at (632,896), 632 x 112, on a 1280 x 1024 screen; "Data format" 362 x 95.
    EXPECT_EQ(centredOnOwner({632, 896, 632, 112}, {362, 95}, {1280, 1024}), QPoint(767, 904));
    EXPECT_EQ(centredOnOwner({1200, 1000, 80, 24}, {300, 100}, {1280, 1024}), QPoint(980, 924));
    EXPECT_EQ(centredOnOwner({0, 0, 100, 50}, {300, 100}, {1280, 1024}), QPoint(0, 0));
}

// Offscreen: 2-pixel frames, an 800 x 800 screen, an owner frameless like the
// panel. Twice the left edge plus the width is twice the centre (±1: truncation).
TEST(QtBoxes, StandCentredByTheirOwnOuterFrame) {
    QRect report, box;
    const auto closeBox = [](QRect& frame) {
        QTimer::singleShot(0, [&frame] {
            QWidget* shown = QApplication::activeModalWidget();
            frame = shown->frameGeometry();
            shown->close();
        });
    };
    closeBox(report);
    QtDesktop().errorReport(QStringLiteral("Cannot create file /a/b."));
    EXPECT_NEAR(2 * report.left() + report.width(), 800, 1);
    EXPECT_NEAR(2 * report.top() + report.height(), 800, 1);

    QWidget owner(nullptr, Qt::Window | Qt::FramelessWindowHint);
    owner.setGeometry(100, 200, 400, 300);
    owner.show();
    closeBox(box);
    QtDesktop().messageBox(&owner, QStringLiteral("Please enter an integer value"),
                           QStringLiteral("Data format"), BoxButtons::OkCancel);
    EXPECT_NEAR(2 * box.left() + box.width(), 600, 1);
    EXPECT_NEAR(2 * box.top() + box.height(), 700, 1);
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
    EXPECT_EQ(runs[1].initialName, QStringLiteral("/tmp/one"));
    EXPECT_EQ(runs[2].initialName, QStringLiteral("/tmp/preset"));
}

// Only Yes and No are answers: Esc and the close box of a Yes/No box answer
// Cancel, so that a caller can tell them from No; Enter answers Yes. A close
// box clicked elsewhere meanwhile gives the keys back to the box.
TEST(QtMessageBox, EscAndTheCloseBoxAnswerCancel) {
    QtDesktop qt;
    QWidget other;
    refuseClosesDuringQuestions(&other);
    const CloseQuestionScope asking;
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_unknown, Qt::Key_Return}) {
        QTimer::singleShot(0, [key, &other] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            other.show();
            QApplication::setActiveWindow(&other);
            pressCloseBox(&other);
            EXPECT_TRUE(QTest::qWaitFor([box] { return QApplication::activeWindow() == box; }));
            if (key == Qt::Key_unknown) // the close box
                box->close();
            else
                QTest::keyClick(box, key);
        });
        EXPECT_EQ(qt.messageBox(nullptr, QStringLiteral("Save?"), QStringLiteral("Save"),
                                BoxButtons::YesNo),
                  key == Qt::Key_Return ? BoxAnswer::Yes : BoxAnswer::Cancel);
    }
}

} // namespace
} // namespace torvex
