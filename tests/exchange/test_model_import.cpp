// Models the tests write themselves, read into exactly their edges.
#include "exchange/model_import.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace torvex::exchange {
namespace {

// A binary STL: 80 header bytes, the count, then per triangle its normal (left
// zero), three corners and two attribute bytes.
std::string binaryStl(const std::vector<std::array<float, 9>>& triangles) {
    const uint32_t count = uint32_t(triangles.size());
    std::string bytes =
        std::string(80, ' ') + std::string(reinterpret_cast<const char*>(&count), 4);
    for (const auto& t : triangles)
        bytes.append(12, '\0').append(reinterpret_cast<const char*>(t.data()), 36).append(2, '\0');
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
    const char* name;   // the file's name
    const char* counts; // faces, edges dropped in a plane and after rounding, up axis
    std::string content;
    ImportOptions options;
    std::vector<std::string> edges; // line records, either way round
};

// Line records as undirected edges: each with its smaller end first.
std::multiset<std::string> edgeSet(const TextLines& records) {
    std::multiset<std::string> edges;
    for (const std::string& r : records)
        edges.insert(std::min(r.substr(0, 14), r.substr(15)) + "," +
                     std::max(r.substr(0, 14), r.substr(15)));
    return edges;
}

// A Collada file of one triangle, (0,0,0) (2,0,0) (0,0,1), with these <asset> contents.
std::string dae(const std::string& asset) {
    return "<COLLADA><asset>" + asset +
           "</asset><library_geometries><geometry id='g'><mesh><source id='p'><float_array "
           "id='a' count='9'>0 0 0 2 0 0 0 0 1</float_array><technique_common><accessor "
           "source='#a' count='3' stride='3'><param name='X' type='float'/><param name='Y' "
           "type='float'/><param name='Z' type='float'/></accessor></technique_common></source>"
           "<vertices id='v'><input semantic='POSITION' source='#p'/></vertices><triangles "
           "count='1'><input semantic='VERTEX' source='#v' offset='0'/><p>0 1 2</p></triangles>"
           "</mesh></geometry></library_geometries><library_visual_scenes><visual_scene "
           "id='s'><node><instance_geometry url='#g'/></node></visual_scene>"
           "</library_visual_scenes><scene><instance_visual_scene url='#s'/></scene></COLLADA>";
}

// A 3DS file (z up) of the same triangle: chunks (a 16-bit id, a 32-bit length)
// 4D4D > 3D3D > 4000 "t" > 4100 > 4110 (3 points as floats) and 4120 (1 face).
const std::string kThreeDs(
    "\x4D\x4D\x56\0\0\0\x3D\x3D\x50\0\0\0\0\x40\x4A\0\0\0t\0\0\x41\x42\0\0\0\x10\x41\x2C\0"
    "\0\0\3\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x40\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x80\x3F"
    "\x20\x41\x10\0\0\0\1\0\0\0\1\0\2\0\0\0",
    86);

TEST(ModelImport, ModelsGiveExactlyTheirEdges) {
    const std::string cube = kCubeVertices;
    const ModelCase cases[] = {
        {"quads.obj",
         "6 0 0 y",
         cube + "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n",
         {},
         kCubeEdges},
        // The same cube split into triangles, two of them wound the other
        // way: the six diagonals lie in a plane.
        {"triangles.obj",
         "12 6 0 y",
         cube + "f 1 4 3\nf 1 2 3\nf 5 6 7\nf 5 8 7\nf 1 2 6\nf 1 6 5\nf 2 3 7\nf 2 7 6\n"
                "f 3 4 8\nf 3 8 7\nf 4 1 5\nf 4 5 8\n",
         {},
         kCubeEdges},
        // Two faces on one side of their edges (a quad seen from both
        // sides) keep every edge; the z-up file turned with --up.
        {"sheet.obj",
         "2 0 0 z",
         "v 0 0 0\nv 2 0 0\nv 2 2 0\nv 0 2 0\nf 1 2 3 4\nf 4 3 2 1\n",
         options(Axis::Z),
         {"-100,-100,   0, 100,-100,   0", " 100,-100,   0, 100, 100,   0",
          " 100, 100,   0,-100, 100,   0", "-100, 100,   0,-100,-100,   0"}},
        // STL is z up; every triangle has its own three corners.
        {"tetra.stl",
         "4 0 0 z",
         binaryStl({{0, 0, 0, 0, 2, 0, 2, 0, 0},
                    {0, 0, 0, 2, 0, 0, 0, 0, 2},
                    {0, 0, 0, 0, 0, 2, 0, 2, 0},
                    {2, 0, 0, 0, 2, 0, 0, 0, 2}}),
         {},
         {"-100,-100,-100, 100,-100,-100", "-100,-100,-100,-100, 100,-100",
          "-100,-100,-100,-100,-100, 100", " 100,-100,-100,-100, 100,-100",
          " 100,-100,-100,-100,-100, 100", "-100, 100,-100,-100,-100, 100"}},
        // A pyramid: a quad base and four triangles, made 40 high at (10, 0, -50).
        {"pyramid.ply",
         "5 0 0 y",
         "ply\nformat ascii 1.0\nelement vertex 5\nproperty float x\nproperty float y\n"
         "property float z\nelement face 5\nproperty list uchar int vertex_indices\nend_header\n"
         "0 0 0\n4 0 0\n4 0 4\n0 0 4\n2 4 2\n4 0 1 2 3\n3 0 4 1\n3 1 4 2\n3 2 4 3\n3 3 4 0\n",
         options({}, 40, {10, 0, -50}),
         {" -10,  20, -70,  30,  20, -70", "  30,  20, -70,  30, -20, -70",
          "  30, -20, -70, -10, -20, -70", " -10, -20, -70, -10,  20, -70",
          "  10,   0, -30, -10,  20, -70", "  10,   0, -30,  30,  20, -70",
          "  10,   0, -30,  30, -20, -70", "  10,   0, -30, -10, -20, -70"}},
        // y up: the model's z runs along the scene's -y.
        {"corner.obj",
         "0 0 0 y",
         "v 0 0 0\nv 0 0 2\nv 0 2 0\nl 1 2\nl 1 3\n",
         {},
         {"   0, 100,-100,   0,-100,-100", "   0, 100,-100,   0, 100, 100"}},
        // A fin on the diagonal of a split quad: the diagonal, between three
        // faces, is a crease and stays.
        {"fin.obj",
         "3 0 0 y",
         "v 0 0 0\nv 2 0 0\nv 2 0 2\nv 0 0 2\nv 1 2 1\nf 1 2 3\nf 1 3 4\nf 1 3 5\n",
         {},
         {"-100, 100,-100, 100, 100,-100", " 100, 100,-100, 100,-100,-100",
          " 100,-100,-100,-100,-100,-100", "-100,-100,-100,-100, 100,-100",
          "-100, 100,-100, 100,-100,-100", "-100, 100,-100,   0,   0, 100",
          " 100,-100,-100,   0,   0, 100"}},
        // x up: the model's y, z, x are the scene's x, y, z.
        {"xup.obj",
         "0 0 0 x",
         "v 0 0 0\nv 0 0 2\nv 0 1 0\nv 4 0 0\nl 1 2\nl 1 3\nl 1 4\n",
         options(Axis::X),
         {" -25, -50,-100, -25,  50,-100", " -25, -50,-100,  25, -50,-100",
          " -25, -50,-100, -25, -50, 100"}},
        // A face with no area is a line, as STL files carry lines.
        {"antenna.obj",
         "2 0 0 z",
         "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 2\nv 0 0 4\nf 1 2 3\nf 1 4 5\n",
         options(Axis::Z),
         {" -25, -25,-100,  25, -25,-100", "  25, -25,-100, -25,  25,-100",
          " -25,  25,-100, -25, -25,-100", " -25, -25,-100, -25, -25,   0",
          " -25, -25,   0, -25, -25, 100"}},
        // Collada's own up axis, z here, whatever the file's name; y where
        // the file names none. 3DS keeps z up.
        {"up.xml",
         "1 0 0 z",
         dae("<up_axis>Z_UP</up_axis>"),
         {},
         {"-100,   0, -50, 100,   0, -50", " 100,   0, -50,-100,   0,  50",
          "-100,   0,  50,-100,   0, -50"}},
        {"up.3ds",
         "1 0 0 z",
         kThreeDs,
         {},
         {"-100,   0, -50, 100,   0, -50", " 100,   0, -50,-100,   0,  50",
          "-100,   0,  50,-100,   0, -50"}},
        {"plain.dae",
         "1 0 0 y",
         dae(""),
         {},
         {"-100,  50,   0, 100,  50,   0", " 100,  50,   0,-100, -50,   0",
          "-100, -50,   0,-100,  50,   0"}},
        {"sliver.obj",
         "2 0 0 y",
         "v 0 0 0\nv 2 0 0\nv 0 0 2\nv 1 0 0\nf 1 2 3\nf 2 1 4\n",
         {},
         {"-100, 100,   0, 100, 100,   0", " 100, 100,   0,-100,-100,   0",
          "-100,-100,   0,-100, 100,   0"}},
        // Rounding: x 0, 1, 1.01 and 3 of a model 3 long land on -100, -33,
        // -33 and 100: a point and a duplicate are dropped.
        {"lines.obj",
         "0 0 2 y",
         "v 0 0 0\nv 3 0 0\nv 1 0 0\nv 1.01 0 0\nl 1 2\nl 1 3\nl 3 4\nl 4 1\n",
         {},
         {"-100,   0,   0, 100,   0,   0", "-100,   0,   0, -33,   0,   0"}},
        // Halves round up, so that --size 1 spans exactly 1; --max keeps the longest.
        {"half.obj",
         "0 0 0 y",
         "v 0 0 0\nv 1 0 0\nl 1 2\n",
         options({}, 1),
         {"   0,   0,   0,   1,   0,   0"}},
        {"longest.obj",
         "0 0 0 y",
         "v 0 0 0\nv 3 0 0\nv 1 0 0\nl 1 3\nl 1 2\n",
         options({}, 200, {}, 1),
         {"-100,   0,   0, 100,   0,   0"}},
    };
    test::TemporaryFolder folder;
    for (const ModelCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ImportResult r = importModel(folder.write(c.name, c.content), c.options);
        EXPECT_EQ(edgeSet(lineRecords(r.segments)), edgeSet(c.edges));
        EXPECT_EQ(std::to_string(r.faces) + " " + std::to_string(r.droppedInPlane) + " " +
                      std::to_string(r.droppedRounding) + " " + axisName(r.up),
                  c.counts);
    }
}

} // namespace
} // namespace torvex::exchange
