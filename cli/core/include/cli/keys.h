// Torvex Designer - key names of the command-line companion (right, left, del...).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace torvex::cli {

// "right,right,del,mode" -> _getkey codes. Names: right left up down enter
// clear del stat vars mode (any case); numbers (decimal, 0x.., ..h) give a code
// directly. Throws UsageError for anything else. An empty text gives no keys.
std::vector<uint8_t> parseKeys(const std::string& text);

// The name of a key code, or its number in hex.
std::string keyName(uint8_t code);

} // namespace torvex::cli
