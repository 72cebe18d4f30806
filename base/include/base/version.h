#pragma once

namespace torvex {

// The product version, "1.0.0.0": what `torvex --version` prints and the
// designer reports as its application version.
const char* productVersion();

} // namespace torvex
