#include "files/printable.h"

namespace torvex {

namespace {
struct Lead {
    size_t length;
    unsigned char low, high; // the byte after it
};
} // namespace

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
        // control characters (C0, DEL, C1), stray bytes, overlong forms and
        // surrogates are escaped. The lead byte says the length and the range
        // of the byte after it.
        const auto [n, low, high] = b == 0xC2              ? Lead{2, 0xA0, 0xBF}
                                    : b > 0xC2 && b < 0xE0 ? Lead{2, 0x80, 0xBF}
                                    : b == 0xE0            ? Lead{3, 0xA0, 0xBF}
                                    : b == 0xED            ? Lead{3, 0x80, 0x9F}
                                    : b > 0xE0 && b < 0xF0 ? Lead{3, 0x80, 0xBF}
                                    : b == 0xF0            ? Lead{4, 0x90, 0xBF}
                                    : b > 0xF0 && b < 0xF4 ? Lead{4, 0x80, 0xBF}
                                    : b == 0xF4            ? Lead{4, 0x80, 0x8F}
                                                           : Lead{0, 0, 0};
        bool ok = n > 0 && i + n <= text.size() && static_cast<unsigned char>(text[i + 1]) >= low &&
                  static_cast<unsigned char>(text[i + 1]) <= high;
        for (size_t k = 2; ok && k < n; ++k)
            ok = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
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
