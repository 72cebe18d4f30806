// Live reload in the calculator view: from the moment the designer's save
// has written the line list to the moment the view shows the new picture,
// for the 71-segment benchmark scene after 1,000 keys (the camera must stay
// where they took it). Beside it, the parts the reload is made of: building
// the program from the list, and bringing a fresh run to the same camera.
#include "cli/calculator_session.h"
#include "cli/calculator_view.h"
#include "cli/scene_program.h"
#include "codegen/text_line_file.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using namespace torvex;

// 1,000 keys of a walk that turns, steps in every direction and climbs.
std::vector<uint8_t> thousandKeys() {
    static const uint8_t walk[] = {0x0A, 0x0A, 0x01, 0x0A, 0x35, 0x03, 0x02, 0x02,
                                   0x09, 0x31, 0x04, 0x01, 0x0A, 0x0A, 0x02, 0x31};
    std::vector<uint8_t> keys;
    for (size_t i = 0; i < 1000; ++i)
        keys.push_back(walk[i % std::size(walk)]);
    return keys;
}

TextLines benchScene() {
    return readTextLineFile(QStringLiteral(TORVEX_BENCH_SCENE));
}

void BM_SaveToPictureShown(benchmark::State& state) {
    QTemporaryDir folder;
    const QString list = folder.filePath(QStringLiteral("scene"));
    TextLines lines = benchScene();
    writeTextLineFile(list, lines);
    cli::CalculatorView view(list);
    view.show();
    for (uint8_t key : thousandKeys())
        view.pressKey(key);
    const std::string line = lines.back();
    int version = 0;
    for (auto _ : state) {
        // Each save moves the last segment, as an edit in the designer does.
        lines.back() = ++version % 2 ? "   1,   1,   1,   2,   2,   2" : line;
        const cli::CalculatorSession* before = view.session();
        const auto start = std::chrono::steady_clock::now();
        writeTextLineFile(list, lines);
        QElapsedTimer waiting;
        waiting.start();
        while (view.session() == before && waiting.elapsed() < 10'000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        view.display()->repaint();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (view.session() == before)
            state.SkipWithError("the view did not reload within 10 s");
    }
    state.counters["keys_kept"] = static_cast<double>(view.session()->history().size());
}
BENCHMARK(BM_SaveToPictureShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);

// Building the program from the list: reading, the preview source, assembling.
void BM_BuildProgramFromList(benchmark::State& state) {
    QTemporaryDir folder;
    const QString list = folder.filePath(QStringLiteral("scene"));
    writeTextLineFile(list, benchScene());
    for (auto _ : state)
        benchmark::DoNotOptimize(cli::loadSceneProgram(list.toStdString()));
}
BENCHMARK(BM_BuildProgramFromList)->Unit(benchmark::kMillisecond);

// A fresh run brought to the camera of 1,000 keys by replaying them.
void BM_ReplayThousandKeys(benchmark::State& state) {
    const std::vector<uint8_t> code = cli::loadSceneProgram(TORVEX_BENCH_SCENE).program.code;
    const std::vector<uint8_t> keys = thousandKeys();
    for (auto _ : state) {
        cli::CalculatorSession session(code, keys);
        benchmark::DoNotOptimize(session.display());
    }
}
BENCHMARK(BM_ReplayThousandKeys)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
