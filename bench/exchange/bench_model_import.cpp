// torvex import of a 100,352-triangle terrain (a 224 x 224 height field, as a
// binary STL and as an OBJ), against the Open Asset Import Library reading the
// same file alone in the same run: the ratio is what finding the edges, the
// in-plane rule, scaling and rounding add to reading the model.

#include "exchange/model_import.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kCells = 224; // 2 * 224 * 224 = 100,352 triangles

float height(int x, int y) {
    return 3.0f * std::sin(x * 0.11f) * std::cos(y * 0.07f) + 0.01f * float((x * 7 + y * 3) % 5);
}

const std::filesystem::path& terrain(const char* extension) {
    static std::filesystem::path stl, obj;
    std::filesystem::path& file = std::string(extension) == ".stl" ? stl : obj;
    if (!file.empty())
        return file;
    file =
        std::filesystem::temp_directory_path() / ("torvex-bench-terrain" + std::string(extension));
    std::ofstream out(file, std::ios::binary);
    if (file.extension() == ".obj") {
        for (int y = 0; y <= kCells; ++y)
            for (int x = 0; x <= kCells; ++x)
                out << "v " << x << " " << height(x, y) << " " << y << "\n";
        const auto at = [](int x, int y) { return y * (kCells + 1) + x + 1; };
        for (int y = 0; y < kCells; ++y)
            for (int x = 0; x < kCells; ++x)
                out << "f " << at(x, y) << " " << at(x + 1, y) << " " << at(x + 1, y + 1) << "\nf "
                    << at(x, y) << " " << at(x + 1, y + 1) << " " << at(x, y + 1) << "\n";
        return file;
    }
    out << std::string(80, ' ');
    const uint32_t count = 2 * kCells * kCells;
    out.write(reinterpret_cast<const char*>(&count), 4);
    const auto corner = [](int x, int y) {
        return std::array<float, 3>{float(x), float(y), height(x, y)};
    };
    const auto triangle = [&](std::array<float, 3> a, std::array<float, 3> b,
                              std::array<float, 3> c) {
        const float normal[3]{0, 0, 0};
        const uint16_t attributes = 0;
        out.write(reinterpret_cast<const char*>(normal), 12);
        for (const auto& p : {a, b, c})
            out.write(reinterpret_cast<const char*>(p.data()), 12);
        out.write(reinterpret_cast<const char*>(&attributes), 2);
    };
    for (int y = 0; y < kCells; ++y)
        for (int x = 0; x < kCells; ++x) {
            triangle(corner(x, y), corner(x + 1, y), corner(x + 1, y + 1));
            triangle(corner(x, y), corner(x + 1, y + 1), corner(x, y + 1));
        }
    return file;
}

void readWithTheLibraryAlone(benchmark::State& state, const char* extension) {
    const std::filesystem::path& file = terrain(extension);
    for (auto _ : state) {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(file.string(), 0);
        if (!scene || scene->mNumMeshes == 0)
            state.SkipWithError("the library could not read the model");
        benchmark::DoNotOptimize(scene);
    }
}

void importToSegments(benchmark::State& state, const char* extension) {
    const std::filesystem::path& file = terrain(extension);
    size_t segments = 0;
    for (auto _ : state) {
        const torvex::exchange::ImportResult result = torvex::exchange::importModel(file, {});
        segments = result.segments.size();
        benchmark::DoNotOptimize(segments);
    }
    state.counters["segments"] = double(segments);
}

BENCHMARK_CAPTURE(readWithTheLibraryAlone, stl, ".stl")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(importToSegments, stl, ".stl")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readWithTheLibraryAlone, obj, ".obj")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(importToSegments, obj, ".obj")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
