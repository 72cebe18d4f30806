// Torvex Designer - Z80 toolchain: the two calculator families a preview
// program is built for, the original TI-83 and the TI-83 Plus family (TI-83
// Plus, 83 Plus SE, 84 Plus, 84 Plus SE). Same Z80 at 6 MHz, same display and
// graph-buffer layout, same key codes; another memory map, another way to call
// the ROM and another program file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace torvex::z80 {

enum class Model { Ti83, Ti83Plus };

// The four ROM routines the engine calls (and the emulated calculator performs).
enum class RomRoutine : uint8_t { ClearLcd, ClearGraphBuffer, CopyGraphBuffer, GetKey };
inline constexpr size_t kRomRoutines = 4;

// A calculator model's entry point of a routine.
struct RomCall {
    uint16_t address;
    RomRoutine routine;
    std::string_view name; // spelled exactly as the model's own include file spells it
};

struct RamArea {
    uint16_t first;
    uint16_t size;
    uint16_t last() const { return static_cast<uint16_t>(first + size - 1); }
};

struct CalculatorModel {
    Model model;
    std::string_view name;      // "TI-83"
    std::string_view option;    // "ti83", as --model takes it
    std::string_view extension; // ".83p"
    std::string_view includeFile;
    std::string_view runCommand; // how the program is started on the calculator
    // The program's bytes are loaded at `origin` and entered at `entry` with a
    // call; on the Plus family they start with the tokens BBh 6Dh.
    uint16_t origin;
    uint16_t entry;
    uint16_t systemFlags; // IY while a program runs
    RamArea graphBuffer;  // plotSScreen
    RamArea saveSScreen;  // the OS saves the LCD here at automatic power-down
    RamArea programRam;   // 768 bytes the OS leaves to programs: the engine's variables
    // Code runs only below this address: the Plus family's memory protection
    // keeps RAM from C000h on from being executed, so a program's code must
    // end before it (8,811 bytes from 9D95h); the TI-83 has no such limit.
    uint32_t executableEnd;
    // true: ROM calls are `rst 28h` followed by the routine's address word,
    // returning past it; false: plain `call`s.
    bool romCallsByRst28;
    // What the OS spends on finding and paging in a routine called with
    // rst 28h, besides the routine itself: it reads the address word, looks
    // the routine up in its table, switches the ROM page in and back and
    // restores the registers (an estimate: a few dozen instructions).
    uint32_t romCallDispatchTstates;
    std::array<RomCall, kRomRoutines> romCalls;

    const RomCall& romCall(RomRoutine routine) const;
    // The routine whose address this is, if any.
    std::optional<RomRoutine> routineAt(uint16_t address) const;
};

const CalculatorModel& calculatorModel(Model model);

// "ti83" / "ti83p" (any case); nullopt for anything else.
std::optional<Model> modelFromOption(std::string_view option);
// ".83p" / ".8xp" (any case); nullopt for anything else.
std::optional<Model> modelFromExtension(std::string_view extension);

} // namespace torvex::z80
