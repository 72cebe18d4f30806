// The six windows wired together as the program runs them: the designer
// panel's save question guards every way out of the program.
#include "app/application.h"
#include "tests/support/scripted_desktop.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

namespace torvex {
namespace {

struct Program : ::testing::Test {
    ScriptedDesktop scripted;
    ScriptedDesktop::Installed installed{scripted};
    WindowSet windows;
    QWidget* menu = windows.window("TForm1");
    QWidget* panel = windows.window("TForm3");
    QWidget* preview = windows.window("TForm5");

    void SetUp() override { windows.showMainMenu(); }
    void click(QWidget* window, const char* name) {
        auto* button = window->findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
};

TEST_F(Program, MenuButtonsShowTheirWindowsOnceAndTheObjectDesignerOnlyItsMessage) {
    click(menu, "Button1");
    ASSERT_EQ(scripted.shown.size(), 1u);
    EXPECT_EQ(scripted.shown[0].type, MessageType::Error);
    click(menu, "Button2");
    click(menu, "Button5");
    click(menu, "Button3");
    for (const char* name : {"TForm3", "TForm5", "TForm4", "TInfoDlg"})
        EXPECT_TRUE(windows.window(name)->isVisible()) << name;
    QWidget* about = windows.window("TInfoDlg");
    about->move(33, 44);
    click(menu, "Button3");
    EXPECT_EQ(about->pos(), QPoint(33, 44)) << "showing a shown window again moves nothing";
    EXPECT_EQ(scripted.shown.size(), 1u);
}

// At Exit with the panel shown only No, or Yes and a save, ends the program;
// Cancel, a cancelled or failed save keep it all. While the question is open
// every exit and close is refused, whoever asked it.
TEST_F(Program, ExitWithThePanelShownEndsOnlyOnNoOrASave) {
    QTemporaryDir folder;
    const QString list = folder.filePath(QStringLiteral("scene"));
    struct Case {
        BoxAnswer answer;
        std::optional<QString> saveAs;
        bool ends;
        const char* message;
    };
    const Case cases[] = {
        {BoxAnswer::Cancel, std::nullopt, false, nullptr},
        {BoxAnswer::Yes, std::nullopt, false, "No filename specified!"},
        {BoxAnswer::Yes, QStringLiteral("/nonexistent-folder/scene"), false,
         "Cannot create file /nonexistent-folder/scene."},
        {BoxAnswer::No, std::nullopt, true, nullptr},
        {BoxAnswer::Yes, list, true, nullptr},
    };
    click(menu, "Button2");
    click(panel, "Button2"); // adds the fields' segment
    for (int run = 0; run < 10; ++run) {
        const Case& c = cases[run % 5];
        scripted.shown.clear();
        scripted.boxAnswers = {c.answer};
        scripted.whileBoxOpen = [&] {
            click(menu, "Button4");
            pressCloseBox(menu);
            pressCloseBox(preview);
            QCloseEvent toPanel; // as the window system's close reaches it
            QCoreApplication::sendEvent(panel, &toPanel);
        };
        if (c.answer == BoxAnswer::Yes)
            scripted.fileAnswers = {c.saveAs};
        windows.showMainMenu();
        QTimer::singleShot(0, [&] {
            run < 5 ? click(menu, "Button4") : pressCloseBox(menu);
            // Still running: the loop is ended here only if the exit did not.
            QTimer::singleShot(0, [&] { QCoreApplication::exit(7); });
        });
        EXPECT_EQ(QCoreApplication::exec(), c.ends ? 0 : 7) << int(c.answer);
        EXPECT_EQ(scripted.of(ScriptedDesktop::Kind::MessageBox).size(), 1u);
        EXPECT_EQ(c.message ? scripted.shown.back().text : QString(),
                  QString::fromLatin1(c.message));
        EXPECT_TRUE(panel->isVisible());
        EXPECT_TRUE(preview->windowHandle()->isVisible());
        EXPECT_EQ(menu->windowHandle()->isVisible(), !c.ends || run < 5) << run;
        EXPECT_EQ(panel->findChild<QListWidget*>(QStringLiteral("Linl"))->count(), 1);
    }
    QFile saved(list);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("   0,   0,   0,   0,   0,   0\r\n"));
}

// While the panel asks, the main menu neither asks again nor ends the program.
TEST_F(Program, ExitAndCloseWaitForThePanelsOwnQuestion) {
    click(menu, "Button2");
    scripted.whileBoxOpen = [&] {
        click(menu, "Button4");
        pressCloseBox(menu);
    };
    QTimer::singleShot(0, [&] {
        pressCloseBox(preview);
        QTimer::singleShot(0, [&] { QCoreApplication::exit(7); });
    });
    EXPECT_EQ(QCoreApplication::exec(), 7);
    EXPECT_EQ(scripted.of(ScriptedDesktop::Kind::MessageBox).size(), 1u);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_FALSE(panel->isVisible()) << "the panel's No closes it";
}

// Then, with the panel hidden, Exit ends the program at once without a question.
TEST_F(Program, ClosingThePreviewWindowClosesThePanelWithItsQuestion) {
    click(menu, "Button2");
    scripted.boxAnswers = {BoxAnswer::Yes}; // an empty list: nothing lost at Exit
    scripted.fileAnswers = {std::nullopt};
    preview->close();
    EXPECT_EQ(scripted.of(ScriptedDesktop::Kind::MessageBox).size(), 1u);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(preview->isVisible());
    EXPECT_TRUE(menu->isVisible());
    scripted.shown.clear();
    QTimer::singleShot(0, [&] { click(menu, "Button4"); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(scripted.shown.empty());
    // Unless that close was to save the list and its save dialog was cancelled.
    click(menu, "Button2");
    click(panel, "Button2"); // a segment to lose
    scripted.boxAnswers = {BoxAnswer::Yes};
    scripted.fileAnswers = {std::nullopt};
    preview->close();
    scripted.shown.clear();
    QTimer::singleShot(0, [&] { click(menu, "Button4"); });
    EXPECT_EQ(QCoreApplication::exec(), 0) << "No ends it";
    EXPECT_EQ(scripted.of(ScriptedDesktop::Kind::MessageBox).size(), 1u);
}

} // namespace
} // namespace torvex
