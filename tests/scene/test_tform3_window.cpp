// The designer panel driven through its real widgets; boxes and dialogs go to
// the scripted desktop, drawing is checked on the preview window's canvas.
#include "scene/tform3.h"

#include "preview/tform5.h"
#include "scene/designer_state.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scripted_desktop.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace torvex {
namespace {

using Kind = ScriptedDesktop::Kind;

// Screen points below follow the projection with the panel's outer height 112:
// x = 3X - 3Y + 640, y = 508 - 2X - 2Y - 3Z.

// (10,10,10)-(40,10,10) runs from (640,438) to (730,378): 90 steps along x,
// 60 up; half way it passes (685,408). Neither point is a grid dot.
constexpr QPoint segmentStart{640, 438};
constexpr QPoint segmentMiddle{685, 408};

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetDesignerState();
        ASSERT_TRUE(folder.isValid());
    }

    // Shows the panel as the main menu does and makes it the active window.
    void showPanel() {
        showWindow(&panel);
        // The offscreen platform does not always activate a window shown again.
        QApplication::setActiveWindow(&panel);
        ASSERT_EQ(QApplication::activeWindow(), &panel);
    }

    template <class T> T* control(const QString& name) {
        T* found = panel.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QLineEdit* field(int n) { return control<QLineEdit>(QStringLiteral("Edit%1").arg(n)); }
    QPushButton* button(int n) { return control<QPushButton>(QStringLiteral("Button%1").arg(n)); }
    QListWidget* list() { return control<QListWidget>(QStringLiteral("Linl")); }

    QWidget* focus() const { return QApplication::focusWidget(); }
    void type(const QString& text) { QTest::keyClicks(focus(), text); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(focus(), key, modifiers);
    }
    void enter() { key(Qt::Key_Return); }

    std::vector<QString> fields() {
        std::vector<QString> texts;
        for (int i = 1; i <= 6; ++i)
            texts.push_back(field(i)->text());
        return texts;
    }
    void setFields(std::vector<QString> texts) {
        for (int i = 1; i <= 6; ++i)
            field(i)->setText(texts[std::size_t(i - 1)]);
    }
    std::vector<QString> entries() {
        std::vector<QString> texts;
        for (int row = 0; row < list()->count(); ++row)
            texts.push_back(list()->item(row)->text());
        return texts;
    }
    void addEntries(const std::vector<QString>& records) {
        for (const QString& record : records)
            list()->addItem(record);
    }
    QPoint rowCentre(int row) { return list()->visualItemRect(list()->item(row)).center(); }

    Rgb pixel(QPoint at) { return preview.canvas().pixel(at.x(), at.y()); }
    QString path(const char* name) { return folder.filePath(QString::fromLatin1(name)); }

    ScriptedDesktop scripted;
    ScriptedDesktop::Installed installed{scripted};
    QTemporaryDir folder;
    TForm5 preview;
    QWidget wizard;
    TForm3 panel{&preview, &wizard};
};

TEST_F(PanelTest, APolylineIsEnteredWithNumberKeysAndEnterAlone) {
    showPanel();
    ASSERT_EQ(focus(), field(1));
    EXPECT_EQ(field(1)->selectedText(), "0");
    for (const char* value : {"12", "-0033", "0", "40", "7", "-5"}) { // 4 characters a field
        type(QString::fromLatin1(value));
        enter();
    }
    EXPECT_EQ(focus(), button(1));
    enter();
    EXPECT_EQ(focus(), button(2));
    enter();
    EXPECT_EQ(entries(), std::vector<QString>{"  12,-003,   0,  40,   7,  -5"});
    EXPECT_EQ(fields(), (std::vector<QString>{"  40", "   7", "  -5", "0", "0", "0"}));
    EXPECT_EQ(focus(), field(1));
    EXPECT_EQ(field(1)->selectedText(), "  40");
    EXPECT_EQ(list()->currentRow(), -1) << "the new entry is not selected";
    EXPECT_EQ(pixel({685, 490}), colours::black) << "(12,-3,0) on the preview";
    EXPECT_TRUE(scripted.shown.empty());
    scripted.fileAnswers = {std::nullopt};
    key(Qt::Key_Z, Qt::AltModifier); // the last letter: "Create .&Z80 file" asks for a name
    EXPECT_EQ(scripted.of(Kind::FileDialog).size(), 1u);
}

