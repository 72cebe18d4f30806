// Torvex Designer - Z80 toolchain: an emulated TI-83 on libz80ex.
#include "z80/ti83.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <stdexcept>

#include <z80ex/z80ex.h>

namespace torvex::z80 {

const char* toString(StopReason reason) {
    switch (reason) {
    case StopReason::Returned:
        return "returned";
    case StopReason::KeysExhausted:
        return "keys exhausted";
    case StopReason::Runaway:
        return "runaway";
    case StopReason::FrameLimit:
        return "frame limit";
    case StopReason::WriteGuard:
        return "write guard";
    case StopReason::KeyWanted:
        return "key wanted";
    case StopReason::Fault:
        return "fault";
    }
    return "?";
}

bool Frame::pixel(int column, int row) const {
    if (column < 0 || column >= 96 || row < 0 || row >= 64)
        return false;
    return (graphBuffer[row * 12 + column / 8] & (0x80 >> (column % 8))) != 0;
}

namespace {
std::string hex(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04Xh", v & 0xFFFF);
    return buf;
}
} // namespace

// What the memory callbacks report to the run loop, which looks at these
// bits after each z80ex_step() (nothing else is checked per instruction).
enum Event : unsigned {
    kTrapped = 1u << 0,    // an instruction was fetched from ROM (see Impl::mread)
    kPrefix = 1u << 1,     // an opcode fetch read a prefix byte (DDh, FDh, CBh, EDh)
    kHaltOpcode = 1u << 2, // an opcode fetch read 76h (HALT, or the second byte of CB 76h/ED 76h)
    kViolation = 1u << 3,  // a write outside the writable ranges
};

// The events an opcode byte can stand for.
constexpr std::array<uint8_t, 256> kOpcodeEvents = [] {
    std::array<uint8_t, 256> events{};
    events[0xDD] = events[0xFD] = events[0xCB] = events[0xED] = kPrefix;
    events[0x76] = kHaltOpcode;
    return events;
}();

// The opcode handed to the CPU instead of a ROM byte: NOP changes nothing but
// PC, R and the T-states, which the run loop restores.
constexpr Z80EX_BYTE kStandInOpcode = 0x00;

// Where rst 28h goes: the Plus family's ROM call dispatcher.
constexpr uint16_t kRst28 = 0x28;

struct Ti83::Impl {
    Z80EX_CONTEXT* cpu = nullptr;
    std::array<uint8_t, 65536> mem{};
    // Set by the callbacks, cleared by the run loop.
    unsigned events = 0;
    uint16_t instrPc = 0; // start of the instruction being executed (or the last one)
    uint16_t trapPc = 0;  // the ROM address of a kTrapped fetch
    uint16_t trapR = 0;   // R before that fetch
    std::deque<uint8_t> keys;
    size_t keysUsed = 0;
    std::vector<AddressRange> writable;
    // Guarded writes: bit set = a RAM address inside the writable ranges.
    std::array<uint8_t, 65536 / 8> writableRam{};
    uint64_t runawayLimit = 60'000'000;
    uint64_t frameLimit = kDefaultFrameLimit;
    uint64_t frameCount = 0;       // frames since the start
    uint64_t framesWithoutKey = 0; // since _getkey last returned a key (or the start)
    uint64_t keylessLimit = UINT64_MAX;
    uint64_t keyAt = 0; // total when _getkey last returned a key (or the start)
    std::function<void(const Frame&)> frameListener;
    bool clobber = true;
    std::vector<Frame> frames;
    std::array<uint8_t, 768> lcd{};
    uint64_t total = 0;      // program T-states since the start
    uint64_t frameStart = 0; // total at the last frame (or the start)
    const CalculatorModel* model = nullptr;
    Z80EX_BYTE (*mreadStart)(Z80EX_CONTEXT*, Z80EX_WORD, int, void*); // mread of the model
    uint64_t romTotal = 0;      // T-states charged for ROM calls since the start
    uint64_t romSinceFrame = 0; // of which since the last frame
    bool powerDownPending = false;
    AddressRange program{kProgramStart, kProgramStart}; // what loadProgram() wrote last
    bool finished = true;
    bool inRoutine = false; // callRoutine: _getkey without keys stops the run
    RunResult last{StopReason::Returned, "not started"};
    std::optional<std::string> violation;
    uint32_t scramble = 0x2545F491u;

