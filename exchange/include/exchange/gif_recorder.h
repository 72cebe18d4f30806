// Torvex Designer - a walk through a scene recorded as an animated GIF: the
// calculator's 96 x 64 display, one image per frame, each shown as long as
// the calculator takes for that frame, looping.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct GifFileType;

namespace torvex::exchange {

// The LCD's colours, 0xRRGGBB: dark pixels on the grey-green glass.
inline constexpr uint32_t kLcdDark = 0x1E231C;
inline constexpr uint32_t kLcdLight = 0xA7B496;

// The calculator runs 6,000,000 T-states a second; a GIF counts 1/100 s.
inline constexpr uint64_t kTstatesPerCentisecond = 60'000;

class GifRecorder {
public:
    // Each calculator pixel becomes a scale x scale square (1..16).
    explicit GifRecorder(int scale = 3);
    ~GifRecorder();
    GifRecorder(const GifRecorder&) = delete;
    GifRecorder& operator=(const GifRecorder&) = delete;

    // Adds one image: the display (64 rows of 12 bytes, leftmost pixel in the
    // top bit) shown for `durationTstates` of the calculator's time. The GIF
    // counts in 1/100 s, so each image's delay is rounded, and what rounding
    // took from or gave to one image is carried over to the next: after every
    // image the recording has lasted the calculator's time so far, rounded.
    void add(const std::array<uint8_t, 768>& display, uint64_t durationTstates);

    std::size_t frames() const { return frames_; }
    // The recording's length so far, in 1/100 s.
    uint64_t centiseconds() const { return written_; }
    // Bytes of the GIF so far.
    std::size_t size() const { return bytes_.size(); }

    // Ends the file and returns its bytes. Nothing can be added afterwards.
    std::string finish();

private:
    static int put(GifFileType* gif, const uint8_t* bytes, int length);

    int scale_;
    GifFileType* gif_ = nullptr;
    std::string bytes_;
    std::size_t frames_ = 0;
    uint64_t tstates_ = 0; // the calculator's time so far
    uint64_t written_ = 0; // the delays written so far, in 1/100 s
};

} // namespace torvex::exchange
