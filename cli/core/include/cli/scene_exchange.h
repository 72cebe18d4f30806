// Torvex Designer - the companion's commands that bring scenes in from other
// tools and show them to people without a calculator: a 3D model imported as
// a line list, a list rendered as the preview window's picture, and a walk
// recorded as an animated GIF. Each takes its options as a plain struct, so
// that any command line (or a test) can drive it.
#pragma once

#include "cli/cli.h"
#include "exchange/model_import.h"

#include <filesystem>
#include <optional>

namespace torvex::cli {

struct ImportCommandOptions {
    std::filesystem::path model;
    std::filesystem::path output;
    exchange::ImportOptions import;
};
// Writes the model's segments as a line list; a summary goes to the error
// stream. Returns the exit code.
int importModelToList(const ImportCommandOptions& options, Io& io);

struct RenderCommandOptions {
    std::filesystem::path list;
    std::filesystem::path output;
    int width = 1280, height = 1024;
};
// Writes the preview window's picture of the list as a PNG. Returns the exit
// code.
int renderListPicture(const RenderCommandOptions& options, Io& io);

// --record WALK.gif and --scale N of `run` and `view`.
struct RecordOptions {
    std::optional<std::filesystem::path> gif;
    int scale = 3;
};

// Option values, checked (UsageError).
exchange::Axis parseAxis(const std::string& text);
int parseIntegerIn(const std::string& option, const std::string& text, int low, int high);
std::array<int, 3> parsePoint(const std::string& text);
std::pair<int, int> parsePictureSize(const std::string& text);

} // namespace torvex::cli
