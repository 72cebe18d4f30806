#include "app/application.h"

#include "about/tform6.h"
#include "about/tinfodlg.h"
#include "app/tform1.h"
#include "assets/artwork.h"
#include "base/version.h"
#include "codegen/tform4.h"
#include "platform/desktop.h"
#include "preview/tform5.h"
#include "scene/tform3.h"

#include <QStyleFactory>

namespace torvex {

namespace {
// QApplication keeps referring to its argument count and list while it lives.
int argumentCount = 1;
char programName[] = "torvex-designer";
char* programArguments[] = {programName, nullptr};
} // namespace

DesignerApplication::DesignerApplication() : QApplication(argumentCount, programArguments) {
    setApplicationName(QString::fromLatin1(kApplicationTitle));
    setApplicationVersion(QString::fromLatin1(productVersion()));
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

// The windows hand each other what they show or close: the panel draws on the
// preview window and shows the wizard, the wizard shows the notes window, and
// closing the preview window closes the panel. The members are built so that
// each exists before the window that is handed it.
struct WindowSet::Windows {
    TForm1 form1;
    TInfoDlg infoDlg;
    TForm6 form6;
    TForm4 form4{&form6};
    TForm5 form5;
    TForm3 form3{&form5, &form4};
};

WindowSet::WindowSet() : windows_(std::make_unique<Windows>()) {
    Windows& w = *windows_;
    w.form5.closeRequested = [&w] { return w.form3.closePanel(); };
    // Ending the program while the panel is shown first runs its save
    // question; only No or a save that succeeds lets the program end.
    w.form1.setTargets({&w.form3, &w.form4, &w.infoDlg, [&w] { return w.form3.exitQuestion(); }});
}
WindowSet::~WindowSet() = default;

void WindowSet::showMainMenu() {
    showWindow(&windows_->form1);
}

QWidget* WindowSet::window(const char* className) const {
    const QString name = QString::fromLatin1(className);
    Windows& w = *windows_;
    const std::pair<const char*, QWidget*> all[] = {{"TForm1", &w.form1}, {"TInfoDlg", &w.infoDlg},
                                                    {"TForm3", &w.form3}, {"TForm4", &w.form4},
                                                    {"TForm5", &w.form5}, {"TForm6", &w.form6}};
    for (const auto& [windowName, widget] : all)
        if (name == QLatin1String(windowName))
            return widget;
    return nullptr;
}

} // namespace torvex
