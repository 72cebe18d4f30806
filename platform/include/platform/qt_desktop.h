#pragma once

#include "platform/desktop.h"

namespace torvex {

// The desktop services on Qt: the boxes and dialogs of the running program.
class QtDesktop final : public Desktop {
public:
    void messageDialog(MessageType type, const QString& text) override;
    BoxAnswer messageBox(QWidget* owner, const QString& text, const QString& caption,
                         BoxButtons buttons) override;
    void errorReport(const QString& text) override;
    std::optional<QString> fileDialog(QWidget* owner, FileDialogKind kind,
                                      const QString& initialName) override;
    void mailLink(QWidget* owner, const QString& url) override;
};

// Caption of a message dialog of the given type: "Warning", "Error" or
// "Information".
QString messageDialogCaption(MessageType type);

// Width of a message dialog's text: one line as long as the text, wrapped at
// half the screen width.
int messageWidth(int textWidth);

// Where a file dialog of the given outer size opens: centred horizontally, with a
// third of the remaining height above it.
QPoint fileDialogPosition(QSize screen, QSize dialog);

} // namespace torvex
