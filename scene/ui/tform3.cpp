#include "scene/tform3.h"

#include "codegen/scene_data.h"
#include "codegen/text_line_file.h"
#include "codegen/windows1252.h"
#include "platform/bevel.h"
#include "platform/link_label.h"
#include "platform/window_parts.h"
#include "preview/projection.h"
#include "preview/regeneration.h"
#include "preview/tform5.h"
#include "scene/designer_state.h"
#include "scene/panel_accelerators.h"
#include "scene/panel_controls.h"
#include "scene/panel_field_check.h"
#include "scene/panel_placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

namespace torvex {

namespace {

const QString coordinateHint =
    QStringLiteral("Enter the desired value here. Valid values are integers between -100 and 100.");

QGroupBox* groupBox(QWidget* parent, const char* name, const QString& title, QRect box) {
    auto* result = new QGroupBox(title, parent);
    result->setObjectName(QString::fromLatin1(name));
    result->setGeometry(box);
    result->setFocusPolicy(Qt::NoFocus);
    return result;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, QPoint at) {
    auto* result = new QLabel(text, parent);
    result->setObjectName(QString::fromLatin1(name));
    result->setTextFormat(Qt::PlainText);
    result->setGeometry(at.x(), at.y(), 30, 13);
    return result;
}

CoordinateEdit* coordinateEdit(QWidget* parent, const char* name, QPoint at) {
    auto* result = new CoordinateEdit(parent);
    result->setObjectName(QString::fromLatin1(name));
    result->setGeometry(at.x(), at.y(), 50, 18);
    result->setText(QStringLiteral("0"));
    // Every text the program puts into a field fits in four characters too.
    result->setMaxLength(4);
    result->setToolTip(coordinateHint);
    result->setCursor(Qt::PointingHandCursor);
    return result;
}

PanelButton* button(QWidget* parent, const char* name, const QString& text, QRect box,
                    const QString& hint) {
    auto* result = new PanelButton(text, parent);
    result->setObjectName(QString::fromLatin1(name));
    result->setGeometry(box);
    result->setToolTip(hint);
    return result;
}

bool isAltLetter(const QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (!(modifiers & Qt::AltModifier) || (modifiers & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    const int key = event->key();
    return (key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9);
}

QString listIndexOutOfBounds(int index) {
    return QStringLiteral("List index out of bounds (%1)").arg(index);
}

} // namespace

TForm3::TForm3(TForm5* preview, QWidget* wizard, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), preview_(preview), wizard_(wizard) {
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Torvex Scenery Designer"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(arialFont(9));
    setFixedSize(panelSize);
    buildControls();
    connectHandlers();
    registerTopmostWindow(this);
    refuseClosesDuringQuestions(this);
    guarded([this] { FormCreate(); });
}

TForm3::~TForm3() {
    disconnect(focusChanges_);
}

void TForm3::buildControls() {
    Bevel1 = new Bevel(Bevel::Shape::Box, Bevel::Style::Raised, this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setGeometry(QRect({0, 0}, panelSize));

    GroupBox1 = groupBox(this, "GroupBox1", QStringLiteral("Add Line"), {6, 2, 195, 105});
    Label1 = label(GroupBox1, "Label1", QStringLiteral("Start X"), {8, 18});
    Label2 = label(GroupBox1, "Label2", QStringLiteral("Start Y"), {8, 34});
    Label3 = label(GroupBox1, "Label3", QStringLiteral("Start Z"), {8, 50});
    Label4 = label(GroupBox1, "Label4", QStringLiteral("End X"), {104, 18});
    Label5 = label(GroupBox1, "Label5", QStringLiteral("End Y"), {104, 34});
    Label6 = label(GroupBox1, "Label6", QStringLiteral("End Z"), {104, 50});
    Edit1 = coordinateEdit(GroupBox1, "Edit1", {40, 16});
    Edit2 = coordinateEdit(GroupBox1, "Edit2", {40, 32});
    Edit3 = coordinateEdit(GroupBox1, "Edit3", {40, 48});
    Edit4 = coordinateEdit(GroupBox1, "Edit4", {136, 16});
    Edit5 = coordinateEdit(GroupBox1, "Edit5", {136, 32});
    Edit6 = coordinateEdit(GroupBox1, "Edit6", {136, 47});
    Button1 = button(GroupBox1, "Button1", QStringLiteral("&Preview (hold)"), {8, 72, 80, 25},
                     QStringLiteral("Preview the line without adding it to the linelist. Keep "
                                    "this button pressed."));
    Button2 = button(GroupBox1, "Button2", QStringLiteral("&Add this line"), {96, 72, 90, 25},
                     QStringLiteral("Add the line to the linelist."));

    GroupBox2 = groupBox(this, "GroupBox2", QStringLiteral("Linelist"), {206, 2, 195, 105});
    Linl = new LineListBox(GroupBox2);
    Linl->setObjectName(QStringLiteral("Linl"));
    Linl->setGeometry(7, 16, 180, 49);
    Linl->setFont(arialFont(9, true));
    Linl->setToolTip(QStringLiteral("Click a line to highlight it in red on the screen. Click "
                                    "Delete line to remove the line from the list."));
    Button3 = button(GroupBox2, "Button3", QStringLiteral("&Delete line"), {8, 72, 75, 25},
                     QStringLiteral("Delete the selected line from the linelist."));
    Button4 = button(GroupBox2, "Button4", QStringLiteral("&Copy coords to new"), {88, 72, 100, 25},
                     QStringLiteral("Copy the selected lines to the 'Add Line' menu."));
    // The panel's default button, disabled and without action: Enter in a
    // coordinate field always reaches the field.
    Button4->setDefault(true);
    Button4->setEnabled(false);

    GroupBox3 = groupBox(this, "GroupBox3", QStringLiteral("&Actions"), {406, 2, 220, 105});
    Button5 = button(GroupBox3, "Button5", QStringLiteral("&Save linelist"), {8, 16, 65, 25},
                     QStringLiteral("Save the linelist for future usage."));
    Button6 = button(GroupBox3, "Button6", QStringLiteral("&Load linelist"), {77, 16, 65, 25},
                     QStringLiteral("Load a previously saved linelist."));
    Button9 = button(GroupBox3, "Button9", QStringLiteral("&Clear linelist"), {147, 16, 65, 25},
                     QStringLiteral("Clear the linelist."));
    Button8 = button(GroupBox3, "Button8", QStringLiteral("Create .&Z80 file"), {8, 48, 100, 25},
                     QStringLiteral("Create the necessary .db statements."));
    Button7 = button(GroupBox3, "Button7", QStringLiteral("Pre&view scene"), {112, 48, 100, 25},
                     QStringLiteral("Create the full .Z80 source code to preview a scene. You "
                                    "will need a linelist for this function."));
    Label7 = new LinkLabel(QStringLiteral("Stop Scenery Designer"), GroupBox3);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setGeometry(8, 85, 97, 12);
    Label7->setToolTip(QStringLiteral("Go back to the main menu."));
    // The link is underlined as a whole, so its accelerator letter shows no
    // mark of its own; it has no keyboard action either.
    Label8 = new LinkLabel(QStringLiteral("Redraw preview window"), GroupBox3);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setGeometry(109, 85, 98, 12);
    Label8->setToolTip(QStringLiteral("Redraw the preview screen. This may take a while..."));

    lz80 = new QListWidget(this);
    lz80->setObjectName(QStringLiteral("lz80"));
    lz80->setGeometry(-200, -200, 10, 10);
    lz80->hide();

    // Tab order: group by group, and inside each group as listed.
    const std::vector<QWidget*> tabOrder{Edit1,   Edit2,   Edit3,   Edit4,   Edit5,   Edit6,
                                         Button1, Button2, Linl,    Button3, Button4, Button5,
                                         Button6, Button9, Button8, Button7};
    for (std::size_t i = 0; i + 1 < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i], tabOrder[i + 1]);

    // Accelerators are searched group by group: "Add Line", "Linelist",
    // "&Actions" (the group box itself never takes one).
    acceleratorOrder_ = {Button1, Button2, Button3, Button4, Button5,
                         Button6, Button9, Button8, Button7};

    for (QWidget* widget : tabOrder)
        widget->installEventFilter(this);
    for (QGroupBox* box : {GroupBox1, GroupBox2, GroupBox3})
        box->installEventFilter(this);
    installEventFilter(this);
}

void TForm3::connectHandlers() {
    CoordinateEdit* const fields[] = {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6};
    void (TForm3::*const keyPress[])(QChar&) = {&TForm3::Edit1KeyPress, &TForm3::Edit2KeyPress,
                                                &TForm3::Edit3KeyPress, &TForm3::Edit4KeyPress,
                                                &TForm3::Edit5KeyPress, &TForm3::Edit6KeyPress};
    for (int i = 0; i < 6; ++i) {
        fields[i]->onClick = guardedHandler(this, &TForm3::Edit1Click, fields[i]);
        fields[i]->onKeyPress = guardedHandler(this, keyPress[i]);
    }

    Button1->onMouseDown = guardedHandler(this, &TForm3::Button1MouseDown);
    Button1->onMouseUp = guardedHandler(this, &TForm3::Button1MouseUp);
    Button3->onMouseDown = guardedHandler(this, &TForm3::Button3MouseDown);
    Linl->onMouseDown = guardedHandler(this, &TForm3::LinlMouseDown);
    Linl->onMouseUp = guardedHandler(this, &TForm3::LinlMouseUp);
    Linl->onSelectionChange = guardedHandler(this, &TForm3::LinlClick);

    const std::pair<PanelButton*, void (TForm3::*)()> activations[] = {
        {Button1, &TForm3::Button1Click}, {Button2, &TForm3::Button2Click},
        {Button3, &TForm3::Button3Click}, {Button5, &TForm3::Button5Click},
        {Button6, &TForm3::Button6Click}, {Button9, &TForm3::Button9Click},
        {Button8, &TForm3::Button8Click}, {Button7, &TForm3::Button7Click}};
    for (const auto& [button, handler] : activations)
        connect(button, &QPushButton::clicked, this, guardedHandler(this, handler));
    Label7->setOnClick(guardedHandler(this, &TForm3::Label7Click));
    Label8->setOnClick(guardedHandler(this, &TForm3::Label8Click));

    focusChanges_ = connect(qApp, &QApplication::focusChanged, this,
                            [this](QWidget* old, QWidget* now) { focusChanged(old, now); });
}

// ---------------------------------------------------------------------------
// Window events

void TForm3::FormCreate() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(panelPosition(screen->geometry().size(), frameGeometry().size()));
}

void TForm3::FormShow() {
    regeneratePreview();
}

void TForm3::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    // Runs before the window appears on screen: a failing regeneration is
    // reported first, and the panel is shown all the same.
    guarded([this] { FormShow(); });
    // The panel comes up over the preview window that the regeneration has
    // just shown, and takes the keyboard.
    activateWindow();
    if (!shownBefore_) {
        shownBefore_ = true;
        Edit1->setFocus(Qt::OtherFocusReason);
        Edit1->selectAll();
    } else if (focusWhenHidden_) {
        focusWhenHidden_->setFocus(Qt::OtherFocusReason);
    }
}

// The control that has the focus when the panel hides gets it back at the
// next showing.
void TForm3::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous() && focusWidget())
        focusWhenHidden_ = focusWidget();
}

