#include "platform/window_parts.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace torvex {

QFont arialFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QLabel* paragraphLabel(QWidget* parent, const char* name, const QString& text, QRect box,
                       Backdrop backdrop) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setAutoFillBackground(backdrop == Backdrop::Opaque);
    label->setFixedSize(box.size());
    label->move(box.topLeft());
    return label;
}

QLabel* fixedLabel(QWidget* parent, const char* name, const QString& text, QRect box,
                   Backdrop backdrop) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setAutoFillBackground(backdrop == Backdrop::Opaque);
    label->setFixedSize(box.size());
    label->move(box.topLeft());
    return label;
}

void placeTextSized(QLabel* label, const char* name, QPoint at, Backdrop backdrop) {
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setAutoFillBackground(backdrop == Backdrop::Opaque);
    label->adjustSize();
    label->move(at);
}

QLabel* textSizedLabel(QWidget* parent, const char* name, const QString& text, QPoint at,
                       Backdrop backdrop) {
    auto* label = new QLabel(text, parent);
    placeTextSized(label, name, at, backdrop);
    return label;
}

namespace {

// Enter on the focused button presses it, as Space does (the desktop the
// windows were designed for works this way in every window, not only in
// dialogs).
class EnterPressedButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            click();
        else
            QPushButton::keyPressEvent(event);
    }
};

} // namespace

QPushButton* handButton(QWidget* parent, const char* name, const QString& text, QRect box,
                        const QString& hint) {
    auto* button = new EnterPressedButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(box);
    button->setToolTip(hint);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace torvex
