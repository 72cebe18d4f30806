// Torvex Designer - Z80 toolchain: the assembler's reading of numbers and
// comments for other code.
#include "z80/source_text.h"

#include "asm_expression.h"
#include "asm_text.h"

#include <algorithm>
#include <cctype>

namespace torvex::z80 {

size_t commentStart(std::string_view line) {
    return detail::commentStart(line);
}

std::optional<int64_t> numberValue(std::string_view text) {
    // A number is a digit or a radix prefix followed by name characters: not
    // $ alone (here), a name or an expression.
    const size_t prefix =
        !text.empty() && std::string_view("$%@").find(text[0]) != std::string_view::npos;
    if (text.size() <= prefix || (!prefix && !std::isdigit(static_cast<unsigned char>(text[0]))) ||
        !std::all_of(text.begin() + prefix, text.end(), detail::isIdentChar))
        return std::nullopt;
    try {
        const detail::Value v = detail::evaluate(
            text, 0, [](const std::string&) -> detail::Value { throw detail::Error{""}; },
            detail::Order::LeftToRight);
        return v.v;
    } catch (const detail::Error&) {
        return std::nullopt;
    }
}

} // namespace torvex::z80
