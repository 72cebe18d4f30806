#include "about/acknowledgements.h"

namespace torvex {

QStringList acknowledgedNames() {
    // People, groups and companies; short enough for the paragraph to end above
    // the window's closing line.
    return {
        QStringLiteral("Ilse Varga"),        QStringLiteral("Tom Rehn"),
        QStringLiteral("the Ferrite group"), QStringLiteral("Kestrel Soft"),
        QStringLiteral("Owen Marsh"),        QStringLiteral("Nadia Pruett"),
        QStringLiteral("Calcforge"),         QStringLiteral("Brightline Labs"),
        QStringLiteral("Piet Haag"),         QStringLiteral("Rosa Lind"),
        QStringLiteral("Team Halcyon"),      QStringLiteral("Quillmark Inc"),
    };
}

QString namesAsSentenceEnd(const QStringList& names) {
    if (names.size() < 2)
        return names.join(QString()) + u'.';
    return names.first(names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           names.last() + u'.';
}

QString acknowledgementsText() {
    return QStringLiteral("I would like to thank the following people for ideas, support and "
                          "other things: ") +
           namesAsSentenceEnd(acknowledgedNames());
}

} // namespace torvex
