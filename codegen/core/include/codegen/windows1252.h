#pragma once

// The windows show list lines as Windows-1252 text and store edited text back
// as Windows-1252 bytes. Every byte 01h..FFh has its own character (the five
// bytes the code page leaves undefined, 81h, 8Dh, 8Fh, 90h and 9Dh, stand for
// the control characters U+0081 etc.), so bytes survive decode -> encode.

#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

namespace torvex {

QString decodeWindows1252(std::string_view bytes);

// Characters that have no Windows-1252 byte become '?'.
std::string encodeWindows1252(QStringView text);

} // namespace torvex
