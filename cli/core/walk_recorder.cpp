#include "cli/output.h"
#include "cli/scene_exchange.h"
#include "files/file_io.h"

#include <cstdio>
#include <new>

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
        refuseOtherFormat(*gif, ".gif", "the walk is a GIF");
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
    if (!recorder_ || !failure_.empty() || full_)
        return;
    try { // a failure is said when the recording ends
        recorder_->add(display, tstates);
        full_ = recorder_->size() >= kLargestRecording;
    } catch (const std::bad_alloc&) {
        failure_ = "not enough memory to record the walk";
    } catch (const std::exception& e) {
        failure_ = e.what();
    }
}

std::string WalkRecorder::finish(const std::vector<std::filesystem::path>& inputs) {
    if (!recorder_)
        return {};
    refuseOutputOverInputs(inputs, *options_.gif);
    const std::string gif = shownName(*options_.gif);
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
    const std::string held =
        std::to_string(frames) + (frames == 1 ? " frame, " : " frames, ") + seconds + " s";
    if (full_)
        throw OutputError("the recording stopped at " + std::to_string(kLargestRecording >> 20) +
                          " MiB: " + gif + " holds its first " + held);
    return "wrote " + gif + ": " + held + " on the calculator";
}

} // namespace torvex::cli
