// A GIF's bytes read back whole with giflib, and its images' delays.
#pragma once

#include <gif_lib.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace torvex::test {

struct GifCloser {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};
using Gif = std::unique_ptr<GifFileType, GifCloser>;

// Null when giflib cannot read all of it.
inline Gif readGif(std::string bytes) {
    const auto read = [](GifFileType* gif, GifByteType* into, int length) {
        auto* rest = static_cast<std::string*>(gif->UserData);
        const size_t n = std::min(size_t(length), rest->size());
        std::memcpy(into, rest->data(), n);
        rest->erase(0, n);
        return int(n);
    };
    Gif gif(DGifOpen(&bytes, read, nullptr));
    if (gif && DGifSlurp(gif.get()) != GIF_OK)
        gif.reset();
    return gif;
}

inline std::vector<int> gifDelays(GifFileType* gif) { // in 1/100 s
    std::vector<int> delays;
    GraphicsControlBlock control{};
    for (int i = 0; i < gif->ImageCount; ++i)
        delays.push_back(DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK ? control.DelayTime
                                                                             : -1);
    return delays;
}

} // namespace torvex::test
