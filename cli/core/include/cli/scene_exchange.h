// Torvex Designer - the companion's commands that bring scenes in from other
// tools and show them to people without a calculator: a 3D model imported as
// a line list, a list rendered as the preview window's picture, and a walk
// recorded as an animated GIF. Each takes its options as a plain struct, so
// that any command line (or a test) can drive it.
#pragma once

#include "cli/args.h"
#include "cli/cli.h"
#include "exchange/gif_recorder.h"
#include "exchange/model_import.h"
#include "z80/ti83.h"

#include <filesystem>
#include <memory>
#include <optional>

namespace torvex::cli {

struct ImportCommandOptions {
    std::filesystem::path model;
    std::filesystem::path output;
    exchange::ImportOptions import;
    bool quiet = false; // no summary, no "wrote" line
};
// Writes the model's segments as a line list; a summary goes to the error
// stream. Returns the exit code.
int importModelToList(const ImportCommandOptions& options, Io& io);

struct RenderCommandOptions {
    std::filesystem::path list;
    std::filesystem::path output;
    int width = 1280, height = 1024;
    bool quiet = false;
};
// Writes the preview window's picture of the list as a PNG. Returns the exit
// code.
int renderListPicture(const RenderCommandOptions& options, Io& io);

// --record WALK.gif and --scale N of `run` and `view`.
struct RecordOptions {
    std::optional<std::filesystem::path> gif;
    int scale = 3;
};
OptionDefinition recordOptionDefinition();
OptionDefinition scaleOptionDefinition();
// The options' values, checked (UsageError; --scale without --record is one).
RecordOptions recordOptions(const ParsedArgs& args);

// A walk recorded frame by frame into an animated GIF, written when it ends.
class WalkRecorder {
public:
    explicit WalkRecorder(RecordOptions options);
    ~WalkRecorder();
    // Nothing is recorded without a file to record to.
    bool recording() const { return recorder_ != nullptr; }
    // Adds the frame for as long as the calculator took for it: the
    // program's T-states and the ROM calls' estimate. Never throws: a failure
    // ends the recording and finish() reports it.
    void add(const z80::Frame& frame);
    void add(const std::array<uint8_t, 768>& display, uint64_t tstates);
    // Writes the GIF with the one writer and says what it holds, e.g. "wrote
    // walk.gif: 12 frames, 3.45 s on the calculator". Throws OutputError, also
    // when no frame was drawn or the GIF would replace one of `inputs`
    // (nothing is written then).
    std::string finish(const std::vector<std::filesystem::path>& inputs = {});

private:
    // A GIF larger than this is no picture to share: the recording stops
    // there, and what it holds is written.
    static constexpr size_t kLargestRecording = size_t{64} << 20;

    RecordOptions options_;
    std::unique_ptr<exchange::GifRecorder> recorder_;
    std::string failure_;
    bool full_ = false;
};

// Option values, checked (UsageError).
exchange::Axis parseAxis(const std::string& text);
int parseIntegerIn(const std::string& option, const std::string& text, int low, int high);
std::array<int, 3> parsePoint(const std::string& text);
std::pair<int, int> parsePictureSize(const std::string& text);

} // namespace torvex::cli
