// Tests of the emulated TI-83 on small programs of our own.
#include "z80/assembler.h"
#include "z80/ti83.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace torvex::z80;

namespace {

std::vector<uint8_t> code(const std::string& body) {
    std::string src = "#include \"ti83asm.inc\"\n .org 9327h\n" + body + "\n";
    Assembly a = assemble(src, "test.z80");
    EXPECT_EQ(a.origin, kProgramStart);
    return a.bytes;
}

RunResult runProgram(Ti83& calc, const std::string& body, std::vector<uint8_t> keys = {}) {
    calc.loadProgram(code(body));
    calc.setKeys(std::move(keys));
    return calc.run();
}

} // namespace

TEST(Ti83, ReturnEndsTheRun) {
    Ti83 calc;
    RunResult r = runProgram(calc, " ret");
    EXPECT_EQ(r.reason, StopReason::Returned) << r.message;
    EXPECT_TRUE(calc.frames().empty());
    EXPECT_TRUE(calc.finished());
}

TEST(Ti83, ProgramStartsWithIyAtSystemFlags) {
    Ti83 calc;
    RunResult r = runProgram(calc, " ld (8265h),iy\n ret");
    ASSERT_EQ(r.reason, StopReason::Returned) << r.message;
    EXPECT_EQ(calc.peekWord(0x8265), 0x8567);
}

TEST(Ti83, GraphBufferCopyCapturesFrameMsbLeftmost) {
    Ti83 calc;
    RunResult r = runProgram(calc, R"(
 ld a,80h
 ld (PLOTSSCREEN),a          ; pixel (0,0)
 ld a,01h
 ld (PLOTSSCREEN+(63*12)+11),a ; pixel (95,63)
 ld a,40h
 ld (PLOTSSCREEN+(12*5)+2),a   ; pixel (17,5)
 call _GRBUFCPY_V
 ret)");
    ASSERT_EQ(r.reason, StopReason::Returned) << r.message;
    ASSERT_EQ(calc.frames().size(), 1u);
    const Frame& f = calc.frames()[0];
    EXPECT_TRUE(f.pixel(0, 0));
    EXPECT_FALSE(f.pixel(1, 0));
    EXPECT_FALSE(f.pixel(7, 0));
    EXPECT_TRUE(f.pixel(95, 63));
    EXPECT_FALSE(f.pixel(94, 63));
    EXPECT_TRUE(f.pixel(17, 5));
    EXPECT_FALSE(f.pixel(16, 5));
    EXPECT_FALSE(f.pixel(96, 0));
    EXPECT_FALSE(f.pixel(-1, 0));
    int count = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 96; ++x)
            count += f.pixel(x, y);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(calc.lcd(), f.graphBuffer);
}

TEST(Ti83, GraphBufferClearClears768BytesOnly) {
    Ti83 calc;
    for (int i = -1; i <= 768; ++i)
        calc.poke(static_cast<uint16_t>(kGraphBuffer + i), 0xAA);
    RunResult r = runProgram(calc, " call _GRBUFCLR\n call _GRBUFCPY_V\n ret");
    ASSERT_EQ(r.reason, StopReason::Returned) << r.message;
    ASSERT_EQ(calc.frames().size(), 1u);
    for (uint8_t b : calc.frames()[0].graphBuffer)
        ASSERT_EQ(b, 0);
    EXPECT_EQ(calc.peek(kGraphBuffer - 1), 0xAA);
    EXPECT_EQ(calc.peek(kGraphBuffer + 768), 0xAA);
}

