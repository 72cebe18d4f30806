#pragma once

#include <QPoint>
#include <QSize>

namespace torvex {

// Margin between the designer panel and the screen's right and bottom edges.
inline constexpr int panelScreenMargin = 16;
// The panel's outer size: it has no frame, so this is its client area too.
inline constexpr QSize panelSize{632, 112};

// Top-left corner of the designer panel: the bottom-right corner of the whole
// screen (task bar included) less the panel's outer size and the margin.
QPoint panelPosition(QSize screen, QSize outer);

// Top-left corner of the outer frame of the calculator view of `torvex view`,
// which stands beside the designer: above its panel, right edges aligned, the
// same margin between them, never off the top or left of the screen. On a
// screen wider than the preview picture (1280 pixels) it covers none of it.
QPoint calculatorViewPosition(QSize screen, QSize outer);

} // namespace torvex
