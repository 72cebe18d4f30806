#include "cli/scene_program.h"

#include "codegen/engine_template.h"
#include "codegen/plus_family_engine.h"
#include "codegen/scene_data.h"
#include "codegen/text_line_file.h"
#include "codegen/text_lines.h"

#include "base/failure.h"
#include "z80/assembler.h"

#include <QString>

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

} // namespace

SceneFileKind sceneFileKind(const std::filesystem::path& file) {
    if (isProgramFile(file))
        return SceneFileKind::ProgramFile;
    const std::string ext = lowerExtension(file);
    if (ext == ".z80" || ext == ".asm")
        return SceneFileKind::PreviewSource;
    return SceneFileKind::LineList;
}

std::string previewSourceForList(const std::filesystem::path& listFile, z80::Model model) {
    const TextLines& engine = engineLines(model);
    try {
        const TextLines list =
            readTextLineFile(QString::fromStdString(listFile.string()), kLargestInputFile);
        return joinTextLines(previewSourceLines(engine, list));
    } catch (const Failure& failure) {
        throw InputError(failure.what());
    }
}

z80::Assembly assembleList(const std::filesystem::path& listFile, z80::Model model) {
    const std::string source = previewSourceForList(listFile, model);
    try {
        z80::Assembly assembly = z80::assemble(source, listFile.string());
        assembly.warnings = atListLines(std::move(assembly.warnings), listFile.string(), model);
        return assembly;
    } catch (const z80::AssemblyError& error) {
        const std::string text =
            failureText(atListLines(error.warnings, listFile.string(), model),
                        atListLines(error.diagnostics, listFile.string(), model));
        throw InputError(text.empty() ? std::string(error.what()) : text);
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
    switch (sceneFileKind(file)) {
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
