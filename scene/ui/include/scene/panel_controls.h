#pragma once

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <functional>

namespace torvex {

// The controls of the designer panel, each a standard control with the mouse
// and focus behaviour of the classic desktop toolkit the panel follows:
//
//  - A left press on a button or on the line list moves the focus to it before
//    any handler of the press runs; a right or middle press does not.
//  - Mouse-down and mouse-up handlers react to any mouse button. A left press
//    keeps the mouse, so its release reaches the control wherever it happens;
//    the release of another button reaches it only over the control.
//  - A mouse-down handler that fails cancels the press: the control is not
//    activated and the release runs no handler.
//
// Handlers are plain callbacks; a mouse-down callback returns false when it
// failed (it has already reported the failure).

using MouseDownHandler = std::function<bool()>;
using MouseUpHandler = std::function<void()>;

// A coordinate field: flat, whole text selected whenever the focus arrives
// other than by a mouse click, and selected again at a left click's release
// inside it (the click handler).
class CoordinateEdit : public QLineEdit {
public:
    explicit CoordinateEdit(QWidget* parent);

    std::function<void()> onClick;
    // Every typed character, before the field itself sees it.
    std::function<void(QChar)> onKeyPress;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// Tracks one mouse press on a panel control: whether it was cancelled.
class PressTracker {
public:
    void pressed(bool cancelled) { cancelled_ = cancelled; }
    bool cancelled() const { return cancelled_; }
    // Whether a release of this button at this place runs the mouse-up handler.
    bool releaseRunsHandler(Qt::MouseButton button, bool inside) const {
        return !cancelled_ && (button == Qt::LeftButton || inside);
    }
    void released(Qt::MouseButtons stillHeld) {
        if (stillHeld == Qt::NoButton)
            cancelled_ = false;
    }

private:
    bool cancelled_ = false;
};

// A push button with mouse-down and mouse-up handlers. Activation (a left
// click released over it, Space, Enter while focused, or its accelerator)
// emits clicked() and never runs the mouse handlers.
class PanelButton : public QPushButton {
public:
    PanelButton(const QString& text, QWidget* parent);

    MouseDownHandler onMouseDown;
    MouseUpHandler onMouseUp;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    PressTracker press_;
};

// The line list: single selection, unsorted, fixed 11-pixel items. The
// selection follows a left press and a drag with the left button held; the
// selection-change handler runs only for changes the user makes (mouse or
// keys), never for changes the program makes.
class LineListBox : public QListWidget {
public:
    explicit LineListBox(QWidget* parent);

    MouseDownHandler onMouseDown;
    MouseUpHandler onMouseUp;
    std::function<void()> onSelectionChange;

    // Row of the selected entry, -1 when no entry is selected.
    int selectedRow() const;
    void selectRow(int row);
    void clearSelectedRow();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void selectByUser(int row);

    PressTracker press_;
    bool leftHeld_ = false;
};

} // namespace torvex
