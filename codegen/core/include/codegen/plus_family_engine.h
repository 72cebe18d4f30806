#pragma once

// The engine for the TI-83 Plus family, made from the one engine template
// (written for the TI-83) by moving everything that depends on the TI-83's
// memory map and ROM:
// - `.org 9327h` becomes `.org 9D93h` followed by `.db 0BBh,6Dh` (the tokens
//   that make the program run with Asm();
// - "ti83asm.inc" becomes "ti83plus.inc" ("tokens.inc" is dropped: the family's
//   file holds the tokens too);
// - `call _CLRLCDFULL` and the three other ROM calls become `rst 28h` and
//   `.dw _ClrLCDFull` (the family's bcall, written out so that no macro
//   support is needed), with the family's spellings;
// - addresses in the TI-83's system RAM move: the engine's variables from
//   saveSScreen to appBackUpScreen (9872h, which the OS leaves alone at
//   power-down), the graph buffer from 8E29h to 9340h. The engine keeps
//   per-frame tables in the graph buffer and relies on where its 256-byte
//   pages begin from 8F00h on, so that part moves by whole pages (500h) and
//   keeps its low bytes; a page byte is written as ADDRESS>>8 so that it moves
//   with its address.
// A TI-83 address or ROM call the transformation does not know how to move
// is an error, never passed through.

#include "codegen/text_lines.h"

#include <stdexcept>

namespace torvex {

class EngineTransformError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The TI-83 engine's lines turned into the Plus family's. Throws
// EngineTransformError naming the line of anything it cannot move.
TextLines plusFamilyEngineLines(const TextLines& ti83Engine);

// The shipped engine template for the Plus family (made once).
const TextLines& plusFamilyEngineTemplateLines();

} // namespace torvex
