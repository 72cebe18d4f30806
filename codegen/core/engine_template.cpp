#include "codegen/engine_template.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

namespace torvex::embedded {
// Generated at build time from the asset (see embed_file.cmake).
extern const unsigned char engineTemplateData[];
extern const std::size_t engineTemplateSize;
} // namespace torvex::embedded

namespace torvex {

std::string_view engineTemplateBytes() {
    return {reinterpret_cast<const char*>(embedded::engineTemplateData),
            embedded::engineTemplateSize};
}

const TextLines& engineTemplateLines() {
    static const TextLines lines = splitTextLines(engineTemplateBytes());
    return lines;
}

std::string segmentLimitWarning(std::size_t segments) {
    if (segments <= kEngineSegmentLimit)
        return {};
    return "The scene has " + std::to_string(segments) +
           " segments: the calculator draws only the first " + std::to_string(kEngineSegmentLimit) +
           ".";
}

std::string segmentSpanWarning(const std::array<int, 6>& segment) {
    const int alongX = std::abs(segment[0] - segment[3]);
    const int alongY = std::abs(segment[1] - segment[4]);
    const int span = std::max(alongX, alongY);
    if (span <= 2 * kEngineDrawDistance)
        return {};
    return "the calculator never draws this segment: its ends lie " + std::to_string(span) +
           " steps apart along " + (alongX >= alongY ? "x" : "y") +
           ", more than twice its draw distance (" + std::to_string(kEngineDrawDistance) + ")";
}

} // namespace torvex
