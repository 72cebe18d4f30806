// A GIF's bytes read back whole with giflib.
#pragma once

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace torvex::test {

struct GifCloser {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};
using Gif = std::unique_ptr<GifFileType, GifCloser>;

// The decoded file, or null when giflib cannot read all of it.
inline Gif readGif(const std::string& bytes) {
    struct Source {
        const std::string& bytes;
        size_t at = 0;
        static int read(GifFileType* gif, GifByteType* into, int length) {
            auto* s = static_cast<Source*>(gif->UserData);
            const size_t n = std::min<size_t>(size_t(length), s->bytes.size() - s->at);
            std::memcpy(into, s->bytes.data() + s->at, n);
            s->at += n;
            return int(n);
        }
    } source{bytes};
    int error = 0;
    Gif gif(DGifOpen(&source, Source::read, &error));
    if (gif && DGifSlurp(gif.get()) != GIF_OK)
        gif.reset();
    return gif;
}

// Each image's delay in 1/100 s.
inline std::vector<int> gifDelays(GifFileType* gif) {
    std::vector<int> delays;
    for (int i = 0; i < gif->ImageCount; ++i) {
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, i, &control);
        delays.push_back(control.DelayTime);
    }
    return delays;
}

} // namespace torvex::test
