// How fast the calculator view runs the engine: emulated T-states per second
// of host time while walking the 71-segment benchmark scene, as a multiple of
// the calculator's own 6 MHz (counter "x_real_time", the engine's own
// T-states over wall-clock time). At 100 times real time a frame appears as
// soon as its key is pressed. "x_real_time_cpu" divides by the thread's CPU
// time instead: what an idle core gives, steady on a machine shared with
// other work.
#include "cli/calculator_session.h"
#include "cli/scene_program.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>

namespace {

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

using torvex::cli::CalculatorSession;

// Turns, steps in all four directions, up and down: every path of the
// engine's key handling, each followed by a full frame.
const std::vector<uint8_t> kWalk = {0x0A, 0x0A, 0x01, 0x0A, 0x35, 0x03, 0x02, 0x02,
                                    0x09, 0x31, 0x04, 0x01, 0x0A, 0x0A, 0x02, 0x31};

void BM_WalkBenchmarkScene(benchmark::State& state) {
    const std::vector<uint8_t> code =
        torvex::cli::loadSceneProgram(TORVEX_BENCH_SCENE).program.code;
    uint64_t emulated = 0;
    double seconds = 0, cpuSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuSeconds();
        CalculatorSession session(code);
        uint64_t tstates = session.lastFrameCost().engine;
        for (uint8_t key : kWalk) {
            session.press(key);
            tstates += session.lastFrameCost().engine;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpuSeconds += threadCpuSeconds() - cpuStart;
        emulated += tstates;
        benchmark::DoNotOptimize(session.display());
    }
    state.counters["tstates_per_second"] = emulated / seconds;
    state.counters["x_real_time"] = emulated / seconds / torvex::cli::kCalculatorHz;
    state.counters["x_real_time_cpu"] = emulated / cpuSeconds / torvex::cli::kCalculatorHz;
    state.counters["tstates_per_frame"] =
        static_cast<double>(emulated) / state.iterations() / (kWalk.size() + 1);
}
BENCHMARK(BM_WalkBenchmarkScene)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
