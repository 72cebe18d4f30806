// Torvex Designer - Z80 toolchain: an emulated TI-83 (on libz80ex).
//
// 64 KiB of memory (0000h-7FFFh ROM: not writable, 8000h-FFFFh RAM), the
// program loaded at 9327h and entered with a call from the "calculator"; its
// ret ends the run. IY = 8567h. The ROM calls _CLRLCDFULL, _GRBUFCLR,
// _GRBUFCPY_V and _getkey are trapped at their addresses; _GRBUFCPY_V captures
// a Frame. Executing any other address below 8000h stops the run (Fault).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
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

// One picture: the graph buffer as _GRBUFCPY_V copied it to the LCD.
struct Frame {
    std::array<uint8_t, 768> graphBuffer{}; // 64 rows of 12 bytes, MSB leftmost
    uint64_t tstates =
        0; // program T-states since the previous frame (or the start), ROM calls excluded
    uint64_t totalTstates = 0;             // program T-states since the start
    size_t keysUsed = 0;                   // keys consumed by _getkey before this frame
    bool pixel(int column, int row) const; // column 0..95, row 0..63
};

enum class StopReason {
    Returned,      // the program returned to the calculator
    KeysExhausted, // _getkey was called and the key script had ended (run())
    Runaway,       // more T-states without a frame than the limit
    WriteGuard,    // a write outside the writable ranges
    KeyWanted,     // runUntilKeyWanted(): _getkey waits for pressKey()
    Fault,         // execution entered ROM outside the trapped calls, or similar
};

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
    Ti83();
    ~Ti83();
    Ti83(const Ti83&) = delete;
    Ti83& operator=(const Ti83&) = delete;

    // Sets all 64 KiB of memory to zero (memory otherwise keeps what earlier
    // runs left there; run() and start() do not clear it).
    void clearMemory();
    // Copies code into memory at `at` (no guard applies).
    void loadProgram(const std::vector<uint8_t>& code, uint16_t at = kProgramStart);
    // Codes _getkey returns, in order (replaces the queue).
    void setKeys(std::vector<uint8_t> getkeyCodes);
    // Writable ranges; empty = no guard (RAM writable, ROM writes ignored).
    void setWritableRanges(std::vector<AddressRange> ranges);
    // Maximum program T-states without a frame (default 60,000,000 = 10 s at 6 MHz).
    void setRunawayLimit(uint64_t tstatesWithoutFrame);
    // When true (default) the trapped ROM calls leave F, BC, DE and HL (and A,
    // except for _getkey) scrambled, as the real routines destroy them; IX, IY
    // and SP are kept. false keeps every register.
    void setRomCallsClobberRegisters(bool clobber);

    // Calls the program at 9327h and runs until it returns or stops.
    RunResult run();
    // Calls a single routine with the given registers and runs it until it
    // returns (or stops); *out receives the registers afterwards.
    RunResult callRoutine(uint16_t address, struct Registers in, struct Registers* out = nullptr);

    // Stepping, for interactive views: start() sets up the call of the program
    // (frames and counters reset, keys kept); runUntilKeyWanted() runs until
    // _getkey needs a key that has not been pressed (KeyWanted; call pressKey()
    // and runUntilKeyWanted() again) or the run stops for another reason.
    void start(uint16_t entry = kProgramStart);
    RunResult runUntilKeyWanted();
    void pressKey(uint8_t code);
    bool finished() const; // the last run stopped for a reason other than KeyWanted

    const std::vector<Frame>& frames() const;
    const std::array<uint8_t, 768>& lcd() const; // what the LCD shows now
    uint64_t totalTstates() const;               // program T-states since start()
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
