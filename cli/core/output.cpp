#include "cli/output.h"

#include <QBuffer>
#include <QImage>
#include <QSaveFile>
#include <QString>

namespace torvex::cli {

namespace {
QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}
void commit(QSaveFile& f, const std::filesystem::path& file) {
    if (!f.commit())
        throw OutputError("cannot write " + file.string() + ": " + f.errorString().toStdString());
}
} // namespace

void writeFileAtomically(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
    QSaveFile f(qpath(file));
    if (!f.open(QIODevice::WriteOnly))
        throw OutputError("cannot create " + file.string() + ": " + f.errorString().toStdString());
    if (f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
        static_cast<qint64>(bytes.size())) {
        f.cancelWriting();
        throw OutputError("cannot write " + file.string() + ": " + f.errorString().toStdString());
    }
    commit(f, file);
}

void writeFramePng(const z80::Frame& frame, const std::filesystem::path& file, int scale) {
    const QRgb on = qRgb(0x10, 0x18, 0x10), off = qRgb(0xC8, 0xD4, 0xB4);
    QImage image(96 * scale, 64 * scale, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = frame.pixel(x / scale, y / scale) ? on : off;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw OutputError("cannot encode " + file.string() + " as PNG");
    writeFileAtomically(file, std::vector<uint8_t>(png.begin(), png.end()));
}

} // namespace torvex::cli
