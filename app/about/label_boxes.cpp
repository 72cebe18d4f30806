#include "app/about/label_boxes.h"

#include <QLabel>

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

} // namespace torvex