bool TForm3::closePanel() {
    if (!isVisible())
        return true;
    return close();
}

BoxAnswer TForm3::askToSave() {
    // Over the panel; asked at Exit with the panel hidden, in the screen's middle.
    return desktop().messageBox(isVisible() ? this : nullptr,
                                QStringLiteral("Save the linelist before closing this window?"),
                                QStringLiteral("Save linelist?"), BoxButtons::YesNo);
}

// The panel's own close goes on after any answer but a failed save: a hidden
// panel still holds the list. Asked while a question is open, it is refused.
bool TForm3::closeQuestion() {
    if (CloseQuestionScope::open())
        return false;
    const CloseQuestionScope asking;
    if (askToSave() != BoxAnswer::Yes)
        return true;
    bool saved = false;
    const bool closing = guarded([&] { saved = saveLineList(); });
    // Yes with the save dialog cancelled: the panel closes, and Exit asks.
    saveCancelledAtClose_ = closing && !saved;
    return closing;
}

// At the end of the program nothing holds the list any more: only an explicit
// No lets it go unsaved. A hidden panel asks only when its last close was to
// save the list and did not.
bool TForm3::exitQuestion() {
    if (CloseQuestionScope::open())
        return false;
    if (!isVisible() && !(saveCancelledAtClose_ && Linl->count() > 0))
        return true;
    const CloseQuestionScope asking;
    switch (askToSave()) {
    case BoxAnswer::No:
        return true;
    case BoxAnswer::Yes: {
        bool saved = false;
        guarded([&] { saved = saveLineList(); });
        return saved;
    }
    default:
        return false;
    }
}

