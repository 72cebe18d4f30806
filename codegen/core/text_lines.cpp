#include "codegen/text_lines.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace torvex {

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kNul = '\0';

bool endsLine(char byte) {
    return byte == kCarriageReturn || byte == kLineFeed || byte == kNul;
}

// Eight bytes at a time: true when any of them is CR, LF or NUL.
constexpr std::uint64_t kEveryByte = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

constexpr bool holdsZeroByte(std::uint64_t word) {
    return ((word - kEveryByte) & ~word & kHighBits);
}

bool holdsLineEnd(std::uint64_t word) {
    return holdsZeroByte(word) || holdsZeroByte(word ^ (kEveryByte * kCarriageReturn)) ||
           holdsZeroByte(word ^ (kEveryByte * kLineFeed));
}

const char* lineEndFrom(const char* current, const char* end) {
    std::uint64_t word;
    while (end - current >= static_cast<std::ptrdiff_t>(sizeof word)) {
        std::memcpy(&word, current, sizeof word);
        if (holdsLineEnd(word))
            break;
        current += sizeof word;
    }
    while (current != end && !endsLine(*current))
        ++current;
    return current;
}

// Room for the usual case, one terminator kind per line, so that a long list
// is not moved while it grows.
std::size_t expectedLineCount(std::string_view bytes) {
    auto count = std::count(bytes.begin(), bytes.end(), kLineFeed);
    if (count == 0)
        count = std::count(bytes.begin(), bytes.end(), kCarriageReturn);
    return static_cast<std::size_t>(count) + 1;
}

} // namespace

TextLines splitTextLines(std::string_view bytes) {
    TextLines lines;
    lines.reserve(expectedLineCount(bytes));
    const char* current = bytes.data();
    const char* const end = bytes.data() + bytes.size();
    while (current != end && *current != kNul) {
        const char* const lineEnd = lineEndFrom(current, end);
        lines.emplace_back(current, lineEnd);
        current = lineEnd;
        if (current != end && *current == kCarriageReturn)
            ++current;
        if (current != end && *current == kLineFeed)
            ++current;
    }
    return lines;
}

std::string joinTextLines(const TextLines& lines) {
    std::size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

} // namespace torvex