TEST(Ti83, ClearLcdClearsTheDisplayNotTheGraphBuffer) {
    Ti83 calc;
    calc.poke(kGraphBuffer, 0xFF);
    calc.loadProgram(code(R"(
 call _GRBUFCPY_V
 call _getkey
 call _CLRLCDFULL
 call _getkey
 ret)"));
    // Step key by key to look at the LCD in between.
    calc.start();
    RunResult r = calc.runUntilKeyWanted();
    ASSERT_EQ(r.reason, StopReason::KeyWanted);
    EXPECT_EQ(calc.lcd()[0], 0xFF);
    calc.pressKey(key::Enter);
    r = calc.runUntilKeyWanted();
    ASSERT_EQ(r.reason, StopReason::KeyWanted);
    EXPECT_EQ(calc.lcd()[0], 0x00);
    EXPECT_EQ(calc.peek(kGraphBuffer), 0xFF);
    calc.pressKey(key::Enter);
    r = calc.runUntilKeyWanted();
    EXPECT_EQ(r.reason, StopReason::Returned);
}

TEST(Ti83, GetKeyReturnsScriptThenStopsCleanly) {
    Ti83 calc;
    RunResult r = runProgram(calc, R"(
 ld hl,8265h
loop:
 push hl
 call _getkey
 pop hl
 ld (hl),a
 inc hl
 jr loop)",
                             {key::Right, key::Left, key::Mode});
    EXPECT_EQ(r.reason, StopReason::KeysExhausted) << r.message;
    EXPECT_EQ(calc.peek(0x8265), key::Right);
    EXPECT_EQ(calc.peek(0x8266), key::Left);
    EXPECT_EQ(calc.peek(0x8267), key::Mode);
    EXPECT_EQ(calc.keysUsed(), 3u);
}

TEST(Ti83, RomCallsKeepIxIyAndSp) {
    Ti83 calc;
    RunResult r = runProgram(calc, R"(
 ld ix,1234h
 ld (8270h),sp
 call _GRBUFCLR
 call _getkey
 call _CLRLCDFULL
 call _GRBUFCPY_V
 ld (8265h),ix
 ld (8267h),iy
 ld (8272h),sp
 ret)",
                             {key::Del});
    ASSERT_EQ(r.reason, StopReason::Returned) << r.message;
    EXPECT_EQ(calc.peekWord(0x8265), 0x1234);
    EXPECT_EQ(calc.peekWord(0x8267), kSystemFlags);
    EXPECT_EQ(calc.peekWord(0x8270), calc.peekWord(0x8272));
}

TEST(Ti83, RomCallsCanPreserveRegistersWhenAsked) {
    Ti83 calc;
    calc.setRomCallsClobberRegisters(false);
    RunResult r = runProgram(calc, R"(
 ld bc,1111h
 ld de,2222h
 ld hl,3333h
 call _GRBUFCLR
 ld (8265h),bc
 ld (8267h),de
 ld (8269h),hl
 ret)");
    ASSERT_EQ(r.reason, StopReason::Returned) << r.message;
    EXPECT_EQ(calc.peekWord(0x8265), 0x1111);
    EXPECT_EQ(calc.peekWord(0x8267), 0x2222);
    EXPECT_EQ(calc.peekWord(0x8269), 0x3333);
}

TEST(Ti83, WriteGuardNamesAddressAndPc) {
    Ti83 calc;
    calc.setWritableRanges({{kGraphBuffer, kGraphBuffer + 767}, kStackRange});
    Assembly a = assemble(R"(
 .org 9327h
 ld a,1
 ld (PLOTSSCREEN),a
 ld (8E29h+767),a
here:
 ld (9200h),a
 ret
#include "ti83asm.inc"
)",
                          "t.z80");
    calc.loadProgram(a.bytes);
    RunResult r = calc.run();
    ASSERT_EQ(r.reason, StopReason::WriteGuard) << r.message;
    EXPECT_NE(r.message.find("9200h"), std::string::npos) << r.message;
    char pc[16];
    std::snprintf(pc, sizeof pc, "%04Xh", a.labels.at("here"));
    EXPECT_NE(r.message.find(std::string("PC ") + pc), std::string::npos) << r.message;
    EXPECT_EQ(calc.peek(0x9200), 0);
    EXPECT_EQ(calc.peek(kGraphBuffer), 1);
}

TEST(Ti83, WriteGuardCoversPushes) {
    Ti83 calc;
    calc.setWritableRanges({{kGraphBuffer, kGraphBuffer + 767}});
    RunResult r = runProgram(calc, " push hl\n pop hl\n ret");
    EXPECT_EQ(r.reason, StopReason::WriteGuard) << r.message;
}

