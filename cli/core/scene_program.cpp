#include "cli/scene_program.h"

#include "codegen/engine_template.h"
#include "codegen/plus_family_engine.h"
#include "codegen/scene_data.h"
#include "codegen/text_line_file.h"
#include "codegen/text_lines.h"
#include "exchange/model_import.h"

#include "base/failure.h"
#include "scene/coordinate_conversion.h"
#include "z80/assembler.h"

#include <QString>
#include <algorithm>
#include <cctype>

namespace torvex::cli {

namespace {

std::optional<uint16_t> dataAddress(const z80::Assembly& assembly) {
    const auto label = assembly.labels.find("data");
    if (label == assembly.labels.end())
        return std::nullopt;
    return label->second;
}

// The engine's lines for a model.
const TextLines& engineLines(z80::Model model) {
    try {
        return model == z80::Model::Ti83Plus ? plusFamilyEngineTemplateLines()
                                             : engineTemplateLines();
    } catch (const EngineTransformError& error) {
        throw InputError(error.what());
    }
}

// Where `data` lies in any program built from our engine for the model: the
// template comes first and does not depend on the scene behind it.
std::optional<uint16_t> engineDataAddress(z80::Model model) {
    static const auto address = [](z80::Model m) -> std::optional<uint16_t> {
        try {
            const std::string source = joinTextLines(previewSourceLines(engineLines(m), {}));
            return dataAddress(z80::assemble(source, "engine"));
        } catch (const std::exception&) {
            return std::nullopt;
        }
    };
    static const std::optional<uint16_t> ti83 = address(z80::Model::Ti83);
    static const std::optional<uint16_t> plus = address(z80::Model::Ti83Plus);
    return model == z80::Model::Ti83Plus ? plus : ti83;
}

// What some editors put at the start of a UTF-8 file.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A list's problems are reported at the list's own lines: the data line of
// list line n stands right behind the template in the generated source.
std::vector<z80::Diagnostic> atListLines(std::vector<z80::Diagnostic> diagnostics,
                                         const std::string& listName, z80::Model model) {
    const int templateLines = static_cast<int>(engineLines(model).size());
    for (z80::Diagnostic& diagnostic : diagnostics) {
        // the assembler quotes file names printably
        const bool inList = diagnostic.file == z80::printable(listName);
        if (inList && diagnostic.line > templateLines)
            diagnostic.line -= templateLines;
        else if (inList)
            diagnostic.file = "engine template";
    }
    return diagnostics;
}

z80::Diagnostic listDiagnostic(const std::string& list, size_t index, std::string message,
                               bool warning) {
    return {list, static_cast<int>(index + 1), z80::messageText(message), warning};
}

// A coordinate as written and, when that is not plain decimal, its value.
std::string named(const std::string& text, int value) {
    const std::string decimal = std::to_string(value);
    return text == decimal ? decimal : text + " (" + decimal + ")";
}

// The first problem of one list line that the engine cannot take, or else
// its values outside the grid; a line without errors adds its segment.
void checkListLine(const std::string& line, const std::string& list, size_t index,
                   ListProblems& problems) {
    auto error = [&](std::string message) {
        problems.errors.push_back(listDiagnostic(list, index, std::move(message), false));
    };
    if (line.find('\x1A') != std::string::npos)
        return error("the line holds a Ctrl-Z (1Ah) byte, which ends the file for an assembler");
    if (index == 0 && line.starts_with(kByteOrderMark))
        return error(
            "the list starts with a UTF-8 byte order mark (EF BB BF): save it without one");
    if (line.find_first_not_of(" \t") == std::string::npos)
        return error("the line is empty: expected six coordinates separated by commas");
    std::vector<std::string> fields;
    for (size_t start = 0;;) {
        const size_t comma = line.find(',', start);
        std::string field = line.substr(start, comma - start);
        const size_t first = field.find_first_not_of(" \t"), last = field.find_last_not_of(" \t");
        fields.push_back(first == std::string::npos ? "" : field.substr(first, last - first + 1));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (fields.size() != 6)
        return error("expected six coordinates separated by commas, found " +
                     std::to_string(fields.size()));
    std::string outside;
    std::array<int, 6> segment{};
    for (size_t i = 0; i < 6; ++i) {
        const std::string& field = fields[i];
        if (field.empty())
            return error("coordinate " + std::to_string(i + 1) + " is empty");
        int& value = segment[i];
        try {
            value = convertCoordinate(QString::fromLatin1(field.data(), qsizetype(field.size())));
        } catch (const Failure&) {
            const size_t sign = field[0] == '-' || field[0] == '+';
            const bool digits = field.size() > sign &&
                                field.find_first_not_of("0123456789", sign) == std::string::npos;
            return error(
                "'" + field +
                (digits ? "' is out of range: the engine holds -127..127" : "' is not an integer"));
        }
        if (value == -128)
            return error("the coordinate " + named(field, value) +
                         " is the engine's end marker: the scene would end here");
        if (value < -127 || value > 127)
            return error("the coordinate " + named(field, value) +
                         " is out of range: the engine holds -127..127");
        if (value < -100 || value > 100)
            outside += (outside.empty() ? "" : ", ") + named(field, value);
    }
    problems.segments.push_back(segment);
    if (!outside.empty())
        problems.warnings.push_back(
            listDiagnostic(list, index, "outside the grid -100..100: " + outside, true));
    if (const std::string tooLong = segmentSpanWarning(segment); !tooLong.empty())
        problems.warnings.push_back(listDiagnostic(list, index, tooLong, true));
}

} // namespace

std::optional<z80::Diagnostic> segmentLimitDiagnostic(const std::string& listName,
                                                      size_t segments) {
    if (segments <= kEngineSegmentLimit)
        return std::nullopt;
    const size_t past = segments - kEngineSegmentLimit - 1;
    return listDiagnostic(
        listName, kEngineSegmentLimit,
        "the calculator draws only the first " + std::to_string(kEngineSegmentLimit) +
            " segments: this one" +
            (past ? " and the " + std::to_string(past) + " after it are" : " is") + " left out",
        true);
}

ListProblems checkListLines(const TextLines& lines, const std::string& listName) {
    ListProblems problems;
    // As many problems as the assembler reports (a line has one error at most).
    for (size_t i = 0; i < lines.size(); ++i) {
        checkListLine(lines[i], listName, i, problems);
        if (problems.errors.size() > z80::kMaxErrors) {
            problems.errors.back().message = "too many errors; stopping";
            break;
        }
    }
    if (problems.warnings.size() > z80::kMaxErrors) {
        problems.warnings.resize(z80::kMaxErrors + 1);
        problems.warnings.back().message = "more warnings follow; not shown";
    }
    // What the calculator leaves out matters only for a list that builds.
    if (!problems.errors.empty())
        return problems;
    if (auto limit = segmentLimitDiagnostic(listName, lines.size()))
        problems.warnings.push_back(*limit);
    if (lines.empty())
        problems.warnings.push_back({listName, 1, "the list holds no segments", true});
    std::stable_sort(
        problems.warnings.begin(), problems.warnings.end(),
        [](const z80::Diagnostic& a, const z80::Diagnostic& b) { return a.line < b.line; });
    return problems;
}

namespace {
// True when the file holds text of which no line begins as a segment line
// does, with a number: it is something else, such as an assembly source under
// another extension. A list with a mistyped line still reads as a list.
bool readsAsAnotherKindOfFile(const TextLines& lines) {
    bool text = false;
    for (const std::string& line : lines) {
        std::string_view rest = line;
        if (&line == &lines.front() && rest.starts_with(kByteOrderMark))
            rest.remove_prefix(kByteOrderMark.size());
        const auto skipBlanks = [&] {
            rest.remove_prefix(std::min(rest.find_first_not_of(" \t"), rest.size()));
        };
        skipBlanks();
        if (rest.empty())
            continue;
        text = true;
        if (rest[0] == '+' || rest[0] == '-')
            rest.remove_prefix(1);
        skipBlanks();
        if (!rest.empty() && (std::isdigit(static_cast<unsigned char>(rest[0])) || rest[0] == '$'))
            return false;
    }
    return text;
}
} // namespace

SceneFileKind sceneFileKind(const std::filesystem::path& file) {
    if (isProgramFile(file))
        return SceneFileKind::ProgramFile;
    const std::string ext = lowerExtension(file);
    if (ext == ".z80" || ext == ".asm")
        return SceneFileKind::PreviewSource;
    return SceneFileKind::LineList;
}

namespace {
TextLines readList(const std::filesystem::path& listFile) {
    try {
        return readTextLineFile(listFile, kLargestInputFile);
    } catch (const Failure& failure) {
        throw InputError(failure.what());
    }
}

// The preview source of a list for the model. The Plus family's ends at
// ".end": its engine defines no END for a closing "END" line.
TextLines sourceLines(z80::Model model, const TextLines& list) {
    TextLines lines = previewSourceLines(engineLines(model), list);
    if (model == z80::Model::Ti83Plus && !lines.empty() && lines.back() == "END")
        lines.pop_back();
    return lines;
}
} // namespace

CheckedList readCheckedList(const std::filesystem::path& listFile) {
    const TextLines list = readList(listFile);
    const std::string name = z80::printable(listFile.string());
    ListProblems problems = checkListLines(list, name);
    if (!problems.errors.empty() && readsAsAnotherKindOfFile(list))
        throw InputError(name + ": not a line list: no line starts with a number as a segment line "
                                "does (an assembly source is for torvex assemble, or for run "
                                "and view when named .z80 or .asm)");
    if (!problems.errors.empty())
        throw failureAtLines(problems.warnings, problems.errors);
    return {exchange::lineRecords(problems.segments), std::move(problems.warnings)};
}

std::string previewSourceForList(const std::filesystem::path& listFile, z80::Model model) {
    return joinTextLines(sourceLines(model, readCheckedList(listFile).records));
}

z80::Assembly assembleList(const std::filesystem::path& listFile, z80::Model model,
                           std::string* sourceText) {
    CheckedList list = readCheckedList(listFile);
    const std::string source = joinTextLines(sourceLines(model, list.records));
    if (sourceText)
        *sourceText = source;
    // Our own definitions, whatever headers lie beside the list.
    z80::AssemblyOptions options;
    options.ownIncludes = true;
    try {
        z80::Assembly assembly = z80::assemble(source, listFile.string(), options);
        std::vector<z80::Diagnostic> warnings = std::move(list.warnings);
        for (z80::Diagnostic& w :
             atListLines(std::move(assembly.warnings), listFile.string(), model))
            warnings.push_back(std::move(w));
        assembly.warnings = std::move(warnings);
        return assembly;
    } catch (const z80::AssemblyError& error) {
        throw failureAtLines(atListLines(error.warnings, listFile.string(), model),
                             atListLines(error.diagnostics, listFile.string(), model),
                             error.what());
    }
}

size_t countSegments(const std::vector<uint8_t>& code, uint16_t origin, uint16_t dataAddress) {
    if (dataAddress < origin)
        return 0;
    size_t points = 0;
    for (size_t at = dataAddress - origin; at < code.size() && code[at] != 128; at += 3)
        ++points;
    return points / 2;
}

SceneProgram loadSceneProgram(const std::filesystem::path& file, std::optional<z80::Model> model) {
    SceneProgram scene;
    scene.kind = sceneFileKind(file);
    switch (scene.kind) {
    case SceneFileKind::ProgramFile:
    case SceneFileKind::PreviewSource:
        scene.program = loadProgramInput(file, model);
        break;
    case SceneFileKind::LineList: {
        const z80::Model listModel = model.value_or(z80::Model::Ti83);
        z80::Assembly assembly = assembleList(file, listModel);
        scene.program.model = listModel;
        scene.program.code = assembly.bytes;
        scene.program.origin = assembly.origin;
        scene.program.assembly = std::move(assembly);
        break;
    }
    }
    const std::optional<uint16_t> data = scene.program.assembly
                                             ? dataAddress(*scene.program.assembly)
                                             : engineDataAddress(scene.program.model);
    if (data && *data >= scene.program.origin) {
        scene.segments = countSegments(scene.program.code, scene.program.origin, *data);
        scene.engineBytes = *data - scene.program.origin;
    }
    return scene;
}

std::optional<size_t> segmentsOf(const z80::Assembly& assembly) {
    const std::optional<uint16_t> data = dataAddress(assembly);
    if (!data)
        return std::nullopt;
    return countSegments(assembly.bytes, assembly.origin, *data);
}

} // namespace torvex::cli
