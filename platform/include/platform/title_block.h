#pragma once

#include <QPixmap>
#include <QString>
#include <functional>

class QLabel;
class QWidget;

namespace torvex {

class Bevel;

// The title block at the top of the main menu and the wizard: the window's
// picture at the top left, its title in large bold Arial beside it, "by" and
// the author's mail link under the title's right end, and a lowered line
// below them all.
struct TitleBlock {
    QLabel* Image1;
    QLabel* Label1; // the title
    QLabel* Label3; // "by"
    QLabel* Label2; // the author's link, running onAuthorClick
    Bevel* Bevel1;
};
TitleBlock addTitleBlock(QWidget* window, const QPixmap& picture, const QString& title,
                         int titleWidth, std::function<void()> onAuthorClick);

} // namespace torvex
