#include "app/about/acknowledgements.h"

namespace torvex {

QStringList acknowledgedNames() {
    return {
        QStringLiteral("Ilse Varga"),      QStringLiteral("Tomas Rehn"),
        QStringLiteral("the Ferrite group"), QStringLiteral("Kestrel Software"),
        QStringLiteral("Owen Marsh"),      QStringLiteral("Nadia Pruett"),
        QStringLiteral("the Calcforge forum"), QStringLiteral("Brightline Labs"),
        QStringLiteral("Pieter Haag"),     QStringLiteral("Rosa Lindqvist"),
        QStringLiteral("Team Halcyon"),    QStringLiteral("Quillmark Press"),
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
