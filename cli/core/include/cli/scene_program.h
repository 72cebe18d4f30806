// Torvex Designer - turning what the user points the calculator view or
// `torvex build` at into the machine code the calculator runs.
#pragma once

#include "cli/program_input.h"
#include "codegen/text_lines.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>

namespace torvex::cli {

enum class SceneFileKind {
    LineList,      // a line list file as the designer saves it
    PreviewSource, // a .z80/.asm source, e.g. the wizard's preview source file
    ProgramFile,   // a program file (.83p, .8xp)
};

// By extension: .83p and .8xp are program files, .z80 and .asm are sources,
// anything else is a line list (the designer adds no extension to list files).
SceneFileKind sceneFileKind(const std::filesystem::path& file);

// The preview source for a line list file: the engine for the model, one
// data line per list line, the end marker, ".end" and "END". For the TI-83
// the same bytes as the wizard's file. Throws InputError when the list cannot
// be read.
std::string previewSourceForList(const std::filesystem::path& listFile,
                                 z80::Model model = z80::Model::Ti83);

// What a line list holds that the engine cannot draw as the designer shows
// it, at the list's own lines: errors for a line that is not six integers
// separated by commas, holds a Ctrl-Z byte, or a value outside -127..127 or
// -128 (the end marker); warnings for values outside the grid -100..100, at
// the first segment past the engine's 71 and for an empty list. `segments`
// holds the values of the lines without errors, in order.
struct ListProblems {
    std::vector<z80::Diagnostic> errors, warnings;
    std::vector<std::array<int, 6>> segments;
};
ListProblems checkListLines(const TextLines& lines, const std::string& listName);

// A line list read and checked: each segment as the designer writes it,
// whatever the list's spacing and spelling of numbers (+5, 007), so that
// every assembler reads the source made from it, and the list's warnings.
// Throws InputError at the list's lines, or for a file that is no line list.
struct CheckedList {
    TextLines records;
    std::vector<z80::Diagnostic> warnings;
};
CheckedList readCheckedList(const std::filesystem::path& listFile);

// The warning at the first segment the calculator leaves out (the list's line
// 72), or nullopt for a scene it draws whole.
std::optional<z80::Diagnostic> segmentLimitDiagnostic(const std::string& listName, size_t segments);

// Assembles the preview source of a line list file with our own definitions
// (whatever headers lie beside it), after checking its lines. Problems in the
// scene are reported at the list's own lines, the list's warnings first;
// `sourceText`, when given, receives the source assembled (the list is read
// once). Throws InputError.
z80::Assembly assembleList(const std::filesystem::path& listFile,
                           z80::Model model = z80::Model::Ti83, std::string* sourceText = nullptr);

struct SceneProgram {
    SceneFileKind kind = SceneFileKind::LineList;
    ProgramInput program;
    // Segments of the scene when they can be counted (a list or a preview
    // source of our engine): the points stored behind the engine's `data`
    // label up to the end marker, halved.
    std::optional<size_t> segments;
    // Bytes of code before `data` when the program is built on our engine:
    // the engine, the same whatever the scene.
    std::optional<size_t> engineBytes;
};

// Loads any of the three kinds into machine code: a list for `model` (TI-83
// when not given), a source or program file as loadProgramInput() does.
// Throws InputError with the file and line of the first problem.
SceneProgram loadSceneProgram(const std::filesystem::path& file,
                              std::optional<z80::Model> model = std::nullopt);

// Segments of a program built from our engine (nullopt without a `data` label).
std::optional<size_t> segmentsOf(const z80::Assembly& assembly);

// Segments stored at `data` in the code (loaded at `origin`) until the byte 128
// where an x would be.
size_t countSegments(const std::vector<uint8_t>& code, uint16_t origin, uint16_t dataAddress);

} // namespace torvex::cli
