// torvex import MODEL -o LIST [--up x|y|z] [--size N] [--at X,Y,Z] [--max N]
#include "base/ascii.h"
#include "cli/args.h"
#include "cli/output.h"
#include "cli/program_input.h"
#include "cli/scene_exchange.h"
#include "cli/scene_program.h"
#include "files/file_io.h"

#include "codegen/engine_template.h"
#include "codegen/text_lines.h"

#include <charconv>
#include <cstdio>
#include <ostream>

namespace torvex::cli {

namespace {

const CommandDefinition& importDefinition() {
    static const CommandDefinition definition{
        "import",
        "MODEL -o LIST [--up x|y|z] [--size N] [--at X,Y,Z] [--max N]",
        "Turns a 3D model (OBJ, STL, PLY, glTF 2, 3DS, Collada and the other formats the\n"
        "Open Asset Import Library reads) into a line list for the designer: every edge\n"
        "of every face and every line of the model, once. An edge between two faces that\n"
        "lie in one plane (the diagonal of a quad split into triangles) is left out. The\n"
        "model is centred and scaled so that its largest extent fills the grid\n"
        "-100..100, its up axis becoming z; coordinates are rounded to whole numbers,\n"
        "and a segment that becomes a point or a duplicate is dropped. A summary goes to\n"
        "standard error. A model that cannot be read or has no edges writes nothing.\n",
        {"model"},
        {
            {"output", "o", "LIST", "the line list file to write (- for standard output)",
             "no output file given (-o LIST)"},
            {"up", "", "AXIS",
             "the model's axis that becomes the scene's height z: x, y or z (default: the "
             "file's own up axis where the format records one, else z for STL and y for other "
             "formats)"},
            {"size", "", "N", "the model's largest extent on the grid, 1 to 200 (default 200)"},
            {"at", "", "X,Y,Z", "where the model's centre goes (default 0,0,0)"},
            {"max", "", "N", "keep at most N segments, the longest first"},
        }};
    return definition;
}

} // namespace

exchange::Axis parseAxis(const std::string& text) {
    const std::string axis = asciiLower(text);
    if (axis == "x")
        return exchange::Axis::X;
    if (axis == "y")
        return exchange::Axis::Y;
    if (axis == "z")
        return exchange::Axis::Z;
    throw UsageError("bad axis '" + text + "' (x, y or z)");
}

int parseIntegerIn(const std::string& option, const std::string& text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < low || value > high)
        throw UsageError("bad " + option + " '" + text + "' (a whole number from " +
                         std::to_string(low) + " to " + std::to_string(high) + ")");
    return value;
}

std::array<int, 3> parsePoint(const std::string& text) {
    std::array<int, 3> point{};
    size_t start = 0;
    for (size_t i = 0; i < 3; ++i) {
        const size_t comma = text.find(',', start);
        if ((i < 2) == (comma == std::string::npos))
            throw UsageError("bad --at '" + text + "' (X,Y,Z, each from -100 to 100)");
        point[i] = parseIntegerIn("--at", text.substr(start, comma - start), -100, 100);
        start = comma + 1;
    }
    return point;
}

int importModelToList(const ImportCommandOptions& options, Io& io) {
    exchange::ImportResult result;
    try {
        refuseOutputOverInput(options.model, options.output);
        result = exchange::importModel(options.model, options.import);
        const std::string text = joinTextLines(exchange::lineRecords(result.segments));
        writeOutput(options.output, std::vector<uint8_t>(text.begin(), text.end()), io.out);
    } catch (const exchange::ImportError& e) {
        reportFailure(io.err, "import",
                      std::runtime_error(std::string(e.what()) + "; nothing was written"));
        return kExitFailure;
    } catch (const OutputError& e) {
        reportFailure(io.err, "import", e);
        return kExitFailure;
    }
    char scale[32];
    std::snprintf(scale, sizeof scale, "%.6g", result.scale);
    const size_t dropped = result.droppedInPlane + result.droppedRounding + result.droppedPastMax;
    talkStream(io, options.quiet, "import")
        << shownName(options.model) << ": " << counted(result.faces, "face", "faces") << ", "
        << counted(result.edges, "edge", "edges") << ": "
        << counted(result.segments.size(), "segment", "segments") << " kept, " << dropped
        << " dropped (" << result.droppedInPlane << " in a plane, " << result.droppedRounding
        << " after rounding, " << result.droppedPastMax << " past --max); scale " << scale
        << (result.scale == 1 ? " grid unit" : " grid units") << " per model unit; up axis "
        << exchange::axisName(result.up)
        << (options.import.up   ? " (--up)"
            : result.upFromFile ? " (the file's)"
                                : " (the format's usual; --up changes it)")
        << "\n";
    size_t outside = 0;
    for (const exchange::Segment& s : result.segments)
        outside += std::any_of(s.begin(), s.end(), [](int c) { return c < -100 || c > 100; });
    if (outside)
        io.err << "torvex import: " << counted(outside, "segment reaches", "segments reach")
               << " beyond the grid -100..100\n";
    const size_t tooLong =
        std::count_if(result.segments.begin(), result.segments.end(),
                      [](const auto& s) { return !segmentSpanWarning(s).empty(); });
    if (tooLong)
        io.err << "torvex import: warning: the calculator never draws "
               << counted(tooLong, "segment", "segments") << ": their ends lie more than "
               << 2 * kEngineDrawDistance << " steps apart along x or y; --size "
               << 2 * kEngineDrawDistance << " or less keeps them drawable\n";
    if (const auto limit =
            segmentLimitDiagnostic(outputName(options.output), result.segments.size())) {
        // build's warning, at the line of the list written
        io.err << (isStandardOutput(options.output)
                       ? "torvex import: warning: the list's line " + std::to_string(limit->line) +
                             ": " + limit->message
                       : limit->text())
               << "\n";
        talkStream(io, options.quiet, "import")
            << "--max " << kEngineSegmentLimit << " keeps the longest " << kEngineSegmentLimit
            << "\n";
    }
    if (result.droppedPastMax)
        io.err << "torvex import: --max " << *options.import.max << " left out "
               << counted(result.droppedPastMax, "segment", "segments") << "\n";
    talkStream(io, options.quiet, "import")
        << "wrote " << outputName(options.output) << ": "
        << counted(result.segments.size(), "segment", "segments") << "\n";
    return kExitOk;
}

int importCommand(const std::vector<std::string>& args, Io& io) {
    const CommandDefinition& command = importDefinition();
    const ParsedArgs p = parseArgs(command, args, io);
    if (p.finished())
        return p.exitCode();
    ImportCommandOptions options;
    try {
        options.model = p.positional[0];
        options.output = *p.value("output");
        refuseNameOfAnotherKind(options.output, "a line list");
        if (auto up = p.value("up"))
            options.import.up = parseAxis(*up);
        if (auto size = p.value("size"))
            options.import.size = parseIntegerIn("--size", *size, 1, 200);
        if (auto at = p.value("at"))
            options.import.at = parsePoint(*at);
        if (auto max = p.value("max"))
            options.import.max = parseIntegerIn("--max", *max, 1, 1'000'000);
    } catch (const UsageError& e) {
        return usageError(command, e.what(), io);
    }
    options.quiet = p.quiet();
    return importModelToList(options, io);
}

} // namespace torvex::cli
