// The preview window: its captions through a regeneration and the canvas shown
// as it is drawn.
#include "preview/tform5.h"

#include "base/failure.h"
#include "preview/regeneration.h"
#include "scene/designer_state.h"
#include "tests/support/scripted_desktop.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace torvex {
namespace {

struct PreviewWindow : ::testing::Test {
    void SetUp() override { resetDesignerState(); }
    void TearDown() override { resetDesignerState(); }
    QRgb shown(int x, int y) {
        form.refresh();
        return form.findChild<QWidget*>(QStringLiteral("Image1"))->grab().toImage().pixel(x, y) &
               0xFFFFFF;
    }
    ScriptedDesktop desktop;
    ScriptedDesktop::Installed installed{desktop};
    TForm5 form;
};

TEST_F(PreviewWindow, RegenerationShowsMaximisedWalksThroughItsCaptionsAndShowsTheCanvas) {
    QSignalSpy captions(&form, &QWidget::windowTitleChanged);
    form.beginRegeneration(defaultPanelHeight);
    EXPECT_TRUE(form.isMaximized());
    ASSERT_EQ(captions.count(), 2);
    EXPECT_EQ(captions[0][0].toString(), "Torvex Scenery Designer - Regenerating... Grid");
    EXPECT_EQ(captions[1][0].toString(), "Torvex Scenery Designer - Regenerating... Linelist");
    line3D(form.canvas(), {"0", "0", "0", "10", "0", "0"}, defaultPanelHeight);
    form.endRegeneration();
    EXPECT_EQ(form.windowTitle(), "Torvex Scenery Designer");
    EXPECT_EQ(shown(641, 508), colours::blue);  // origin mark
    EXPECT_EQ(shown(650, 501), colours::black); // the list line
    // Drawing between regenerations reaches the screen without any copy step.
    form.canvas().setPixel(5, 6, colours::red);
    EXPECT_EQ(shown(5, 6), colours::red);
    form.canvas().setPixel(Canvas::width, 6, colours::red); // off the canvas: nowhere
    EXPECT_EQ(form.canvas().pixel(0, 7), colours::white);
    // Restored, its outer frame stands where it was first put, then where the user moved it.
    for (const QPoint at : {QPoint(200, 104), QPoint(30, 40)}) {
        form.showNormal();
        EXPECT_EQ(form.frameGeometry().topLeft(), at);
        form.move(30, 40);
        form.hide();
        form.beginRegeneration(defaultPanelHeight);
    }
}

} // namespace
} // namespace torvex
