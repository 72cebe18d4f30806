// Torvex Designer - reference model of the calculator engine (see engine_model.h).
#include "engine/engine_model.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace torvex::engine {

namespace {

// Byte arithmetic as the Z80 does it: the result wraps to a signed byte.
int8_t wrap(int value) {
    return static_cast<int8_t>(static_cast<uint8_t>(value & 0xFF));
}

// The pair of the heading's pattern that a walking step takes (the pattern
// repeats when it runs out); advances the camera's place in the pattern.
HeadingStep nextStep(Camera& camera) {
    const std::vector<HeadingStep>& pattern = headingPattern(camera.heading);
    if (camera.step >= pattern.size())
        camera.step = 0;
    return pattern[camera.step++];
}

void turn(Camera& camera, int by) {
    camera.heading = static_cast<uint8_t>((camera.heading + by + kHeadings) % kHeadings);
    camera.step = 0; // the new heading's pattern starts afresh
}

} // namespace

Scene readScene(const std::vector<uint8_t>& bytes) {
    Scene scene;
    for (size_t i = 0; i + 3 <= bytes.size() && bytes[i] != kEndMarker; i += 3)
        scene.push_back({wrap(bytes[i]), wrap(bytes[i + 1]), wrap(bytes[i + 2])});
    return scene;
}

std::vector<uint8_t> sceneBytes(const Scene& scene) {
    std::vector<uint8_t> bytes;
    for (const Point& p : scene) {
        bytes.push_back(static_cast<uint8_t>(p.x));
        bytes.push_back(static_cast<uint8_t>(p.y));
        bytes.push_back(static_cast<uint8_t>(p.z));
    }
    bytes.push_back(kEndMarker);
    return bytes;
}

Scene parseLineRecords(const std::string& text) {
    Scene scene;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        int v[6];
        char tail = 0;
        if (std::sscanf(line.c_str(), " %d , %d , %d , %d , %d , %d %c", &v[0], &v[1], &v[2], &v[3],
                        &v[4], &v[5], &tail) != 6)
            throw std::invalid_argument("line " + std::to_string(lineNo) +
                                        ": not a line record: " + line);
        for (int value : v)
            if (value < -128 || value > 127)
                throw std::invalid_argument("line " + std::to_string(lineNo) +
                                            ": value out of range: " + line);
        scene.push_back({wrap(v[0]), wrap(v[1]), wrap(v[2])});
        scene.push_back({wrap(v[3]), wrap(v[4]), wrap(v[5])});
    }
    return scene;
}

std::string lineRecord(const Point& start, const Point& end) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%4d,%4d,%4d,%4d,%4d,%4d", start.x, start.y, start.z,
                  end.x, end.y, end.z);
    return buffer;
}

bool step(Camera& camera, uint8_t key) {
    switch (key) {
    case keys::Mode:
        return false;
    case keys::Right:
        turn(camera, 1);
        break;
    case keys::Left:
        turn(camera, -1);
        break;
    case keys::Del: { // forward: add the pair
        HeadingStep s = nextStep(camera);
        camera.x = wrap(camera.x + s.x);
        camera.y = wrap(camera.y + s.y);
        break;
    }
    case keys::Stat: { // back: subtract it
        HeadingStep s = nextStep(camera);
        camera.x = wrap(camera.x - s.x);
        camera.y = wrap(camera.y - s.y);
        break;
    }
    case keys::Clear: { // right: the pair turned 90 degrees clockwise, (sy, -sx)
        HeadingStep s = nextStep(camera);
        camera.x = wrap(camera.x + s.y);
        camera.y = wrap(camera.y - s.x);
        break;
    }
    case keys::Vars: { // left: the opposite, (-sy, sx)
        HeadingStep s = nextStep(camera);
        camera.x = wrap(camera.x - s.y);
        camera.y = wrap(camera.y + s.x);
        break;
    }
    case keys::Up:
        camera.z = wrap(camera.z + 1);
        break;
    case keys::Down:
        camera.z = wrap(camera.z - 1);
        break;
    default:
        break;
    }
    return true;
}

ViewRay viewRay(int heading) {
    const std::vector<HeadingStep>& pattern = headingPattern(heading);
    ViewRay ray;
    for (int k = 1; k <= kDrawDistance; ++k) {
        const HeadingStep& s = pattern[(k - 1) % pattern.size()];
        ray.x[k] = wrap(ray.x[k - 1] + s.x);
        ray.y[k] = wrap(ray.y[k - 1] + s.y);
    }
    return ray;
}

std::optional<HeadingPoint> findxy(int8_t x, int8_t y, const ViewRay& ray) {
    const int ax = std::abs(int(x)), ay = std::abs(int(y));
    if (ax > kDrawDistance || ay > kDrawDistance)
        return std::nullopt;
    // The products of x and of y with sin and cos, read off the ray; a
    // negative coordinate reads the ray at its size and negates.
    const int xSin = x < 0 ? -ray.x[ax] : ray.x[ax];
    const int xCos = x < 0 ? -ray.y[ax] : ray.y[ax];
    const int ySin = y < 0 ? -ray.x[ay] : ray.x[ay];
    const int yCos = y < 0 ? -ray.y[ay] : ray.y[ay];
    return HeadingPoint{xCos - ySin, xSin + yCos};
}

