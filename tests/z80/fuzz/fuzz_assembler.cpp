// libFuzzer target: the assembler takes any bytes as source. Bad source must
// end in an AssemblyError, never in a crash, a hang or undefined behaviour.
#include "z80/assembler.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view source(reinterpret_cast<const char*>(data), size);
    try {
        torvex::z80::assemble(source, "fuzz.z80");
    } catch (const torvex::z80::AssemblyError&) {
    }
    return 0;
}
