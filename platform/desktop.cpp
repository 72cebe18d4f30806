#include "platform/desktop.h"

#include "platform/qt_desktop.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
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

// The windows that refuse closes while a close question is open, and the
// application-wide filter that turns their close events away: a close reaches
// the native window first, before Qt decides whether the widget is asked.
class CloseRefusal final : public QObject {
public:
    static void add(QWidget* window) {
        windows().push_back(window);
        static QPointer<CloseRefusal> filter;
        if (!filter && qApp) {
            filter = new CloseRefusal(qApp);
            qApp->installEventFilter(filter);
        }
    }
    static inline int openQuestions = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Close || openQuestions == 0 || !watched->isWindowType())
            return false;
        for (const auto& window : windows())
            if (window && window->windowHandle() == watched) {
                event->ignore();
                return true;
            }
        return false;
    }

private:
    using QObject::QObject;
    static std::vector<QPointer<QWidget>>& windows() {
        static std::vector<QPointer<QWidget>> all;
        return all;
    }
};

QSize screenSize() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

QMargins framedMargins(const QWidget* window) {
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

// The first window is shown before any frame is known: it is centred once
// more as soon as the window manager has framed it (at once, before the user
// could move it). Without a window manager nothing is framed and the watch
// simply ends.
class CentreWhenFramed final : public QObject {
public:
    explicit CentreWhenFramed(QWidget* window) : QObject(window) {
        window->installEventFilter(this);
        QTimer::singleShot(2000, this, &QObject::deleteLater);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = static_cast<QWidget*>(watched);
        const auto type = event->type();
        if ((type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show) &&
            !framedMargins(window).isNull()) {
            window->removeEventFilter(this);
            centreOuterFrame(window);
            deleteLater();
        }
        return false;
    }
};

} // namespace

QMargins windowFrameMargins() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && !framedMargins(widget).isNull())
            return framedMargins(widget);
    return {};
}

void centreOuterFrame(QWidget* window) {
    window->move(firstShowPosition(screenSize(), window->size().grownBy(windowFrameMargins())));
}

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
    const bool centre =
        window->property(kCentreAtFirstShow).toBool() && !window->property(kShownBefore).toBool();
    const bool frameKnown = !windowFrameMargins().isNull();
    if (centre)
        centreOuterFrame(window);
    window->setProperty(kShownBefore, true);
    window->show();
    if (centre && !frameKnown) {
        if (framedMargins(window).isNull())
            new CentreWhenFramed(window);
        else
            centreOuterFrame(window);
    }
}

void registerTopmostWindow(QWidget* window) {
    TopmostWindows::instance().add(window);
}

CloseQuestionScope::CloseQuestionScope() {
    ++CloseRefusal::openQuestions;
}
CloseQuestionScope::~CloseQuestionScope() {
    --CloseRefusal::openQuestions;
}
bool CloseQuestionScope::open() {
    return CloseRefusal::openQuestions > 0;
}

void refuseClosesDuringQuestions(QWidget* window) {
    CloseRefusal::add(window);
}

ModalBoxScope::ModalBoxScope() {
    TopmostWindows::instance().modalBoxOpened();
}
ModalBoxScope::~ModalBoxScope() {
    TopmostWindows::instance().modalBoxClosed();
}

} // namespace torvex
