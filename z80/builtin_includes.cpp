#include "z80/assembler.h"
namespace torvex::z80 {
std::optional<std::string> builtinInclude(std::string_view) { return std::nullopt; }
}
