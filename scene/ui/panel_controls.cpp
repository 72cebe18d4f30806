#include "scene/panel_controls.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace torvex {

namespace {

bool isEnterKey(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// Every entry of the line list is exactly 11 pixels high.
class FixedHeightDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), 11};
    }
};

} // namespace

CoordinateEdit::CoordinateEdit(QWidget* parent) : QLineEdit(parent) {
    setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid palette(dark); "
                                 "background: palette(base); padding: 0px; }"));
}

// Entering a field from the keyboard or the program selects its text; a click
// places the caret, and coming back from another window (or a menu) finds the
// caret and selection as they were left.
void CoordinateEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::MouseFocusReason && reason != Qt::ActiveWindowFocusReason &&
        reason != Qt::PopupFocusReason)
        selectAll();
}

void CoordinateEdit::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        onClick)
        onClick();
}

void CoordinateEdit::keyPressEvent(QKeyEvent* event) {
    if (onKeyPress) {
        if (isEnterKey(event))
            onKeyPress(QChar(13));
        else if (!event->text().isEmpty())
            onKeyPress(event->text().front());
    }
    QLineEdit::keyPressEvent(event);
}

PanelButton::PanelButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    // The panel looks accelerators up itself, group by group.
    setShortcut(QKeySequence());
    // Focus comes from the keyboard, or from a left press (mousePressEvent).
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

void PanelButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        setFocus(Qt::MouseFocusReason);
    const bool succeeded = !onMouseDown || onMouseDown();
    press_.pressed(!succeeded);
    if (!succeeded) {
        event->accept();
        return;
    }
    QPushButton::mousePressEvent(event);
}

void PanelButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool inside = rect().contains(event->position().toPoint());
    const bool runHandler = press_.releaseRunsHandler(event->button(), inside);
    if (!press_.cancelled())
        QPushButton::mouseReleaseEvent(event);
    press_.released(event->buttons());
    if (runHandler && onMouseUp)
        onMouseUp();
}

void PanelButton::keyPressEvent(QKeyEvent* event) {
    if (isEnterKey(event) && !event->isAutoRepeat()) {
        click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

LineListBox::LineListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setUniformItemSizes(true);
    setItemDelegate(new FixedHeightDelegate(this));
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    viewport()->setCursor(Qt::PointingHandCursor);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

int LineListBox::selectedRow() const {
    const QListWidgetItem* item = currentItem();
    return item && item->isSelected() ? currentRow() : -1;
}

void LineListBox::selectRow(int row) {
    setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void LineListBox::clearSelectedRow() {
    setCurrentRow(-1);
    clearSelection();
}

void LineListBox::selectByUser(int row) {
    if (row < 0 || row == selectedRow())
        return;
    selectRow(row);
    if (onSelectionChange)
        onSelectionChange();
}

void LineListBox::mousePressEvent(QMouseEvent* event) {
    const bool left = event->button() == Qt::LeftButton;
    if (left) {
        setFocus(Qt::MouseFocusReason);
        selectByUser(indexAt(event->position().toPoint()).row());
    }
    const bool succeeded = !onMouseDown || onMouseDown();
    press_.pressed(!succeeded);
    leftHeld_ = left && succeeded;
    event->accept();
}

void LineListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void LineListBox::mouseMoveEvent(QMouseEvent* event) {
    if (leftHeld_ && (event->buttons() & Qt::LeftButton)) {
        const QPoint at = event->position().toPoint();
        if (viewport()->rect().contains(at))
            selectByUser(indexAt(at).row());
    }
    event->accept();
}

void LineListBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool inside = viewport()->rect().contains(event->position().toPoint());
    const bool runHandler = press_.releaseRunsHandler(event->button(), inside);
    press_.released(event->buttons());
    if (event->button() == Qt::LeftButton)
        leftHeld_ = false;
    event->accept();
    if (runHandler && onMouseUp)
        onMouseUp();
}

void LineListBox::keyPressEvent(QKeyEvent* event) {
    const int before = selectedRow();
    QListWidget::keyPressEvent(event);
    if (selectedRow() != before && selectedRow() >= 0 && onSelectionChange)
        onSelectionChange();
}

} // namespace torvex
