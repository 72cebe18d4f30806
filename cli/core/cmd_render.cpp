// torvex render LIST -o PICTURE.png [--size WxH]
#include "cli/args.h"
#include "cli/output.h"
#include "cli/scene_exchange.h"
#include "cli/scene_program.h"
#include "files/file_io.h"

#include "codegen/text_line_file.h"
#include "codegen/windows1252.h"
#include "preview/regeneration.h"
#include "scene/coordinate_conversion.h"

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
        "shows in a client area of that size with its picture scrolled to the top left.\n"
        "A list line that is not a line of six coordinates is an error at its line, and\n"
        "nothing is written.\n",
        {"line list file"},
        {
            {"output", "o", "PICTURE", "the PNG file to write",
             "no output file given (-o PICTURE.png)"},
            {"size", "", "WxH",
             "the preview window's client size in pixels (default 1280x1024, the whole "
             "picture)"},
        }};
    return definition;
}

// The lines the preview cannot draw, as `build` reports them, and those the
// preview reads otherwise than `build` (a line of six integers whose fields do
// not stand in the record's columns): the designer's conversion error there.
std::vector<z80::Diagnostic> listErrors(const ListProblems& problems, const std::string& list,
                                        const QStringList& entries) {
    std::vector<z80::Diagnostic> errors = problems.errors;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const int line = int(i + 1);
        if (std::any_of(errors.begin(), errors.end(),
                        [&](const z80::Diagnostic& d) { return d.line == line; }))
            continue;
        for (const QString& text : splitLineRecord(entries[i])) {
            try {
                convertCoordinate(text);
            } catch (const Failure& failure) {
                errors.push_back({list, line, failure.what(), false});
                break;
            }
        }
    }
    std::stable_sort(
        errors.begin(), errors.end(),
        [](const z80::Diagnostic& a, const z80::Diagnostic& b) { return a.line < b.line; });
    return errors;
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
        const TextLines lines = readTextLineFile(options.list, kLargestInputFile);
        QStringList entries;
        for (const std::string& line : lines)
            entries.push_back(decodeWindows1252(line));
        const std::string name = z80::printable(options.list.string());
        const ListProblems problems = checkListLines(lines, name);
        if (const auto errors = listErrors(problems, name, entries); !errors.empty()) {
            io.err << failureText(problems.warnings, errors) << "\n";
            return kExitFailure;
        }
        printWarnings(io.err, problems.warnings);
        Canvas canvas;
        CoordinateTexts fields;
        drawPreview(canvas, entries, defaultPanelHeight, fields);
        writeFileAtomically(options.output,
                            pngOf(clientAreaPixels(canvas, options.width, options.height),
                                  options.width, options.height));
        talkStream(io, options.quiet)
            << "wrote " << shownName(options.output) << ": " << entries.size()
            << (entries.size() == 1 ? " line" : " lines") << " on " << options.width << " x "
            << options.height << " pixels\n";
        return kExitOk;
    } catch (const Failure& e) {
        io.err << "torvex render: " << e.what() << "\n";
    } catch (const OutputError& e) {
        io.err << "torvex render: " << e.what() << "\n";
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
        if (auto size = p.value("size"))
            std::tie(options.width, options.height) = parsePictureSize(*size);
    } catch (const UsageError& e) {
        return usageError(command, e.what(), io);
    }
    options.quiet = p.quiet();
    return renderListPicture(options, io);
}

} // namespace torvex::cli
