// Torvex Designer - turning what the user points the calculator view or
// `torvex build` at into the machine code the calculator runs.
#pragma once

#include "cli/program_input.h"

#include <filesystem>
#include <optional>
#include <string>

namespace torvex::cli {

enum class SceneFileKind {
    LineList,      // a line list file as the designer saves it
    PreviewSource, // a .z80/.asm source, e.g. the wizard's preview source file
    ProgramFile,   // a TI-83 program file (.83p)
};

// By extension: .83p is a program file, .z80 and .asm are sources, anything
// else is a line list (the designer adds no extension to list files).
SceneFileKind sceneFileKind(const std::filesystem::path& file);

// The preview source the wizard writes for a line list file: the engine
// template, one data line per list line, the end marker, ".end" and "END";
// the same bytes as the wizard's file. Throws InputError when the list
// cannot be read.
std::string previewSourceForList(const std::filesystem::path& listFile);

// Assembles the preview source of a line list file. Problems in the scene are
// reported at the list's own lines. Throws InputError.
z80::Assembly assembleList(const std::filesystem::path& listFile);

struct SceneProgram {
    ProgramInput program;
    // Segments of the scene when they can be counted (a list or a preview
    // source of our engine): the points stored behind the engine's `data`
    // label up to the end marker, halved.
    std::optional<size_t> segments;
    // Bytes of code before `data` when the program is built on our engine:
    // the engine, the same whatever the scene.
    std::optional<size_t> engineBytes;
};

// Loads any of the three kinds into machine code. Throws InputError with the
// file and line of the first problem.
SceneProgram loadSceneProgram(const std::filesystem::path& file);

// Segments of a program built from our engine (nullopt without a `data` label).
std::optional<size_t> segmentsOf(const z80::Assembly& assembly);

// Segments stored at `data` in the code (origin 9327h) until the byte 128 where
// an x would be.
size_t countSegments(const std::vector<uint8_t>& code, uint16_t origin, uint16_t dataAddress);

} // namespace torvex::cli
