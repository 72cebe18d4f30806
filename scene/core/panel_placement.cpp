#include "scene/panel_placement.h"

#include <algorithm>

namespace torvex {

QPoint panelPosition(QSize screen, QSize outer) {
    return {screen.width() - outer.width() - panelScreenMargin,
            screen.height() - outer.height() - panelScreenMargin};
}

QPoint calculatorViewPosition(QSize screen, QSize outer) {
    const QPoint panel = panelPosition(screen, panelSize);
    return {std::max(panel.x() + panelSize.width() - outer.width(), 0),
            std::max(panel.y() - panelScreenMargin - outer.height(), 0)};
}

} // namespace torvex
