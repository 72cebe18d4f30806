// Torvex Designer - a 3D model (any format the Open Asset Import Library
// reads: OBJ, STL, PLY, glTF 2, 3DS, Collada, ...) turned into a scene: the
// model's edges, each once, on the integer grid.
#pragma once

#include "codegen/text_lines.h"

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace torvex::exchange {

// A model that cannot be read, or that holds nothing to draw. what() names
// the file and the reason.
class ImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Axis { X, Y, Z };

struct ImportOptions {
    // The model's axis that becomes the scene's height z; by default the
    // file's own up axis where the format records one, else z for STL and y
    // for everything else.
    std::optional<Axis> up;
    // The largest extent of the model on the grid (1..200), and where its
    // centre goes (each -100..100).
    int size = 200;
    std::array<int, 3> at{0, 0, 0};
    // Keeps at most this many segments, the longest first.
    std::optional<std::size_t> max;
};

// Start x, y, z, end x, y, z on the grid.
using Segment = std::array<int, 6>;

struct ImportResult {
    // In the model's order; with a --max that left some out, longest first.
    std::vector<Segment> segments;
    std::size_t faces = 0;           // polygons of the model, every instance counted
    std::size_t edges = 0;           // distinct edges of faces and lines before any was dropped
    std::size_t droppedInPlane = 0;  // shared by two faces in one plane
    std::size_t droppedRounding = 0; // a point or a duplicate once rounded
    std::size_t droppedPastMax = 0;
    double scale = 1.0; // grid units per model unit
    Axis up = Axis::Y;
    bool upFromFile = false; // the file recorded its up axis
};

// Reads the model and makes its segments. Every file the library opens (the
// model and what it refers to, such as a glTF's buffers) is read through the
// program's one file reader. Throws ImportError (std::invalid_argument for
// options out of their ranges).
ImportResult importModel(const std::filesystem::path& model, const ImportOptions& options);

// The list file's lines: one line record per segment, as the designer writes
// them ("   0,  -5, 100,..." with fields of four characters).
TextLines lineRecords(const std::vector<Segment>& segments);

char axisName(Axis axis);

} // namespace torvex::exchange
