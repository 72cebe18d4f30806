// The emulated TI-83 on small programs of our own.
#include "z80/assembler.h"
#include "z80/ti83.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace torvex::z80;

namespace {

Assembly program(const std::string& body) {
    Assembly a = assemble("#include \"ti83asm.inc\"\n .org 9327h\n" + body + "\n", "test.z80");
    EXPECT_EQ(a.origin, kProgramStart);
    return a;
}

std::string pcOf(const Assembly& a, const char* label) {
    char text[16];
    std::snprintf(text, sizeof text, "%04Xh", a.labels.at(label));
    return text;
}

// A run with a key script: how it ends, what the message names ("@here": the
// label here:'s address), and words of memory afterwards (`destroyed`: no
// longer 5A5Ah, as BC, DE and HL after a ROM call on the calculator).
struct RunCase {
    const char* what;
    std::string body;
    StopReason reason;
    std::vector<std::string> messageHas = {};
    std::vector<std::pair<uint16_t, uint16_t>> words = {};
    std::vector<uint16_t> destroyed = {};
    std::vector<uint8_t> keys = {};
    std::vector<AddressRange> writable = {};
    uint64_t runawayLimit = 60'000'000;
    uint64_t frameLimit = kDefaultFrameLimit;
    uint64_t keylessLimit = UINT64_MAX;
};

const std::vector<RunCase> kRuns = {
    {.what = "IY holds the system flags; ROM calls keep IX, IY and SP, destroy BC, DE and HL",
     .body = " ld ix,1234h\n ld (8270h),sp\n ld hl,5A5Ah \\ call _GRBUFCLR \\ ld (8274h),hl\n"
             " ld hl,5A5Ah \\ call _getkey \\ ld (8276h),hl\n ld hl,5A5Ah \\ call _CLRLCDFULL\n"
             " ld (8278h),hl \\ ld hl,5A5Ah \\ push hl \\ pop af \\ call _GRBUFCLR \\ push af \\ "
             "pop hl \\ ld (8280h),hl\n"
             " ld bc,5A5Ah \\ ld d,b \\ ld e,c \\ ld h,b \\ ld l,c\n call "
             "_GRBUFCPY_V\n"
             " ld (827Ah),hl \\ ld (827Ch),bc \\ ld (827Eh),de\n"
             " ld (8265h),ix\n ld (8267h),iy\n ld (8272h),sp\n ret",
     .reason = StopReason::Returned,
     .words = {{0x8265, 0x1234}, {0x8267, kSystemFlags}, {0x8270, 0xFFEE}, {0x8272, 0xFFEE}},
     .destroyed = {0x8274, 0x8276, 0x8278, 0x827A, 0x827C, 0x827E, 0x8280}, // and AF
     .keys = {key::Del}},
    {.what = "_getkey returns the script, then the run stops",
     .body = " ld hl,8265h\nloop:\n push hl\n call _getkey\n pop hl\n ld (hl),a\n inc hl\n jr loop",
     .reason = StopReason::KeysExhausted,
     .messageHas = {"3 key(s)"},
     .words = {{0x8265, key::Left << 8 | key::Right}, {0x8267, key::Mode}},
     .keys = {key::Right, key::Left, key::Mode}},
    {.what = "a write outside the ranges names address and instruction",
     .body = " ld a,1\n ld (PLOTSSCREEN),a\n ld (8E29h+767),a\nhere:\n ld (9200h),a\n ret",
     .reason = StopReason::WriteGuard,
     .messageHas = {"9200h", "PC @here"},
     .words = {{kGraphBuffer, 1}, {0x9200, 0}},
     .writable = {{kGraphBuffer, kGraphBuffer + 767}, kStackRange}},
    {.what = "pushes are guarded",
     .body = " push hl\n pop hl\n ret",
     .reason = StopReason::WriteGuard,
     .messageHas = {"outside"},
     .writable = {{kGraphBuffer, kGraphBuffer + 767}}},
    {.what = "a runaway is counted at instruction boundaries (ld ix,nn takes 14)",
     .body = "loop:\n ld ix,0\n ld ix,0\n ld ix,0\n ld ix,0\n ld ix,0\n jr loop",
     .reason = StopReason::Runaway,
     .messageHas = {"runaway: 56 T-states", "limit 50"},
     .runawayLimit = 50},
    {.what = "the runaway count restarts at each frame",
     .body = " ld c,10\nframes:\n ld d,4\nouter:\n ld b,0\ninner:\n djnz inner\n dec d\n"
             " jr nz,outer\n push bc\n call _GRBUFCPY_V\n pop bc\n dec c\n jr nz,frames\n ret",
     .reason = StopReason::Returned,
     .messageHas = {"10 frame(s)"},
     .runawayLimit = 20'000},
    {.what = "drawing without reading a key stops at the frame limit",
     .body = "here:\n call _GRBUFCPY_V\n jr here",
     .reason = StopReason::FrameLimit,
     .messageHas = {"drew 3 frames in 104 T-states without reading a key (the frame limit)",
                    "called from @here"},
     .frameLimit = 3},
    {.what = "drawing too long without reading a key stops at the T-state limit",
     .body = "here:\n ld b,10\nwait:\n djnz wait\n call _GRBUFCPY_V\n jr here",
     .reason = StopReason::FrameLimit,
     .messageHas = {"drew 2 frames in 471 T-states without reading a key (the T-state limit)"},
     .keylessLimit = 400},
    {.what = "a key read restarts the frame count",
     .body = " ld b,3\nloop:\n push bc\n call _GRBUFCPY_V\n call _GRBUFCPY_V\n call _getkey\n"
             " pop bc\n djnz loop\n ret",
     .reason = StopReason::Returned,
     .messageHas = {"6 frame(s)"},
     .keys = {key::Del, key::Del, key::Del},
     .frameLimit = 2},
    {"a jump into ROM outside the calls is a fault",
     " nop\nhere:\n jp 4000h",
     StopReason::Fault,
     {"4000h", "@here"}},
    {"HALT is reported", " nop\nhere:\n halt", StopReason::Fault, {"HALT at PC @here"}},
    {"HALT behind an index prefix too",
     " nop\nhere:\n .db 0DDh,76h\n ret",
     StopReason::Fault,
     {"HALT at PC @here"}},
    {"bit 6,(hl) (CB 76) and ED 76 do not halt", " ld hl,8265h\n bit 6,(hl)\n .db 0EDh,76h\n ret",
     StopReason::Returned},
};

// Prefixed writes are named by the start of their instruction.
const char* const kPrefixedWrites[] = {" ld (ix+1),a", " set 0,(iy+2)", " .db 0DDh,0FDh,77h,03h",
                                       " ld (9200h),ix", " rld"};

} // namespace

TEST(Ti83, RunsEndAndReportAsTheyShould) {
    std::vector<RunCase> cases = kRuns;
    for (const char* write : kPrefixedWrites)
        cases.push_back({.what = write,
                         .body = std::string(" ld ix,9200h\n ld iy,9200h\n ld hl,9200h\n xor a\n"
                                             "here:\n") +
                                 write + "\n ret",
                         .reason = StopReason::WriteGuard,
                         .messageHas = {"PC @here"},
                         .writable = {kStackRange}});
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Assembly a = program(c.body);
        Ti83 calc;
        calc.loadProgram(a.bytes);
        calc.setKeys(c.keys);
        calc.setWritableRanges(c.writable);
        calc.setRunawayLimit(c.runawayLimit);
        calc.setFrameLimit(c.frameLimit);
        calc.setKeylessLimit(c.keylessLimit);
        const RunResult r = calc.run();
        EXPECT_EQ(r.reason, c.reason) << r.message;
        EXPECT_EQ(calc.finished(), true);
        for (std::string part : c.messageHas) {
            if (const size_t at = part.find("@here"); at != std::string::npos)
                part.replace(at, 5, pcOf(a, "here"));
            EXPECT_NE(r.message.find(part), std::string::npos) << part << " in " << r.message;
        }
        for (const auto& [address, value] : c.words)
            EXPECT_EQ(calc.peekWord(address) & (value > 0xFF ? 0xFFFF : 0xFF), value)
                << std::hex << address;
        for (uint16_t address : c.destroyed)
            EXPECT_NE(calc.peekWord(address), 0x5A5A) << std::hex << address;
    }
}

