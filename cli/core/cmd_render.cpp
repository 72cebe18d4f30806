// torvex render LIST -o PICTURE.png [--size WxH]
#include "cli/args.h"
#include "cli/output.h"
#include "cli/scene_exchange.h"
#include "cli/scene_program.h"
#include "files/file_io.h"

#include "codegen/text_line_file.h"
#include "preview/regeneration.h"

#include <QBuffer>
#include <QImage>
#include <ostream>

namespace torvex::cli {

namespace {

const CommandDefinition& renderDefinition() {
    static const CommandDefinition definition{
        "render",
        "LIST -o PICTURE.png [--size WxH]",
        "Draws the designer's preview of a line list file as a PNG: the grid, the origin\n"
        "mark, the axis letters and every line, pixel for pixel what the preview window\n"
        "shows of its picture in an area of that size (its client area less any scroll\n"
        "bars), scrolled to the top left.\n"
        "A list line that is not a line of six coordinates is an error at its line, and\n"
        "nothing is written.\n",
        {"line list file"},
        {
            {"output", "o", "PICTURE", "the PNG file to write (- for standard output)",
             "no output file given (-o PICTURE.png)"},
            {"size", "", "WxH",
             "the size in pixels of the picture's part the preview window shows (its "
             "client area less any scroll bars; default 1280x1024, the whole picture)"},
        }};
    return definition;
}

std::vector<uint8_t> pngOf(const std::vector<uint32_t>& pixels, int width, int height) {
    const QImage image(reinterpret_cast<const uchar*>(pixels.data()), width, height,
                       qsizetype(width) * 4, QImage::Format_RGB32);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw OutputError("cannot encode the picture as PNG");
    return std::vector<uint8_t>(png.begin(), png.end());
}

} // namespace

std::pair<int, int> parsePictureSize(const std::string& text) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos)
        throw UsageError("bad --size '" + text + "' (WIDTHxHEIGHT, e.g. 1280x1024)");
    return {parseIntegerIn("--size width", text.substr(0, x), 1, 16384),
            parseIntegerIn("--size height", text.substr(x + 1), 1, 16384)};
}

int renderListPicture(const RenderCommandOptions& options, Io& io) {
    try {
        refuseOutputOverInput(options.list, options.output);
        const CheckedList list = readCheckedList(options.list);
        printWarnings(io.err, list.warnings);
        QStringList entries;
        for (const std::string& record : list.records)
            entries.push_back(QString::fromLatin1(record));
        Canvas canvas;
        CoordinateTexts fields;
        drawPreview(canvas, entries, defaultPanelHeight, fields);
        writeOutput(options.output,
                    pngOf(clientAreaPixels(canvas, options.width, options.height), options.width,
                          options.height),
                    io.out);
        talkStream(io, options.quiet, "render")
            << "wrote " << outputName(options.output) << ": " << entries.size()
            << (entries.size() == 1 ? " line" : " lines") << " on " << options.width << " x "
            << options.height << " pixels\n";
        return kExitOk;
    } catch (const std::runtime_error& e) {
        reportFailure(io.err, "render", e);
    }
    return kExitFailure;
}

int renderCommand(const std::vector<std::string>& args, Io& io) {
    const CommandDefinition& command = renderDefinition();
    const ParsedArgs p = parseArgs(command, args, io);
    if (p.finished())
        return p.exitCode();
    RenderCommandOptions options;
    try {
        options.list = p.positional[0];
        options.output = *p.value("output");
        refuseOtherFormat(options.output, ".png", "the picture is a PNG");
        if (auto size = p.value("size"))
            std::tie(options.width, options.height) = parsePictureSize(*size);
    } catch (const UsageError& e) {
        return usageError(command, e.what(), io);
    }
    options.quiet = p.quiet();
    return renderListPicture(options, io);
}

} // namespace torvex::cli
