#include "platform/qt_desktop.h"

#include "base/application_title.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QUrl>

namespace torvex {

namespace {

QSize screenSize() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

QStyle::StandardPixmap iconOf(MessageType type) {
    switch (type) {
    case MessageType::Warning:
        return QStyle::SP_MessageBoxWarning;
    case MessageType::Error:
        return QStyle::SP_MessageBoxCritical;
    case MessageType::Information:
        break;
    }
    return QStyle::SP_MessageBoxInformation;
}

} // namespace

QString messageDialogCaption(MessageType type) {
    switch (type) {
    case MessageType::Warning:
        return QStringLiteral("Warning");
    case MessageType::Error:
        return QStringLiteral("Error");
    case MessageType::Information:
        break;
    }
    return QStringLiteral("Information");
}

int messageWidth(int textWidth) {
    return std::min(textWidth + 1, screenSize().width() / 2);
}

QPoint fileDialogPosition(QSize screen, QSize dialog) {
    return {(screen.width() - dialog.width()) / 2, (screen.height() - dialog.height()) / 3};
}

// Icon left of the text, the text wrapped at half the screen width, "OK"
// (default) and "Cancel" centred below. Esc and the close box answer Cancel,
// which nobody looks at.
void QtDesktop::messageDialog(MessageType type, const QString& text) {
    ModalBoxScope modal;
    QDialog box;
    box.setWindowTitle(messageDialogCaption(type));
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                       Qt::CustomizeWindowHint);
    auto* layout = new QGridLayout(&box);
    auto* icon = new QLabel(&box);
    const int iconSize = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    icon->setPixmap(box.style()->standardIcon(iconOf(type), nullptr, &box).pixmap(iconSize));
    icon->setAlignment(Qt::AlignTop);
    auto* message = new QLabel(text, &box);
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setFixedWidth(messageWidth(message->fontMetrics().horizontalAdvance(text)));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
    buttons->setCenterButtons(true);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    layout->addWidget(icon, 0, 0);
    layout->addWidget(message, 0, 1);
    layout->addWidget(buttons, 1, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    box.adjustSize();
    centreOuterFrame(&box);
    box.exec();
}

// Owned by its window, which is the only one it disables.
BoxAnswer QtDesktop::messageBox(QWidget* owner, const QString& text, const QString& caption,
                                BoxButtons buttons) {
    QMessageBox box(owner);
    box.setWindowTitle(caption);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    if (buttons == BoxButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        // Esc and the close box answer neither Yes nor No: they go to a
        // button that is never shown, and the box answers Cancel.
        QAbstractButton* dismissed = box.addButton(QMessageBox::Cancel);
        dismissed->hide();
        box.setEscapeButton(dismissed);
    } else {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
    }
    if (owner)
        placeByOuterFrame(&box, [owner](QSize outer) {
            return centredOnOwner(owner->frameGeometry(), outer, screenSize());
        });
    else
        centreOuterFrame(&box);
    const int answer = box.exec();
    switch (answer) {
    case QMessageBox::Yes:
        return BoxAnswer::Yes;
    case QMessageBox::No:
        return BoxAnswer::No;
    case QMessageBox::Ok:
        return BoxAnswer::Ok;
    default:
        return BoxAnswer::Cancel;
    }
}

void QtDesktop::errorReport(const QString& text) {
    ModalBoxScope modal;
    QMessageBox box;
    box.setWindowTitle(QString::fromLatin1(kApplicationTitle));
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::Critical);
    box.setStandardButtons(QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    centreOuterFrame(&box);
    box.exec();
}

// One filter that lists every file, no default extension; the save dialog
// asks before overwriting, the open dialog takes names of files that do not
// exist (reading them fails later with its own message).
std::optional<QString> QtDesktop::fileDialog(QWidget* owner, FileDialogKind kind,
                                             const QString& initialName) {
    ModalBoxScope modal;
    QFileDialog dialog(owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setNameFilter(QStringLiteral("All files (*.*) (*)"));
    dialog.setFilter(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDot);
    if (kind == FileDialogKind::Save) {
        dialog.setWindowTitle(QStringLiteral("Save a file"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
    } else {
        dialog.setWindowTitle(QStringLiteral("Open a file"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
    }
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!initialName.isEmpty())
        dialog.selectFile(initialName);
    dialog.adjustSize();
    placeByOuterFrame(&dialog, [](QSize outer) { return fileDialogPosition(screenSize(), outer); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

// The desktop's handler gets the text exactly as it stands, blanks and all:
// QDesktopServices would percent-encode it, and mail programs that take the
// subject and body literally would show "%20" for every blank. Only where the
// handler is missing does Qt's own route (encoded) stand in. The result is
// deliberately ignored: without a mail program the click has no effect.
void QtDesktop::mailLink(QWidget*, const QString& url) {
    const QString handler = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (handler.isEmpty() || !QProcess::startDetached(handler, {url}))
        QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
}

} // namespace torvex
