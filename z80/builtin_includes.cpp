// Torvex Designer - built-in definitions for #include "ti83asm.inc" / "tokens.inc"
// (TI-83) and "ti83plus.inc" (TI-83 Plus family), so that a preview source
// assembles where the calculator's own include files are not at hand: only the
// ROM call and RAM addresses the engine uses, each taken from the calculator's
// ROM interface. The names are spelled as each calculator's include file spells
// them (TI-83: ROM calls in capitals except _getkey; Plus family: mixed case),
// because labels are case-sensitive unless assembled with -i.
#include "z80/assembler.h"

#include "base/ascii.h"

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

// The Plus family calls the ROM with rst 28h followed by the routine's address
// (the family's bcall(x) macro); the engine writes those two lines out.
constexpr const char* kTi83Plus =
    R"(; ti83plus.inc - Torvex Designer built-in definitions (TI-83 Plus family)
; Only the calculator addresses that the Torvex engine uses.
_ClrLCDFull     .equ    4540h   ; clear the LCD
_GrBufClr       .equ    4BD0h   ; clear the graph buffer
_GrBufCpy       .equ    486Ah   ; copy the graph buffer to the LCD
_GetKey         .equ    4972h   ; wait for a key, code in A
plotSScreen     .equ    9340h   ; graph buffer, 768 bytes
saveSScreen     .equ    86ECh   ; the OS saves the LCD here at power-down
appBackUpScreen .equ    9872h   ; free RAM for programs, 768 bytes
userMem         .equ    9D95h   ; programs start here, after the two tokens
t2ByteTok       .equ    0BBh
tAsmCmp         .equ    6Dh
)";

constexpr const char* kTokens = R"(; tokens.inc - Torvex Designer built-in definitions (TI-83)
; The Torvex engine uses no token names; this file only satisfies the #include.
)";

} // namespace

std::optional<std::string> builtinInclude(std::string_view name) {
    std::string n = asciiLower(name);
    if (n == "ti83asm.inc")
        return std::string(kTi83Asm);
    if (n == "ti83plus.inc")
        return std::string(kTi83Plus);
    if (n == "tokens.inc")
        return std::string(kTokens);
    return std::nullopt;
}

} // namespace torvex::z80
