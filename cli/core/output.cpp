#include "cli/output.h"

#include "cli/args.h"
#include "cli/program_input.h"

#include "files/file_io.h"

#include <QBuffer>
#include <QImage>
#include <ostream>

namespace torvex::cli {

void writeFileAtomically(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
    try {
        torvex::writeFileAtomically(
            file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const FileFailure& failure) {
        const std::string text = failure.what();
        const std::string name = shownName(file);
        throw OutputError(text.find(name) == std::string::npos ? name + ": " + text : text);
    }
}

void checkCanWriteOutput(const std::filesystem::path& file) {
    try {
        torvex::checkCanWrite(file);
    } catch (const FileFailure& failure) {
        throw OutputError(failure.what());
    }
}

void writeOutput(const std::filesystem::path& file, const std::vector<uint8_t>& bytes,
                 std::ostream& out) {
    if (!isStandardOutput(file))
        return writeFileAtomically(file, bytes);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out.flush())
        throw OutputError("cannot write to standard output");
}

void refuseOtherFormat(const std::filesystem::path& file, std::string_view extension,
                       std::string_view what) {
    const std::string given = lowerExtension(file);
    if (!given.empty() && given != extension)
        throw UsageError(file.string() + ": " + std::string(what) + "; name it " +
                         std::string(extension));
}

void refuseNameOfAnotherKind(const std::filesystem::path& file, std::string_view kind) {
    static constexpr std::pair<std::string_view, std::string_view> kinds[] = {
        {".83p", "a program file"},     {".8xp", "a program file"}, {".z80", "an assembly source"},
        {".asm", "an assembly source"}, {".png", "a PNG picture"},  {".gif", "a GIF walk"}};
    const std::string given = lowerExtension(file);
    for (const auto& [extension, named] : kinds)
        if (given == extension && named != kind)
            throw UsageError(file.string() + ": " + given + " names " + std::string(named) +
                             "; this is " + std::string(kind));
}

std::string outputName(const std::filesystem::path& file) {
    return isStandardOutput(file) ? "standard output" : shownName(file);
}

void refuseOutputOverInput(const std::filesystem::path& input,
                           const std::filesystem::path& output) {
    if (!isStandardOutput(output) && isSameFile(input, output))
        throw OutputError("the output " + shownName(output) + " is the input file " +
                          shownName(input) + "; nothing was written");
}

void refuseOutputOverInputs(const std::vector<std::filesystem::path>& inputs,
                            const std::filesystem::path& output) {
    for (const std::filesystem::path& input : inputs)
        refuseOutputOverInput(input, output);
}

std::string counted(size_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

std::string programWritten(const std::filesystem::path& file, const std::string& name,
                           z80::Model model, size_t codeBytes, size_t fileBytes) {
    const z80::CalculatorModel& calculator = z80::calculatorModel(model);
    std::string run(calculator.runCommand);
    run.replace(run.find("NAME"), 4, name);
    return "wrote " + outputName(file) + ": prgm" + name + " for the " +
           std::string(calculator.name) + ", " + counted(codeBytes, "byte", "bytes") +
           " of code (file " + std::to_string(fileBytes) + " bytes); run it with " + run + "\n";
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
        throw OutputError("cannot encode " + shownName(file) + " as PNG");
    writeFileAtomically(file, std::vector<uint8_t>(png.begin(), png.end()));
}

} // namespace torvex::cli