TEST(Ti83, TheRomRoutinesClearWhatTheyShould) {
    Ti83 calc;
    for (int i = -1; i <= 768; ++i)
        calc.poke(static_cast<uint16_t>(kGraphBuffer + i), 0xAA);
    calc.loadProgram(
        program(" call _GRBUFCPY_V \\ call _getkey \\ call _CLRLCDFULL \\ call _getkey\n"
                " call _GRBUFCLR \\ call _GRBUFCPY_V \\ ret")
            .bytes);
    calc.start();
    ASSERT_EQ(calc.runUntilKeyWanted().reason, StopReason::KeyWanted);
    EXPECT_EQ(calc.lcd()[767], 0xAA);
    calc.pressKey(key::Enter);
    ASSERT_EQ(calc.runUntilKeyWanted().reason, StopReason::KeyWanted);
    EXPECT_EQ(calc.lcd()[0], 0x00) << "_CLRLCDFULL clears the display";
    EXPECT_EQ(calc.peek(kGraphBuffer), 0xAA) << "...not the graph buffer";
    calc.pressKey(key::Enter);
    ASSERT_EQ(calc.runUntilKeyWanted().reason, StopReason::Returned);
    EXPECT_EQ(calc.peek(kGraphBuffer - 1), 0xAA) << "_GRBUFCLR clears 768 bytes only";
    EXPECT_EQ(calc.peek(kGraphBuffer + 768), 0xAA);
    ASSERT_EQ(calc.frames().size(), 2u);
    EXPECT_EQ(calc.frames()[1].graphBuffer, (std::array<uint8_t, 768>{}));
}

