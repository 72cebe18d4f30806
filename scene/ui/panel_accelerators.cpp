#include "scene/panel_accelerators.h"

namespace torvex {

QChar acceleratorLetter(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        return caption[i + 1].toUpper();
    }
    return {};
}

int findAccelerator(const std::vector<AcceleratorTarget>& targets, QChar letter) {
    const QChar wanted = letter.toUpper();
    if (wanted.isNull())
        return -1;
    for (std::size_t i = 0; i < targets.size(); ++i)
        if (targets[i].enabled && targets[i].letter == wanted)
            return int(i);
    return -1;
}

} // namespace torvex
