#pragma once

#include <QFile>
#include <string>
#include <string_view>

namespace torvex::test {

// The whole file's bytes, or "<missing>" when it cannot be read.
inline std::string fileBytes(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
}

// Makes the file hold exactly these bytes; false when that failed.
[[nodiscard]] inline bool writeFileBytes(const QString& name, std::string_view bytes) {
    QFile file(name);
    return file.open(QIODevice::WriteOnly) &&
           file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

} // namespace torvex::test