TEST(Ti83, TstatesOfKnownSequencePerFrame) {
    Ti83 calc;
    RunResult r = runProgram(calc, R"(
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
 call _GRBUFCLR      ; 17
 call _GRBUFCPY_V    ; 17
 ret)");
    ASSERT_EQ(r.reason, StopReason::Returned) << r.message;
    ASSERT_EQ(calc.frames().size(), 2u);
    EXPECT_EQ(calc.frames()[0].tstates, 4u + 7 + 4 + 10 + 11 + 19 + 17);
    EXPECT_EQ(calc.frames()[1].tstates, 7u + 13 + 13 + 8 + 11 + 10 + 17 + 17);
    EXPECT_EQ(calc.frames()[1].totalTstates, calc.frames()[0].tstates + calc.frames()[1].tstates);
    // The ROM calls' own time is charged to the frame they belong to.
    const uint64_t copy = romCallCost(RomRoutine::CopyGraphBuffer).tstates;
    const uint64_t clear = romCallCost(RomRoutine::ClearGraphBuffer).tstates;
    EXPECT_EQ(clear, 16'173u); // ldir over 768 bytes (16,123) and its set-up
    EXPECT_EQ(calc.frames()[0].romTstates, copy);
    EXPECT_EQ(calc.frames()[1].romTstates, clear + copy);
    EXPECT_EQ(calc.romTstates(), clear + 2 * copy);
}

TEST(Ti83, PowerDownInGetkeySavesTheDisplayInSaveSScreen) {
    Ti83 calc;
    calc.poke(kGraphBuffer + 5, 0x5A);
    calc.poke(kSaveSScreen + 767, 0x77);
    calc.loadProgram(code(" call _GRBUFCPY_V\n call _getkey\n call _getkey\n ret"));
    calc.start();
    ASSERT_EQ(calc.runUntilKeyWanted().reason, StopReason::KeyWanted);
    calc.powerDown();
    calc.pressKey(key::Enter);
    ASSERT_EQ(calc.runUntilKeyWanted().reason, StopReason::KeyWanted);
    EXPECT_EQ(calc.peek(kSaveSScreen + 5), 0x5A);
    EXPECT_EQ(calc.peek(kSaveSScreen + 767), 0);
    EXPECT_EQ(calc.keysUsed(), 1u);
    calc.poke(kSaveSScreen + 5, 0);
    calc.pressKey(key::Enter);
    EXPECT_EQ(calc.runUntilKeyWanted().reason, StopReason::Returned);
    EXPECT_EQ(calc.peek(kSaveSScreen + 5), 0) << "one power-down, not one per key";
}

TEST(Ti83, RunawayLimitStopsEndlessLoop) {
    Ti83 calc;
    calc.setRunawayLimit(100000);
    RunResult r = runProgram(calc, "forever:\n jr forever");
    EXPECT_EQ(r.reason, StopReason::Runaway) << r.message;
    EXPECT_NE(r.message.find("100000"), std::string::npos) << r.message;
}

TEST(Ti83, RunawayCountRestartsAtEachFrame) {
    Ti83 calc;
    calc.setRunawayLimit(20000);
    // Each frame spends about 13 * 256 * 4 T-states; 10 frames exceed the limit in total only.
    RunResult r = runProgram(calc, R"(
 ld c,10
frames:
 ld d,4
outer:
 ld b,0
inner:
 djnz inner
 dec d
 jr nz,outer
 push bc
 call _GRBUFCPY_V
 pop bc
 dec c
 jr nz,frames
 ret)");
    EXPECT_EQ(r.reason, StopReason::Returned) << r.message;
    EXPECT_EQ(calc.frames().size(), 10u);
}

TEST(Ti83, JumpIntoUnknownRomIsAFault) {
    Ti83 calc;
    RunResult r = runProgram(calc, " call 4000h\n ret");
    EXPECT_EQ(r.reason, StopReason::Fault);
    EXPECT_NE(r.message.find("4000h"), std::string::npos) << r.message;
}

TEST(Ti83, CallRoutineWithRegisters) {
    Ti83 calc;
    Assembly a = assemble(R"(
 .org 9327h
 ret
addup:
 add hl,de
 ld a,h
 xor l
 ret
)",
                          "t.z80");
    calc.loadProgram(a.bytes);
    Registers in;
    in.hl = 0x1200;
    in.de = 0x0034;
    Registers out;
    RunResult r = calc.callRoutine(a.labels.at("addup"), in, &out);
    ASSERT_EQ(r.reason, StopReason::Returned) << r.message;
    EXPECT_EQ(out.hl, 0x1234);
    EXPECT_EQ(out.a(), 0x12 ^ 0x34);
    EXPECT_EQ(out.sp, in.sp);
}

