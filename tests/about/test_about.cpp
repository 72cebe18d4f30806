// The about window, the notes window and the acknowledgements.
#include "about/acknowledgements.h"
#include "about/tform6.h"
#include "about/tinfodlg.h"
#include "app/tform1.h"
#include "codegen/tform4.h"
#include "platform/desktop.h"
#include "tests/support/scripted_desktop.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace torvex {
namespace {

QLabel* labelOf(QWidget& window, const char* name) {
    auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
    EXPECT_NE(label, nullptr) << name;
    return label;
}

TEST(Acknowledgements, NamesEndTheSentenceThatFitsItsParagraph) {
    EXPECT_EQ(namesAsSentenceEnd({"Ada", "Bo", "Cy"}), QStringLiteral("Ada, Bo and Cy."));

    // The closing line covers the paragraph's box from 64 pixels down.
    TInfoDlg window;
    QLabel* thanks = labelOf(window, "Label7");
    const QRect needed = thanks->fontMetrics().boundingRect(
        QRect(0, 0, thanks->width(), 1000), Qt::TextWordWrap | Qt::AlignHCenter, thanks->text());
    EXPECT_LE(needed.height(), 64) << "the names run under the closing line";
}

TEST(TInfoDlg, OnlyTheTwoLinksMailAndTheAuthorsIsTheMainMenusAndTheWizards) {
    ScriptedDesktop scripted;
    ScriptedDesktop::Installed installed(scripted);
    TInfoDlg about;
    TForm1 menu;
    TForm4 wizard(nullptr);
    for (QWidget* window : {static_cast<QWidget*>(&about), static_cast<QWidget*>(&menu),
                            static_cast<QWidget*>(&wizard)}) {
        window->show();
        QTest::mouseClick(labelOf(*window, "Label1"), Qt::LeftButton);
        QTest::mouseClick(labelOf(*window, "Label2"), Qt::LeftButton);
        QTest::mouseClick(labelOf(*window, "Label2"), Qt::RightButton);
    }
    QTest::mouseClick(labelOf(about, "Label9"), Qt::LeftButton);
    QTest::mousePress(labelOf(about, "Label2"), Qt::LeftButton); // let go outside: no link
    QTest::mouseRelease(labelOf(about, "Label2"), Qt::LeftButton, {}, QPoint(-5, -5));
    const QString author = QStringLiteral(
        "mailto:quorrin@example.com?subject=Torvex Designer&body=Please type your comments here.");
    ASSERT_EQ(scripted.shown.size(), 4u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(scripted.shown[i].text, author) << i;
    EXPECT_EQ(scripted.shown[0].owner, &about);
    EXPECT_EQ(scripted.shown[3].text,
              QStringLiteral("mailto:delvane@example.com?subject=Torvex Designer&body=Please type "
                             "your comments here."));
    EXPECT_TRUE(about.isVisible()) << "a link leaves the window as it is";
}

TEST(AboutWindows, StayOnTopExceptUnderOurModalBoxesAndClosingOnlyHidesThem) {
    TInfoDlg window;
    showWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto onTop = [&] { return window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint); };
    EXPECT_TRUE(onTop());
    {
        ModalBoxScope box;
        EXPECT_FALSE(onTop()) << "a modal box must be able to cover the about window";
    }
    EXPECT_TRUE(onTop());

    // Closing hides the about and notes windows; the next showing finds them where they were.
    TInfoDlg& about = window;
    TForm6 notes;
    for (QWidget* shown : {static_cast<QWidget*>(&about), static_cast<QWidget*>(&notes)}) {
        QPointer<QWidget> alive(shown);
        showWindow(shown);
        shown->move(40, 50);
        EXPECT_TRUE(shown->close());
        EXPECT_FALSE(shown->testAttribute(Qt::WA_QuitOnClose)) << "closing never ends the program";
        QApplication::processEvents();
        ASSERT_FALSE(alive.isNull()) << "closing must not destroy the window";
        showWindow(shown);
        EXPECT_EQ(shown->pos(), QPoint(40, 50)) << "only the first showing centres";
    }
}

} // namespace
} // namespace torvex
