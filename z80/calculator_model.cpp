// Torvex Designer - Z80 toolchain: the two calculator families.
#include "z80/calculator_model.h"

#include "base/ascii.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace torvex::z80 {

namespace {

const CalculatorModel kTi83{
    Model::Ti83,
    "TI-83",
    "ti83",
    ".83p",
    "ti83asm.inc",
    "Send(9prgmNAME",
    0x9327,
    0x9327,
    0x8567,
    {0x8E29, 768},
    {0x8265, 768},
    {0x8265, 768}, // the TI-83 has no other free block; its OS uses it only at power-down
    0x10000,
    false,
    0,
    {{{0x4755, RomRoutine::ClearLcd, "_CLRLCDFULL"},
      {0x515B, RomRoutine::ClearGraphBuffer, "_GRBUFCLR"},
      {0x5164, RomRoutine::CopyGraphBuffer, "_GRBUFCPY_V"},
      {0x4CFE, RomRoutine::GetKey, "_getkey"}}},
};

const CalculatorModel kTi83Plus{
    Model::Ti83Plus,
    "TI-83 Plus",
    "ti83p",
    ".8xp",
    "ti83plus.inc",
    "Asm(prgmNAME)",
    0x9D93,
    0x9D95,
    0x89F0,
    {0x9340, 768},
    {0x86EC, 768},
    {0x9872, 768}, // appBackUpScreen
    0xC000,
    true,
    400,
    {{{0x4540, RomRoutine::ClearLcd, "_ClrLCDFull"},
      {0x4BD0, RomRoutine::ClearGraphBuffer, "_GrBufClr"},
      {0x486A, RomRoutine::CopyGraphBuffer, "_GrBufCpy"},
      {0x4972, RomRoutine::GetKey, "_GetKey"}}},
};

} // namespace

const RomCall& CalculatorModel::romCall(RomRoutine routine) const {
    return *std::find_if(romCalls.begin(), romCalls.end(),
                         [&](const RomCall& call) { return call.routine == routine; });
}

std::optional<RomRoutine> CalculatorModel::routineAt(uint16_t address) const {
    for (const RomCall& call : romCalls)
        if (call.address == address)
            return call.routine;
    return std::nullopt;
}

const CalculatorModel& calculatorModel(Model model) {
    return model == Model::Ti83Plus ? kTi83Plus : kTi83;
}

std::optional<Model> modelFromOption(std::string_view option) {
    for (const CalculatorModel* m : {&kTi83, &kTi83Plus})
        if (asciiLower(option) == m->option)
            return m->model;
    return std::nullopt;
}

std::optional<Model> modelFromExtension(std::string_view extension) {
    for (const CalculatorModel* m : {&kTi83, &kTi83Plus})
        if (asciiLower(extension) == m->extension)
            return m->model;
    return std::nullopt;
}

} // namespace torvex::z80
