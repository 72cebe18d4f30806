#include "codegen/scene_data.h"

namespace torvex {

namespace {

constexpr std::string_view kDataPrefix = "        .db ";

void appendDataLines(TextLines& lines, const TextLines& entries) {
    for (const std::string& entry : entries)
        lines.push_back(dataLine(entry));
}

} // namespace

std::string dataLine(std::string_view entry) {
    std::string line;
    line.reserve(kDataPrefix.size() + entry.size());
    line += kDataPrefix;
    line += entry;
    return line;
}

TextLines sceneDataFileLines(const TextLines& entries) {
    TextLines lines = {";Scene data made by Torvex Designer", ";***** USE AT YOUR OWN RISK *****",
                       ";================================", "scene:"};
    lines.reserve(lines.size() + entries.size());
    appendDataLines(lines, entries);
    return lines;
}

TextLines previewSourceLines(const TextLines& templateLines, const TextLines& listLines) {
    TextLines lines;
    lines.reserve(templateLines.size() + listLines.size() + 3);
    lines.insert(lines.end(), templateLines.begin(), templateLines.end());
    appendDataLines(lines, listLines);
    // The byte 128 where a point's x would stand ends the scene for the engine.
    lines.push_back(dataLine("128"));
    lines.push_back(".end");
    lines.push_back("END");
    return lines;
}

} // namespace torvex