int equatesOffset(int depth, int units) {
    const std::vector<int>& pattern = equatesPattern(depth);
    int sum = 0;
    for (int i = 0; i < units; ++i)
        sum += pattern[i % pattern.size()];
    return sum;
}

std::optional<Pixel> perspective(int side, int ahead, int height) {
    if (ahead < 1 || ahead > kEquatesRows)
        return std::nullopt;
    if (std::abs(side) >= ahead || std::abs(height) >= ahead)
        return std::nullopt;
    const int across = equatesOffset(ahead, std::abs(side));
    const int up = equatesOffset(ahead, std::abs(height));
    return Pixel{side < 0 ? kCentreColumn - across : kCentreColumn + across,
                 height < 0 ? kCentreRow + up : kCentreRow - up};
}

std::optional<Pixel> project(Point relative, const ViewRay& ray) {
    std::optional<HeadingPoint> h = findxy(relative.x, relative.y, ray);
    if (!h)
        return std::nullopt;
    return perspective(h->side, h->ahead, relative.z);
}

std::vector<uint8_t> drawpoints(const Scene& scene, const Camera& camera) {
    const ViewRay ray = viewRay(camera.heading);
    std::vector<uint8_t> out;
    size_t points = 0;
    for (const Point& p : scene) {
        if (static_cast<uint8_t>(p.x) == kEndMarker || points == 2 * kMaxSegments)
            break;
        ++points;
        const Point relative{wrap(p.x - camera.x), wrap(p.y - camera.y), wrap(p.z - camera.z)};
        if (std::optional<Pixel> px = project(relative, ray)) {
            out.push_back(static_cast<uint8_t>(px->column));
            out.push_back(static_cast<uint8_t>(px->row));
        } else {
            out.push_back(0); // not on the display
            out.push_back(0);
        }
    }
    out.push_back(kEndMarker);
    return out;
}

bool Frame::pixel(int column, int row) const {
    if (column < 0 || column >= kColumns || row < 0 || row >= kRows)
        return false;
    return bytes[row * 12 + column / 8] & (0x80 >> (column % 8));
}

void Frame::plot(int column, int row) {
    if (column < 0 || column >= kColumns || row < 0 || row >= kRows)
        return;
    bytes[row * 12 + column / 8] |= static_cast<uint8_t>(0x80 >> (column % 8));
}

void drawLine(Frame& frame, int x1, int y1, int x2, int y2) {
    if (x2 < x1) { // always left to right
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const int dx = x2 - x1;
    const int ady = std::abs(y2 - y1);
    const int sy = y2 < y1 ? -1 : 1;
    if (dx >= ady) { // one pixel per column
        int error = dx / 2, y = y1;
        for (int x = x1; x <= x2; ++x) {
            frame.plot(x, y);
            error -= ady;
            if (error < 0) {
                error += dx;
                y += sy;
            }
        }
    } else { // one pixel per row
        int error = ady / 2, x = x1, y = y1;
        for (int i = 0; i <= ady; ++i) {
            frame.plot(x, y);
            y += sy;
            error -= dx;
            if (error < 0) {
                error += ady;
                ++x;
            }
        }
    }
}

Frame render(const Scene& scene, const Camera& camera) {
    const std::vector<uint8_t> points = drawpoints(scene, camera);
    Frame frame;
    for (size_t i = 0; points[i] != kEndMarker && points[i + 2] != kEndMarker; i += 4) {
        const uint8_t* s = &points[i];
        if (s[0] == 0 || s[1] == 0 || s[2] == 0 || s[3] == 0)
            continue; // an end point is not on the display: the segment is left out
        drawLine(frame, wrap(s[0]), wrap(s[1]), wrap(s[2]), wrap(s[3]));
    }
    return frame;
}

std::vector<Frame> run(const Scene& scene, const std::vector<uint8_t>& keys) {
    Camera camera;
    std::vector<Frame> frames{render(scene, camera)};
    for (uint8_t key : keys) {
        if (!step(camera, key))
            break;
        frames.push_back(render(scene, camera));
    }
    return frames;
}

std::array<int8_t, 2> radian(int8_t x, int8_t y, int heading, int steps) {
    const std::vector<HeadingStep>& pattern = headingPattern(heading);
    for (int i = 0; i < steps; ++i) {
        const HeadingStep& s = pattern[i % pattern.size()];
        x = wrap(x + s.x);
        y = wrap(y + s.y);
    }
    return {x, y};
}

std::string toText(const Frame& frame) {
    std::string text;
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c)
            text += frame.pixel(c, r) ? '#' : '.';
        text += '\n';
    }
    return text;
}

} // namespace torvex::engine
