// Torvex Designer - benchmark of the calculator engine: T-states of one frame
// of the committed 71-segment scene (engine/scenes/bench71.txt) in the
// emulated TI-83, ROM calls excluded, for each of the 36 headings with the
// camera 30 steps back from the scene. Prints every heading's figure and the
// median; the goal is at most 600,000 (10 frames a second at 6 MHz), the mark
// to beat 300,000. Beside it, the frame with the ROM calls the calculator
// spends in (the display's copy above all, estimated), the rate a user sees.
// Not a test: the figure is reported, not asserted.
#include "engine_bench_scene.h"

#include "z80/assembler.h"
#include "z80/ti83.h"

#include <algorithm>
#include <cstdio>

using namespace torvex;

int main(int argc, char** argv) {
    const std::string scenesDir = argc > 1 ? argv[1] : TORVEX_ENGINE_SCENES;
    const std::string templ = engine::bench::readFile(TORVEX_ENGINE_TEMPLATE);
    const engine::Scene scene =
        engine::parseLineRecords(engine::bench::readFile(scenesDir + "/bench71.txt"));
    std::string source = templ;
    for (size_t i = 0; i + 1 < scene.size(); i += 2)
        source += "        .db " + engine::lineRecord(scene[i], scene[i + 1]) + "\r\n";
    source += "        .db 128\r\n.end\r\nEND\r\n";
    const z80::Assembly a = z80::assemble(source, "bench71.z80");

    std::vector<uint64_t> tstates, totals;
    std::printf("heading    engine  with ROM calls  (frame of bench71.txt, %d steps back)\n",
                engine::bench::kStepsBack);
    for (int h = 0; h < engine::kHeadings; ++h) {
        z80::Ti83 calc;
        calc.loadProgram(a.bytes, a.origin);
        calc.setKeys(engine::bench::benchKeys(h));
        z80::RunResult r = calc.run();
        if (r.reason != z80::StopReason::KeysExhausted) {
            std::fprintf(stderr, "heading %d: run stopped: %s\n", h, r.message.c_str());
            return 1;
        }
        const uint64_t t = calc.frames().back().tstates;
        const uint64_t total = t + calc.frames().back().romTstates;
        tstates.push_back(t);
        totals.push_back(total);
        std::printf("%7d  %8llu  %14llu\n", h, static_cast<unsigned long long>(t),
                    static_cast<unsigned long long>(total));
    }
    std::vector<uint64_t> sorted = tstates;
    std::sort(sorted.begin(), sorted.end());
    const uint64_t median = (sorted[17] + sorted[18]) / 2;
    std::printf("median   %8llu T-states per frame (%.1f frames a second at 6 MHz)\n",
                static_cast<unsigned long long>(median), 6e6 / median);
    std::printf("min %llu, max %llu; goal <= 600000, mark to beat 300000\n",
                static_cast<unsigned long long>(sorted.front()),
                static_cast<unsigned long long>(sorted.back()));
    std::sort(totals.begin(), totals.end());
    const uint64_t medianTotal = (totals[17] + totals[18]) / 2;
    std::printf("median   %8llu T-states with the ROM calls (estimated; %.1f frames a second)\n",
                static_cast<unsigned long long>(medianTotal), 6e6 / medianTotal);
    return 0;
}
