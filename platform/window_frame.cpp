#include "platform/window_frame.h"

#include "platform/desktop.h"
#include "platform/window_parts.h"

#include <QWidget>

namespace torvex {

Qt::WindowFlags fixedDialogFlags() {
    return Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
           Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint;
}

void keepAliveWhenClosed(QWidget* window) {
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->setAttribute(Qt::WA_QuitOnClose, false);
}

void setUpFixedWindow(QWidget* window, const char* className, const QString& caption,
                      QSize client) {
    window->setObjectName(QString::fromLatin1(className));
    window->setWindowTitle(caption);
    window->setFont(arialFont(9));
    window->setFixedSize(client);
    markCentredAtFirstShow(window);
}

} // namespace torvex