void TForm3::FormClose(QCloseEvent& event) {
    if (!closeQuestion()) {
        event.ignore();
        return;
    }
    if (preview_)
        preview_->hide();
    event.accept();
}

void TForm3::closeEvent(QCloseEvent* event) {
    event->ignore();
    guarded([&] { FormClose(*event); });
}

// ---------------------------------------------------------------------------
// Focus and keys

CoordinateEdit* TForm3::coordinateField(QWidget* widget) const {
    for (CoordinateEdit* field : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6})
        if (widget == field)
            return field;
    return nullptr;
}

// The field check runs only when the focus goes from a coordinate field to
// another control of this panel: not when another window or program is
// activated, and not for an accelerator key (which leaves the focus alone).
void TForm3::focusChanged(QWidget* old, QWidget* now) {
    CoordinateEdit* field = coordinateField(old);
    if (!field || !now || now == old || !isAncestorOf(now))
        return;
    guarded([&] { Edit1Change(field); });
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    if (qobject_cast<QGroupBox*>(watched) && event->type() == QEvent::Shortcut)
        return true; // a group box never takes an accelerator
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isAltLetter(key)) {
            // Keep Qt's own mnemonics out: the key comes back as a key press.
            key->accept();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isAltLetter(key)) {
            activateAccelerator(QChar(key->key()));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TForm3::activateAccelerator(QChar letter) {
    std::vector<AcceleratorTarget> targets;
    for (PanelButton* target : acceleratorOrder_)
        targets.push_back({acceleratorLetter(target->text()), target->isEnabled()});
    const int index = findAccelerator(targets, letter);
    if (index < 0)
        return false;
    acceleratorOrder_[std::size_t(index)]->click();
    return true;
}

void TForm3::moveFocusOnEnter(QChar key, QWidget* next) {
    if (key == QChar(13))
        next->setFocus(Qt::TabFocusReason);
}

void TForm3::Edit1Click(QLineEdit* field) {
    field->selectAll();
}

void TForm3::Edit1Change(QLineEdit* field) {
    const FieldCheck check = checkCoordinateField(field->text());
    if (check.text != field->text())
        field->setText(check.text);
    if (check.outOfRange)
        desktop().messageBox(this, outOfRangeText(), outOfRangeCaption(), BoxButtons::OkCancel);
}

void TForm3::Edit1KeyPress(QChar& key) {
    moveFocusOnEnter(key, Edit2);
}
void TForm3::Edit2KeyPress(QChar& key) {
    moveFocusOnEnter(key, Edit3);
}
void TForm3::Edit3KeyPress(QChar& key) {
    moveFocusOnEnter(key, Edit4);
}
void TForm3::Edit4KeyPress(QChar& key) {
    moveFocusOnEnter(key, Edit5);
}
void TForm3::Edit5KeyPress(QChar& key) {
    moveFocusOnEnter(key, Edit6);
}
void TForm3::Edit6KeyPress(QChar& key) {
    moveFocusOnEnter(key, Button1);
}

// ---------------------------------------------------------------------------
// Segment editing

void TForm3::Button1MouseDown() {
    DrawMode = 1;
    Line3D();
}

void TForm3::Button1MouseUp() {
    DrawMode = -1;
    Line3D();
}

void TForm3::Button1Click() {
    Button2->setFocus(Qt::TabFocusReason);
}

void TForm3::Button2Click() {
    DrawMode = 0;
    Line3D();
    CoordinateTexts texts = fieldTexts();
    padCoordinateTexts(texts);
    setFieldTexts(texts);
    Linl->addItem(composeLineRecord(texts));
    Edit1->setText(Edit4->text());
    Edit2->setText(Edit5->text());
    Edit3->setText(Edit6->text());
    Edit4->setText(QStringLiteral("0"));
    Edit5->setText(QStringLiteral("0"));
    Edit6->setText(QStringLiteral("0"));
    Edit1->setFocus(Qt::TabFocusReason);
}

void TForm3::LinlClick() {
    CurrentLine = selectedEntry();
    Lst();
}

void TForm3::LinlMouseDown() {
    CurrentLine = selectedEntry();
    Lst();
    DrawMode = 2;
    Line3D();
}

void TForm3::LinlMouseUp() {
    CurrentLine = selectedEntry();
    Lst();
    DrawMode = 0;
    Line3D();
}

void TForm3::Button3MouseDown() {
    CurrentLine = selectedEntry();
    Lst();
    DrawMode = 2;
    Line3D();
}

void TForm3::Button3Click() {
    CurrentLine = selectedEntry();
    Lst();
    Line3D();
    DrawMode = -1;
    Line3D();
    delete Linl->takeItem(Linl->selectedRow());
    Linl->clearSelectedRow();
}

void TForm3::Button7Click() {
    if (wizard_)
        showWindow(wizard_);
}

void TForm3::Label7Click() {
    close();
}

// ---------------------------------------------------------------------------
// Line list persistence

void TForm3::Button5Click() {
    saveLineList();
}

// Runs a file dialog; a cancelled one says so and counts as no file.
bool TForm3::fileChosen(FileDialog& dialog) {
    if (dialog.execute(this))
        return true;
    desktop().messageDialog(MessageType::Error, QStringLiteral("No filename specified!"));
    return false;
}

// True once the list is written; false when the dialog was cancelled.
bool TForm3::saveLineList() {
    if (!fileChosen(SaveDialog1))
        return false;
    writeTextLineFile(SaveDialog1.fileName(), lineListLines());
    saveCancelledAtClose_ = false;
    return true;
}

void TForm3::Button6Click() {
    if (fileChosen(OpenDialog1))
        replaceLineList(readTextLineFile(OpenDialog1.fileName()));
    regeneratePreview();
}

void TForm3::Button9Click() {
    Linl->clear();
    regeneratePreview();
}

void TForm3::Button8Click() {
    if (!fileChosen(SaveDialog1))
        return;
    const TextLines lines = sceneDataFileLines(lineListLines());
    lz80->clear();
    QStringList shown;
    shown.reserve(qsizetype(lines.size()));
    for (const std::string& line : lines)
        shown.push_back(decodeWindows1252(line));
    lz80->addItems(shown);
    writeTextLineFile(SaveDialog1.fileName(), lines);
}

void TForm3::replaceLineList(const std::vector<std::string>& lines) {
    QStringList entries;
    entries.reserve(qsizetype(lines.size()));
    for (const std::string& line : lines)
        entries.push_back(decodeWindows1252(line));
    Linl->setUpdatesEnabled(false);
    Linl->clear();
    Linl->addItems(entries);
    Linl->setUpdatesEnabled(true);
}

std::vector<std::string> TForm3::lineListLines() const {
    std::vector<std::string> lines;
    lines.reserve(std::size_t(Linl->count()));
    for (int row = 0; row < Linl->count(); ++row)
        lines.push_back(encodeWindows1252(Linl->item(row)->text()));
    return lines;
}

// ---------------------------------------------------------------------------
// Drawing

int TForm3::panelHeight() const {
    return frameGeometry().height();
}

void TForm3::ScrConv() {
    scrConv(panelHeight());
}

void TForm3::Lst() {
    setFieldTexts(splitLineRecord(CurrentLine));
}

void TForm3::Line3D() {
    line3D(preview_->canvas(), fieldTexts(), panelHeight());
    preview_->refresh();
}

void TForm3::Label8Click() {
    regeneratePreview();
}

// The whole picture again: the backdrop, then every entry of the line list in
// black; the last entry drawn (or the one that failed) ends in the fields.
void TForm3::regeneratePreview() {
    const int height = panelHeight();
    preview_->beginRegeneration(height);
    const QStringList entries = lineListEntries();
    CoordinateTexts fields = fieldTexts();
    try {
        drawLineListEntries(preview_->canvas(), entries, height, fields);
    } catch (const Failure&) {
        setFieldTexts(fields);
        preview_->refresh();
        throw;
    }
    if (!entries.isEmpty())
        setFieldTexts(fields);
    preview_->endRegeneration();
    preview_->refresh();
}

// ---------------------------------------------------------------------------
// Helpers

CoordinateTexts TForm3::fieldTexts() const {
    return {Edit1->text(), Edit2->text(), Edit3->text(),
            Edit4->text(), Edit5->text(), Edit6->text()};
}

void TForm3::setFieldTexts(const CoordinateTexts& texts) {
    CoordinateEdit* const fields[] = {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6};
    for (int i = 0; i < 6; ++i)
        fields[i]->setText(texts[std::size_t(i)]);
}

QString TForm3::selectedEntry() const {
    const int row = Linl->selectedRow();
    if (row < 0)
        throw Failure(listIndexOutOfBounds(row).toStdString());
    return Linl->item(row)->text();
}

QStringList TForm3::lineListEntries() const {
    QStringList entries;
    entries.reserve(Linl->count());
    for (int row = 0; row < Linl->count(); ++row)
        entries.push_back(Linl->item(row)->text());
    return entries;
}

} // namespace torvex
