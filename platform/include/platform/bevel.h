#pragma once

#include <QWidget>

namespace torvex {

// A bevel as the windows use them: either a frame around its whole box, or a
// single etched line along its bottom edge. Raised bevels are light at the top
// and left, lowered ones dark there.
class Bevel : public QWidget {
public:
    enum class Shape { Box, BottomLine };
    enum class Style { Lowered, Raised };

    Bevel(Shape shape, Style style, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Shape shape_;
    Style style_;
};

} // namespace torvex
