// Torvex Designer - Z80 toolchain: TASM-dialect source text read as the
// assembler reads it, for code that rewrites sources line by line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace torvex::z80 {

// Index of the ';' that starts the line's comment (outside string and
// character literals; the quote of af' opens none), or npos.
size_t commentStart(std::string_view line);

// The value of one number as the assembler reads it (1234, 0ABCh, $ABC, 0x1F,
// 101b, %101, 17o, @17), 32-bit; nullopt when the text is not one number.
std::optional<int64_t> numberValue(std::string_view text);

} // namespace torvex::z80
