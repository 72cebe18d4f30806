// Torvex Designer: creates the program's windows, shows the main menu and
// runs the event loop until the main menu is closed or "&Exit?" is chosen.
#include "app/application.h"
#include "files/file_system.h"

int main() {
    torvex::system::prepareProcessForFileWrites();
    torvex::DesignerApplication application;
    torvex::WindowSet windows;
    windows.showMainMenu();
    return application.exec();
}
