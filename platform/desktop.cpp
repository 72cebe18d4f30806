#include "platform/desktop.h"

#include "platform/qt_desktop.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <vector>

namespace torvex {

namespace {

Desktop* installedDesktop = nullptr;

Desktop& qtDesktop() {
    static QtDesktop instance;
    return instance;
}

const char* const kCentreAtFirstShow = "torvexCentreAtFirstShow";
const char* const kShownBefore = "torvexShownBefore";

// The always-on-top windows and what keeps them from being on top: another
// application being active, or one of our modal boxes being open.
class TopmostWindows {
public:
    static TopmostWindows& instance() {
        static TopmostWindows windows;
        return windows;
    }

    void add(QWidget* window) {
        windows_.push_back(window);
        if (!connected_ && qGuiApp) {
            connected_ = true;
            QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged,
                             [this](Qt::ApplicationState state) {
                                 inactive_ = state != Qt::ApplicationActive;
                                 apply();
                             });
        }
        apply(window);
    }

    void modalBoxOpened() {
        ++openModalBoxes_;
        apply();
    }
    void modalBoxClosed() {
        --openModalBoxes_;
        apply();
    }

private:
    bool onTop() const { return openModalBoxes_ == 0 && !inactive_; }

    void apply() {
        for (const auto& window : windows_)
            if (window)
                apply(window);
    }

    // A hidden window takes the hint for its next showing; a shown one has
    // its native window changed in place, so it is neither hidden nor
    // re-created and keeps its focus and position.
    void apply(QWidget* window) {
        const bool top = onTop();
        if (QWindow* handle = window->windowHandle(); handle && window->isVisible()) {
            handle->setFlag(Qt::WindowStaysOnTopHint, top);
            if (top)
                handle->raise();
        } else {
            window->setWindowFlag(Qt::WindowStaysOnTopHint, top);
        }
    }

    std::vector<QPointer<QWidget>> windows_;
    int openModalBoxes_ = 0;
    bool inactive_ = false;
    bool connected_ = false;
};

// Frame and title bar around a client area, learnt from a window that the
// window manager has already framed (there is none before the first showing).
QMargins knownFrameMargins() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->frameGeometry() != widget->geometry()) {
            const QRect frame = widget->frameGeometry();
            const QRect client = widget->geometry();
            return {client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom()};
        }
    }
    return {};
}

} // namespace

Desktop& desktop() {
    return installedDesktop ? *installedDesktop : qtDesktop();
}

void installDesktop(Desktop* desktop) {
    installedDesktop = desktop;
}

bool FileDialog::execute(QWidget* owner) {
    const std::optional<QString> accepted = desktop().fileDialog(owner, kind_, fileName_);
    if (!accepted)
        return false;
    fileName_ = *accepted;
    return true;
}

QString errorReportText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void reportFailure(const Failure& failure) {
    desktop().errorReport(errorReportText(QString::fromUtf8(failure.what())));
}

QString mailUrl(const QString& address) {
    return QStringLiteral("mailto:") + address +
           QStringLiteral("?subject=Torvex Designer&body=Please type your comments here.");
}

QPoint firstShowPosition(QSize screen, QSize outer) {
    const int left = (screen.width() - outer.width()) / 2;
    const int top = (screen.height() - outer.height()) / 2;
    return {std::max(left, 0), std::max(top, 0)};
}

void markCentredAtFirstShow(QWidget* window) {
    window->setProperty(kCentreAtFirstShow, true);
}

void showWindow(QWidget* window) {
    if (window->isVisible())
        return;
    if (window->property(kCentreAtFirstShow).toBool() && !window->property(kShownBefore).toBool()) {
        const QSize outer = window->size().grownBy(knownFrameMargins());
        QScreen* screen = QGuiApplication::primaryScreen();
        const QSize screenSize = screen ? screen->geometry().size() : QSize(1024, 768);
        window->move(firstShowPosition(screenSize, outer));
    }
    window->setProperty(kShownBefore, true);
    window->show();
}

void registerTopmostWindow(QWidget* window) {
    TopmostWindows::instance().add(window);
}

ModalBoxScope::ModalBoxScope() {
    TopmostWindows::instance().modalBoxOpened();
}
ModalBoxScope::~ModalBoxScope() {
    TopmostWindows::instance().modalBoxClosed();
}

} // namespace torvex
