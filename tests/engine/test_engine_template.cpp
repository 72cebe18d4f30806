// The engine template: the data at the end, the guarded areas whole, no
// warning (nothing another TASM-dialect assembler could read differently).
#include "engine_harness.h"

#include <gtest/gtest.h>

using namespace torvex::engine::test;

TEST(EngineTemplateText, TheDataEndsTheProgramAndTheGuardedAreasAreWhole) {
    const torvex::z80::Assembly& a = bareEngine();
    EXPECT_EQ(torvex::engineTemplateLines().back(), "data:");
    EXPECT_EQ(label(a, "data"), a.origin + a.bytes.size() - 1); // only the end marker follows
    // The work areas the write guard lets the engine write, each whole.
    EXPECT_EQ(label(a, "compare") - label(a, "drawpoints"), 288);
    EXPECT_EQ(label(a, "equates") - label(a, "compare"), 84);
    EXPECT_EQ(label(a, "skipdb") - label(a, "linep"), 26);
    // Nothing another TASM-dialect assembler could read differently.
    for (const torvex::z80::Diagnostic& warning : a.warnings)
        ADD_FAILURE() << warning.text();
}
