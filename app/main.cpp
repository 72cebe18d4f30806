// Torvex Designer: creates the program's windows, shows the main menu and
// runs the event loop until the main menu is closed or "&Exit?" is chosen.
#include "app/application.h"

int main() {
    torvex::DesignerApplication application;
    torvex::WindowSet windows;
    windows.showMainMenu();
    return application.exec();
}
