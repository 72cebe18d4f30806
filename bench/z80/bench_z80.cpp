// Emulation speed of the emulated TI-83: emulated T-states per host second
// (6,000,000 a second is the real calculator), beside a plain host loop that
// does the same work, and the speed of the assembler.
#include "z80/assembler.h"
#include "z80/ti83.h"

#include <benchmark/benchmark.h>

using namespace torvex::z80;

namespace {

// Sums the 768 bytes of the graph buffer 32 times, then copies it to the LCD.
const char* kWork = R"(#include "ti83asm.inc"
 .org 9327h
 ld c,32
pass:
 ld hl,PLOTSSCREEN
 ld de,0
 ld b,0
sum:
 ld a,(hl)
 add a,e
 ld e,a
 jr nc,nocarry
 inc d
nocarry:
 inc hl
 ld a,(hl)
 add a,e
 ld e,a
 jr nc,nocarry2
 inc d
nocarry2:
 inc hl
 ld a,(hl)
 add a,e
 ld e,a
 jr nc,nocarry3
 inc d
nocarry3:
 inc hl
 djnz sum
 dec c
 jr nz,pass
 ld (8265h),de
 call _GRBUFCPY_V
 ret
)";

void BM_EmulatedTstates(benchmark::State& state) {
    Assembly a = assemble(kWork, "bench.z80");
    Ti83 calc;
    for (int i = 0; i < 768; ++i)
        calc.poke(static_cast<uint16_t>(kGraphBuffer + i), static_cast<uint8_t>(i * 37));
    calc.loadProgram(a.bytes);
    uint64_t tstates = 0;
    for (auto _ : state) {
        RunResult r = calc.run();
        if (r.reason != StopReason::Returned)
            state.SkipWithError(r.message.c_str());
        tstates += calc.totalTstates();
    }
    state.counters["Tstates/s"] =
        benchmark::Counter(static_cast<double>(tstates), benchmark::Counter::kIsRate);
    state.counters["x real TI-83"] =
        benchmark::Counter(static_cast<double>(tstates) / 6e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EmulatedTstates)->Unit(benchmark::kMillisecond);

// The same work as a plain host loop (the baseline).
void BM_HostLoopBaseline(benchmark::State& state) {
    std::vector<uint8_t> buffer(768);
    for (int i = 0; i < 768; ++i)
        buffer[i] = static_cast<uint8_t>(i * 37);
    for (auto _ : state) {
        uint16_t de = 0;
        for (int pass = 0; pass < 32; ++pass) {
            benchmark::DoNotOptimize(buffer.data());
            for (int i = 0; i < 768; ++i)
                de = static_cast<uint16_t>(de + buffer[i]);
        }
        benchmark::DoNotOptimize(de);
    }
}
BENCHMARK(BM_HostLoopBaseline)->Unit(benchmark::kMicrosecond);

// Assembling a source of about the engine's size (1,600 lines).
void BM_Assemble(benchmark::State& state) {
    std::string src = "#include \"ti83asm.inc\"\n .org 9327h\n";
    for (int i = 0; i < 400; ++i) {
        std::string n = std::to_string(i);
        src += "lbl" + n + ":\n ld a,(ix+5)\n add hl,de\n jr nz,lbl" + n + "\n .db 1,-2,3,128\n";
    }
    for (auto _ : state) {
        Assembly a = assemble(src, "bench.z80");
        benchmark::DoNotOptimize(a.bytes.data());
    }
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * 1602,
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Assemble)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
