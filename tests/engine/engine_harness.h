// Torvex Designer - engine tests: building the preview source the wizard
// writes, assembling it, and running it in the emulated TI-83 under the write
// guard.
#pragma once

#include "engine/engine_model.h"
#include "z80/assembler.h"
#include "z80/ti83.h"

#include <cstdint>
#include <string>
#include <vector>

namespace torvex::engine::test {

// The engine template's lines (engine/engine_template.z80, as the program
// holds it built in).
const std::vector<std::string>& templateLines();

// The preview source file as the wizard writes it (the built-in template, one
// data line per line record, the end lines), made by the wizard's own code.
std::string previewSource(const std::vector<std::string>& lineRecords);
// The line records of a scene (two points per record: the scene must be even).
std::vector<std::string> lineRecords(const Scene& scene);

// The text of a committed scene file of engine/scenes.
std::string sceneText(const std::string& name);

// The same for the TI-83 Plus family: the engine made from the template for
// the family, then the scene.
std::string plusPreviewSource(const std::vector<std::string>& lineRecords);

// Assembles a preview source with our assembler (throws AssemblyError).
z80::Assembly assemblePreview(const std::string& source);
// The template assembled with no scene (for calling its routines).
const z80::Assembly& bareEngine();

// Label address (fails loudly when missing).
uint16_t label(const z80::Assembly& a, const std::string& name);

// The writable ranges of the write guard on the model: the graph buffer, the
// engine variables, drawpoints and compare, line_on's work array linep, the
// stack.
std::vector<z80::AddressRange> engineWritableRanges(const z80::Assembly& a,
                                                    z80::Model model = z80::Model::Ti83);

// A calculator with the program loaded and the write guard of its model on.
void load(z80::Ti83& calc, const z80::Assembly& a);

struct RunOutcome {
    z80::RunResult result;
    std::vector<z80::Frame> frames;
};
// Runs the assembled program with the keys; the run ends when the keys run out
// (or with MODE).
RunOutcome runProgram(const z80::Assembly& a, const std::vector<uint8_t>& keys);

// Text of the difference between an emulator frame and a model frame ("" if equal).
std::string frameDifference(const z80::Frame& got, const Frame& want);

} // namespace torvex::engine::test
