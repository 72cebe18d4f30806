// Torvex Designer - output files of the command-line companion: each is written
// to a temporary file beside the target and renamed, so no partial file stays.
#pragma once

#include "z80/ti83.h"

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace torvex::cli {

class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void writeFileAtomically(const std::filesystem::path& file, const std::vector<uint8_t>& bytes);

// The frame as a PNG, each calculator pixel a scale x scale square, dark pixels
// on a light background.
void writeFramePng(const z80::Frame& frame, const std::filesystem::path& file, int scale = 4);

} // namespace torvex::cli
