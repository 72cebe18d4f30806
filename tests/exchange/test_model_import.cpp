// Models the tests write themselves, read into exactly their edges.
#include "exchange/model_import.h"
#include "tests/support/temporary_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace torvex::exchange {
namespace {

// A binary STL: 80 header bytes, the triangle count, then per triangle its
// normal, three corners and two attribute bytes.
std::string binaryStl(const std::vector<std::array<float, 9>>& triangles) {
    std::string bytes(80, ' ');
    const auto put = [&](const void* p, size_t n) { bytes.append(static_cast<const char*>(p), n); };
    const uint32_t count = static_cast<uint32_t>(triangles.size());
    put(&count, 4);
    for (const auto& t : triangles) {
        const float normal[3]{0, 0, 0};
        const uint16_t attributes = 0;
        put(normal, 12);
        put(t.data(), 36);
        put(&attributes, 2);
    }
    return bytes;
}

const char* const kCubeVertices = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                                  "v 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n";

// The unit cube filling the grid, y up: its twelve edges.
const std::vector<std::string> kCubeEdges{
    "-100, 100,-100,-100, 100, 100", "-100, 100, 100, 100, 100, 100",
    "-100,-100,-100, 100,-100,-100", "-100,-100, 100,-100,-100,-100",
    "-100,-100,-100,-100, 100,-100", "-100, 100, 100,-100,-100, 100",
    " 100, 100, 100, 100, 100,-100", " 100, 100,-100,-100, 100,-100",
    " 100,-100,-100, 100,-100, 100", " 100,-100, 100,-100,-100, 100",
    " 100, 100,-100, 100,-100,-100", " 100, 100, 100, 100,-100, 100"};

ImportOptions options(std::optional<Axis> up, int size = 200, std::array<int, 3> at = {},
                      std::optional<size_t> max = {}) {
    return {up, size, at, max};
}

struct ModelCase {
    const char* name; // the file's name: its extension says the format
    std::string content;
    ImportOptions options;
    std::vector<std::string> edges; // line records, either way round
    struct {
        size_t faces, inPlane, rounding; // faces read, segments dropped
        char up;
    } counts;
};

// Line records as undirected edges: each with its smaller end first.
std::multiset<std::string> edgeSet(const TextLines& records) {
    std::multiset<std::string> edges;
    for (const std::string& r : records) {
        const std::string from = r.substr(0, 14), to = r.substr(15);
        edges.insert(std::min(from, to) + "," + std::max(from, to));
    }
    return edges;
}

TEST(ModelImport, ModelsGiveExactlyTheirEdges) {
    const std::string cube = kCubeVertices;
    const ModelCase cases[] = {
        {"quads.obj",
         cube + "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n",
         {},
         kCubeEdges,
         {6, 0, 0, 'y'}},
        // The same cube split into triangles, two of them wound the other
        // way: the six diagonals lie in a plane.
        {"triangles.obj",
         cube + "f 1 4 3\nf 1 2 3\nf 5 6 7\nf 5 8 7\nf 1 2 6\nf 1 6 5\nf 2 3 7\nf 2 7 6\n"
                "f 3 4 8\nf 3 8 7\nf 4 1 5\nf 4 5 8\n",
         {},
         kCubeEdges,
         {12, 6, 0, 'y'}},
        // Two faces on one side of their edges (a quad seen from both
        // sides) keep every edge; the z-up file turned with --up.
        {"sheet.obj",
         "v 0 0 0\nv 2 0 0\nv 2 2 0\nv 0 2 0\nf 1 2 3 4\nf 4 3 2 1\n",
         options(Axis::Z),
         {"-100,-100,   0, 100,-100,   0", " 100,-100,   0, 100, 100,   0",
          " 100, 100,   0,-100, 100,   0", "-100, 100,   0,-100,-100,   0"},
         {2, 0, 0, 'z'}},
        // STL is z up; every triangle has its own three corners.
        {"tetra.stl",
         binaryStl({{0, 0, 0, 0, 2, 0, 2, 0, 0},
                    {0, 0, 0, 2, 0, 0, 0, 0, 2},
                    {0, 0, 0, 0, 0, 2, 0, 2, 0},
                    {2, 0, 0, 0, 2, 0, 0, 0, 2}}),
         {},
         {"-100,-100,-100, 100,-100,-100", "-100,-100,-100,-100, 100,-100",
          "-100,-100,-100,-100,-100, 100", " 100,-100,-100,-100, 100,-100",
          " 100,-100,-100,-100,-100, 100", "-100, 100,-100,-100,-100, 100"},
         {4, 0, 0, 'z'}},
        // A pyramid: a quad base and four triangles, made 40 high at (10, 0, -50).
        {"pyramid.ply",
         "ply\nformat ascii 1.0\nelement vertex 5\nproperty float x\nproperty float y\n"
         "property float z\nelement face 5\nproperty list uchar int vertex_indices\nend_header\n"
         "0 0 0\n4 0 0\n4 0 4\n0 0 4\n2 4 2\n4 0 1 2 3\n3 0 4 1\n3 1 4 2\n3 2 4 3\n3 3 4 0\n",
         options({}, 40, {10, 0, -50}),
         {" -10,  20, -70,  30,  20, -70", "  30,  20, -70,  30, -20, -70",
          "  30, -20, -70, -10, -20, -70", " -10, -20, -70, -10,  20, -70",
          "  10,   0, -30, -10,  20, -70", "  10,   0, -30,  30,  20, -70",
          "  10,   0, -30,  30, -20, -70", "  10,   0, -30, -10, -20, -70"},
         {5, 0, 0, 'y'}},
        // Rounding: x 0, 1, 1.01 and 3 of a model 3 long land on -100, -33,
        // -33 and 100: a point and a duplicate are dropped.
        {"lines.obj",
         "v 0 0 0\nv 3 0 0\nv 1 0 0\nv 1.01 0 0\nl 1 2\nl 1 3\nl 3 4\nl 4 1\n",
         {},
         {"-100,   0,   0, 100,   0,   0", "-100,   0,   0, -33,   0,   0"},
         {0, 0, 2, 'y'}},
        // Halves go away from zero.
        {"half.obj",
         "v 0 0 0\nv 1 0 0\nl 1 2\n",
         options({}, 1),
         {"  -1,   0,   0,   1,   0,   0"},
         {0, 0, 0, 'y'}},
        // --max keeps the longest.
        {"longest.obj",
         "v 0 0 0\nv 3 0 0\nv 1 0 0\nl 1 3\nl 1 2\n",
         options({}, 200, {}, 1),
         {"-100,   0,   0, 100,   0,   0"},
         {0, 0, 0, 'y'}},
    };
    test::TemporaryFolder folder;
    for (const ModelCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ImportResult result = importModel(folder.write(c.name, c.content), c.options);
        EXPECT_EQ(edgeSet(lineRecords(result.segments)), edgeSet(c.edges));
        EXPECT_EQ(result.faces, c.counts.faces);
        EXPECT_EQ(result.droppedInPlane, c.counts.inPlane);
        EXPECT_EQ(result.droppedRounding, c.counts.rounding);
        EXPECT_EQ(axisName(result.up), c.counts.up);
    }
}

TEST(ModelImport, BrokenOrEmptyModelsAreRefusedNamingTheFile) {
    test::TemporaryFolder folder;
    const std::pair<const char*, std::string> models[] = {
        {"broken.obj", "garbage"},
        {"points.obj", "v 0 0 0\nv 1 1 1\np 1\np 2\n"},
        {"empty.stl", "solid x\nendsolid x\n"},
        {"short.stl", binaryStl({{0, 0, 0, 1, 0, 0, 0, 1, 0}}).substr(0, 100)},
    };
    for (const auto& [name, content] : models) {
        SCOPED_TRACE(name);
        const auto path = folder.write(name, content);
        EXPECT_THAT([&] { importModel(path, {}); },
                    testing::ThrowsMessage<ImportError>(testing::HasSubstr(path.string())));
    }
}

} // namespace
} // namespace torvex::exchange
