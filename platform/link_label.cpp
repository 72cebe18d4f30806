#include "platform/link_label.h"

#include <QMouseEvent>

namespace torvex {

LinkLabel::LinkLabel(const QString& text, QWidget* parent, std::function<void()> onClick)
    : QLabel(text, parent), onClick_(std::move(onClick)) {
    QFont linkFont = font();
    linkFont.setUnderline(true);
    setFont(linkFont);
    QPalette linkPalette = palette();
    linkPalette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(linkPalette);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setTextFormat(Qt::PlainText);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        onClick_)
        onClick_();
}

} // namespace torvex