    // Reads memory at the start of an instruction (the run loop switches to
    // mreadInside for the rest of a prefixed one). An instruction fetched
    // below 8000h is the program calling into ROM (a trapped routine, the
    // return to the calculator or a fault): the CPU gets a stand-in opcode
    // instead, and the run loop deals with the call once the step has ended.
    // kExecutableRam: the bytes of RAM from 8000h the model runs code in (a
    // constant, so that the check costs what a plain ROM test does).
    template <uint16_t kExecutableRam>
    static Z80EX_BYTE mread(Z80EX_CONTEXT* cpu, Z80EX_WORD addr, int m1, void* self) {
        Impl* d = static_cast<Impl*>(self);
        const uint8_t value = d->mem[addr];
        if (m1) {
            // Below 8000h (ROM), or RAM the model does not execute.
            if (static_cast<uint16_t>(addr - 0x8000) >= kExecutableRam) [[unlikely]] {
                d->trapPc = addr;
                d->trapR = z80ex_get_reg(cpu, regR);
                d->events |= kTrapped;
                return kStandInOpcode;
            }
            d->instrPc = addr;
            if (const uint8_t e = kOpcodeEvents[value]) [[unlikely]]
                d->events |= e;
        }
        return value;
    }
    // Reads memory after a prefix: opcode fetches here are no instruction
    // starts.
    static Z80EX_BYTE mreadInside(Z80EX_CONTEXT*, Z80EX_WORD addr, int m1, void* self) {
        Impl* d = static_cast<Impl*>(self);
        const uint8_t value = d->mem[addr];
        if (m1)
            d->events |= kOpcodeEvents[value];
        return value;
    }
    // Writes without writable ranges: RAM only, ROM writes are ignored.
    static void mwrite(Z80EX_CONTEXT*, Z80EX_WORD addr, Z80EX_BYTE value, void* self) {
        if (addr & 0x8000)
            static_cast<Impl*>(self)->mem[addr] = value;
    }
    // Writes with writable ranges.
    static void mwriteGuarded(Z80EX_CONTEXT*, Z80EX_WORD addr, Z80EX_BYTE value, void* self) {
        Impl* d = static_cast<Impl*>(self);
        if (d->writableRam[addr >> 3] & (1u << (addr & 7)))
            d->mem[addr] = value;
        else
            d->writeOutsideRam(addr, value);
    }
    uint64_t sinceFrame() const { return total - frameStart; }
    // The program has gone on too long without reading a key to draw another
    // frame.
    bool keyless() const { return framesWithoutKey == frameLimit || total - keyAt > keylessLimit; }
    // The total beyond which the run is a runaway.
    uint64_t runawayDeadline() const {
        return runawayLimit > UINT64_MAX - frameStart ? UINT64_MAX : frameStart + runawayLimit;
    }

    static Z80EX_BYTE pread(Z80EX_CONTEXT*, Z80EX_WORD, void*) { return 0xFF; }
    static void pwrite(Z80EX_CONTEXT*, Z80EX_WORD, Z80EX_BYTE, void*) {}
    static Z80EX_BYTE intread(Z80EX_CONTEXT*, void*) { return 0xFF; }

    // A guarded write that is not to writable RAM: to ROM inside the ranges
    // (ignored) or outside the ranges (the first one is reported).
    void writeOutsideRam(uint16_t addr, uint8_t value) {
        bool ok = std::any_of(writable.begin(), writable.end(),
                              [&](const AddressRange& r) { return r.contains(addr); });
        if (ok)
            return; // ROM
        if (!violation)
            violation = "write of " + std::to_string(value) + " to " + hex(addr) +
                        " outside the writable ranges, by the instruction at PC " + hex(instrPc);
        events |= kViolation;
    }

