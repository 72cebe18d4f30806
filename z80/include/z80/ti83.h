// Torvex Designer - Z80 toolchain: an emulated TI-83 or TI-83 Plus family
// calculator (on libz80ex).
//
// 64 KiB of memory (0000h-7FFFh ROM: not writable, 8000h-FFFFh RAM), the
// program loaded at the model's origin and entered with a call from the
// "calculator" (TI-83: 9327h; Plus family: loaded at 9D93h with its tokens
// BBh 6Dh, entered at 9D95h); its ret ends the run. IY holds the model's
// system flags. The four ROM routines (clear the LCD, clear the graph buffer,
// copy it to the LCD, wait for a key) are trapped: on the TI-83 at their
// addresses (plain calls), on the Plus family at rst 28h, which reads the
// routine's address from the word after the rst and returns past it. Each is
// charged the T-states the calculator spends in it (kept apart from the
// program's own); the copy captures a Frame. Executing any other address
// below 8000h, or on the Plus family RAM from C000h on (which it does not
// execute), stops the run (Fault).
#pragma once

#include "z80/calculator_model.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace torvex::z80 {

inline constexpr uint16_t kProgramStart = 0x9327; // userMem
inline constexpr uint16_t kGraphBuffer = 0x8E29;  // plotSScreen, 768 bytes
inline constexpr uint16_t kGraphBufferSize = 768;
inline constexpr uint16_t kSaveSScreen = 0x8265; // 768 bytes of safe RAM
inline constexpr uint16_t kStatVars = 0x858F;
inline constexpr uint16_t kSystemFlags = 0x8567; // IY while a program runs
// ROM calls (as spelled by the calculator's include file).
inline constexpr uint16_t kClrLcdFull = 0x4755; // _CLRLCDFULL
inline constexpr uint16_t kGrBufClr = 0x515B;   // _GRBUFCLR
inline constexpr uint16_t kGrBufCpyV = 0x5164;  // _GRBUFCPY_V
inline constexpr uint16_t kGetKey = 0x4CFE;     // _getkey

