#include "platform/title_block.h"

#include "platform/bevel.h"
#include "platform/link_label.h"
#include "platform/window_parts.h"

#include <QLabel>

namespace torvex {

TitleBlock addTitleBlock(QWidget* window, const QPixmap& picture, const QString& title,
                         int titleWidth, std::function<void()> onAuthorClick) {
    TitleBlock block;
    block.Image1 = placed(new QLabel(window), "Image1", {8, 8, 32, 32});
    block.Image1->setPixmap(picture);
    block.Label1 =
        fixedLabel(window, "Label1", title, {48, 8, titleWidth, 19}, Backdrop::Transparent);
    block.Label1->setFont(arialFont(16, true));
    block.Label3 = fixedLabel(window, "Label3", QStringLiteral("by"), {139, 24, 11, 12},
                              Backdrop::Transparent);
    block.Label2 =
        placed(new LinkLabel(QStringLiteral("Quorrin"), window, std::move(onAuthorClick)), "Label2",
               {152, 24, 58, 12});
    block.Bevel1 = placed(new Bevel(Bevel::Shape::BottomLine, Bevel::Style::Lowered, window),
                          "Bevel1", {8, 35, 209, 9});
    return block;
}

} // namespace torvex
