#include "about/tform6.h"

#include "platform/desktop.h"

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace torvex {
namespace {

QLabel* labelOf(QWidget& window, const char* name) {
    auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
    EXPECT_NE(label, nullptr) << name;
    return label;
}

QGroupBox* groupOf(QWidget& window) {
    return window.findChild<QGroupBox*>(QStringLiteral("GroupBox1"));
}

TEST(TForm6, HasItsCaptionFixedFrameAndTexts) {
    TForm6 window;
    EXPECT_EQ(window.objectName(), QStringLiteral("TForm6"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Additional Information On Scenery Preview"));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.size(), QSize(401, 194));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowStaysOnTopHint) << "an ordinary window";
    EXPECT_FALSE(window.testAttribute(Qt::WA_QuitOnClose)) << "closing it never ends the program";
    EXPECT_EQ(window.font().pixelSize(), 9);

    ASSERT_NE(groupOf(window), nullptr);
    EXPECT_EQ(groupOf(window)->title(), QStringLiteral("Notes by the author:"));
    EXPECT_EQ(groupOf(window)->geometry(), QRect(8, 8, 385, 177));
    EXPECT_EQ(labelOf(window, "Label1")->text(),
              QStringLiteral("You will need to compile the .Z80 file with Table Assembler. You "
                             "can squish the file, but you may not add Ion, SOS or AShell "
                             "support, due to memory equates used in the 3D engine. If you "
                             "decide to squish the file, you need to use ZASMLOAD. If you do "
                             "not,"));
    EXPECT_EQ(labelOf(window, "Label2")->text(),
              QStringLiteral("you will need to use the Send(9prgmXXX method, where XXX is the "
                             "name of your program. I (we) now that this method is a bit "
                             "complex, but it is needed for proper execution of the program. "
                             "Please do not complain about this, I'll see what I can do."));
    EXPECT_EQ(labelOf(window, "Label3")->text(),
              QStringLiteral("The keys that you can use in the preview are: the arrow keys, "
                             "mode, stat, vars, clear and del. You will find the function of the "
                             "keys out with a bit of trial and error."));
    const QString beta = labelOf(window, "Label4")->text();
    EXPECT_EQ(beta,
              QStringLiteral("The version of Torvex Designer that you are running now is not "
                             "very advanced: consider it \u00DFeta. You can always get you "
                             "calculator locked up and crashed like never before. This should "
                             "*not* happen, because I've tested my source many times."));
    // The sharp s is one letter, the one of byte 0xDF in Windows-1252.
    const qsizetype at = beta.indexOf(QStringLiteral("eta."));
    ASSERT_GT(at, 0);
    EXPECT_EQ(beta.at(at - 1).unicode(), 0xDF);
    EXPECT_EQ(beta.at(at - 2), u' ');
    EXPECT_EQ(labelOf(window, "Label5")->text(),
              QStringLiteral("More information can be found in the README.TXT file that I've "
                             "included. It should get you started in a minute (or more)."));
}

TEST(TForm6, ParagraphsReadTopToBottomAsOneThreeTwoFiveFour) {
    TForm6 window;
    QStringList created;
    for (QObject* child : groupOf(window)->children())
        if (child->isWidgetType())
            created << child->objectName();
    EXPECT_EQ(created, QStringList({"Label1", "Label2", "Label3", "Label4", "Label5"}))
        << "creation, and so painting, order";

    struct Box {
        const char* name;
        QRect box;
        bool transparent;
    };
    const Box boxes[] = {{"Label1", {8, 16, 369, 41}, false},
                         {"Label2", {8, 51, 369, 41}, true},
                         {"Label3", {8, 86, 369, 27}, false},
                         {"Label5", {8, 109, 369, 25}, false},
                         {"Label4", {8, 133, 369, 41}, false}};
    int previousTop = 0;
    for (const Box& expected : boxes) {
        QLabel* label = labelOf(window, expected.name);
        EXPECT_EQ(label->geometry(), expected.box) << expected.name;
        EXPECT_GT(label->y(), previousTop) << expected.name << " is out of reading order";
        EXPECT_EQ(label->autoFillBackground(), !expected.transparent) << expected.name;
        EXPECT_TRUE(label->wordWrap()) << expected.name;
        EXPECT_EQ(label->alignment(), Qt::AlignHCenter | Qt::AlignTop) << expected.name;
        previousTop = label->y();
    }
}

// Rows of the group box, as drawn, in which some of a label's background
// shows. The label is given a background colour of its own to tell it apart.
std::vector<int> rowsShowing(TForm6& window, const char* name) {
    QLabel* label = labelOf(window, name);
    const QPalette original = label->palette();
    QPalette marked = original;
    marked.setColor(QPalette::Window, QColor(255, 0, 255));
    label->setPalette(marked);
    label->setAutoFillBackground(true);

    QGroupBox* group = window.findChild<QGroupBox*>(QStringLiteral("GroupBox1"));
    QImage image(group->size(), QImage::Format_RGB32);
    group->render(&image);
    label->setPalette(original);

    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y)
        for (int x = label->x(); x <= label->geometry().right(); ++x)
            if (image.pixel(x, y) == qRgb(255, 0, 255)) {
                rows.push_back(y);
                break;
            }
    return rows;
}

std::vector<int> range(int first, int last) {
    std::vector<int> rows;
    for (int y = first; y <= last; ++y)
        rows.push_back(y);
    return rows;
}

TEST(TForm6, OverlappingParagraphsCoverOrShowThroughAsCreated) {
    TForm6 window;
    window.show();
    // Label2 is transparent: all of Label1's box shows, also where Label2 lies
    // over it (51..56).
    EXPECT_EQ(rowsShowing(window, "Label1"), range(16, 56));
    // Label5 is opaque and created after Label3 and Label4: it covers the
    // bottom rows of Label3 (109..112) and the top row of Label4 (133).
    EXPECT_EQ(rowsShowing(window, "Label3"), range(86, 108));
    EXPECT_EQ(rowsShowing(window, "Label4"), range(134, 173));
    EXPECT_EQ(rowsShowing(window, "Label5"), range(109, 133));
}

TEST(TForm6, ShowsCentredOnceThenWhereItWasLeft) {
    QWidget menu; // on screen before, as the main menu always is
    menu.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    TForm6 window;
    QPointer<TForm6> alive(&window);
    showWindow(&window);
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const QSize outer = window.frameGeometry().size();
    EXPECT_EQ(window.frameGeometry().topLeft(),
              QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2));

    window.move(5, 6);
    showWindow(&window);
    EXPECT_EQ(window.pos(), QPoint(5, 6)) << "showing a visible window changes nothing";

    window.move(15, 16);
    window.close();
    QApplication::processEvents();
    ASSERT_FALSE(alive.isNull());
    EXPECT_FALSE(window.isVisible());
    showWindow(&window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint(15, 16));
}

} // namespace
} // namespace torvex