// Another window taking the focus is no reason to check the field.
TEST_F(PanelTest, AValueOutOfRangeIsWarnedAboutOnceAndStoredAsTyped) {
    showPanel();
    type("150");
    QWidget otherWindow;
    auto* otherField = new QLineEdit(&otherWindow);
    otherWindow.show();
    otherField->setFocus(); // the field the window gives the focus to when activated
    QApplication::setActiveWindow(&otherWindow);
    ASSERT_EQ(focus(), otherField);
    EXPECT_TRUE(scripted.shown.empty());
    showPanel();
    ASSERT_EQ(focus(), field(1));
    EXPECT_TRUE(scripted.shown.empty()) << "entering a field checks nothing";
    type("0"); // back in the window, the caret is where it was
    key(Qt::Key_Tab);
    const auto boxes = scripted.of(Kind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].owner == &panel && boxes[0].buttons == BoxButtons::OkCancel);
    EXPECT_EQ(boxes[0].text + "|" + boxes[0].caption,
              "Please enter an integer value between -100 and 100|Data format");

    QTest::mouseClick(button(2), Qt::LeftButton);
    EXPECT_EQ(entries(), std::vector<QString>{"1500,   0,   0,   0,   0,   0"});
    EXPECT_EQ(scripted.shown.size(), 1u) << "leaving Start Y for the button checks a valid 0";
}

TEST_F(PanelTest, ThePreviewButtonDrawsBlueWhileHeldAndAFailingPressIsNotActivated) {
    showPanel();
    setFields({"10", "10", "10", "40", "10", "10"});
    QTest::mousePress(button(1), Qt::LeftButton);
    EXPECT_EQ(focus(), button(1));
    EXPECT_EQ(pixel(segmentStart), colours::blue);
    EXPECT_EQ(pixel(segmentMiddle), colours::blue);
    QTest::mouseRelease(button(1), Qt::LeftButton, {}, QPoint(-30, -30));
    EXPECT_EQ(pixel(segmentMiddle), colours::white) << "released outside, still erased";
    EXPECT_EQ(focus(), button(1)) << "released outside: not activated";

    QTest::mousePress(button(1), Qt::LeftButton);
    QTest::mouseRelease(button(1), Qt::LeftButton);
    EXPECT_EQ(pixel(segmentMiddle), colours::white);
    EXPECT_EQ(focus(), button(2)) << "the click activated the button";

    // A failing press is cancelled, so the button is not activated.
    button(1)->setFocus();
    field(4)->setText(QStringLiteral("x"));
    QTest::mousePress(button(1), Qt::LeftButton);
    QTest::mouseRelease(button(1), Qt::LeftButton);
    EXPECT_EQ(scripted.errorReports(), std::vector<QString>{"'x' is not a valid integer value."})
        << "the release runs no handler, so the failure is reported once";
    EXPECT_EQ(focus(), button(1)) << "not activated: the focus did not go on to Add this line";
    EXPECT_FALSE(button(1)->isDown());
}

TEST_F(PanelTest, HoldingAnEntryDrawsItRedAndReleasingItBlack) {
    showPanel();
    addEntries({"   0,   0,   0,   0,   0,   0", "  10,  10,  10,  40,  10,  10"});
    QTest::mousePress(list()->viewport(), Qt::LeftButton, {}, rowCentre(1));
    EXPECT_EQ(focus(), list());
    EXPECT_EQ(list()->currentRow(), 1);
    EXPECT_EQ(fields(), (std::vector<QString>{"  10", "  10", "  10", "  40", "  10", "  10"}));
    EXPECT_EQ(pixel(segmentMiddle), colours::red);
    QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, rowCentre(1));
    EXPECT_EQ(pixel(segmentMiddle), colours::black);

    // Dragged to the first entry while held: the release draws that one
    // black, and the entry pressed stays red.
    QTest::mousePress(list()->viewport(), Qt::LeftButton, {}, rowCentre(1));
    QTest::mouseMove(list()->viewport(), rowCentre(0));
    EXPECT_EQ(list()->currentRow(), 0);
    QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, rowCentre(0));
    EXPECT_EQ(pixel(segmentMiddle), colours::red);
    key(Qt::Key_Down), key(Qt::Key_Up); // the arrows load the entry they select
    EXPECT_EQ(fields(), (std::vector<QString>{"   0", "   0", "   0", "   0", "   0", "   0"}));
    EXPECT_TRUE(scripted.shown.empty());
}

