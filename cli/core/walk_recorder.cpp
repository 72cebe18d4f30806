#include "cli/output.h"
#include "cli/scene_exchange.h"

#include <cstdio>

namespace torvex::cli {

OptionDefinition recordOptionDefinition() {
    return {"record", "", "WALK.gif",
            "record the calculator's display as an animated GIF: one image per frame, each "
            "shown as long as the frame takes on a 6 MHz calculator (the ROM calls' time "
            "estimated), looping"};
}

OptionDefinition scaleOptionDefinition() {
    return {"scale", "", "N",
            "each calculator pixel of the recording as N x N pixels, 1 to 16 (default 3)"};
}

RecordOptions recordOptions(const ParsedArgs& args) {
    RecordOptions options;
    if (auto gif = args.value("record")) {
        if (isStandardOutput(*gif))
            throw UsageError("--record needs a file name: a walk is not written to standard "
                             "output");
        options.gif = *gif;
    }
    if (auto scale = args.value("scale")) {
        if (!options.gif)
            throw UsageError("--scale is for --record");
        options.scale = parseIntegerIn("--scale", *scale, 1, 16);
    }
    return options;
}

WalkRecorder::WalkRecorder(RecordOptions options) : options_(std::move(options)) {
    if (options_.gif)
        recorder_ = std::make_unique<exchange::GifRecorder>(options_.scale);
}

WalkRecorder::~WalkRecorder() = default;

void WalkRecorder::add(const z80::Frame& frame) {
    add(frame.graphBuffer, frame.tstates + frame.romTstates);
}

void WalkRecorder::add(const std::array<uint8_t, 768>& display, uint64_t tstates) {
    if (!recorder_ || !failure_.empty())
        return;
    try {
        recorder_->add(display, tstates);
    } catch (const std::exception& e) { // said when the recording ends
        failure_ = e.what();
    }
}

std::string WalkRecorder::finish() {
    if (!recorder_)
        return {};
    const std::string gif = options_.gif->string();
    const std::unique_ptr<exchange::GifRecorder> recorder = std::move(recorder_);
    const size_t frames = recorder->frames();
    const uint64_t centiseconds = recorder->centiseconds();
    std::string bytes;
    try {
        if (!failure_.empty())
            throw std::runtime_error(failure_);
        bytes = recorder->finish();
    } catch (const std::exception& e) {
        throw OutputError(std::string(e.what()) + ": " + gif + " was not written");
    }
    if (frames == 0)
        throw OutputError("no frame was drawn: " + gif + " was not written");
    writeFileAtomically(*options_.gif, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%llu.%02llu",
                  static_cast<unsigned long long>(centiseconds / 100),
                  static_cast<unsigned long long>(centiseconds % 100));
    return "wrote " + gif + ": " + std::to_string(frames) +
           (frames == 1 ? " frame, " : " frames, ") + seconds + " s on the calculator";
}

} // namespace torvex::cli
