#pragma once

#include <QIcon>
#include <QPixmap>

namespace torvex {

// The program's icon, holding a 32 x 32 and a 16 x 16 picture of a graphing
// calculator; every window carries it.
QIcon applicationIcon();

// The 32 x 32 picture of the application icon, as the main menu shows it.
QPixmap applicationPicture();

// The about window's picture: the calculator beside a white question mark,
// 16 colours, 32 x 32.
QPixmap aboutPicture();

// The preview wizard's picture: the calculator beside a magnifying glass,
// 32 x 32.
QPixmap wizardPicture();

} // namespace torvex
