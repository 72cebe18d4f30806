// Torvex Designer - engine tests: see engine_harness.h.
#include "engine_harness.h"

#include "codegen/plus_family_engine.h"
#include "codegen/scene_data.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace torvex::engine::test {

std::string sceneText(const std::string& name) {
    std::ifstream in(std::string(TORVEX_ENGINE_SCENES) + "/" + name, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + name);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string plusPreviewSource(const std::vector<std::string>& records) {
    return joinTextLines(previewSourceLines(plusFamilyEngineLines(engineTemplateLines()), records));
}

std::vector<std::string> lineRecords(const Scene& scene) {
    if (scene.size() % 2 != 0)
        throw std::invalid_argument("a scene of whole segments has an even number of points");
    std::vector<std::string> records;
    for (size_t i = 0; i < scene.size(); i += 2)
        records.push_back(lineRecord(scene[i], scene[i + 1]));
    return records;
}

z80::Assembly assemblePreview(const std::string& source) {
    return z80::assemble(source, "preview.z80");
}

const z80::Assembly& bareEngine() {
    static const z80::Assembly a = assemblePreview(previewSourceText({}));
    return a;
}

uint16_t label(const z80::Assembly& a, const std::string& name) {
    auto it = a.labels.find(name);
    if (it == a.labels.end())
        throw std::runtime_error("no label " + name);
    return it->second;
}

void load(z80::Ti83& calc, const z80::Assembly& a) {
    const auto area = [&](const char* name, int size) {
        return z80::AddressRange{label(a, name), static_cast<uint16_t>(label(a, name) + size - 1)};
    };
    const z80::CalculatorModel& m = calc.model();
    calc.loadProgram(a.bytes, a.origin);
    calc.setWritableRanges({
        {m.graphBuffer.first, m.graphBuffer.last()},
        {m.programRam.first, static_cast<uint16_t>(m.programRam.first + 0x26)}, // 30 variables
        area("drawpoints", 288),
        area("compare", 84),
        area("linep", 26),
        z80::kStackRange,
    });
}

RunOutcome runProgram(const z80::Assembly& a, const std::vector<uint8_t>& keys) {
    z80::Ti83 calc;
    load(calc, a);
    calc.setKeys(keys);
    RunOutcome out;
    out.result = calc.run();
    out.frames = calc.frames();
    return out;
}

std::string frameDifference(const z80::Frame& got, const Frame& want) {
    if (got.graphBuffer == want.bytes)
        return "";
    std::string text = "emulator (#) and model (o), * where both:\n";
    int differences = 0;
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            bool g = got.pixel(c, r), w = want.pixel(c, r);
            differences += g != w;
            text += g && w ? '*' : g ? '#' : w ? 'o' : '.';
        }
        text += '\n';
    }
    return std::to_string(differences) + " pixels differ; " + text;
}

} // namespace torvex::engine::test
