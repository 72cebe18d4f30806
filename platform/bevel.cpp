#include "platform/bevel.h"

#include <QPainter>

namespace torvex {

Bevel::Bevel(Shape shape, Style style, QWidget* parent)
    : QWidget(parent), shape_(shape), style_(style) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Bevel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    const QColor topLeft = style_ == Style::Raised ? light : shadow;
    const QColor bottomRight = style_ == Style::Raised ? shadow : light;
    const int right = width() - 1;
    const int bottom = height() - 1;
    if (shape_ == Shape::BottomLine) {
        painter.setPen(topLeft);
        painter.drawLine(0, bottom - 1, right, bottom - 1);
        painter.setPen(bottomRight);
        painter.drawLine(0, bottom, right, bottom);
        return;
    }
    painter.setPen(topLeft);
    painter.drawLine(0, 0, right, 0);
    painter.drawLine(0, 0, 0, bottom);
    painter.setPen(bottomRight);
    painter.drawLine(right, 0, right, bottom);
    painter.drawLine(0, bottom, right, bottom);
}

} // namespace torvex
