#include "about/tinfodlg.h"

#include "about/acknowledgements.h"
#include "platform/desktop.h"
#include "tests/support/scripted_desktop.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include "app/tform1.h"
#include "codegen/tform4.h"

namespace torvex {
namespace {

QLabel* labelOf(QWidget& window, const char* name) {
    auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
    EXPECT_NE(label, nullptr) << name;
    return label;
}

// A label's box in the coordinates of its window.
QRect onWindow(QWidget& window, QLabel* label) {
    return QRect(label->mapTo(&window, QPoint(0, 0)), label->size());
}

const QString kAuthorUrl = QStringLiteral(
    "mailto:quorrin@example.com?subject=Torvex Designer&body=Please type your comments here.");

TEST(TInfoDlg, HasItsCaptionFixedFrameAndTexts) {
    TInfoDlg window;
    EXPECT_EQ(window.objectName(), QStringLiteral("TInfoDlg"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("About Torvex Designer"));
    EXPECT_FALSE(window.isVisible()) << "created hidden";
    EXPECT_EQ(window.size(), QSize(251, 322));
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "not resizable";
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window.font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(window.font().pixelSize(), 9);

    EXPECT_EQ(labelOf(window, "Label1")->text(), QStringLiteral("Torvex Designer"));
    EXPECT_TRUE(labelOf(window, "Label1")->font().bold());
    EXPECT_EQ(labelOf(window, "Label1")->font().pixelSize(), 16);
    EXPECT_EQ(labelOf(window, "Label3")->text(), QStringLiteral("by"));
    EXPECT_EQ(labelOf(window, "Label2")->text(), QStringLiteral("Quorrin"));
    auto* group = window.findChild<QGroupBox*>(QStringLiteral("GroupBox1"));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), QStringLiteral("About Torvex Designer"));
    EXPECT_EQ(group->geometry(), QRect(8, 48, 233, 265));
    EXPECT_EQ(labelOf(window, "Label4")->text(),
              QStringLiteral("Torvex Designer is made for use with the Torvex 3D engine made by "
                             "Delvane. I have made this program to make building 3D models and "
                             "scenes far easier than drawing them in plain coordinates."));
    EXPECT_EQ(labelOf(window, "Label5")->text(),
              QStringLiteral("If you like this program, you can email me with the link at the "
                             "top right of this form. Please do not send emails for porting "
                             "requests, because I'm not able to port the code to any other calc."));
    EXPECT_EQ(labelOf(window, "Label6")->text(),
              QStringLiteral("Torvex could be the first step to very good TI83 3D games, if we "
                             "all put our thoughts together and try to make the most of it. "
                             "Please respect the source code and give credit where "
                             "appropriate."));
    EXPECT_EQ(labelOf(window, "Label7")->text(), acknowledgementsText());
    EXPECT_EQ(labelOf(window, "Label8")->text(), QStringLiteral("this program was made for"));
    EXPECT_EQ(labelOf(window, "Label9")->text(), QStringLiteral("Delvane"));

