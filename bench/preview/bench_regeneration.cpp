// Regeneration of the preview picture (new white canvas, grid, origin mark, axis
// letters, then every list entry split and drawn in black) for an empty list, a
// 71-segment scene and 10,000 random segments inside the grid. Each case is paired
// with a plain loop that writes the same number of pixels into a buffer of the same
// size, so the figures can be read as a ratio measured in the same run.

#include "preview/line_rasteriser.h"
#include "preview/projection.h"
#include "preview/regeneration.h"
#include "scene/designer_state.h"
#include "scene/line_record.h"

#include <benchmark/benchmark.h>

#include <QStringList>

#include <cstdint>
#include <random>
#include <vector>

namespace {

using namespace torvex;

QString record(int x0, int y0, int z0, int x1, int y1, int z1) {
    CoordinateTexts texts{QString::number(x0), QString::number(y0), QString::number(z0),
                          QString::number(x1), QString::number(y1), QString::number(z1)};
    padCoordinateTexts(texts);
    return composeLineRecord(texts);
}

// Five boxes of 12 edges on an 11-line ground frame: 71 segments.
QStringList sceneOf71() {
    QStringList list;
    const int boxes[5][6] = {{-90, -90, 0, -50, -40, 30},
                             {-30, -80, 0, 20, -30, 60},
                             {40, -70, 0, 90, -20, 20},
                             {-80, 20, 0, -20, 80, 45},
                             {10, 30, 0, 80, 90, 80}};
    for (const auto& b : boxes) {
        const int xs[2] = {b[0], b[3]}, ys[2] = {b[1], b[4]}, zs[2] = {b[2], b[5]};
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j) {
                list << record(xs[0], ys[i], zs[j], xs[1], ys[i], zs[j]);
                list << record(xs[i], ys[0], zs[j], xs[i], ys[1], zs[j]);
                list << record(xs[i], ys[j], zs[0], xs[i], ys[j], zs[1]);
            }
    }
    for (int k = 0; k < 11; ++k) {
        const int c = -100 + 20 * k;
        list << record(c, -100, 0, c, 100, 0);
    }
    return list;
}

QStringList randomSegments(int count) {
    std::mt19937 random(1983);
    std::uniform_int_distribution<int> coordinate(-100, 100);
    QStringList list;
    for (int i = 0; i < count; ++i) {
        int c[6];
        for (int& v : c)
            v = coordinate(random);
        list << record(c[0], c[1], c[2], c[3], c[4], c[5]);
    }
    return list;
}

void regenerate(Canvas& canvas, const QStringList& list) {
    drawPreviewBackdrop(canvas, defaultPanelHeight);
    for (const QString& entry : list) {
        CurrentLine = entry;
        const CoordinateTexts fields = splitLineRecord(CurrentLine);
        DrawMode = 0;
        line3D(canvas, fields, defaultPanelHeight);
    }
}

// Pixel writes of a regeneration: the white fill, the 49,289 dot writes, the two
// letter cells and the line pixels inside the bitmap.
std::int64_t pixelWrites(const QStringList& list) {
    std::int64_t writes = std::int64_t(Canvas::width) * Canvas::height + 49289 + 2 * 8 * 13;
    for (const QString& entry : list) {
        const CoordinateTexts f = splitLineRecord(entry);
        const ScreenPoint a =
            projectGridPoint(f[0].toInt(), f[1].toInt(), f[2].toInt(), defaultPanelHeight);
        const ScreenPoint b =
            projectGridPoint(f[3].toInt(), f[4].toInt(), f[5].toInt(), defaultPanelHeight);
        rasteriseLine(a.x, a.y, b.x, b.y, Canvas::width, Canvas::height,
                      [&](std::int64_t, std::int64_t) { ++writes; });
    }
    return writes;
}

} // namespace

namespace {

void regeneration(benchmark::State& state, const QStringList& list) {
    Canvas canvas;
    for (auto _ : state) {
        regenerate(canvas, list);
        benchmark::DoNotOptimize(canvas.bits());
        benchmark::ClobberMemory();
    }
    state.counters["pixel_writes"] = double(pixelWrites(list));
}

// The same number of pixel writes as a plain loop over a buffer of the same size.
void plainPixelLoop(benchmark::State& state, std::int64_t writes) {
    std::vector<std::uint32_t> buffer(std::size_t(Canvas::width) * Canvas::height);
    const std::size_t size = buffer.size();
    for (auto _ : state) {
        std::uint32_t* data = buffer.data();
        std::size_t index = 0;
        for (std::int64_t i = 0; i < writes; ++i) {
            data[index] = std::uint32_t(i);
            if (++index == size)
                index = 0;
        }
        benchmark::DoNotOptimize(data);
        benchmark::ClobberMemory();
    }
    state.counters["pixel_writes"] = double(writes);
}

} // namespace

int main(int argc, char** argv) {
    const QStringList cases[] = {QStringList{}, sceneOf71(), randomSegments(10000)};
    const char* names[] = {"empty", "71_segments", "10000_random"};
    for (int i = 0; i < 3; ++i) {
        const QStringList& list = cases[i];
        const std::string name = names[i];
        benchmark::RegisterBenchmark(("Regeneration/" + name).c_str(), regeneration, list)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("PlainPixelLoop/" + name).c_str(), plainPixelLoop,
                                     pixelWrites(list))
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
