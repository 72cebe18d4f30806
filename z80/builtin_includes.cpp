// Torvex Designer - built-in definitions for #include "ti83asm.inc" / "tokens.inc",
// so that a preview source assembles where the calculator's own include files
// are not at hand: only the ROM call and RAM addresses the engine uses, each
// taken from the TI-83's ROM interface. The names are spelled as the
// calculator's include file spells them (ROM calls in capitals except _getkey),
// because labels are case-sensitive unless assembled with -i.
#include "z80/assembler.h"

#include <cctype>

namespace torvex::z80 {

namespace {

constexpr const char* kTi83Asm = R"(; ti83asm.inc - Torvex Designer built-in definitions (TI-83)
; Only the calculator addresses that the Torvex engine uses.
_CLRLCDFULL     .equ    4755h   ; clear the LCD
_GRBUFCLR       .equ    515Bh   ; clear the graph buffer
_GRBUFCPY_V     .equ    5164h   ; copy the graph buffer to the LCD
_getkey         .equ    4CFEh   ; wait for a key, code in A
PLOTSSCREEN     .equ    8E29h   ; graph buffer, 768 bytes
SAVESSCREEN     .equ    8265h   ; safe RAM, 768 bytes
)";

constexpr const char* kTokens = R"(; tokens.inc - Torvex Designer built-in definitions (TI-83)
; The Torvex engine uses no token names; this file only satisfies the #include.
)";

std::string lowerName(std::string_view s) {
    std::string r(s);
    for (auto& c : r)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

} // namespace

std::optional<std::string> builtinInclude(std::string_view name) {
    std::string n = lowerName(name);
    if (n == "ti83asm.inc")
        return std::string(kTi83Asm);
    if (n == "tokens.inc")
        return std::string(kTokens);
    return std::nullopt;
}

} // namespace torvex::z80
