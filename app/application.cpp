#include "app/application.h"

#include "app/tform1.h"
#include "assets/artwork.h"
#include "platform/desktop.h"

#include <QStyleFactory>

namespace torvex {

DesignerApplication::DesignerApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromLatin1(kApplicationTitle));
    setApplicationVersion(QString::fromLatin1(kProductVersion));
    setWindowIcon(applicationIcon());
    // The classic desktop look the windows were laid out for: group box
    // captions in the top border, flat bevelled buttons.
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows")))
        setStyle(classic);
}

bool DesignerApplication::notify(QObject* receiver, QEvent* event) {
    bool result = false;
    guarded([&] { result = QApplication::notify(receiver, event); });
    return result;
}

struct WindowSet::Windows {
    TForm1 form1;
};

WindowSet::WindowSet() : windows_(std::make_unique<Windows>()) {}
WindowSet::~WindowSet() = default;

void WindowSet::showMainMenu() {
    showWindow(&windows_->form1);
}

QWidget* WindowSet::window(const char* className) const {
    const QString name = QString::fromLatin1(className);
    if (name == QLatin1String("TForm1"))
        return &windows_->form1;
    return nullptr;
}

} // namespace torvex
