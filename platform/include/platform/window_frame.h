#pragma once

#include <Qt>

class QSize;
class QString;
class QWidget;

namespace torvex {

// A fixed single border with a title bar whose only controls are the system
// menu and the close button.
Qt::WindowFlags fixedDialogFlags();

// Closing the window only hides it, with its contents and position, and never
// ends the program.
void keepAliveWhenClosed(QWidget* window);

// The common set-up of the program's fixed windows: the class name as object
// name, the caption, the 9-pixel Arial window font, the fixed client size and
// centring at the first showing.
void setUpFixedWindow(QWidget* window, const char* className, const QString& caption, QSize client);

} // namespace torvex
