#include "preview/tform5.h"

#include "base/failure.h"
#include "preview/regeneration.h"
#include "scene/designer_state.h"
#include "scene/line_record.h"
#include "tests/support/scripted_desktop.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace torvex {
namespace {

class PreviewWindow : public ::testing::Test {
protected:
    void SetUp() override { resetDesignerState(); }
    void TearDown() override {
        form.hide();
        resetDesignerState();
    }

    // What the designer panel does for every entry of its list.
    void drawEntry(const QString& entry) {
        CurrentLine = entry;
        fields = splitLineRecord(CurrentLine);
        DrawMode = 0;
        line3D(form.canvas(), fields, defaultPanelHeight);
    }

    QImage shownPicture() { return image()->grab().toImage(); }
    QWidget* image() { return form.findChild<QWidget*>(QStringLiteral("Image1")); }

    ScriptedDesktop desktop;
    ScriptedDesktop::Installed installed{desktop};
    TForm5 form;
    CoordinateTexts fields;
};

TEST_F(PreviewWindow, StartsHiddenWithItsCaptionButtonsAndFixedImage) {
    EXPECT_EQ(form.objectName(), "TForm5");
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "Torvex Scenery Designer");
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);

    ASSERT_NE(image(), nullptr);
    EXPECT_EQ(image()->size(), QSize(1280, 1024));
    EXPECT_EQ(image()->minimumSize(), image()->maximumSize());
}

TEST_F(PreviewWindow, RegenerationShowsMaximisedAndWalksThroughItsCaptions) {
    QSignalSpy captions(&form, &QWidget::windowTitleChanged);
    form.beginRegeneration(defaultPanelHeight);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.isMaximized());
    ASSERT_EQ(captions.count(), 2);
    EXPECT_EQ(captions[0][0].toString(), "Torvex Scenery Designer - Regenerating... Grid");
    EXPECT_EQ(captions[1][0].toString(), "Torvex Scenery Designer - Regenerating... Linelist");

    drawEntry("   0,   0,   0,  10,   0,   0");
    form.endRegeneration();
    EXPECT_EQ(form.windowTitle(), "Torvex Scenery Designer");

    // The image sits at the top-left of the client area and shows the canvas itself.
    EXPECT_EQ(image()->mapTo(&form, QPoint(0, 0)), QPoint(0, 0));
    form.refresh();
    const QImage shown = shownPicture();
    EXPECT_EQ(shown.pixel(641, 508) & 0xFFFFFF, colours::blue);  // origin mark
    EXPECT_EQ(shown.pixel(650, 501) & 0xFFFFFF, colours::black); // the list line
    EXPECT_EQ(shown.pixel(40, 508) & 0xFFFFFF, colours::black);  // grid corner

    // Drawing between regenerations reaches the screen without any copy step.
    form.canvas().setPixel(5, 6, colours::red);
    form.refresh();
    EXPECT_EQ(shownPicture().pixel(5, 6) & 0xFFFFFF, colours::red);
}

TEST_F(PreviewWindow, RegenerationStartsFromAWhitePictureAndLeavesAVisibleWindowAlone) {
    form.beginRegeneration(defaultPanelHeight);
    form.canvas().setPixel(3, 3, colours::red);
    form.showNormal();
    const QRect restored = form.geometry();

    form.beginRegeneration(defaultPanelHeight);
    form.endRegeneration();
    EXPECT_FALSE(form.isMaximized());
    EXPECT_EQ(form.geometry(), restored);
    EXPECT_EQ(form.canvas().pixel(3, 3), colours::white);
}

TEST_F(PreviewWindow, FailingEntryStopsTheRedrawWithTheLinelistCaption) {
    const QStringList list{"   0,   0,   0,  10,   0,   0", "abc", "   0,   0,   0,   0,   0, 100"};
    form.beginRegeneration(defaultPanelHeight);
    const bool completed = guarded([&] {
        for (const QString& entry : list)
            drawEntry(entry);
        form.endRegeneration();
    });
    EXPECT_FALSE(completed);
    EXPECT_EQ(form.windowTitle(), "Torvex Scenery Designer - Regenerating... Linelist");
    EXPECT_EQ(desktop.errorReports(), std::vector<QString>{"'abc' is not a valid integer value."});
    EXPECT_EQ(fields, (CoordinateTexts{"abc", "", "", "", "", ""}));
    EXPECT_EQ(form.canvas().pixel(650, 501), colours::black); // first entry drawn
    EXPECT_EQ(form.canvas().pixel(640, 301), colours::white); // third entry not drawn
}

TEST_F(PreviewWindow, ScrollBarsReachTheRestOfASmallerWindow) {
    form.beginRegeneration(defaultPanelHeight);
    form.showNormal();
    form.resize(544, 375);
    QApplication::processEvents();

    auto* area = form.findChild<QScrollArea*>();
    ASSERT_NE(area, nullptr);
    QScrollBar* horizontal = area->horizontalScrollBar();
    QScrollBar* vertical = area->verticalScrollBar();
    EXPECT_TRUE(horizontal->isVisible());
    EXPECT_TRUE(vertical->isVisible());
    EXPECT_EQ(horizontal->maximum(), 1280 - area->viewport()->width());
    EXPECT_EQ(vertical->maximum(), 1024 - area->viewport()->height());

    // Keys on the scroll bar move the picture; the picture keeps its size.
    horizontal->setFocus();
    QTest::keyClick(horizontal, Qt::Key_End);
    EXPECT_EQ(horizontal->value(), horizontal->maximum());
    EXPECT_EQ(image()->mapTo(area->viewport(), QPoint(1279, 0)).x(), area->viewport()->width() - 1);
    EXPECT_EQ(image()->size(), QSize(1280, 1024));
}

TEST_F(PreviewWindow, ClosingAsksTheDesignerPanelWhichMayRefuse) {
    form.beginRegeneration(defaultPanelHeight);
    int asked = 0;
    bool answer = false;
    form.closeRequested = [&] {
        ++asked;
        return answer;
    };
    EXPECT_FALSE(form.close());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(form.isVisible());

    answer = true;
    EXPECT_TRUE(form.close());
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(PreviewWindow, AFailureInTheCloseQuestionIsReportedAndKeepsTheWindowOpen) {
    form.beginRegeneration(defaultPanelHeight);
    form.closeRequested = []() -> bool { throw Failure("Cannot create file /x/y"); };
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(desktop.errorReports(), std::vector<QString>{"Cannot create file /x/y."});
}

TEST_F(PreviewWindow, WithoutAPanelClosingJustHides) {
    form.beginRegeneration(defaultPanelHeight);
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(desktop.shown.empty());
}

} // namespace
} // namespace torvex
