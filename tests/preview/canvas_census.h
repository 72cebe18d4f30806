#pragma once

#include "preview/canvas.h"

#include <map>

namespace torvex {

// How many pixels of the canvas have each colour.
inline std::map<Rgb, int> census(const Canvas& canvas) {
    std::map<Rgb, int> counts;
    for (int y = 0; y < Canvas::height; ++y)
        for (int x = 0; x < Canvas::width; ++x)
            ++counts[canvas.pixel(x, y)];
    return counts;
}

} // namespace torvex