TEST(Ti83, SteppingOneKeyAtATime) {
    Ti83 calc;
    std::string body = R"(
loop:
 call _GRBUFCPY_V
 call _getkey
 cp 45h
 ret z
 ld hl,8265h
 inc (hl)
 jr loop)";
    calc.loadProgram(code(body));
    calc.start();
    RunResult r = calc.runUntilKeyWanted();
    ASSERT_EQ(r.reason, StopReason::KeyWanted) << r.message;
    EXPECT_FALSE(calc.finished());
    EXPECT_EQ(calc.frames().size(), 1u);
    calc.pressKey(key::Right);
    r = calc.runUntilKeyWanted();
    ASSERT_EQ(r.reason, StopReason::KeyWanted);
    EXPECT_EQ(calc.frames().size(), 2u);
    EXPECT_EQ(calc.peek(0x8265), 1);
    calc.pressKey(key::Mode);
    r = calc.runUntilKeyWanted();
    EXPECT_EQ(r.reason, StopReason::Returned);
    EXPECT_TRUE(calc.finished());
}

TEST(Ti83, HaltIsReported) {
    Ti83 calc;
    RunResult r = runProgram(calc, " halt\n ret");
    EXPECT_EQ(r.reason, StopReason::Fault);
    EXPECT_NE(r.message.find("HALT"), std::string::npos);
}

TEST(Ti83, DemoProgramDrawsAndMoves) {
    Assembly a = assembleFile(TORVEX_TEST_DATA "/demo.z80");
    Ti83 calc;
    calc.setWritableRanges({{kGraphBuffer, kGraphBuffer + 767}, {0x8265, 0x8266}, kStackRange});
    calc.loadProgram(a.bytes);
    calc.setKeys({key::Right, key::Right, key::Down, key::Mode});
    RunResult r = calc.run();
    ASSERT_EQ(r.reason, StopReason::Returned) << r.message;
    ASSERT_EQ(calc.frames().size(), 4u);
    const Frame& f0 = calc.frames()[0];
    EXPECT_TRUE(f0.pixel(0, 0));
    EXPECT_TRUE(f0.pixel(50, 0));
    EXPECT_TRUE(f0.pixel(95, 30));
    EXPECT_TRUE(f0.pixel(40, 40)); // diagonal
    EXPECT_TRUE(f0.pixel(10, 20)); // box corner
    EXPECT_TRUE(f0.pixel(21, 31));
    EXPECT_FALSE(f0.pixel(15, 25)); // inside the box
    const Frame& f3 = calc.frames()[3];
    EXPECT_TRUE(f3.pixel(12, 21));
    EXPECT_FALSE(f3.pixel(10, 20));
    for (const Frame& f : calc.frames())
        EXPECT_GT(f.tstates, 1000u);
}

TEST(Ti83, MemoryPersistsBetweenRunsUntilCleared) {
    Ti83 calc;
    RunResult r = runProgram(calc, " ld hl,8265h\n inc (hl)\n ret");
    ASSERT_EQ(r.reason, StopReason::Returned);
    r = calc.run();
    ASSERT_EQ(r.reason, StopReason::Returned);
    EXPECT_EQ(calc.peek(0x8265), 2);
    calc.clearMemory();
    EXPECT_EQ(calc.peek(0x8265), 0);
    EXPECT_EQ(calc.peek(kProgramStart), 0);
}

// The emulated TI-83 at the edges of its traps and guards: trapped ROM calls
// leave no trace in the CPU state, prefixed instructions count as one
// instruction, and the write guard sees every address.

namespace {

Assembly assembleAt9327(const std::string& body) {
    Assembly a = assemble("#include \"ti83asm.inc\"\n .org 9327h\n" + body + "\n", "edge.z80");
    EXPECT_EQ(a.origin, kProgramStart);
    return a;
}

std::string pcText(uint16_t pc) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "PC %04Xh", pc);
    return buf;
}

} // namespace

