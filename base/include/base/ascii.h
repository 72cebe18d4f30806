// Torvex Designer - letters compared without regard to case: names, file
// extensions, mnemonics and key words are ASCII, so only A-Z change, byte by
// byte, whatever the locale (UTF-8 and Windows-1252 bytes stay as they are).
#pragma once

#include <string>
#include <string_view>

namespace torvex {

inline char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string asciiLower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = asciiLower(c);
    return r;
}

} // namespace torvex
