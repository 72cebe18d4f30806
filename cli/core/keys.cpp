#include "cli/keys.h"

#include "base/ascii.h"

#include "cli/args.h"
#include "z80/ti83.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

namespace torvex::cli {

namespace {
const std::vector<std::pair<std::string, uint8_t>>& names() {
    using namespace z80::key;
    static const std::vector<std::pair<std::string, uint8_t>> n{
        {"right", Right}, {"left", Left}, {"up", Up},     {"down", Down}, {"enter", Enter},
        {"clear", Clear}, {"del", Del},   {"stat", Stat}, {"vars", Vars}, {"mode", Mode}};
    return n;
}

int parseNumber(const std::string& s) {
    if (s.empty())
        return -1;
    int base = 10;
    std::string digits = s;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        digits = s.substr(2), base = 16;
    else if (s.back() == 'h' || s.back() == 'H')
        digits = s.substr(0, s.size() - 1), base = 16;
    if (digits.empty() || digits.size() > 3)
        return -1;
    for (char c : digits)
        if (!(base == 16 ? std::isxdigit(static_cast<unsigned char>(c))
                         : std::isdigit(static_cast<unsigned char>(c))))
            return -1;
    int v = std::stoi(digits, nullptr, base);
    return v <= 255 ? v : -1;
}
} // namespace

std::vector<uint8_t> parseKeys(const std::string& text) {
    std::vector<uint8_t> keys;
    if (text.empty())
        return keys;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(',', start);
        std::string item =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::string lowerItem = asciiLower(item);
        auto it = std::find_if(names().begin(), names().end(),
                               [&](const auto& n) { return n.first == lowerItem; });
        if (it != names().end()) {
            keys.push_back(it->second);
        } else if (int v = parseNumber(item); v >= 0) {
            keys.push_back(static_cast<uint8_t>(v));
        } else {
            std::string all;
            for (const auto& n : names())
                all += (all.empty() ? "" : ", ") + n.first;
            throw UsageError("unknown key '" + item + "' (keys: " + all +
                             ", or a key code such as 45h)");
        }
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return keys;
}

std::string keyName(uint8_t code) {
    for (const auto& n : names())
        if (n.second == code)
            return n.first;
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02Xh", code);
    return buf;
}

} // namespace torvex::cli