TEST(Ti83Edges, TrappedCallsDoNotAdvanceTheRefreshRegister) {
    Ti83 calc;
    calc.setRomCallsClobberRegisters(false);
    // ld b,a; call; ld a,r: four opcode fetches between the two reads of R.
    calc.loadProgram(assembleAt9327(R"(
 ld a,r
 ld b,a
 call _GRBUFCLR
 ld a,r
 sub b
 and 7Fh
 ld (8265h),a
 ld a,r
 ld b,a
 call _getkey
 ld a,r
 sub b
 and 7Fh
 ld (8266h),a
 ret)")
                         .bytes);
    calc.start();
    // Waiting for a key several times changes nothing either.
    ASSERT_EQ(calc.runUntilKeyWanted().reason, StopReason::KeyWanted);
    ASSERT_EQ(calc.runUntilKeyWanted().reason, StopReason::KeyWanted);
    ASSERT_EQ(calc.runUntilKeyWanted().reason, StopReason::KeyWanted);
    calc.pressKey(key::Enter);
    RunResult r = calc.runUntilKeyWanted();
    ASSERT_EQ(r.reason, StopReason::Returned) << r.message;
    EXPECT_EQ(calc.peek(0x8265), 4);
    EXPECT_EQ(calc.peek(0x8266), 4);
}

TEST(Ti83Edges, WaitingForKeysCountsNoExtraTstates) {
    const std::string body = R"(
 call _getkey
 ld b,a
 call _getkey
 call _GRBUFCPY_V
 ret)";
    Ti83 script;
    script.loadProgram(assembleAt9327(body).bytes);
    script.setKeys({key::Up, key::Down});
    ASSERT_EQ(script.run().reason, StopReason::Returned);
    Ti83 stepped;
    stepped.loadProgram(assembleAt9327(body).bytes);
    stepped.start();
    for (uint8_t k : {key::Up, key::Down}) {
        ASSERT_EQ(stepped.runUntilKeyWanted().reason, StopReason::KeyWanted);
        ASSERT_EQ(stepped.runUntilKeyWanted().reason, StopReason::KeyWanted);
        stepped.pressKey(k);
    }
    ASSERT_EQ(stepped.runUntilKeyWanted().reason, StopReason::Returned);
    ASSERT_EQ(stepped.frames().size(), 1u);
    EXPECT_EQ(stepped.frames()[0].tstates, 17u + 4 + 17 + 17);
    EXPECT_EQ(stepped.frames()[0].tstates, script.frames()[0].tstates);
    EXPECT_EQ(stepped.totalTstates(), script.totalTstates());
    EXPECT_EQ(stepped.totalTstates(), 17u + 4 + 17 + 17 + 10);
    EXPECT_EQ(stepped.pc(), kReturnAddress);
}

TEST(Ti83Edges, FaultNamesTheInstructionThatLeftForRom) {
    Ti83 calc;
    Assembly a = assembleAt9327(" nop\nhere:\n jp 4000h");
    calc.loadProgram(a.bytes);
    RunResult r = calc.run();
    ASSERT_EQ(r.reason, StopReason::Fault);
    EXPECT_NE(r.message.find("4000h"), std::string::npos) << r.message;
    char pc[16];
    std::snprintf(pc, sizeof pc, "%04Xh", a.labels.at("here"));
    EXPECT_NE(r.message.find(pc), std::string::npos) << r.message;
    EXPECT_EQ(calc.pc(), 0x4000);
    EXPECT_EQ(calc.totalTstates(), 4u + 10);
}

