#pragma once

// The engine template: the Z80 source of the calculator engine that every
// preview source file starts with. Its text is built into the program from
// engine/engine_template.z80; it is never read at run time.

#include "codegen/text_lines.h"

#include <array>
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

// The engine projects a point only while it lies within this many steps of
// the viewer along x and along y, and draws a segment only when it projects
// both ends: one whose ends lie more than twice as far apart along x or y it
// never draws. (Coordinates wrap at the edge of the byte range, so from far
// beyond the grid such ends may meet as a shorter line: not the segment.)
inline constexpr int kEngineDrawDistance = 40;

// Why the engine never draws the segment {x1, y1, z1, x2, y2, z2}; empty
// when it may.
std::string segmentSpanWarning(const std::array<int, 6>& segment);

} // namespace torvex
