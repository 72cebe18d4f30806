#include "platform/desktop.h"

#include "platform/qt_desktop.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
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
                bringOpenBoxForward();
                return true;
            }
        return false;
    }

private:
    using QObject::QObject;
    // A click on another window's close box made that window the active one;
    // the keys belong to the question still open.
    static void bringOpenBoxForward() {
        if (QWidget* box = QApplication::activeModalWidget()) {
            box->raise();
            box->activateWindow();
        }
    }
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

// Places a window by its outer frame: at once with the frame of a window of
// ours that is already framed, and again, by its own frame, as soon as the
// window manager has framed it (when it is first exposed, before the user
// could move it). A size that the window sets itself while it is being shown
// (a message box does) is followed; moves are left alone. Without a window
// manager nothing is framed and the watch simply ends.
class PlaceByOwnFrame final : public QObject {
public:
    PlaceByOwnFrame(QWidget* window, OuterPlacement where)
        : QObject(window), window_(window), where_(std::move(where)) {
        place();
        window->installEventFilter(this);
        QTimer::singleShot(2000, this, &PlaceByOwnFrame::finish);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto type = event->type();
        if (watched == window_ && type == QEvent::Show) {
            if (window_->windowHandle())
                window_->windowHandle()->installEventFilter(this);
            // Once the showing is complete, whatever the window set itself.
            QMetaObject::invokeMethod(this, &PlaceByOwnFrame::settle, Qt::QueuedConnection);
        } else if (type == QEvent::Resize || type == QEvent::Expose) {
            place();
            if (window_->isVisible() && (frameless() || !framedMargins(window_).isNull()))
                finish();
        }
        return false;
    }

private:
    // Until the window has its frame, a native window already created keeps
    // the position of its frame, which the window manager adds around it.
    void place() const {
        const QMargins own = framedMargins(window_);
        const QPoint outer = where_(
            window_->size().grownBy(own.isNull() && !frameless() ? windowFrameMargins() : own));
        QWindow* handle = window_->windowHandle();
        if (own.isNull() && handle && handle->handle())
            handle->setFramePosition(outer);
        else
            window_->move(outer);
    }

    void settle() {
        if (window_->isVisible() && (frameless() || !framedMargins(window_).isNull())) {
            place();
            finish();
        } else if (!window_->isVisible()) {
            finish();
        }
    }

    void finish() {
        window_->removeEventFilter(this);
        if (window_->windowHandle())
            window_->windowHandle()->removeEventFilter(this);
        deleteLater();
    }

    bool frameless() const { return window_->windowFlags() & Qt::FramelessWindowHint; }

    QWidget* window_;
    OuterPlacement where_;
};

} // namespace

// A maximised window has lost part of its frame; any other framed one tells.
QMargins windowFrameMargins() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && !(widget->windowState() & Qt::WindowMaximized) &&
            !framedMargins(widget).isNull())
            return framedMargins(widget);
    return {};
}

void placeByOuterFrame(QWidget* window, OuterPlacement where) {
    new PlaceByOwnFrame(window, std::move(where));
}

void centreOuterFrame(QWidget* window) {
    placeByOuterFrame(window, [](QSize outer) { return firstShowPosition(screenSize(), outer); });
}

QPoint centredOnOwner(QRect owner, QSize outer, QSize screen) {
    const QPoint centred = owner.topLeft() + QPoint((owner.width() - outer.width()) / 2,
                                                    (owner.height() - outer.height()) / 2);
    return {std::clamp(centred.x(), 0, std::max(screen.width() - outer.width(), 0)),
            std::clamp(centred.y(), 0, std::max(screen.height() - outer.height(), 0))};
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
    desktop().errorReport(errorReportText(QString::fromStdString(failure.reportText())));
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
    if (centre)
        centreOuterFrame(window);
    window->setProperty(kShownBefore, true);
    window->show();
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