TEST(Ti83Edges, WriteGuardNamesTheStartOfPrefixedInstructions) {
    for (const char* instruction :
         {" ld (ix+1),a", " set 0,(iy+2)", " .db 0DDh,0FDh,77h,03h", " ld (9200h),ix", " rld"}) {
        Ti83 calc;
        calc.setWritableRanges({kStackRange});
        Assembly a = assembleAt9327(std::string(R"(
 ld ix,9200h
 ld iy,9200h
 ld hl,9200h
 xor a
here:
)") + instruction + "\n ret");
        calc.loadProgram(a.bytes);
        RunResult r = calc.run();
        ASSERT_EQ(r.reason, StopReason::WriteGuard) << instruction << ": " << r.message;
        EXPECT_NE(r.message.find(pcText(a.labels.at("here"))), std::string::npos)
            << instruction << ": " << r.message;
    }
}

TEST(Ti83Edges, OnlyTheHaltInstructionIsReportedAsHalt) {
    Ti83 calc;
    // bit 6,(hl) is CB 76, ED 76 an undocumented im 1: neither halts.
    calc.loadProgram(assembleAt9327(" ld hl,8265h\n bit 6,(hl)\n .db 0EDh,76h\n ret").bytes);
    RunResult r = calc.run();
    EXPECT_EQ(r.reason, StopReason::Returned) << r.message;
    Assembly a = assembleAt9327(" nop\nhere:\n .db 0DDh,76h\n ret");
    calc.loadProgram(a.bytes);
    r = calc.run();
    ASSERT_EQ(r.reason, StopReason::Fault) << r.message;
    EXPECT_NE(r.message.find("HALT at " + pcText(a.labels.at("here"))), std::string::npos)
        << r.message;
}

TEST(Ti83Edges, PrefixedInstructionMayWrapIntoAddressZero) {
    Ti83 calc;
    calc.poke(0xFFFE, 0x00); // nop
    calc.poke(0xFFFF, 0xDD); // jp (ix), its second byte at 0000h
    calc.poke(0x0000, 0xE9);
    calc.poke(0x9400, 0xC9); // ret
    Registers in;
    in.ix = 0x9400;
    in.sp = 0xFF00;
    RunResult r = calc.callRoutine(0xFFFE, in);
    EXPECT_EQ(r.reason, StopReason::Returned) << r.message;
    EXPECT_EQ(calc.totalTstates(), 4u + 8 + 10);
}

TEST(Ti83Edges, WriteGuardCoversEveryAddressOfItsRanges) {
    Ti83 calc;
    const std::string body = R"(
 ld hl,(8265h)
 ld a,(8267h)
 ld (hl),a
 ret)";
    calc.loadProgram(assembleAt9327(body).bytes);
    const auto writeAt = [&](uint16_t address) {
        calc.poke(0x8265, address & 0xFF);
        calc.poke(0x8266, address >> 8);
        calc.poke(0x8267, 0x5A);
        if (address >= 0x8000)
            calc.poke(address, 0);
        return calc.run().reason;
    };
    // No ranges: RAM is written, ROM writes are ignored.
    EXPECT_EQ(writeAt(0x8000), StopReason::Returned);
    EXPECT_EQ(calc.peek(0x8000), 0x5A);
    EXPECT_EQ(writeAt(0x7FFF), StopReason::Returned);
    EXPECT_EQ(calc.peek(0x7FFF), 0);
    // Ranges reaching the ends of memory and ROM; one address wide ones.
    calc.setWritableRanges({{0xFFFF, 0xFFFF}, {0x0000, 0x0001}, {0x8268, 0x8268}, kStackRange});
    EXPECT_EQ(writeAt(0xFFFF), StopReason::Returned);
    EXPECT_EQ(calc.peek(0xFFFF), 0x5A);
    EXPECT_EQ(writeAt(0x8268), StopReason::Returned);
    EXPECT_EQ(calc.peek(0x8268), 0x5A);
    EXPECT_EQ(writeAt(0x0001), StopReason::Returned); // ROM: allowed, ignored
    EXPECT_EQ(calc.peek(0x0001), 0);
    EXPECT_EQ(writeAt(0x0002), StopReason::WriteGuard);
    EXPECT_EQ(writeAt(0x8269), StopReason::WriteGuard);
    EXPECT_EQ(calc.peek(0x8269), 0);
    EXPECT_EQ(writeAt(0xFDFF), StopReason::WriteGuard);
    EXPECT_EQ(writeAt(0xFE00), StopReason::Returned);
    // Removing the ranges removes the guard.
    calc.setWritableRanges({});
    EXPECT_EQ(writeAt(0x8269), StopReason::Returned);
    EXPECT_EQ(calc.peek(0x8269), 0x5A);
}

TEST(Ti83Edges, RunawayIsCountedAtInstructionBoundaries) {
    Ti83 calc;
    calc.setRunawayLimit(50);
    // ld ix,nn takes 14 T-states: the fourth one passes the limit at 56.
    calc.loadProgram(
        assembleAt9327("loop:\n ld ix,0\n ld ix,0\n ld ix,0\n ld ix,0\n ld ix,0\n jr loop").bytes);
    RunResult r = calc.callRoutine(kProgramStart, Registers{});
    ASSERT_EQ(r.reason, StopReason::Runaway) << r.message;
    EXPECT_NE(r.message.find("56 T-states"), std::string::npos) << r.message;
    EXPECT_EQ(calc.totalTstates(), 56u);
}
