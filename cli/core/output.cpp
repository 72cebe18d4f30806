#include "cli/output.h"

#include "codegen/file_io.h"

#include <QBuffer>
#include <QImage>
#include <QString>

namespace torvex::cli {

namespace {
QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}
} // namespace

void writeFileAtomically(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
    try {
        torvex::writeFileAtomically(
            qpath(file),
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const WriteFailure& failure) {
        std::string text = failure.what();
        if (text.find(file.string()) == std::string::npos)
            text = file.string() + ": " + text;
        if (!failure.systemReason().empty())
            text += " (" + failure.systemReason() + ")";
        throw OutputError(text);
    }
}

void refuseOutputOverInput(const std::filesystem::path& input,
                           const std::filesystem::path& output) {
    if (isSameFile(qpath(input), qpath(output)))
        throw OutputError("the output " + output.string() + " is the input file " + input.string() +
                          "; nothing was written");
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