// What the calculator spends inside a routine, from the call to its return,
// on the 6 MHz Z80 (the program's own call instruction is counted with the
// program). `estimate` marks figures that are not counted instruction by
// instruction.
struct RomCallCost {
    uint32_t tstates;
    bool estimate;
};
// Indexed by RomRoutine.
inline constexpr std::array<RomCallCost, kRomRoutines> kRomCallCosts{{
    // Clearing the LCD writes its 768 bytes through the display driver, which
    // needs about 67 T-states between writes: as long as a copy (estimate).
    {51'600, true},
    // 768 bytes cleared with ldir: 767 repeats of 21 T-states and a last
    // one of 16 (768 * 21 - 5 = 16,123), plus about 50 for setting up hl,
    // de and bc, the first byte and the return (the set-up is an estimate).
    {768 * 21 - 5 + 50, true},
    // A fast copy of the graph buffer to the LCD: 768 data writes and the 12
    // column commands, each followed by the delay the LCD driver needs
    // between writes, about 67 T-states a byte (estimate).
    {51'600, true},
    // _getkey's own work once the key is there (scanning, debouncing,
    // translating the scan code); the wait for the user is not counted
    // (estimate).
    {3'000, true},
}};
inline constexpr RomCallCost romCallCost(RomRoutine routine) {
    return kRomCallCosts[static_cast<size_t>(routine)];
}
// Where the emulated calculator's call of the program returns to (in ROM).
inline constexpr uint16_t kReturnAddress = 0x0FF0;
// SP before the calculator calls the program; the stack grows down from here.
inline constexpr uint16_t kInitialStackPointer = 0xFFF0;

// Codes returned by _getkey.
namespace key {
inline constexpr uint8_t Right = 0x01, Left = 0x02, Up = 0x03, Down = 0x04, Enter = 0x05,
                         Clear = 0x09, Del = 0x0A, Stat = 0x31, Vars = 0x35, Mode = 0x45;
}

struct AddressRange {
    uint16_t first, last; // inclusive
    bool contains(uint16_t address) const { return address >= first && address <= last; }
};
// The stack as the emulator sets it up (a range for setWritableRanges).
inline constexpr AddressRange kStackRange{0xFE00, 0xFFFF};

// One picture: the graph buffer as the ROM's copy routine copied it to the LCD.
struct Frame {
    std::array<uint8_t, 768> graphBuffer{}; // 64 rows of 12 bytes, MSB leftmost
    // Program T-states since the previous frame (or the start), ROM calls excluded.
    uint64_t tstates = 0;
    // T-states charged for the ROM calls since the previous frame (or the
    // start), this frame's copy to the LCD included (see kRomCallCosts).
    uint64_t romTstates = 0;
    uint64_t totalTstates = 0;             // program T-states since the start
    size_t keysUsed = 0;                   // keys consumed by _getkey before this frame
    bool pixel(int column, int row) const; // column 0..95, row 0..63
};

enum class StopReason {
    Returned,      // the program returned to the calculator
    KeysExhausted, // _getkey was called and the key script had ended (run())
    Runaway,       // more T-states without a frame than the limit
    FrameLimit,    // more frames, or T-states, without reading a key than the limits
    WriteGuard,    // a write outside the writable ranges
    KeyWanted,     // runUntilKeyWanted(): _getkey waits for pressKey()
    Fault,         // execution entered ROM outside the trapped calls, or similar
};

// Frames a program may draw without reading a key: about 86 seconds of the
// fastest full-screen copies the calculator makes (kRomCallCosts).
inline constexpr uint64_t kDefaultFrameLimit = 10'000;

struct RunResult {
    StopReason reason = StopReason::Returned;
    std::string message; // human-readable; names address and PC for WriteGuard
};

const char* toString(StopReason reason);

struct Registers {
    uint16_t af = 0, bc = 0, de = 0, hl = 0, ix = 0, iy = kSystemFlags;
    uint16_t sp = kInitialStackPointer; // callRoutine: SP before the call
    uint8_t a() const { return af >> 8; }
    uint8_t f() const { return af & 0xFF; }
    uint8_t b() const { return bc >> 8; }
    uint8_t c() const { return bc & 0xFF; }
    uint8_t d() const { return de >> 8; }
    uint8_t e() const { return de & 0xFF; }
    uint8_t h() const { return hl >> 8; }
    uint8_t l() const { return hl & 0xFF; }
};

class Ti83 {
public:
    explicit Ti83(Model model = Model::Ti83);
    ~Ti83();
    Ti83(const Ti83&) = delete;
    Ti83& operator=(const Ti83&) = delete;

    // Sets all 64 KiB of memory to zero (memory otherwise keeps what earlier
    // runs left there; run() and start() do not clear it).
    void clearMemory();
    const CalculatorModel& model() const;
    // Copies code into memory at `at`, by default the model's origin (no
    // guard applies).
    void loadProgram(const std::vector<uint8_t>& code);
    void loadProgram(const std::vector<uint8_t>& code, uint16_t at);
    // Codes _getkey returns, in order (replaces the queue).
    void setKeys(std::vector<uint8_t> getkeyCodes);
    // Writable ranges; empty = no guard (RAM writable, ROM writes ignored).
    void setWritableRanges(std::vector<AddressRange> ranges);
    // Maximum program T-states without a frame (default 60,000,000 = 10 s at 6 MHz).
    void setRunawayLimit(uint64_t tstatesWithoutFrame);
    // Maximum frames without _getkey returning a key (default
    // kDefaultFrameLimit): a program that copies the display over and over
    // without waiting for a key stops there.
    void setFrameLimit(uint64_t framesWithoutKey);
    // Program T-states without _getkey returning a key after which the next
    // frame stops the run, as the frame limit does (default: none).
    void setKeylessLimit(uint64_t tstatesWithoutKey);
    // Hands each frame, as the copy to the LCD makes it, to `listener`
    // instead of keeping it in frames() (an empty function keeps them
    // again). An exception the listener throws ends the run and reaches the
    // caller of run() or runUntilKeyWanted(); start() again before running.
    void setFrameListener(std::function<void(const Frame&)> listener);
    // When true (default) the trapped ROM calls leave F, BC, DE and HL (and A,
    // except for _getkey) scrambled, as the real routines destroy them; IX, IY
    // and SP are kept. false keeps every register.
    void setRomCallsClobberRegisters(bool clobber);

    // Calls the program at the model's entry and runs until it returns or stops.
    RunResult run();
    // Calls a single routine with the given registers and runs it until it
    // returns (or stops); *out receives the registers afterwards.
    RunResult callRoutine(uint16_t address, struct Registers in, struct Registers* out = nullptr);

    // Stepping, for interactive views: start() sets up the call of the program
    // (frames and counters reset, keys kept); runUntilKeyWanted() runs until
    // _getkey needs a key that has not been pressed (KeyWanted; call pressKey()
    // and runUntilKeyWanted() again) or the run stops for another reason.
    void start(); // at the model's entry
    void start(uint16_t entry);
    RunResult runUntilKeyWanted();
    void pressKey(uint8_t code);
    // The calculator powers itself down inside the _getkey the program waits
    // in (or the next one it calls), as after minutes without a key: it saves
    // what the LCD shows into the model's saveSScreen (768 bytes; 8265h on the
    // TI-83), then, switched on again, goes on waiting for the key.
    void powerDown();
    bool finished() const; // the last run stopped for a reason other than KeyWanted
    // Goes on where `earlier` stands, with this calculator's program: takes
    // over earlier's RAM outside the bytes loadProgram() put here, the CPU's
    // registers, the LCD and the state of its run (frames and T-states start
    // afresh). Sound when both programs run the same code and keep nothing
    // but data in the bytes that differ, e.g. one engine with another scene.
    void continueFrom(const Ti83& earlier);

    // The frames since start(), unless a frame listener takes them.
    const std::vector<Frame>& frames() const;
    uint64_t frameCount() const;                 // frames since start(), kept or handed on
    const std::array<uint8_t, 768>& lcd() const; // what the LCD shows now
    uint64_t totalTstates() const;               // program T-states since start()
    uint64_t romTstates() const;                 // T-states charged for ROM calls since start()
    size_t keysUsed() const;
    Registers registers() const;
    uint16_t pc() const;

    uint8_t peek(uint16_t address) const;
    void poke(uint16_t address, uint8_t value);
    uint16_t peekWord(uint16_t address) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace torvex::z80
