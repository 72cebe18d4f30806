#include "scene/panel_placement.h"

namespace torvex {

QPoint panelPosition(QSize screen, QSize outer) {
    return {screen.width() - outer.width() - panelScreenMargin,
            screen.height() - outer.height() - panelScreenMargin};
}

} // namespace torvex
