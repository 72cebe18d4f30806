#pragma once

#include <QPoint>
#include <QSize>

namespace torvex {

// Margin between the designer panel and the screen's right and bottom edges.
inline constexpr int panelScreenMargin = 16;

// Top-left corner of the designer panel: the bottom-right corner of the whole
// screen (task bar included) less the panel's outer size and the margin.
QPoint panelPosition(QSize screen, QSize outer);

} // namespace torvex
