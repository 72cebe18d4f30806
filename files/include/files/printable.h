#pragma once

#include <string>
#include <string_view>

namespace torvex {

// Text safe to print in any message, also when it quotes a file name or a
// source: control bytes (C0, DEL, C1) and bytes that are not well-formed UTF-8
// as \xHH; everything else as it is.
std::string printable(std::string_view text);

} // namespace torvex
