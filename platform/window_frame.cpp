#include "platform/window_frame.h"

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

} // namespace torvex
