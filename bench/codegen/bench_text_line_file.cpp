// Writing and reading a line list file of 1,000,000 records, each measured
// beside a plain copy of the same bytes (read whole, written whole) in the
// same run, and reading also beside building the same list in memory.
#include "codegen/text_line_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

constexpr int kRecords = 1'000'000;

std::string record(int index) {
    char text[32];
    const auto coordinate = [&](int salt) { return (index * 37 + salt * 53) % 201 - 100; };
    std::snprintf(text, sizeof text, "%4d,%4d,%4d,%4d,%4d,%4d", coordinate(1), coordinate(2),
                  coordinate(3), coordinate(4), coordinate(5), coordinate(6));
    return text;
}

const torvex::TextLines& records() {
    static const torvex::TextLines lines = [] {
        torvex::TextLines result;
        result.reserve(kRecords);
        for (int index = 0; index < kRecords; ++index)
            result.push_back(record(index));
        return result;
    }();
    return lines;
}

struct Files {
    QTemporaryDir dir;
    QString source = dir.filePath(QStringLiteral("source.txt"));
    QString target = dir.filePath(QStringLiteral("target.txt"));
    Files() { torvex::writeTextLineFile(source, records()); }
};

Files& files() {
    static Files instance;
    return instance;
}

void setBytes(benchmark::State& state) {
    state.SetBytesProcessed(state.iterations() * QFile(files().source).size());
}

void plainCopy(benchmark::State& state) {
    for (auto _ : state) {
        QFile in(files().source);
        in.open(QIODevice::ReadOnly);
        const QByteArray bytes = in.readAll();
        QFile out(files().target);
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
        out.close();
        benchmark::DoNotOptimize(bytes.data());
    }
    setBytes(state);
}

void writeLineList(benchmark::State& state) {
    for (auto _ : state)
        torvex::writeTextLineFile(files().target, records());
    setBytes(state);
}

void readLineList(benchmark::State& state) {
    for (auto _ : state) {
        torvex::TextLines lines = torvex::readTextLineFile(files().source);
        benchmark::DoNotOptimize(lines.data());
    }
    setBytes(state);
}

// What holding the lines costs by itself: the same list of separately
// allocated lines, copied from memory. Reading can be no faster than this.
void buildLineList(benchmark::State& state) {
    for (auto _ : state) {
        torvex::TextLines lines;
        lines.reserve(records().size());
        for (const std::string& line : records())
            lines.emplace_back(line.data(), line.size());
        benchmark::DoNotOptimize(lines.data());
    }
    setBytes(state);
}

} // namespace

BENCHMARK(buildLineList)
    ->Name("BuildLineListInMemory/1000000_records")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(plainCopy)->Name("PlainCopy/1000000_records")->Unit(benchmark::kMillisecond);
BENCHMARK(writeLineList)->Name("WriteTextLineFile/1000000_records")->Unit(benchmark::kMillisecond);
BENCHMARK(readLineList)->Name("ReadTextLineFile/1000000_records")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
