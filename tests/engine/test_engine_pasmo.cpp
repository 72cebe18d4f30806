// Debian's pasmo, on the translated preview source, gives our assembler's bytes.
#include "engine_harness.h"

#include <gtest/gtest.h>

#include <random>

using namespace torvex::engine;
using namespace torvex::engine::test;

namespace {

// The TI-83 build, and for `plus` the TI-83 Plus family's.
void expectSameBytes(const std::vector<std::string>& records, bool plus = false) {
    const std::string source = plus ? plusPreviewSource(records) : previewSourceText(records);
    const torvex::z80::Assembly ours = assemblePreview(source);
    ASSERT_EQ(ours.origin, plus ? 0x9D93 : 0x9327);
    torvex::test::expectPasmoGivesSameBytes(ours, torvex::test::translateToPasmo(source));
}

} // namespace

TEST(EnginePasmo, TheBareEngineTheCommittedScenesAndARandomSceneOfMoreThan71Segments) {
    expectSameBytes({});
    for (const char* name : {"house.txt", "bench71.txt"})
        for (bool plus : {false, true})
            expectSameBytes(lineRecords(parseLineRecords(sceneText(name))), plus);
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> v(-100, 100);
    Scene s;
    for (int i = 0; i < 2 * 90; ++i)
        s.push_back({static_cast<int8_t>(v(rng)), static_cast<int8_t>(v(rng)),
                     static_cast<int8_t>(v(rng))});
    expectSameBytes(lineRecords(s));
}
