#pragma once

#include "platform/desktop.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <QWindow>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace torvex {

// Test double of the desktop services: records every box, dialog and mail
// link in order and answers from the test's scripts; never opens a window.
class ScriptedDesktop final : public Desktop {
public:
    enum class Kind { MessageDialog, MessageBox, ErrorReport, FileDialog, MailLink };

    struct Shown {
        Kind kind;
        MessageType type = MessageType::Information;
        QString text{}; // message, box text, report text or mail URL
        QString caption{};
        BoxButtons buttons = BoxButtons::OkCancel;
        FileDialogKind fileKind = FileDialogKind::Open;
        QString initialName{};
        QPointer<QWidget> owner{};
    };

    std::vector<Shown> shown;
    // Answers of plain message boxes; when none is left: OK, or No.
    std::deque<BoxAnswer> boxAnswers;
    // Names accepted in file dialogs, nullopt for a cancelled dialog; a
    // dialog without a scripted answer fails the test and counts as cancelled.
    std::deque<std::optional<QString>> fileAnswers;
    // Run once, while the next plain message box is open, before it answers.
    std::function<void()> whileBoxOpen;
    // Runs as each error report is shown (to look at the windows then).
    std::function<void()> onErrorReport;

    void messageDialog(MessageType type, const QString& text) override;
    BoxAnswer messageBox(QWidget* owner, const QString& text, const QString& caption,
                         BoxButtons buttons) override;
    void errorReport(const QString& text) override;
    std::optional<QString> fileDialog(QWidget* owner, FileDialogKind kind,
                                      const QString& initialName) override;
    void mailLink(QWidget* owner, const QString& url) override;

    // Everything shown of one kind, in order.
    std::vector<Shown> of(Kind kind) const;
    // The texts of the error reports shown so far.
    std::vector<QString> errorReports() const;

    // Installs a scripted desktop for the lifetime of this object.
    class Installed {
    public:
        explicit Installed(ScriptedDesktop& desktop) { installDesktop(&desktop); }
        ~Installed() { installDesktop(nullptr); }
        Installed(const Installed&) = delete;
        Installed& operator=(const Installed&) = delete;
    };
};

// The window manager's close box: a close event to the native window, which
// Qt takes as already handled while that window's own close is under way.
inline void pressCloseBox(QWidget* window) {
    QCloseEvent close;
    QCoreApplication::sendEvent(window->windowHandle(), &close);
}

} // namespace torvex
