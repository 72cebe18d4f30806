#include "platform/window_parts.h"

#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace torvex {
namespace {

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
