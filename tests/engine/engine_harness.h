// Torvex Designer - engine tests: the preview source the wizard writes,
// assembled and run in the emulated calculator under the write guard.
#pragma once

#include "codegen/engine_template.h"
#include "engine/engine_model.h"
#include "tests/support/toolchain.h"
#include "z80/assembler.h"
#include "z80/ti83.h"

#include <cstdint>
#include <string>
#include <vector>

namespace torvex::engine::test {

using torvex::test::previewSourceText;
// The TI-83 Plus family's preview source, made by the wizard's own code.
std::string plusPreviewSource(const std::vector<std::string>& lineRecords);
// The line records of a scene (two points per record: the scene must be even).
std::vector<std::string> lineRecords(const Scene& scene);
// The text of a committed scene file of engine/scenes.
std::string sceneText(const std::string& name);

// Assembles a preview source with our assembler (throws AssemblyError).
z80::Assembly assemblePreview(const std::string& source);
// The template assembled with no scene (for calling its routines).
const z80::Assembly& bareEngine();

// Label address (fails loudly when missing).
uint16_t label(const z80::Assembly& a, const std::string& name);

// A calculator with the program loaded and the write guard on: the engine
// may write the graph buffer, its variables, drawpoints, compare, line_on's
// work array linep and the stack.
void load(z80::Ti83& calc, const z80::Assembly& a);

struct RunOutcome {
    z80::RunResult result;
    std::vector<z80::Frame> frames;
};
// Runs the program with the keys until they run out (or MODE ends it).
RunOutcome runProgram(const z80::Assembly& a, const std::vector<uint8_t>& keys);

// Text of the difference between an emulator frame and a model frame ("" if equal).
std::string frameDifference(const z80::Frame& got, const Frame& want);

} // namespace torvex::engine::test
