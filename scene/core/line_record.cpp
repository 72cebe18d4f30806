#include "scene/line_record.h"

namespace torvex {

void padCoordinateTexts(CoordinateTexts& texts) {
    for (qsizetype length = 1; length < lineRecordFieldWidth; ++length) {
        for (QString& text : texts) {
            if (text.size() == length)
                text.prepend(u' ');
        }
    }
}

QString composeLineRecord(const CoordinateTexts& texts) {
    QString record;
    record.reserve(lineRecordLength);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0)
            record += u',';
        record += texts[i];
    }
    return record;
}

CoordinateTexts splitLineRecord(const QString& record) {
    CoordinateTexts texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const qsizetype start = qsizetype(i) * (lineRecordFieldWidth + 1);
        if (start < record.size())
            texts[i] = record.mid(start, lineRecordFieldWidth);
    }
    return texts;
}

} // namespace torvex
