#include "scene/panel_field_check.h"

#include "base/failure.h"
#include "scene/coordinate_conversion.h"

namespace torvex {

FieldCheck checkCoordinateField(const QString& text) {
    int value = -1;
    FieldCheck result{text, false};
    try {
        value = convertCoordinate(text);
    } catch (const Failure&) {
        result.text = QStringLiteral("-1");
        value = -1;
    }
    result.outOfRange = value < -100 || value > 100;
    return result;
}

QString outOfRangeText() {
    return QStringLiteral("Please enter an integer value between -100 and 100");
}

QString outOfRangeCaption() {
    return QStringLiteral("Data format");
}

} // namespace torvex