    auto* image = labelOf(window, "Image1");
    EXPECT_EQ(image->geometry(), QRect(8, 8, 32, 32));
    EXPECT_FALSE(image->pixmap().isNull());
}

TEST(TInfoDlg, ControlsAreCreatedInPaintingOrderWithTheirBackdrops) {
    TInfoDlg window;
    QStringList onWindow;
    for (QObject* child : window.children())
        if (child->isWidgetType())
            onWindow << child->objectName();
    EXPECT_EQ(onWindow, QStringList({"Image1", "Label1", "Label3", "Label2", "GroupBox1"}));
    QStringList inGroup;
    for (QObject* child : window.findChild<QGroupBox*>(QStringLiteral("GroupBox1"))->children())
        if (child->isWidgetType())
            inGroup << child->objectName();
    EXPECT_EQ(inGroup, QStringList({"Label4", "Label5", "Label6", "Label7", "Label8", "Label9"}));

    for (const char* name : {"Label1", "Label3", "Label2"})
        EXPECT_FALSE(labelOf(window, name)->autoFillBackground()) << name << " is transparent";
    for (const char* name : {"Label4", "Label5", "Label6", "Label7", "Label8", "Label9"})
        EXPECT_TRUE(labelOf(window, name)->autoFillBackground()) << name << " is opaque";
}

TEST(TInfoDlg, ReadsAsTitleAuthorLinkFourParagraphsAndEngineAuthorLink) {
    TInfoDlg window;
    const QRect title = onWindow(window, labelOf(window, "Label1"));
    const QRect by = onWindow(window, labelOf(window, "Label3"));
    const QRect author = onWindow(window, labelOf(window, "Label2"));
    EXPECT_EQ(title.topLeft(), QPoint(48, 8));
    EXPECT_EQ(by.topLeft(), QPoint(171, 24));
    EXPECT_EQ(author.topLeft(), QPoint(184, 24));
    // "by" and the author's link side by side under the right end of the
    // title, the link at the top right of the window.
    EXPECT_LE(by.right(), author.left());
    EXPECT_LT(by.left(), title.right());
    EXPECT_GT(by.top(), title.top());
    EXPECT_GT(author.left(), window.width() / 2);
    EXPECT_LE(author.right(), window.width() - 8);

    const QRect group = window.findChild<QGroupBox*>(QStringLiteral("GroupBox1"))->geometry();
    const QRect expected[] = {
        {10, 64, 228, 49}, {16, 120, 217, 49}, {16, 176, 217, 49}, {16, 232, 217, 73}};
    const char* paragraphs[] = {"Label4", "Label5", "Label6", "Label7"};
    int previousTop = title.bottom();
    for (int i = 0; i < 4; ++i) {
        const QRect box = onWindow(window, labelOf(window, paragraphs[i]));
        EXPECT_EQ(box, expected[i]) << paragraphs[i];
        EXPECT_GT(box.top(), previousTop) << paragraphs[i];
        EXPECT_TRUE(group.contains(box)) << paragraphs[i];
        previousTop = box.top();
    }

    // The closing line: "this program was made for" followed by the link.
    const QRect madeFor = onWindow(window, labelOf(window, "Label8"));
    const QRect engineAuthor = onWindow(window, labelOf(window, "Label9"));
    EXPECT_EQ(madeFor.topLeft(), QPoint(32, 296));
    EXPECT_EQ(engineAuthor.topLeft(), QPoint(147, 296));
    EXPECT_LE(madeFor.right(), engineAuthor.left()) << "the two halves of the line overlap";
    EXPECT_TRUE(group.contains(engineAuthor));
}

TEST(TInfoDlg, AcknowledgementsFitTheirParagraph) {
    TInfoDlg window;
    QLabel* thanks = labelOf(window, "Label7");
    EXPECT_EQ(thanks->size(), QSize(217, 73));
    EXPECT_TRUE(thanks->wordWrap());
    // The closing line (Label8 and Label9 at 248 in the group box) covers the
    // paragraph's box from 64 pixels down; the twelve names must end above it.
    const QRect needed = thanks->fontMetrics().boundingRect(
        QRect(0, 0, thanks->width(), 1000), Qt::TextWordWrap | Qt::AlignHCenter, thanks->text());
    EXPECT_LE(needed.height(), 248 - 184) << "the names run under the closing line";
}

TEST(TInfoDlg, MailLinksOpenTheAuthorsMailOwnedByTheWindow) {
    ScriptedDesktop scripted;
    ScriptedDesktop::Installed installed(scripted);
    TInfoDlg window;
    window.show();

    QTest::mouseClick(labelOf(window, "Label1"), Qt::LeftButton);
    QTest::mouseClick(labelOf(window, "Label8"), Qt::LeftButton);
    EXPECT_TRUE(scripted.shown.empty()) << "only the two links react to clicks";

    QTest::mouseClick(labelOf(window, "Label2"), Qt::LeftButton);
    QTest::mouseClick(labelOf(window, "Label9"), Qt::LeftButton);
    QTest::mouseClick(labelOf(window, "Label2"), Qt::RightButton);
    ASSERT_EQ(scripted.shown.size(), 2u);
    EXPECT_EQ(scripted.shown[0].kind, ScriptedDesktop::Kind::MailLink);
    EXPECT_EQ(scripted.shown[0].text, kAuthorUrl);
    EXPECT_EQ(scripted.shown[0].owner, &window);
    EXPECT_EQ(scripted.shown[1].kind, ScriptedDesktop::Kind::MailLink);
    EXPECT_EQ(scripted.shown[1].text,
              QStringLiteral("mailto:delvane@example.com?subject=Torvex Designer&body=Please type "
                             "your comments here."));
    EXPECT_EQ(scripted.shown[1].owner, &window);
    EXPECT_TRUE(window.isVisible()) << "a link leaves the window as it is";
}

// The three "Quorrin" links (about window, main menu, preview wizard) hand
// the desktop one and the same URL.
TEST(TInfoDlg, AuthorLinkIsTheMainMenusAndTheWizardsLink) {
    ScriptedDesktop scripted;
    ScriptedDesktop::Installed installed(scripted);
    TInfoDlg about;
    about.show();
    QTest::mouseClick(labelOf(about, "Label2"), Qt::LeftButton);
    TForm1 menu;
    menu.show();
    QTest::mouseClick(labelOf(menu, "Label2"), Qt::LeftButton);
    TForm4 wizard(nullptr);
    wizard.show();
    QTest::mouseClick(labelOf(wizard, "Label2"), Qt::LeftButton);
    ASSERT_FALSE(scripted.shown.empty());
    for (const ScriptedDesktop::Shown& link : scripted.shown) {
        EXPECT_EQ(link.kind, ScriptedDesktop::Kind::MailLink);
        EXPECT_EQ(link.text, kAuthorUrl) << "owner " << link.owner->objectName().toStdString();
    }
    EXPECT_EQ(scripted.shown.size(), 3u);
}

// The main menu is on screen whenever another window is first shown, and
// the size of its frame tells how large the new window's frame will be.
class FramedStandIn {
public:
    FramedStandIn() {
        menu.setFixedSize(227, 289);
        menu.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&menu));
    }
    QWidget menu;
};

