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

} // namespace torvex
