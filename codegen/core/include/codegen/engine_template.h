#pragma once

// The engine template: the Z80 source of the calculator engine that every
// preview source file starts with. Its text is built into the program from
// engine/engine_template.z80; it is never read at run time.

#include "codegen/text_lines.h"

#include <string_view>

namespace torvex {

// The template's bytes as they stand in the asset.
std::string_view engineTemplateBytes();

// The template's lines, split as a text line file is read.
const TextLines& engineTemplateLines();

} // namespace torvex
