#include "platform/window_parts.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace torvex {
namespace {

// Rows of an image that hold at least one pixel clearly darker than the
// background (text is drawn in the window-text colour).
std::vector<int> inkedRows(const QImage& image, QRect area) {
    std::vector<int> rows;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                rows.push_back(y);
                break;
            }
    return rows;
}

class LabelBoxes : public ::testing::Test {
protected:
    LabelBoxes() {
        window.setFont(arialFont(9));
        window.resize(300, 200);
    }
    QImage rendered() {
        QImage image(window.size(), QImage::Format_RGB32);
        window.render(&image);
        return image;
    }
    QWidget window;
};

TEST_F(LabelBoxes, ParagraphWrapsInsideItsBoxAndIsCutAtTheBottom) {
    const QString words =
        QStringLiteral("one two three four five six seven eight nine ten eleven twelve thirteen "
                       "fourteen fifteen sixteen seventeen eighteen nineteen twenty");
    QLabel* label = paragraphLabel(&window, "Para", words, {10, 20, 100, 25});
    window.show();

    EXPECT_EQ(label->geometry(), QRect(10, 20, 100, 25)) << "the box never grows";
    ASSERT_GT(label->heightForWidth(100), 25) << "the text should need more room than the box";

    const QImage image = rendered();
    const std::vector<int> rows = inkedRows(image, {0, 0, 300, 200});
    ASSERT_FALSE(rows.empty());
    EXPECT_GE(rows.front(), 20);
    EXPECT_LE(rows.back(), 20 + 25 - 1) << "text below the box's bottom edge must not show";
    // More than one line shows: some blank row separates two inked ones.
    bool gap = false;
    for (size_t i = 1; i < rows.size(); ++i)
        gap = gap || rows[i] != rows[i - 1] + 1;
    EXPECT_TRUE(gap) << "the text should wrap onto a second line";
}

// Enter and the keypad's Enter press the focused button, as Space does.
TEST(HandButton, EnterPressesTheFocusedButton) {
    QWidget window;
    QPushButton* button = handButton(&window, "Button1", QStringLiteral("&Go"), {8, 8, 80, 25},
                                     QStringLiteral("hint"));
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(clicks, 3);
}

} // namespace
} // namespace torvex