TEST(TInfoDlg, FirstShowingCentresTruncatingHalves) {
    FramedStandIn menu;
    TInfoDlg window;
    showWindow(&window);
    ASSERT_TRUE(window.isVisible());
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const QSize outer = window.frameGeometry().size();
    ASSERT_GE(outer.width(), 251);
    const QPoint expected((screen.width() - outer.width()) / 2,
                          (screen.height() - outer.height()) / 2);
    EXPECT_EQ(window.frameGeometry().topLeft(), expected);
    // An odd remainder is truncated, not rounded: 800 - 251 leaves 549.
    EXPECT_EQ(firstShowPosition(QSize(800, 600), QSize(251, 322)), QPoint(274, 139));
}

TEST(TInfoDlg, FirstPlacementIsClampedToTheScreenEdgeWhenTheWindowIsLarger) {
    const QSize outer(251, 322);
    EXPECT_EQ(firstShowPosition(QSize(200, 300), outer), QPoint(0, 0));
    EXPECT_EQ(firstShowPosition(QSize(250, 1000), outer), QPoint(0, 339));
    EXPECT_EQ(firstShowPosition(QSize(640, 321), outer), QPoint(194, 0));
}

TEST(TInfoDlg, StaysOnTopExceptWhileOneOfOurModalBoxesIsOpen) {
    FramedStandIn menu;
    TInfoDlg window;
    showWindow(&window);
    ASSERT_EQ(QGuiApplication::applicationState(), Qt::ApplicationActive);
    auto onTop = [&] { return window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint); };
    EXPECT_TRUE(onTop());
    {
        ModalBoxScope box;
        EXPECT_FALSE(onTop()) << "a modal box must be able to cover the about window";
    }
    EXPECT_TRUE(onTop());
    EXPECT_TRUE(window.isVisible()) << "lowering must not hide the window";
}

TEST(TInfoDlg, ClosingHidesAndTheNextShowingFindsItWhereItWasMoved) {
    TInfoDlg window;
    QPointer<TInfoDlg> alive(&window);
    showWindow(&window);
    window.move(40, 50);
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_FALSE(window.testAttribute(Qt::WA_QuitOnClose)) << "closing it never ends the program";
    QApplication::processEvents();
    ASSERT_FALSE(alive.isNull()) << "closing must not destroy the window";

    showWindow(&window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint(40, 50)) << "only the first showing centres";
}

TEST(TInfoDlg, ShowingAVisibleWindowChangesNothing) {
    TInfoDlg window;
    showWindow(&window);
    window.move(60, 70);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    showWindow(&window);
    QApplication::processEvents();
    EXPECT_EQ(window.pos(), QPoint(60, 70));
    EXPECT_EQ(QApplication::activeWindow(), &other) << "not activated";
}

} // namespace
} // namespace torvex