    void setWritableRanges(std::vector<AddressRange> ranges) {
        writable = std::move(ranges);
        writableRam.fill(0);
        for (const AddressRange& r : writable)
            for (uint32_t a = std::max<uint32_t>(r.first, 0x8000); a <= r.last; ++a)
                writableRam[a >> 3] |= static_cast<uint8_t>(1u << (a & 7));
        z80ex_set_memwrite_callback(cpu, writable.empty() ? mwrite : mwriteGuarded, this);
    }

    using Reader = Z80EX_BYTE (*)(Z80EX_CONTEXT*, Z80EX_WORD, int, void*);
    static Reader readerFor(uint32_t executableEnd) {
        switch (executableEnd) {
        case 0x10000:
            return mread<0x8000>;
        case 0xC000:
            return mread<0x4000>;
        }
        throw std::logic_error("no instruction reader for code ending at " + hex(executableEnd));
    }

    explicit Impl(Model m)
        : model(&calculatorModel(m)), mreadStart(readerFor(model->executableEnd)) {
        cpu =
            z80ex_create(mreadStart, this, mwrite, this, pread, this, pwrite, this, intread, this);
    }
    ~Impl() { z80ex_destroy(cpu); }

    uint16_t reg(Z80_REG_T r) const { return z80ex_get_reg(cpu, r); }
    void setReg(Z80_REG_T r, uint16_t v) { z80ex_set_reg(cpu, r, v); }

    void push(uint16_t v) {
        uint16_t sp = reg(regSP);
        sp -= 2;
        mem[sp] = v & 0xFF;
        mem[static_cast<uint16_t>(sp + 1)] = v >> 8;
        setReg(regSP, sp);
    }
    uint16_t pop() {
        uint16_t sp = reg(regSP);
        uint16_t v = mem[sp] | (mem[static_cast<uint16_t>(sp + 1)] << 8);
        setReg(regSP, sp + 2);
        return v;
    }

    uint16_t nextScramble() {
        scramble ^= scramble << 13;
        scramble ^= scramble >> 17;
        scramble ^= scramble << 5;
        return static_cast<uint16_t>(scramble);
    }

    void setup(uint16_t entry) {
        z80ex_reset(cpu);
        setReg(regIY, model->systemFlags);
        setReg(regSP, kInitialStackPointer);
        setReg(regIM, 1);
        push(kReturnAddress);
        setReg(regPC, entry);
        frames.clear();
        frameCount = framesWithoutKey = keyAt = 0;
        lcd.fill(0);
        total = frameStart = 0;
        romTotal = romSinceFrame = 0;
        powerDownPending = false;
        keysUsed = 0;
        violation.reset();
        events = 0;
        scramble = 0x2545F491u;
        finished = false;
        last = {StopReason::KeyWanted, "running"};
    }

    RunResult stop(StopReason reason, std::string message) {
        finished = true;
        last = {reason, std::move(message)};
        return last;
    }

    void charge(RomRoutine routine) {
        const uint64_t t = romCallCost(routine).tstates + model->romCallDispatchTstates;
        romTotal += t;
        romSinceFrame += t;
    }

    uint16_t wordAt(uint16_t address) const {
        return mem[address] | (mem[static_cast<uint16_t>(address + 1)] << 8);
    }

    // The routine a trap at `pc` calls and where it returns to: on the TI-83
    // the address itself and the word on the stack; on the Plus family rst
    // 28h, the word after the rst (its return address on the stack) and past
    // that word. nullopt when nothing is called there.
    struct Called {
        RomRoutine routine;
        uint16_t returnTo;
    };
    std::optional<Called> calledAt(uint16_t pc) const {
        const uint16_t top = wordAt(reg(regSP));
        uint16_t address = pc, returnTo = top;
        if (model->romCallsByRst28) {
            if (pc != kRst28)
                return std::nullopt;
            address = wordAt(top);
            returnTo = static_cast<uint16_t>(top + 2);
        }
        for (const RomCall& call : model->romCalls)
            if (call.address == address)
                return Called{call.routine, returnTo};
        return std::nullopt;
    }

