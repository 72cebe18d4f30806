// Torvex Designer - reference model of the calculator engine.
//
// This is the Z80 engine of engine/engine_template.z80 written as plain
// C++: the same integer
// arithmetic, the same tables (engine_tables.h), the same line rasteriser and
// clipping. For a scene, a camera and a key sequence it renders the 96 x 64
// frames the calculator shows, bit for bit. It knows nothing of any emulator.
//
// The engine in short (the template's comments say the same for the Z80):
//  * The scene is points of three signed bytes x, y, z read from `data` until
//    the byte 128 stands where an x would be; points 1 and 2 form the first
//    segment, 3 and 4 the second, and so on. Only the first 71 segments
//    (142 points) are used: `drawpoints` has room for no more.
//  * x and y span the ground, z is height. Heading h (0..35) looks h*10
//    degrees clockwise from +y: 0 along +y, 9 along +x, 18 along -y, 27 along -x.
//  * Each frame subtracts the camera from every point (byte arithmetic, so it
//    wraps) giving x, y, z relative to the camera.
//  * The view ray (`compare`): X(k), Y(k) = the running sums of the first k
//    steps of the heading's pattern, k = 0..40. A step is one unit long on
//    average, so X(k) ~ k*sin and Y(k) ~ k*cos of the heading's angle: the ray
//    is a table of the products the rotation needs.
//  * A point is turned into the heading's frame by four table look-ups
//    (findxy): with X(-k) = -X(k) and Y(-k) = -Y(k),
//        ahead = X(x) + Y(y)      (x*sin + y*cos)
//        side  = Y(x) - X(y)      (x*cos - y*sin, positive to the right)
//    A point further than the draw distance 40 along x or along y is not seen.
//  * It is on the display only if 1 <= ahead <= 70, |side| < ahead and
//    |z| < ahead. Then the `equates` row of depth `ahead` gives the offsets:
//    E(s) = the sum of the first s increments of the row, cycling, about
//    48*s/ahead. column = 48 + E(|side|) (48 - E for a side < 0),
//    row = 31 - E(|z|) (31 + E for z < 0: points above the camera are higher).
//    A column or row may lie off the 96 x 64 display (rows above the top,
//    columns just beside it): its pixels are simply not drawn.
//  * `drawpoints` gets column, row (as bytes) per point, or 0, 0 for a point
//    not on the display, then 128. A segment is drawn from its first pixel to
//    its second unless one of its four bytes is 0; a lone point at the end of
//    an odd scene is not drawn.
//  * Lines: Bresenham from left to right (the ends are swapped when the
//    second lies left of the first), error starting at half the major
//    difference; pixels off the display are skipped.
//  * Keys (codes of _getkey), tested in this order: MODE leaves; right/left
//    turn (heading +1 / -1, wrapping 35 <-> 0, and the step pattern starts
//    afresh); DEL steps forward, STAT back, VARS left, CLEAR right; up and
//    down change z by 1. A step takes the next pair (sx, sy) of the heading's
//    pattern, which repeats when it runs out: forward adds it, back subtracts
//    it, right adds it turned by 90 degrees clockwise (sy, -sx), left
//    subtracts that. Any other key changes nothing; every key but MODE draws
//    the frame again.
#pragma once

#include "engine/engine_tables.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace torvex::engine {

inline constexpr int kColumns = 96, kRows = 64;
inline constexpr int kCentreColumn = 48, kCentreRow = 31;
inline constexpr int kDrawDistance = 40;
inline constexpr int kMaxSegments = 71;
inline constexpr uint8_t kEndMarker = 128;

// Key codes returned by the calculator's _getkey.
namespace keys {
inline constexpr uint8_t Right = 0x01, Left = 0x02, Up = 0x03, Down = 0x04, Clear = 0x09,
                         Del = 0x0A, Stat = 0x31, Vars = 0x35, Mode = 0x45;
}

struct Point {
    int8_t x = 0, y = 0, z = 0;
    bool operator==(const Point&) const = default;
};

// The scene's points in reading order.
using Scene = std::vector<Point>;

// Reads points as the engine does: three bytes each, until the byte 128 where
// an x would be (or until fewer than three bytes are left).
Scene readScene(const std::vector<uint8_t>& bytes);
// The bytes of a scene as the data lines and the end marker give them.
std::vector<uint8_t> sceneBytes(const Scene& scene);
// Points of line records ("   0,   0,   0,  10,  -5, 100": start x,y,z, end
// x,y,z; values -128..127). Blank lines and lines starting with '#' are
// skipped. Throws std::invalid_argument for anything else.
Scene parseLineRecords(const std::string& text);
// The line record of a segment, as the designer writes it.
std::string lineRecord(const Point& start, const Point& end);

struct Camera {
    int8_t x = 0, y = 0, z = 0;
    uint8_t heading = 0; // 0..35
    uint8_t step = 0;    // the pair of the heading's pattern the next walking step takes
    bool operator==(const Camera&) const = default;
};

// Applies one key (a _getkey code). Returns false for MODE (the engine ends).
bool step(Camera& camera, uint8_t key);

// The view ray `compare`: x[k], y[k] for k = 0..40.
struct ViewRay {
    std::array<int8_t, kDrawDistance + 1> x{}, y{};
};
ViewRay viewRay(int heading);

// A point relative to the heading (findxy).
struct HeadingPoint {
    int side = 0, ahead = 0;
};
// nullopt when x or y lies beyond the draw distance.
std::optional<HeadingPoint> findxy(int8_t x, int8_t y, const ViewRay& ray);

// E(units) of the `equates` row of depth 1..70.
int equatesOffset(int depth, int units);

// A pixel as the engine computes it; it may lie off the display.
struct Pixel {
    int column = 0, row = 0;
    bool operator==(const Pixel&) const = default;
};
// The perspective step (torvex2a): nullopt when the point is not on the display.
std::optional<Pixel> perspective(int side, int ahead, int height);
// The whole projection of a point relative to the camera (torvex).
std::optional<Pixel> project(Point relative, const ViewRay& ray);

// What the engine writes to `drawpoints` for a frame, the final 128 included.
std::vector<uint8_t> drawpoints(const Scene& scene, const Camera& camera);

// A 96 x 64 picture in the graph buffer's layout: 64 rows of 12 bytes, the
// most significant bit of a byte leftmost.
struct Frame {
    std::array<uint8_t, 768> bytes{};
    bool pixel(int column, int row) const;
    // Sets a pixel; a pixel off the display is not drawn.
    void plot(int column, int row);
    bool operator==(const Frame&) const = default;
};

// line_on: a line between two pixels given as signed bytes (-20..100 keeps
// every difference within a byte, as the engine needs).
void drawLine(Frame& frame, int column1, int row1, int column2, int row2);

// The frame of a scene seen by a camera.
Frame render(const Scene& scene, const Camera& camera);

// The frames of a run: the first frame, then one per key until MODE (which
// draws nothing). The camera starts at (0,0,0) with heading 0.
std::vector<Frame> run(const Scene& scene, const std::vector<uint8_t>& keys);

// radian: (x, y) moved by `steps` steps of the pattern of `heading`, from the
// start of the pattern (byte arithmetic).
std::array<int8_t, 2> radian(int8_t x, int8_t y, int heading, int steps);

// A text picture of a frame ('#' and '.'), for test messages.
std::string toText(const Frame& frame);

} // namespace torvex::engine
