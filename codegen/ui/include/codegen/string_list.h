#pragma once

#include "codegen/text_lines.h"

#include <QWidget>

namespace torvex {

// A list of text lines held by a window only for its contents: it sits below
// the window's client area and is never shown. The lines are kept as the
// bytes they were read or built as.
class StringList : public QWidget {
    Q_OBJECT
public:
    StringList(const char* name, QWidget* parent);

    const TextLines& lines() const { return lines_; }
    void setLines(TextLines lines) { lines_ = std::move(lines); }
    void clear() { lines_.clear(); }

private:
    TextLines lines_;
};

} // namespace torvex
