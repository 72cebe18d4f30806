#include "codegen/string_list.h"

namespace torvex {

StringList::StringList(const char* name, QWidget* parent) : QWidget(parent) {
    setObjectName(QString::fromLatin1(name));
    QWidget::setVisible(false);
}

} // namespace torvex
