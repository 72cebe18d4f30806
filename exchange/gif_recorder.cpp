#include "exchange/gif_recorder.h"

#include <gif_lib.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace torvex::exchange {

namespace {

void check(int status, const char* what) {
    if (status == GIF_ERROR)
        throw std::runtime_error(std::string("cannot write the GIF's ") + what);
}

GifColorType colour(uint32_t rgb) {
    return {static_cast<GifByteType>(rgb >> 16), static_cast<GifByteType>(rgb >> 8),
            static_cast<GifByteType>(rgb)};
}

} // namespace

int GifRecorder::put(GifFileType* gif, const uint8_t* bytes, int length) {
    static_cast<GifRecorder*>(gif->UserData)
        ->bytes_.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
    return length;
}

GifRecorder::GifRecorder(int scale) : scale_(scale) {
    if (scale < 1 || scale > 16)
        throw std::invalid_argument("a GIF's scale is 1 to 16");
    int error = 0;
    gif_ = EGifOpen(this, put, &error);
    if (!gif_)
        throw std::runtime_error("cannot start a GIF");
    EGifSetGifVersion(gif_, true);
    // Colour 0 is the glass, colour 1 a dark pixel.
    const GifColorType colours[2] = {colour(kLcdLight), colour(kLcdDark)};
    ColorMapObject* map = GifMakeMapObject(2, colours);
    const int status = EGifPutScreenDesc(gif_, 96 * scale_, 64 * scale_, 1, 0, map);
    GifFreeMapObject(map);
    check(status, "header");
    // Loops for ever (the application extension every browser reads).
    const uint8_t loop[3] = {1, 0, 0};
    check(EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE), "loop");
    check(EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0"), "loop");
    check(EGifPutExtensionBlock(gif_, 3, loop), "loop");
    check(EGifPutExtensionTrailer(gif_), "loop");
}

GifRecorder::~GifRecorder() {
    if (gif_)
        EGifCloseFile(gif_, nullptr);
}

void GifRecorder::add(const std::array<uint8_t, 768>& display, uint64_t durationTstates) {
    if (!gif_)
        throw std::logic_error("the GIF is finished");
    tstates_ += durationTstates;
    const uint64_t shown = (tstates_ + kTstatesPerCentisecond / 2) / kTstatesPerCentisecond;
    const auto delay = static_cast<int>(std::min<uint64_t>(shown - written_, 0xFFFF));
    written_ += static_cast<uint64_t>(delay);

    GraphicsControlBlock control{DISPOSE_DO_NOT, false, delay, NO_TRANSPARENT_COLOR};
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    check(EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, 4, extension), "frame delay");
    const int width = 96 * scale_, height = 64 * scale_;
    check(EGifPutImageDesc(gif_, 0, 0, width, height, false, nullptr), "image");
    std::vector<GifPixelType> line(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        const int row = y / scale_;
        for (int x = 0; x < width; ++x) {
            const int column = x / scale_;
            line[static_cast<size_t>(x)] = (display[row * 12 + column / 8] >> (7 - column % 8)) & 1;
        }
        check(EGifPutLine(gif_, line.data(), width), "image");
    }
    ++frames_;
}

std::string GifRecorder::finish() {
    if (!gif_)
        throw std::logic_error("the GIF is finished");
    const int status = EGifCloseFile(gif_, nullptr);
    gif_ = nullptr;
    check(status, "end");
    return std::move(bytes_);
}

} // namespace torvex::exchange
