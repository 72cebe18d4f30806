// Torvex Designer - Z80 toolchain: TASM-dialect expressions.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace torvex::z80::detail {

// A value, or a label whose value is not known yet (pass 1 forward reference).
struct Value {
    int64_t v = 0;
    bool known = true;
};

// A problem with one statement; the assembler reports it at the statement's line.
struct Error {
    std::string message;
    // The expression is well formed but has no value: it needs a label that no
    // line defines (or an equate that cannot be evaluated), divides by zero,
    // or needs its own value.
    bool undefined = false;
};

using Lookup = std::function<Value(const std::string&)>;

enum class Order {
    LeftToRight, // TASM: no precedence, strictly left to right unless parenthesised
    Precedence,  // the usual precedence of most other assemblers (and of C)
};

// Evaluates an expression: numbers in every radix form, 'c', $ (here), names
// through lookup, + - * / % << >> & | ^ = == != < > <= >= (1 or 0), unary - + ~.
// Values are 32-bit signed. Throws Error.
Value evaluate(std::string_view text, int64_t here, const Lookup& lookup, Order order);

} // namespace torvex::z80::detail
