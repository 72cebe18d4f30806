#include "app/tform1.h"
#include "platform/contacts.h"
#include "tests/support/scripted_desktop.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace torvex {
namespace {

template <class T> T* child(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

struct MainMenu : ::testing::Test {
    ScriptedDesktop scripted;
    ScriptedDesktop::Installed installed{scripted};
    TForm1 form;
    QWidget panel, wizard, about;
    int exitQuestions = 0;
    bool allowExit = true;
    std::function<void()> whileAsked = [] {};

    void SetUp() override {
        form.setTargets({&panel, &wizard, &about, [this] {
                             ++exitQuestions;
                             whileAsked();
                             return allowExit;
                         }});
        form.show();
    }
    void click(const char* name) {
        QTest::mouseClick(child<QPushButton>(form, name), Qt::LeftButton);
    }
};

TEST_F(MainMenu, LaysOutTheWindowAsDesigned) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Torvex Designer"));
    EXPECT_EQ(form.size(), QSize(227, 289));
    EXPECT_EQ(child<QLabel>(form, "Label5")->text(), QStringLiteral("version 1.1"));
    EXPECT_EQ(child<QLabel>(form, "Label2")->geometry(), QRect(152, 24, 58, 12));
    auto* group = child<QGroupBox>(form, "GroupBox1");
    EXPECT_EQ(group->geometry(), QRect(8, 104, 209, 177));
    // The buttons in tab order, with their accelerators and hints.
    const char* const order[] = {"Button1", "Button2", "Button5", "Button3", "Button4"};
    const QString texts[] = {
        QStringLiteral("Design an &object?"), QStringLiteral("Design a &scene?"),
        QStringLiteral("&Preview a scene?"),
        QStringLiteral("View &information about this program?"), QStringLiteral("&Exit?")};
    QWidget* previous = nullptr;
    for (int i = 0; i < 5; ++i) {
        auto* button = child<QPushButton>(form, order[i]);
        EXPECT_EQ(button->text(), texts[i]);
        EXPECT_EQ(button->geometry(), QRect(8, 16 + 32 * i, 193, 25));
        EXPECT_FALSE(button->toolTip().isEmpty());
        EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
        if (previous) {
            EXPECT_EQ(previous->nextInFocusChain(), button) << order[i];
        }
        previous = button;
    }
}

TEST_F(MainMenu, ObjectDesignerOnlyShowsItsErrorMessage) {
    click("Button1");
    ASSERT_EQ(scripted.shown.size(), 1u);
    EXPECT_EQ(scripted.shown[0].kind, ScriptedDesktop::Kind::MessageDialog);
    EXPECT_EQ(scripted.shown[0].type, MessageType::Error);
    EXPECT_EQ(scripted.shown[0].text,
              QStringLiteral("This option is not yet available in this version of Torvex "
                             "Designer. Delvane has not yet finished the routines needed to "
                             "implement this function. Please be patient until he has finished "
                             "them."));
    EXPECT_FALSE(panel.isVisible() || wizard.isVisible() || about.isVisible());
}

TEST_F(MainMenu, EachButtonShowsItsWindowOnceWithoutMovingItLater) {
    click("Button2");
    click("Button5");
    click("Button3");
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(wizard.isVisible());
    EXPECT_TRUE(about.isVisible());
    about.move(33, 44);
    click("Button3");
    EXPECT_EQ(about.pos(), QPoint(33, 44));
    EXPECT_TRUE(scripted.shown.empty());
}

TEST_F(MainMenu, QuorrinLinkMailsTheAuthor) {
    QTest::mouseClick(child<QLabel>(form, "Label2"), Qt::LeftButton);
    ASSERT_EQ(scripted.of(ScriptedDesktop::Kind::MailLink).size(), 1u);
    EXPECT_EQ(scripted.shown[0].text, mailUrl(authorMailAddress()));
    EXPECT_EQ(scripted.shown[0].owner, &form);
}

TEST_F(MainMenu, ExitAsksThePanelFirstAndStaysWhenTheAnswerKeepsItOpen) {
    allowExit = false;
    // A second exit while the question is open waits for its answer.
    whileAsked = [this] {
        click("Button4");
        form.close();
    };
    click("Button4");
    EXPECT_EQ(exitQuestions, 1);
    whileAsked = [] {};
    // Closing the main menu goes the same way.
    form.close();
    EXPECT_EQ(exitQuestions, 2);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(MainMenu, ExitEndsTheEventLoop) {
    QTimer::singleShot(0, [this] { click("Button4"); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(exitQuestions, 1);
}

} // namespace
} // namespace torvex