TEST_F(PanelTest, DeletingAnEntryErasesItAndLeavesNothingSelected) {
    showPanel();
    addEntries({"  10,  10,  10,  40,  10,  10", "   1,   2,   3,   4,   5,   6"});
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rowCentre(0));
    ASSERT_EQ(pixel(segmentMiddle), colours::black);

    QTest::mousePress(button(3), Qt::LeftButton);
    EXPECT_EQ(pixel(segmentMiddle), colours::red);
    QTest::mouseRelease(button(3), Qt::LeftButton);
    EXPECT_EQ(pixel(segmentMiddle), colours::white);
    EXPECT_EQ(entries(), std::vector<QString>{"   1,   2,   3,   4,   5,   6"});
    EXPECT_TRUE(list()->selectedItems().isEmpty());

    // From the keyboard after the fields were edited: the selected entry is
    // loaded into the fields again and erased. (1,2,3)-(4,5,6) runs up x = 637.
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rowCentre(0));
    ASSERT_EQ(pixel({637, 480}), colours::black);
    setFields({"10", "10", "10", "40", "10", "10"});
    button(3)->setFocus();
    key(Qt::Key_Space);
    EXPECT_TRUE(entries().empty());
    EXPECT_EQ(fields(), (std::vector<QString>{"   1", "   2", "   3", "   4", "   5", "   6"}));
    EXPECT_EQ(pixel({637, 480}), colours::white);
    EXPECT_TRUE(scripted.shown.empty());
}

TEST_F(PanelTest, AFailingRegenerationIsReportedBeforeThePanelAppears) {
    std::vector<bool> panelOnScreen;
    scripted.onErrorReport = [&] {
        panelOnScreen.push_back(panel.windowHandle() && panel.windowHandle()->isVisible());
    };
    addEntries({"  10,  10,  10,  40,  10,  10", "1,2,3,4,5,6", "   0,   0,   0,   0,   0, 100"});
    showWindow(&panel);
    EXPECT_EQ(scripted.errorReports(),
              std::vector<QString>{"'1,2,' is not a valid integer value."});
    EXPECT_EQ(panelOnScreen, std::vector<bool>{false});
    EXPECT_EQ(fields(), (std::vector<QString>{"1,2,", ",4,5", "6", "", "", ""})) << "the bad one's";
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(pixel(segmentMiddle), colours::black) << "entries before the bad one are drawn";
    // (0,0,0)-(0,0,100) would run up from the origin through (640,400).
    EXPECT_NE(pixel({640, 400}), colours::black) << "entries after it are not";
}

TEST_F(PanelTest, TheCloseQuestionClosesOnNoAndWhateverTheSaveDialogSays) {
    showPanel();
    addEntries({"   1,   2,   3,   4,   5,   6"});
    scripted.boxAnswers = {BoxAnswer::No};
    field(4)->setFocus();
    QTest::mouseClick(control<QLabel>(QStringLiteral("Label7")), Qt::LeftButton);
    const auto boxes = scripted.of(Kind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].buttons, BoxButtons::YesNo);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_TRUE(scripted.of(Kind::FileDialog).empty());

    showPanel();
    EXPECT_EQ(focus(), field(4)) << "shown again, the caret is where it was";
    scripted.boxAnswers = {BoxAnswer::Yes};
    scripted.fileAnswers = {std::nullopt};
    EXPECT_TRUE(panel.closePanel()); // "No filename specified!", as at Load
    EXPECT_FALSE(panel.isVisible());
    EXPECT_FALSE(preview.isVisible());
    EXPECT_TRUE(panel.closePanel()) << "a hidden panel asks nothing";
    EXPECT_EQ(scripted.of(Kind::MessageBox).size(), 2u);
    showPanel(); // saved since, closed with No: Exit asks nothing
    scripted.fileAnswers = {path("saved.lst")};
    QTest::mouseClick(button(5), Qt::LeftButton);
    EXPECT_TRUE(panel.closePanel() && panel.exitQuestion()); // the close answered No
    EXPECT_EQ(scripted.of(Kind::MessageBox).size(), 3u);
}

TEST_F(PanelTest, AFailingSaveAbandonsTheCloseOfBothWindows) {
    preview.closeRequested = [this] { return panel.closePanel(); };
    showPanel();
    const QString unwritable = path("missing-folder/scene.lst");
    scripted.boxAnswers = {BoxAnswer::Yes};
    scripted.fileAnswers = {unwritable};
    EXPECT_FALSE(panel.closePanel());
    EXPECT_EQ(scripted.errorReports(),
              std::vector<QString>{"Cannot create file " + unwritable + "."});
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(preview.isVisible());

    // Closing the preview window asks the same question; the failing save
    // keeps the preview window open as well, and closes while it is asked
    // are refused.
    scripted.boxAnswers = {BoxAnswer::Yes};
    scripted.fileAnswers = {unwritable};
    scripted.whileBoxOpen = [this] {
        pressCloseBox(&preview);
        pressCloseBox(&panel);
    };
    preview.close();
    EXPECT_EQ(scripted.errorReports().size(), 2u);
    EXPECT_EQ(scripted.of(Kind::MessageBox).size(), 2u);
    EXPECT_TRUE(preview.windowHandle()->isVisible());
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(preview.isVisible());
}

