// Torvex Designer - one run of a scene program in the emulated calculator
// (TI-83 or TI-83 Plus family), fed one key at a time, as the calculator view
// shows it.
#pragma once

#include "z80/ti83.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace torvex::cli {

// The engine's camera as its own variables hold it.
struct CameraState {
    int x = 0, y = 0, z = 0; // signed bytes
    int heading = 0;         // 0..35, clockwise from north in steps of 10 degrees
};

// Addresses of the engine variables the view reads.
// (on the TI-83; the Plus family's engine keeps the same block of variables
// in its free RAM)
inline constexpr uint16_t kCarX = 0x8273, kCarY = 0x8274, kCarZ = 0x8275;
inline constexpr uint16_t kCamHeading = 0x8284;

// The calculator runs 6,000,000 T-states a second.
inline constexpr double kCalculatorHz = 6'000'000.0;

// What one frame costs the calculator: the engine's own instructions
// (counted exactly) and the ROM calls it makes, the display's copy above all
// (charged as the emulated calculator's estimates).
struct FrameCost {
    uint64_t engine = 0;
    uint64_t romCalls = 0;
    uint64_t total() const { return engine + romCalls; }
};

class CalculatorSession {
public:
    // Starts the program and runs it to its first key wait. `keys` are
    // replayed first (MODE excluded), so a rebuilt program continues with the
    // camera where the earlier one left it.
    // `engineBytes`: how many bytes of the code are the engine, the same
    // whatever the scene (0: unknown).
    explicit CalculatorSession(std::vector<uint8_t> code, std::vector<uint8_t> keys = {},
                               size_t engineBytes = 0, z80::Model model = z80::Model::Ti83);
    // Starts the program where `earlier` stands, keeping its keys: when both
    // run the same engine (the same `engineBytes` bytes) and earlier waits
    // for a key on the same model, the calculator takes over earlier's state and draws the
    // frame again with this program's scene, at once; otherwise earlier's
    // keys are replayed.
    CalculatorSession(std::vector<uint8_t> code, size_t engineBytes,
                      const CalculatorSession& earlier, z80::Model model = z80::Model::Ti83);
    // The calculator reports its frames to this object.
    CalculatorSession(const CalculatorSession&) = delete;
    CalculatorSession& operator=(const CalculatorSession&) = delete;

    // Presses a key and runs to the next key wait (or the end).
    void press(uint8_t key);

    // The program has ended: MODE returned to the calculator, or it stopped
    // with an error (see stopMessage).
    bool ended() const { return ended_; }
    bool endedWithError() const { return ended_ && !returned_; }
    const std::string& stopMessage() const { return stopMessage_; }

    // What the display shows now (64 rows of 12 bytes, MSB leftmost).
    const std::array<uint8_t, 768>& display() const;
    // T-states of the last frame drawn; zeros before one.
    FrameCost lastFrameCost() const;
    // The last frame drawn, if any.
    const std::optional<z80::Frame>& lastFrame() const { return lastFrame_; }
    // Hands every frame drawn from now on to `sink` as well.
    void setFrameSink(std::function<void(const z80::Frame&)> sink) { sink_ = std::move(sink); }
    CameraState camera() const;
    // The keys pressed that changed something, for replaying.
    const std::vector<uint8_t>& history() const { return history_; }

private:
    void listenToFrames();
    void runToKeyWait();

    std::vector<uint8_t> code_;
    size_t engineBytes_ = 0;
    std::unique_ptr<z80::Ti83> calculator_;
    std::vector<uint8_t> history_;
    bool ended_ = false;
    bool returned_ = false;
    std::string stopMessage_;
    std::optional<z80::Frame> lastFrame_;
    std::function<void(const z80::Frame&)> sink_;
};

// Frames per second the calculator reaches for a frame of that many T-states.
double framesPerSecond(uint64_t tstatesPerFrame);

} // namespace torvex::cli
