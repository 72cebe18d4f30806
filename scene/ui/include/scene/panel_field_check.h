#pragma once

#include <QString>

namespace torvex {

// Outcome of the check a coordinate field gets when the focus leaves it for
// another control of the panel.
struct FieldCheck {
    // The field's text afterwards: "-1" when the text did not convert,
    // otherwise the text unchanged.
    QString text;
    // The value lies outside -100..100: the user is warned, the text stays.
    bool outOfRange = false;
};

FieldCheck checkCoordinateField(const QString& text);

// The warning shown for a value outside the range, and its caption.
QString outOfRangeText();
QString outOfRangeCaption();

} // namespace torvex