TEST_F(PanelTest, EveryByteButLineEndsAndNulSurvivesLoadAndSave) {
    showPanel();
    std::string bytes = "   1,   2,   3,   4,   5,   6\r\n\t lead and trail \t\r\n";
    for (int byte = 1; byte < 256; ++byte)
        if (byte != '\r' && byte != '\n')
            bytes += char(byte);
    bytes += "\r\n";
    ASSERT_TRUE(test::writeFileBytes(path("bytes.lst"), bytes));
    scripted.fileAnswers = {path("bytes.lst"), path("copy.lst")};
    QTest::mouseClick(button(6), Qt::LeftButton);
    ASSERT_EQ(entries().size(), 3u);
    QTest::mouseClick(button(5), Qt::LeftButton);
    EXPECT_EQ(test::fileBytes(path("copy.lst")), bytes);
    EXPECT_EQ(scripted.of(Kind::FileDialog).back().fileKind, FileDialogKind::Save);
    // The scene data file shares the save dialog.
    scripted.fileAnswers = {path("scene.z80")};
    QTest::mouseClick(button(8), Qt::LeftButton);
    EXPECT_EQ(scripted.of(Kind::FileDialog).back().initialName, path("copy.lst"));
    EXPECT_TRUE(test::fileBytes(path("scene.z80"))
                    .starts_with(";Scene data made by Torvex Designer\r\n;***** USE AT YOUR OWN "
                                 "RISK *****\r\n;================================\r\nscene:\r\n"
                                 "        .db    1,   2,   3,   4,   5,   6\r\n"));
}

TEST_F(PanelTest, LoadReplacesTheListAndRegeneratesUnlessTheFileCannotBeOpened) {
    showPanel();
    addEntries({"   9,   9,   9,   9,   9,   9"});
    ASSERT_TRUE(test::writeFileBytes(
        path("b.lst"), "  10,  10,  10,  40,  10,  10\r\n   1,   2,   3,   4,   5,   6"));
    scripted.fileAnswers = {path("b.lst")};
    QTest::mouseClick(button(6), Qt::LeftButton);
    EXPECT_EQ(scripted.of(Kind::FileDialog).back().fileKind, FileDialogKind::Open);
    EXPECT_EQ(entries(), (std::vector<QString>{"  10,  10,  10,  40,  10,  10",
                                               "   1,   2,   3,   4,   5,   6"}));
    EXPECT_EQ(pixel(segmentMiddle), colours::black);
    EXPECT_EQ(fields(), (std::vector<QString>{"   1", "   2", "   3", "   4", "   5", "   6"}));

    // A blue preview left behind shows whether a regeneration ran.
    setFields({"10", "10", "10", "40", "10", "10"});
    QTest::mousePress(button(1), Qt::RightButton);
    const QString missing = path("nothing.lst");
    scripted.fileAnswers = {missing};
    QTest::mouseClick(button(6), Qt::LeftButton);
    EXPECT_EQ(scripted.errorReports(), std::vector<QString>{"Cannot open file " + missing + "."});
    EXPECT_EQ(entries().size(), 2u);
    EXPECT_EQ(pixel(segmentMiddle), colours::blue) << "no regeneration";

    scripted.fileAnswers = {std::nullopt};
    QTest::mouseClick(button(6), Qt::LeftButton);
    const auto said = scripted.of(Kind::MessageDialog).back();
    EXPECT_TRUE(said.text == "No filename specified!" && said.type == MessageType::Error);
    EXPECT_EQ(entries().size(), 2u);
    EXPECT_EQ(pixel(segmentMiddle), colours::black) << "a cancelled load still regenerates";
    setFields({"10", "0", "0", "10", "0", "50"}); // "Redraw preview window" draws the list
    QTest::mousePress(button(1), Qt::RightButton);
    QTest::mouseClick(control<QLabel>(QStringLiteral("Label8")), Qt::LeftButton);
    EXPECT_EQ(pixel({670, 413}), colours::white);
    QTest::mouseClick(button(9), Qt::LeftButton);
    EXPECT_TRUE(entries().empty());
    EXPECT_EQ(pixel(segmentMiddle), colours::white) << "Clear linelist redraws";
}

} // namespace
} // namespace torvex
