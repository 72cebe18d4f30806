#include "cli/program_input.h"

#include "base/ascii.h"

#include "cli/args.h"
#include "cli/output.h"

#include "codegen/text_lines.h"
#include "files/file_io.h"
#include "z80/ti83.h"
#include "z80/ti83file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ostream>

namespace torvex::cli {

std::string lowerExtension(const std::filesystem::path& file) {
    return asciiLower(file.extension().string());
}

bool isProgramFile(const std::filesystem::path& file) {
    return z80::modelFromExtension(lowerExtension(file)).has_value();
}

OptionDefinition modelOptionDefinition() {
    return {"model", "", "MODEL",
            "ti83 for the original TI-83, ti83p for the TI-83 Plus family (TI-83 Plus, 83 Plus SE, "
            "84 Plus, 84 Plus SE)"};
}

std::optional<z80::Model> modelOption(const ParsedArgs& args) {
    const std::optional<std::string> value = args.value("model");
    if (!value)
        return std::nullopt;
    if (auto model = z80::modelFromOption(*value))
        return model;
    throw UsageError("unknown model '" + *value + "' (ti83 or ti83p)");
}

namespace {

// Sources and program files are read as every file of the designer is: only
// regular files, at most kLargestInputFile bytes.
std::string readInputFile(const std::filesystem::path& file) {
    try {
        return readRegularFile(file, kLargestInputFile);
    } catch (const Failure& failure) {
        throw InputError(failure.what());
    }
}

} // namespace

void checkRunnable(const ProgramInput& in, const std::filesystem::path& file) {
    const z80::CalculatorModel& model = z80::calculatorModel(in.model);
    if (in.origin != model.origin)
        throw InputError(shownName(file) + ": the program starts at " + hexAddress(in.origin) +
                         "; a " + std::string(model.name) + " program must start with .org " +
                         hexAddress(model.origin));
    if (in.code.size() > 0x10000u - model.origin)
        throw InputError(shownName(file) + ": the program does not fit in memory");
    if (model.romCallsByRst28 &&
        (in.code.size() < 2 || in.code[0] != z80::kAsmToken[0] || in.code[1] != z80::kAsmToken[1]))
        throw InputError(shownName(file) + ": a " + std::string(model.name) +
                         " assembly program must start with the bytes BBh 6Dh (.db 0BBh,6Dh)");
}

const std::vector<z80::Diagnostic>& ProgramInput::warnings() const {
    static const std::vector<z80::Diagnostic> none;
    return assembly ? assembly->warnings : none;
}

std::string diagnosticLine(const z80::Diagnostic& d) {
    return d.warning ? d.text() : d.file + ":" + std::to_string(d.line) + ": error: " + d.message;
}

void printWarnings(std::ostream& err, const std::vector<z80::Diagnostic>& warnings) {
    for (const z80::Diagnostic& warning : warnings)
        err << warning.text() << "\n";
}

namespace {
// A coordinate as a list may spell it, well-formed or not: decimal, $hex or
// hex ending in h, with a sign, or nothing.
bool looksLikeNumber(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t");
    text = first == std::string_view::npos ? "" : text.substr(first, last - first + 1);
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        text.remove_prefix(1);
    if (text.starts_with('$'))
        text.remove_prefix(1);
    else if (!text.empty() && (text.back() == 'h' || text.back() == 'H') &&
             std::isdigit(static_cast<unsigned char>(text[0])))
        text.remove_suffix(1);
    return text.find_first_not_of("0123456789ABCDEFabcdef") == std::string_view::npos;
}
} // namespace

bool isSegmentLine(std::string_view line) {
    if (line.find_first_not_of(" \t") == std::string_view::npos)
        return false;
    for (size_t comma; (comma = line.find(',')) != std::string_view::npos;
         line.remove_prefix(comma + 1))
        if (!looksLikeNumber(line.substr(0, comma)))
            return false;
    return looksLikeNumber(line);
}

InputError failureAtLines(const std::vector<z80::Diagnostic>& warnings,
                          const std::vector<z80::Diagnostic>& errors,
                          const std::string& otherwise) {
    if (warnings.empty() && errors.empty())
        return InputError(otherwise);
    // The files in the order they are first named, each one's lines in order.
    std::vector<z80::Diagnostic> all = warnings;
    all.insert(all.end(), errors.begin(), errors.end());
    std::vector<std::string> files;
    for (const z80::Diagnostic& d : all)
        if (std::find(files.begin(), files.end(), d.file) == files.end())
            files.push_back(d.file);
    const auto rank = [&](const z80::Diagnostic& d) {
        return std::pair(std::find(files.begin(), files.end(), d.file) - files.begin(), d.line);
    };
    std::stable_sort(
        all.begin(), all.end(),
        [&](const z80::Diagnostic& a, const z80::Diagnostic& b) { return rank(a) < rank(b); });
    std::string text;
    for (const z80::Diagnostic& d : all)
        text += (text.empty() ? "" : "\n") + diagnosticLine(d);
    return InputError(text, true);
}

void reportFailure(std::ostream& err, std::string_view command, const std::exception& failure) {
    // Messages at lines quote their files printably already; any other text
    // may carry a name as the user gave it.
    const auto* input = dynamic_cast<const InputError*>(&failure);
    if (input && input->atLines())
        err << failure.what() << "\n";
    else
        err << "torvex " << command << ": " << printable(failure.what()) << "\n";
}

ProgramInput loadProgramInput(const std::filesystem::path& file, std::optional<z80::Model> model,
                              const z80::AssemblyOptions& options) {
    ProgramInput in;
    const std::string contents = readInputFile(file);
    if (isProgramFile(file)) {
        const std::vector<uint8_t> bytes(contents.begin(), contents.end());
        try {
            z80::ProgramVariable v = z80::readProgramFile(bytes);
            if (v.type != z80::kTypeProgram && v.type != z80::kTypeProtectedProgram)
                throw InputError(shownName(file) + ": the variable is not a program");
            in.code = v.machineCode();
            in.model = v.model;
            in.origin = z80::calculatorModel(v.model).origin;
            if (model && *model != v.model)
                throw InputError(shownName(file) + ": a program file of the " +
                                 std::string(z80::calculatorModel(v.model).name) + ", not of the " +
                                 std::string(z80::calculatorModel(*model).name));
        } catch (const z80::ProgramFileError& e) {
            throw InputError(shownName(file) + ": " + e.what());
        }
        return in;
    }
    try {
        z80::Assembly a = z80::assemble(contents, file.string(), options);
        in.code = a.bytes;
        in.origin = a.origin;
        in.model = model.value_or(a.origin == z80::calculatorModel(z80::Model::Ti83Plus).origin
                                      ? z80::Model::Ti83Plus
                                      : z80::Model::Ti83);
        in.assembly = std::move(a);
    } catch (const z80::AssemblyError& e) {
        const TextLines lines = splitTextLines(contents);
        if (std::all_of(lines.begin(), lines.end(), [](const std::string& line) {
                return line.find_first_not_of(" \t") == std::string::npos || isSegmentLine(line);
            }))
            throw InputError(shownName(file) +
                             ": a line list, not an assembly source: torvex build and torvex "
                             "view take it");
        throw failureAtLines(e.warnings, e.diagnostics, e.what());
    }
    return in;
}

std::vector<std::filesystem::path> filesRead(const std::filesystem::path& file,
                                             const ProgramInput& in) {
    std::vector<std::filesystem::path> files{file};
    if (in.assembly)
        files.insert(files.end(), in.assembly->includedFiles.begin(),
                     in.assembly->includedFiles.end());
    return files;
}

std::string hexAddress(unsigned address) {
    char text[8];
    std::snprintf(text, sizeof text, "%04Xh", address & 0xFFFF);
    return text;
}

OptionDefinition programNameOption() {
    return {"name", "", "NAME",
            "the program's name on the calculator: 1-8 upper-case letters and digits, starting "
            "with a letter (default: from the output file's name)"};
}

std::string programName(const ParsedArgs& args, const std::filesystem::path& output) {
    if (const auto given = args.value("name")) {
        z80::validateProgramName(*given);
        return *given;
    }
    if (isStandardOutput(output))
        throw z80::ProgramFileError("a program written to standard output needs --name");
    return z80::programNameFromFileName(output.filename().string());
}

} // namespace torvex::cli
