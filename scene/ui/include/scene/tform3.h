#pragma once

#include "platform/desktop.h"
#include "scene/line_record.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <vector>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace torvex {

class Bevel;
class CoordinateEdit;
class LineListBox;
class LinkLabel;
class PanelButton;
class TForm5;

// The designer panel: a borderless, always-on-top strip in the bottom-right
// corner of the screen where the user types segments, previews, adds, selects
// and deletes them, and saves, loads and clears the line list `Linl`. It draws
// on the preview window it is given.
//
// Wiring for the application:
//  - Show the panel with showWindow(); every showing regenerates the preview.
//  - Set the preview window's closeRequested to [&] { return panel.closePanel(); }.
//  - Before the program ends, call exitQuestion(): with the panel shown it
//    asks the close question ("Save linelist?"); false means the exit must be
//    abandoned. On a hidden panel it asks nothing and returns true.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    // `wizard` is the preview wizard shown by "Pre&view scene".
    TForm3(TForm5* preview, QWidget* wizard, QWidget* parent = nullptr);
    ~TForm3() override;

    // Closes the panel the way every close does: the close question, then the
    // preview window and the panel hide. Returns false when the close was
    // abandoned because the save asked for failed (both windows stay open).
    bool closePanel();

    // The close question asked when the program is about to end with the
    // panel shown. Only No ends the program without saving, and Yes once the
    // list is saved; Esc, the close box, a cancelled or a failed save keep the
    // program running (false). A hidden panel asks nothing (true), unless
    // its last close was answered Yes and the save dialog then cancelled.
    bool exitQuestion();

    // The close question on its own: "Save the linelist before closing this
    // window?"; Yes saves through SaveDialog1. Returns false only when that
    // save failed (it has been reported); No or a cancelled dialog return true.
    bool closeQuestion();

    // The line list as the bytes of its file lines.
    std::vector<std::string> lineListLines() const;

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormClose(QCloseEvent& event);
    void Edit1Click(QLineEdit* field);
    void Edit1Change(QLineEdit* field);
    void Edit1KeyPress(QChar& key);
    void Edit2KeyPress(QChar& key);
    void Edit3KeyPress(QChar& key);
    void Edit4KeyPress(QChar& key);
    void Edit5KeyPress(QChar& key);
    void Edit6KeyPress(QChar& key);
    void Button1MouseDown();
    void Button1MouseUp();
    void Button1Click();
    void Button2Click();
    void LinlClick();
    void LinlMouseDown();
    void LinlMouseUp();
    void Button3MouseDown();
    void Button3Click();
    void Button5Click();
    void Button6Click();
    void Button9Click();
    void Button8Click();
    void Button7Click();
    void Label7Click();
    void Label8Click();

    // Routines shared by the handlers.
    void Lst();    // CurrentLine into the six coordinate fields
    void Line3D(); // the segment in the fields, pen chosen by DrawMode
    void ScrConv();

    // Controls.
    Bevel* Bevel1;
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    CoordinateEdit* Edit1;
    CoordinateEdit* Edit2;
    CoordinateEdit* Edit3;
    CoordinateEdit* Edit4;
    CoordinateEdit* Edit5;
    CoordinateEdit* Edit6;
    PanelButton* Button1;
    PanelButton* Button2;
    QGroupBox* GroupBox2;
    LineListBox* Linl;
    PanelButton* Button3;
    PanelButton* Button4;
    QGroupBox* GroupBox3;
    PanelButton* Button5;
    PanelButton* Button6;
    PanelButton* Button9;
    PanelButton* Button8;
    PanelButton* Button7;
    LinkLabel* Label7;
    LinkLabel* Label8;
    QListWidget* lz80;
    FileDialog OpenDialog1{FileDialog::Kind::Open};
    FileDialog SaveDialog1{FileDialog::Kind::Save};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void connectHandlers();
    void focusChanged(QWidget* old, QWidget* now);
    bool activateAccelerator(QChar letter);
    void moveFocusOnEnter(QChar key, QWidget* next);
    void regeneratePreview();
    bool fileChosen(FileDialog& dialog);
    CoordinateEdit* coordinateField(QWidget* widget) const;

    CoordinateTexts fieldTexts() const;
    void setFieldTexts(const CoordinateTexts& texts);
    QString selectedEntry() const;
    QStringList lineListEntries() const;
    void replaceLineList(const std::vector<std::string>& lines);
    bool saveLineList();
    BoxAnswer askToSave();
    int panelHeight() const;

    TForm5* preview_;
    QWidget* wizard_;
    std::vector<PanelButton*> acceleratorOrder_;
    bool shownBefore_ = false;
    bool saveCancelledAtClose_ = false; // Yes, then no file chosen, at the last close
    QPointer<QWidget> focusWhenHidden_;
    // The application's focus changes reach the panel until its destruction
    // begins (destroying the fields moves the focus).
    QMetaObject::Connection focusChanges_;
};

} // namespace torvex
