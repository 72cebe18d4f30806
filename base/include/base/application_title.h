#pragma once

namespace torvex {

// The program's name, as its windows, boxes and files show it.
inline constexpr const char* kApplicationTitle = "Torvex Designer";

} // namespace torvex
