#pragma once

#include "base/failure.h"

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <new>
#include <optional>
#include <type_traits>

class QWidget;

namespace torvex {

// The desktop services the program talks to the user through: message
// dialogs, the plain message box, the error report, file dialogs and the mail
// link. The running program uses the Qt implementation; tests install a
// scripted double so that no test ever waits on a real modal box.

enum class MessageType { Warning, Error, Information };
enum class BoxButtons { OkCancel, YesNo };
enum class BoxAnswer { Ok, Cancel, Yes, No };
enum class FileDialogKind { Open, Save };

class Desktop {
public:
    virtual ~Desktop() = default;

    // Modal box with the caption and icon of its type and the buttons "OK"
    // (default) and "Cancel". Callers never look at the answer.
    virtual void messageDialog(MessageType type, const QString& text) = 0;

    // Plain box owned by a window: text, caption, buttons, no icon. Esc and
    // the close box answer Cancel, also on a Yes/No box.
    virtual BoxAnswer messageBox(QWidget* owner, const QString& text, const QString& caption,
                                 BoxButtons buttons) = 0;

    // Box with the caption "Torvex Designer", the stop icon and one OK button,
    // showing exactly the text it is given (see errorReportText).
    virtual void errorReport(const QString& text) = 0;

    // Runs an open or save dialog with the given initial name. Returns the
    // accepted name, or nothing when the user cancelled.
    virtual std::optional<QString> fileDialog(QWidget* owner, FileDialogKind kind,
                                              const QString& initialName) = 0;

    // Hands a mailto: URL to the desktop's mail program. Nothing is reported
    // when no mail program answers.
    virtual void mailLink(QWidget* owner, const QString& url) = 0;
};

Desktop& desktop();
// Installs the desktop used from now on (nullptr restores the Qt one).
void installDesktop(Desktop* desktop);

// One open or save dialog object: it keeps the name last accepted in it, or
// last preset by the program, and offers it at its next run.
class FileDialog {
public:
    using Kind = FileDialogKind;
    explicit FileDialog(Kind kind) : kind_(kind) {}

    Kind kind() const { return kind_; }
    QString fileName() const { return fileName_; }
    void setFileName(const QString& name) { fileName_ = name; }

    // True when the user accepted a name in this run (then fileName() is it);
    // a cancelled run keeps the earlier name and counts as no file.
    bool execute(QWidget* owner);

private:
    Kind kind_;
    QString fileName_;
};

// The error report's text: a "." is appended when the message's last
// character sorts after "." in byte order (a letter or a digit, say); a
// message ending in ")", "!" or "." is shown unchanged.
QString errorReportText(const QString& message);
void reportFailure(const Failure& failure);

// Runs an event handler under the failure trap: a Failure ends the handler
// and becomes the error report, as does running out of memory ("Not enough
// memory"). Returns false when the handler failed.
template <class Handler> bool guarded(Handler&& handler) {
    try {
        handler();
        return true;
    } catch (const Failure& failure) {
        reportFailure(failure);
        return false;
    } catch (const std::bad_alloc&) {
        reportFailure(Failure("Not enough memory"));
        return false;
    }
}

// A control's event wired to a window's handler: the returned function runs
// the handler under the failure trap and tells whether it completed. A
// handler taking one argument is either given it at each event or, with
// `bound`, always the same one.
template <class Window, class... Args>
auto guardedHandler(Window* window, void (Window::*handler)(Args...)) {
    return [window, handler](std::remove_cvref_t<Args>... args) {
        return guarded([&] { (window->*handler)(args...); });
    };
}
template <class Window, class Arg>
auto guardedHandler(Window* window, void (Window::*handler)(Arg), std::type_identity_t<Arg> bound) {
    return [window, handler, bound] { return guarded([&] { (window->*handler)(bound); }); };
}

// "mailto:" + address + the fixed subject and body, written as shown.
QString mailUrl(const QString& address);

// Top-left corner of a window centred at its first showing: half the space
// left on each axis, truncated, and never negative.
QPoint firstShowPosition(QSize screen, QSize outer);

// Top-left corner of a box's outer frame centred on its owner's outer frame
// (truncated), moved onto the screen where it would stand out of it.
QPoint centredOnOwner(QRect owner, QSize outer, QSize screen);

// The frame and title bar the window manager puts around a window, learnt
// from a window of ours that it has already framed (none before the first).
QMargins windowFrameMargins();

// Where a top-level window's outer frame goes, given the frame's size.
using OuterPlacement = std::function<QPoint(QSize outer)>;

// Moves a top-level window so that its outer frame stands where `where`
// says: at once by the frame windows of ours have had so far, and again by
// the window's own frame as soon as the window manager has put it on, so
// that frames that differ from one kind of window to another (a maximised
// window's, a dialog's) leave no trace.
void placeByOuterFrame(QWidget* window, OuterPlacement where);

// Places a top-level window so that its outer frame, not only its client
// area, is centred on the screen.
void centreOuterFrame(QWidget* window);

// Marks a window to be centred on the screen the first time it is shown.
void markCentredAtFirstShow(QWidget* window);

// Shows a window without modality. A visible window is left exactly as it is
// (not moved, raised or activated); a hidden one comes back where it was.
void showWindow(QWidget* window);

// Keeps a window above the others while the program is the active
// application and none of our modal boxes is open.
void registerTopmostWindow(QWidget* window);

// Held while a question about closing is open (the designer panel's "Save
// linelist?" and the save it may lead to). Meanwhile every request to close a
// window that refuses closes during questions is ignored (the close box,
// Alt+F4 and close() alike) and the question comes forward. Qt itself would
// take a close that arrives while the same window's close is under way as
// done, and let the window go unasked.
class CloseQuestionScope {
public:
    CloseQuestionScope();
    ~CloseQuestionScope();
    CloseQuestionScope(const CloseQuestionScope&) = delete;
    CloseQuestionScope& operator=(const CloseQuestionScope&) = delete;
    static bool open();
};
void refuseClosesDuringQuestions(QWidget* window);

// Called around every modal box of ours: while one is open the topmost
// windows are ordinary windows so that they cannot cover it.
class ModalBoxScope {
public:
    ModalBoxScope();
    ~ModalBoxScope();
    ModalBoxScope(const ModalBoxScope&) = delete;
    ModalBoxScope& operator=(const ModalBoxScope&) = delete;
};

} // namespace torvex
