#include "codegen/text_lines.h"

namespace torvex {

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kNul = '\0';

bool endsLine(char byte) {
    return byte == kCarriageReturn || byte == kLineFeed || byte == kNul;
}

} // namespace

TextLines splitTextLines(std::string_view bytes) {
    TextLines lines;
    const char* current = bytes.data();
    const char* const end = bytes.data() + bytes.size();
    while (current != end && *current != kNul) {
        const char* lineEnd = current;
        while (lineEnd != end && !endsLine(*lineEnd))
            ++lineEnd;
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
