#pragma once

#include <QLabel>
#include <functional>

namespace torvex {

// A label drawn as a link: blue, underlined, the hand cursor, and a handler
// run by a left click. It never takes the focus.
class LinkLabel : public QLabel {
public:
    LinkLabel(const QString& text, QWidget* parent, std::function<void()> onClick = {});
    void setOnClick(std::function<void()> onClick) { onClick_ = std::move(onClick); }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void()> onClick_;
};

} // namespace torvex
