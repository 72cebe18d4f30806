// Torvex Designer - the engine benchmark's scene and camera positions, shared
// by the benchmark and the test that checks the scene stays on the display.
#pragma once

#include "engine/engine_model.h"

#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace torvex::engine::bench {

// Steps walked back from the scene's centre along each heading.
inline constexpr int kStepsBack = 30;

// The keys that bring the camera to heading h, kStepsBack steps back from the
// origin, facing the scene: h right turns, then STAT (back) kStepsBack times.
inline std::vector<uint8_t> benchKeys(int heading) {
    std::vector<uint8_t> k(heading, keys::Right);
    k.insert(k.end(), kStepsBack, keys::Stat);
    return k;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace torvex::engine::bench