TEST(Ti83, TstatesOfKnownSequencePerFrame) {
    Ti83 calc;
    calc.loadProgram(program(R"(
 nop                 ; 4
 ld a,5              ; 7
 ld b,a              ; 4
 ld hl,1234h         ; 10
 add hl,hl           ; 11
 ld (ix+3),a         ; 19
 call _GRBUFCPY_V    ; 17 (the routine itself is charged apart)
 ld b,3              ; 7
wait:
 djnz wait           ; 13 + 13 + 8
 push bc             ; 11
 pop bc              ; 10
 call _getkey        ; 17
 call _CLRLCDFULL    ; 17
 call _GRBUFCLR      ; 17
 call _GRBUFCPY_V    ; 17
 ret)")
                         .bytes);
    calc.setKeys({key::Enter});
    RunResult r = calc.run();
    ASSERT_EQ(r.reason, StopReason::Returned) << r.message;
    ASSERT_EQ(calc.frames().size(), 2u);
    EXPECT_EQ(calc.frames()[0].tstates, 4u + 7 + 4 + 10 + 11 + 19 + 17);
    EXPECT_EQ(calc.frames()[1].tstates, 7u + 13 + 13 + 8 + 11 + 10 + 4 * 17);
    EXPECT_EQ(calc.frames()[1].totalTstates, calc.frames()[0].tstates + calc.frames()[1].tstates);
    // The ROM calls' own time (estimates but the ldir's 16,123 and its set-up) goes
    // to the frame they belong to: a copy, _getkey, clearing display and buffer.
    EXPECT_EQ(calc.frames()[0].romTstates, 51'600u);
    EXPECT_EQ(calc.frames()[1].romTstates, 3'000u + 51'600 + 16'173 + 51'600);
    EXPECT_EQ(calc.romTstates(), 3'000u + 3 * 51'600 + 16'173);
}

TEST(Ti83, SteppingKeyByKeyIsTheScriptedRunAndLeavesNoTrace) {
    // R counts four opcode fetches across each trapped call (ld b,a; call;
    // ld a,r): the call itself adds none, and neither does waiting for a key,
    // which costs no T-states either. ROM calls may keep the registers.
    const std::string body =
        " ld a,r \\ ld b,a \\ call _GRBUFCLR \\ ld a,r \\ sub b \\ and 7Fh \\ ld (8265h),a\n"
        " ld a,r \\ ld b,a \\ call _getkey \\ ld a,r \\ sub b \\ and 7Fh \\ ld (8266h),a\n"
        " ld bc,1111h \\ call _getkey \\ ld (8267h),bc \\ call _GRBUFCPY_V \\ ret";
    Ti83 script, stepped;
    for (Ti83* calc : {&script, &stepped}) {
        calc->setRomCallsClobberRegisters(false);
        calc->loadProgram(program(body).bytes);
    }
    script.setKeys({key::Up, key::Down});
    ASSERT_EQ(script.run().reason, StopReason::Returned);
    std::vector<Frame> streamed;
    stepped.setFrameListener([&](const Frame& f) { streamed.push_back(f); });
    stepped.start();
    for (uint8_t k : {key::Up, key::Down}) {
        for (int wait = 0; wait < 3; ++wait) {
            ASSERT_EQ(stepped.runUntilKeyWanted().reason, StopReason::KeyWanted);
            EXPECT_FALSE(stepped.finished());
        }
        stepped.pressKey(k);
    }
    ASSERT_EQ(stepped.runUntilKeyWanted().reason, StopReason::Returned);
    EXPECT_EQ(stepped.peek(0x8265), 4);
    EXPECT_EQ(stepped.peek(0x8266), 4);
    EXPECT_EQ(stepped.peekWord(0x8267), 0x1111);
    ASSERT_EQ(streamed.size(), 1u);
    EXPECT_EQ(streamed[0].tstates, script.frames()[0].tstates);
    EXPECT_TRUE(stepped.frames().empty()) << "a listener's frames are not kept";
    EXPECT_EQ(stepped.frameCount(), 1u);
    EXPECT_EQ(stepped.totalTstates(), script.totalTstates());
    EXPECT_EQ(stepped.pc(), kReturnAddress);
}

// IY = 89F0h; an unknown rst 28h, a TI-83 call or a jump into protected RAM stops.
TEST(Ti83, ThePlusFamilyCallsTheRomWithRst28) {
    const CalculatorModel& plus = calculatorModel(Model::Ti83Plus);
    Ti83 calc(Model::Ti83Plus);
    const auto run = [&](const std::string& body) {
        calc.loadProgram(
            assemble("#include \"ti83plus.inc\"\n .org 9D93h\n .db 0BBh,6Dh\n" + body, "p.z80")
                .bytes);
        return calc.run();
    };
    for (const auto& [body, message] : std::vector<std::pair<std::string, std::string>>{
             {" push iy \\ pop hl \\ ld (appBackUpScreen),hl \\ rst 28h \\ .dw 1234h",
              "rst 28h called 1234h"},
             {" call 4CFEh", "4CFEh"},
             {" jp 0C000h", "C000h"}}) {
        const RunResult r = run(body);
        EXPECT_EQ(r.reason, StopReason::Fault);
        EXPECT_NE(r.message.find(message), std::string::npos) << r.message;
    }
    EXPECT_EQ(calc.peekWord(plus.programRam.first), plus.systemFlags);
    // Each call costs the routine and about 400 T-states of dispatch through rst 28h.
    ASSERT_EQ(run(" rst 28h \\ .dw _GrBufCpy \\ rst 28h \\ .dw _GrBufClr\n rst 28h \\ .dw "
                  "_GrBufCpy \\ ret")
                  .reason,
              StopReason::Returned);
    ASSERT_EQ(calc.frames().size(), 2u);
    EXPECT_EQ(calc.frames()[0].romTstates, 52'000u);
    EXPECT_EQ(calc.frames()[1].romTstates, 16'573u + 52'000u);
}

TEST(Ti83, APrefixedInstructionMayWrapThroughAddressZero) {
    // nop at FFFEh, then jp (ix) whose second byte lies at 0000h, to a ret.
    Ti83 calc;
    calc.poke(0xFFFE, 0x00);
    calc.poke(0xFFFF, 0xDD);
    calc.poke(0x0000, 0xE9);
    calc.poke(kProgramStart, 0xC9);
    Registers in;
    in.ix = kProgramStart;
    in.sp = 0xFF00;
    const RunResult r = calc.callRoutine(0xFFFE, in);
    EXPECT_EQ(r.reason, StopReason::Returned) << r.message;
    EXPECT_EQ(calc.totalTstates(), 4u + 8 + 10);
}

TEST(Ti83, WriteGuardCoversEveryAddressOfItsRanges) {
    Ti83 calc;
    calc.loadProgram(program(" ld hl,(8265h)\n ld a,(8267h)\n ld (hl),a\n ret").bytes);
    const auto writeAt = [&](uint16_t address) {
        calc.poke(0x8265, address & 0xFF);
        calc.poke(0x8266, address >> 8);
        calc.poke(0x8267, 0x5A);
        if (address >= 0x8000)
            calc.poke(address, 0);
        return calc.run().reason;
    };
    // Unguarded, ROM writes are ignored; ranges at memory's ends, one byte wide.
    const std::vector<AddressRange> edges = {
        {0xFFFF, 0xFFFF}, {0x0000, 0x0001}, {0x8268, 0x8268}, kStackRange};
    const struct {
        bool guarded;
        uint16_t address;
        StopReason reason;
    } writes[] = {{false, 0x8000, StopReason::Returned},  {false, 0x7FFF, StopReason::Returned},
                  {true, 0xFFFF, StopReason::Returned},   {true, 0x8268, StopReason::Returned},
                  {true, 0x0001, StopReason::Returned},   {true, 0x0002, StopReason::WriteGuard},
                  {true, 0x8269, StopReason::WriteGuard}, {true, 0xFDFF, StopReason::WriteGuard},
                  {true, 0xFE00, StopReason::Returned},   {false, 0x8269, StopReason::Returned}};
    for (const auto& [guarded, address, reason] : writes) {
        calc.setWritableRanges(guarded ? edges : std::vector<AddressRange>{});
        EXPECT_EQ(writeAt(address), reason) << std::hex << address;
        EXPECT_EQ(calc.peek(address),
                  reason == StopReason::Returned && address >= 0x8000 ? 0x5A : 0)
            << std::hex << address;
    }
}
