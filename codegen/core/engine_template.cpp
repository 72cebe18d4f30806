#include "codegen/engine_template.h"

#include <cstddef>

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

} // namespace torvex
