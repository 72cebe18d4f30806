#pragma once

#include <Qt>

class QWidget;

namespace torvex {

// A fixed single border with a title bar whose only controls are the system
// menu and the close button.
Qt::WindowFlags fixedDialogFlags();

// Closing the window only hides it, with its contents and position, and never
// ends the program.
void keepAliveWhenClosed(QWidget* window);

} // namespace torvex