    uint8_t* graphBuffer() { return mem.data() + model->graphBuffer.first; }

    // Performs a trapped ROM call; false when the address is no ROM call or
    // _getkey has no key yet.
    bool romCall(uint16_t pc, bool& keyWanted) {
        keyWanted = false;
        const std::optional<Called> call = calledAt(pc);
        if (!call)
            return false;
        switch (call->routine) {
        case RomRoutine::ClearLcd:
            lcd.fill(0);
            break;
        case RomRoutine::ClearGraphBuffer:
            std::fill(graphBuffer(), graphBuffer() + kGraphBufferSize, 0);
            break;
        case RomRoutine::CopyGraphBuffer: {
            if (keyless())
                return false;
            charge(call->routine);
            Frame f;
            std::copy(graphBuffer(), graphBuffer() + kGraphBufferSize, f.graphBuffer.begin());
            f.tstates = sinceFrame();
            f.romTstates = romSinceFrame;
            f.totalTstates = total;
            f.keysUsed = keysUsed;
            lcd = f.graphBuffer;
            frameStart = total;
            romSinceFrame = 0;
            ++frameCount;
            ++framesWithoutKey;
            if (frameListener)
                frameListener(f);
            else
                frames.push_back(f);
            break;
        }
        case RomRoutine::GetKey:
            if (powerDownPending) {
                // The OS keeps the display's contents in saveSScreen while
                // the calculator is off.
                std::copy(lcd.begin(), lcd.end(), mem.begin() + model->saveSScreen.first);
                powerDownPending = false;
            }
            if (keys.empty()) {
                keyWanted = true;
                return false;
            }
            break;
        }
        if (call->routine != RomRoutine::CopyGraphBuffer)
            charge(call->routine);
        uint16_t af = reg(regAF);
        if (clobber) {
            af = nextScramble();
            setReg(regBC, nextScramble());
            setReg(regDE, nextScramble());
            setReg(regHL, nextScramble());
        }
        if (call->routine == RomRoutine::GetKey) {
            af = static_cast<uint16_t>((keys.front() << 8) | (af & 0xFF));
            keys.pop_front();
            ++keysUsed;
            framesWithoutKey = 0;
            keyAt = total;
        }
        setReg(regAF, af);
        pop();
        setReg(regPC, call->returnTo);
        return true;
    }

    // The program reached ROM at trapPc; the CPU has executed the stand-in
    // opcode there. Undoes it (it costs no T-states) and performs the call:
    // nullopt when the program goes on.
    std::optional<RunResult> trapped() {
        setReg(regPC, trapPc);
        setReg(regR, trapR);
        const uint16_t pc = trapPc;
        if (pc == kReturnAddress)
            return stop(StopReason::Returned,
                        "the program returned after " + std::to_string(frameCount) + " frame(s)");
        if (pc >= 0x8000)
            return stop(StopReason::Fault,
                        "execution reached " + hex(pc) + ", but the " + std::string(model->name) +
                            " runs no code from " + hex(model->executableEnd) +
                            " on (memory protection): a program's code must end before it");
        bool keyWanted = false;
        if (romCall(pc, keyWanted))
            return std::nullopt;
        if (const std::optional<Called> call = calledAt(pc);
            call && call->routine == RomRoutine::CopyGraphBuffer)
            return stop(StopReason::FrameLimit,
                        "runaway: the program drew " + std::to_string(framesWithoutKey) +
                            " frames in " + std::to_string(total - keyAt) +
                            " T-states without reading a key (the " +
                            (framesWithoutKey == frameLimit ? "frame" : "T-state") +
                            " limit); stopped at the next copy to the LCD, called from " +
                            hex(call->returnTo - 3));
        if (keyWanted) {
            if (inRoutine)
                return stop(StopReason::KeysExhausted, "_getkey called with no key left");
            last = {StopReason::KeyWanted, "_getkey waits for a key"};
            return last;
        }
        const uint16_t ret = wordAt(reg(regSP));
        if (model->romCallsByRst28 && pc == kRst28)
            return stop(StopReason::Fault, "rst 28h called " + hex(wordAt(ret)) +
                                               ", which is not an emulated ROM call (from " +
                                               hex(ret - 1) + ")");
        return stop(StopReason::Fault, "execution reached ROM address " + hex(pc) +
                                           ", which is not an emulated ROM call (came from "
                                           "around " +
                                           hex(ret) + " or " + hex(instrPc) + ")");
    }

