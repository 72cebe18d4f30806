#include "files/printable.h"

namespace torvex {

std::string printable(std::string_view text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    auto escape = [&](unsigned char b) {
        out += "\\x";
        out += hex[b >> 4];
        out += hex[b & 15];
    };
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b >= 0x20 && b < 0x7F) {
            out += text[i++];
            continue;
        }
        // A well-formed UTF-8 character at or above U+00A0 is printable text;
        // control characters (C0, DEL, C1) and stray bytes are escaped.
        size_t n = b >= 0xF0 && b < 0xF5   ? 4
                   : b >= 0xE0 && b < 0xF0 ? 3
                   : b >= 0xC2 && b < 0xE0 ? 2
                                           : 0;
        bool ok = n > 0 && i + n <= text.size();
        for (size_t k = 1; ok && k < n; ++k)
            ok = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (ok && n == 2 && b == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0)
            ok = false;
        if (ok) {
            out.append(text.substr(i, n));
            i += n;
        } else {
            escape(b);
            ++i;
        }
    }
    return out;
}

} // namespace torvex
