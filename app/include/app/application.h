#pragma once

#include "base/application_title.h"

#include <QApplication>
#include <memory>

namespace torvex {

class TForm1;

// The file version the program carries; its product version is
// productVersion() (base/version.h), the project's version.
inline constexpr const char* kFileVersion = "0.0.0.1";

// The application object: its title, icon and versions, and the event loop's
// failure trap, which turns a failure escaping any handler into the error
// report and lets the loop go on. The program reads no arguments and none
// may change it: Qt is handed only the program's name, so that its own
// options (-reverse, -qwindowtitle, -style...) have no effect.
class DesignerApplication : public QApplication {
public:
    DesignerApplication();
    bool notify(QObject* receiver, QEvent* event) override;
};

// The six windows, created once in this order and alive until the program
// ends: the main menu, the about window, the designer panel, the preview
// wizard, the preview window and the additional information. All but the
// main menu start hidden.
class WindowSet {
public:
    WindowSet();
    ~WindowSet();
    void showMainMenu();
    QWidget* window(const char* className) const;

private:
    struct Windows;
    std::unique_ptr<Windows> windows_;
};

} // namespace torvex