    // Runs until the program stops or waits for a key. The T-state count
    // lives in a local while the CPU runs; the members get it back whenever
    // anything else may look at it.
    RunResult loop() {
        if (finished)
            return last;
        uint64_t now = total;
        uint64_t runawayAt = runawayDeadline();
        for (;;) {
            int t = z80ex_step(cpu);
            if (events) [[unlikely]] {
                if (events & kTrapped) {
                    events = 0;
                    total = now;
                    std::optional<RunResult> r = trapped();
                    if (r)
                        return *r;
                    runawayAt = runawayDeadline(); // a frame restarts the count
                    continue;
                }
                if (events & kPrefix) {
                    // The step executed a prefix (an instruction's first
                    // opcode fetch is a whole step). The instruction goes on
                    // until a step fetches no prefix byte, or the CPU says
                    // the prefix-valued byte it fetched ended the instruction.
                    z80ex_set_memread_callback(cpu, mreadInside, this);
                    do {
                        events &= ~kPrefix;
                        t += z80ex_step(cpu);
                    } while ((events & kPrefix) && z80ex_last_op_type(cpu) != 0);
                    z80ex_set_memread_callback(cpu, mreadStart, this);
                }
            }
            now += static_cast<uint64_t>(t);
            if (events) [[unlikely]] {
                total = now;
                if (events & kViolation)
                    return stop(StopReason::WriteGuard, *violation);
                if ((events & kHaltOpcode) && z80ex_doing_halt(cpu))
                    return stop(StopReason::Fault,
                                "HALT at PC " + hex(instrPc) + ": interrupts are not emulated");
                events = 0;
            }
            if (now > runawayAt) [[unlikely]] {
                total = now;
                return stop(StopReason::Runaway, "runaway: " + std::to_string(sinceFrame()) +
                                                     " T-states without a frame (limit " +
                                                     std::to_string(runawayLimit) + "), PC " +
                                                     hex(reg(regPC)));
            }
        }
    }
};

Ti83::Ti83(Model model) : d(std::make_unique<Impl>(model)) {}
Ti83::~Ti83() = default;

void Ti83::clearMemory() {
    d->mem.fill(0);
}
const CalculatorModel& Ti83::model() const {
    return *d->model;
}
void Ti83::loadProgram(const std::vector<uint8_t>& code) {
    loadProgram(code, d->model->origin);
}
void Ti83::loadProgram(const std::vector<uint8_t>& code, uint16_t at) {
    const size_t size = std::min<size_t>(code.size(), 0x10000 - at);
    std::copy_n(code.begin(), size, d->mem.begin() + at);
    d->program = {at, static_cast<uint16_t>(at + std::max<size_t>(size, 1) - 1)};
}
void Ti83::setKeys(std::vector<uint8_t> codes) {
    d->keys.assign(codes.begin(), codes.end());
}
void Ti83::setWritableRanges(std::vector<AddressRange> ranges) {
    d->setWritableRanges(std::move(ranges));
}
void Ti83::setRunawayLimit(uint64_t t) {
    d->runawayLimit = t;
}
void Ti83::setFrameLimit(uint64_t framesWithoutKey) {
    d->frameLimit = framesWithoutKey;
}
void Ti83::setKeylessLimit(uint64_t tstatesWithoutKey) {
    d->keylessLimit = tstatesWithoutKey;
}
void Ti83::setFrameListener(std::function<void(const Frame&)> listener) {
    d->frameListener = std::move(listener);
}
void Ti83::setRomCallsClobberRegisters(bool clobber) {
    d->clobber = clobber;
}

RunResult Ti83::run() {
    start();
    RunResult r = runUntilKeyWanted();
    if (r.reason == StopReason::KeyWanted)
        r = d->stop(StopReason::KeysExhausted, "the key script ended after " +
                                                   std::to_string(d->keysUsed) + " key(s) and " +
                                                   std::to_string(d->frameCount) + " frame(s)");
    return r;
}

RunResult Ti83::callRoutine(uint16_t address, Registers in, Registers* out) {
    d->setup(address);
    // setup() pushed the return address on the default stack; redo it on in.sp.
    d->setReg(regSP, in.sp);
    d->push(kReturnAddress);
    d->setReg(regAF, in.af);
    d->setReg(regBC, in.bc);
    d->setReg(regDE, in.de);
    d->setReg(regHL, in.hl);
    d->setReg(regIX, in.ix);
    d->setReg(regIY, in.iy);
    d->inRoutine = true;
    RunResult r = d->loop();
    d->inRoutine = false;
    if (out)
        *out = registers();
    return r;
}

void Ti83::start() {
    d->setup(d->model->entry);
}
void Ti83::start(uint16_t entry) {
    d->setup(entry);
}
RunResult Ti83::runUntilKeyWanted() {
    return d->loop();
}
void Ti83::pressKey(uint8_t code) {
    d->keys.push_back(code);
}
void Ti83::powerDown() {
    d->powerDownPending = true;
}
bool Ti83::finished() const {
    return d->finished;
}
void Ti83::continueFrom(const Ti83& earlier) {
    const Impl& e = *earlier.d;
    for (uint32_t a = 0x8000; a < 0x10000; ++a)
        if (!d->program.contains(static_cast<uint16_t>(a)))
            d->mem[a] = e.mem[a];
    for (Z80_REG_T r : {regAF, regBC, regDE, regHL, regAF_, regBC_, regDE_, regHL_, regIX, regIY,
                        regPC, regSP, regI, regR, regR7, regIM, regIFF1, regIFF2})
        d->setReg(r, e.reg(r));
    d->lcd = e.lcd;
    d->keys = e.keys;
    d->keysUsed = e.keysUsed;
    d->scramble = e.scramble;
    d->finished = e.finished;
    d->last = e.last;
    d->frames.clear();
    d->frameCount = d->keyAt = 0;
    d->framesWithoutKey = e.framesWithoutKey;
    d->total = d->frameStart = d->romTotal = d->romSinceFrame = 0;
    d->powerDownPending = false;
    d->violation.reset();
    d->events = 0;
}

const std::vector<Frame>& Ti83::frames() const {
    return d->frames;
}
uint64_t Ti83::frameCount() const {
    return d->frameCount;
}
const std::array<uint8_t, 768>& Ti83::lcd() const {
    return d->lcd;
}
uint64_t Ti83::totalTstates() const {
    return d->total;
}
uint64_t Ti83::romTstates() const {
    return d->romTotal;
}
size_t Ti83::keysUsed() const {
    return d->keysUsed;
}
Registers Ti83::registers() const {
    Registers r;
    r.af = d->reg(regAF);
    r.bc = d->reg(regBC);
    r.de = d->reg(regDE);
    r.hl = d->reg(regHL);
    r.ix = d->reg(regIX);
    r.iy = d->reg(regIY);
    r.sp = d->reg(regSP);
    return r;
}
uint16_t Ti83::pc() const {
    return d->reg(regPC);
}
uint8_t Ti83::peek(uint16_t address) const {
    return d->mem[address];
}
void Ti83::poke(uint16_t address, uint8_t value) {
    d->mem[address] = value;
}
uint16_t Ti83::peekWord(uint16_t address) const {
    return d->mem[address] | (d->mem[static_cast<uint16_t>(address + 1)] << 8);
}

} // namespace torvex::z80
