// libFuzzer target for the text line file reader's splitter. Besides crashes
// and sanitizer reports it checks the splitter's promises: no line holds a
// terminator, and writing the lines and reading them back changes nothing.
#include "codegen/text_lines.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const torvex::TextLines lines = torvex::splitTextLines(bytes);
    std::size_t kept = 0;
    for (const std::string& line : lines) {
        if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
            std::abort();
        kept += line.size();
    }
    if (kept > size)
        std::abort();
    const std::string written = torvex::joinTextLines(lines);
    if (torvex::splitTextLines(written) != lines)
        std::abort();
    return 0;
}
