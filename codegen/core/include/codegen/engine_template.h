#pragma once

// The engine template: the Z80 source of the calculator engine that every
// preview source file starts with. Its text is built into the program from
// engine/engine_template.z80; it is never read at run time.

#include "codegen/text_lines.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace torvex {

// The template's bytes as they stand in the asset.
std::string_view engineTemplateBytes();

// The template's lines, split as a text line file is read.
const TextLines& engineTemplateLines();

// The engine keeps the projected points of at most this many segments
// (`drawpoints` holds 288 bytes: 4 per segment and the end mark); it draws
// the first ones and leaves the rest of a longer scene out.
inline constexpr std::size_t kEngineSegmentLimit = 71;

// The warning every route of the companion gives for a scene of this many
// segments; empty when the engine draws them all.
std::string segmentLimitWarning(std::size_t segments);

} // namespace torvex
