// Loading a 100,000-record line list file into the designer panel, the
// regeneration of the preview included, against reading the same file alone.
#include "codegen/text_line_file.h"
#include "preview/tform5.h"
#include "scene/panel_controls.h"
#include "scene/tform3.h"

#include <QApplication>
#include <QListWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace torvex {
namespace {

constexpr int recordCount = 100'000;

// Answers every file dialog with one name; nothing else is expected.
class FixedFileDesktop : public Desktop {
public:
    QString name;
    void messageDialog(MessageType, const QString&) override {}
    BoxAnswer messageBox(QWidget*, const QString&, const QString&, BoxButtons) override {
        return BoxAnswer::Ok;
    }
    void errorReport(const QString& text) override {
        std::fprintf(stderr, "unexpected error report: %s\n", qPrintable(text));
    }
    std::optional<QString> fileDialog(QWidget*, FileDialogKind, const QString&) override {
        return name;
    }
    void mailLink(QWidget*, const QString&) override {}
};

// Segments spread over the whole grid, each a valid 29-character record.
QString writeLineListFile(const QTemporaryDir& folder) {
    TextLines lines;
    lines.reserve(recordCount);
    char record[32];
    for (int i = 0; i < recordCount; ++i) {
        const int a = i % 201 - 100;
        const int b = (i / 201) % 201 - 100;
        std::snprintf(record, sizeof record, "%4d,%4d,%4d,%4d,%4d,%4d", a, b, (a + b) / 2, b, a,
                      -(a + b) / 2);
        lines.emplace_back(record);
    }
    const QString name = folder.filePath(QStringLiteral("scene.lst"));
    writeTextLineFile(name, lines);
    return name;
}

struct Fixture {
    QTemporaryDir folder;
    QString name = writeLineListFile(folder);
};

Fixture& fixture() {
    static Fixture instance;
    return instance;
}

void BM_ReadFileAlone(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(readTextLineFile(fixture().name));
}
BENCHMARK(BM_ReadFileAlone)->Unit(benchmark::kMillisecond);

void BM_LoadIntoPanelWithRegeneration(benchmark::State& state) {
    FixedFileDesktop files;
    files.name = fixture().name;
    installDesktop(&files);
    TForm5 preview;
    QWidget wizard;
    TForm3 panel(&preview, &wizard);
    for (auto _ : state) {
        panel.Button6Click();
        state.PauseTiming();
        if (panel.Linl->count() != recordCount)
            state.SkipWithError("the list was not loaded");
        panel.Linl->clear();
        state.ResumeTiming();
    }
    installDesktop(nullptr);
}
BENCHMARK(BM_LoadIntoPanelWithRegeneration)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace torvex

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
