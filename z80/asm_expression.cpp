// Torvex Designer - Z80 toolchain: TASM-dialect expressions.
#include "asm_expression.h"

#include "asm_text.h"

#include <algorithm>
#include <cctype>

namespace torvex::z80::detail {

namespace {

struct Operator {
    std::string_view text;
    int precedence; // under Order::Precedence; higher binds tighter
};

// Longer spellings first, so that "<<" is not read as "<".
constexpr Operator kOperators[] = {
    {"<<", 5}, {">>", 5}, {"<=", 4}, {">=", 4}, {"==", 3}, {"!=", 3}, {"*", 7}, {"/", 7}, {"%", 7},
    {"+", 6},  {"-", 6},  {"<", 4},  {">", 4},  {"=", 3},  {"&", 2},  {"^", 1}, {"|", 0},
};

class Parser {
public:
    Parser(std::string_view text, int64_t here, const Lookup& lookup, Order order)
        : s_(text), here_(here), lookup_(lookup), flat_(order == Order::LeftToRight) {}

    Value parse() {
        skipSpace();
        if (pos_ >= s_.size())
            throw Error{"missing expression"};
        Value v = binary(0);
        skipSpace();
        if (pos_ < s_.size())
            throw Error{"unexpected '" + std::string(s_.substr(pos_)) + "' in expression"};
        return v;
    }

private:
    std::string_view s_;
    size_t pos_ = 0;
    int64_t here_;
    const Lookup& lookup_;
    bool flat_;
    int depth_ = 0;
    static constexpr int kMaxExpressionDepth = 256;

    void skipSpace() {
        while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_])))
            ++pos_;
    }

    const Operator* peekOperator() {
        skipSpace();
        for (const Operator& op : kOperators)
            if (s_.substr(pos_, op.text.size()) == op.text)
                return &op;
        return nullptr;
    }

    Value binary(int minPrec) {
        Value lhs = unary();
        for (;;) {
            const Operator* op = peekOperator();
            if (!op)
                return lhs;
            int prec = flat_ ? 0 : op->precedence;
            if (prec < minPrec)
                return lhs;
            pos_ += op->text.size();
            Value rhs = flat_ ? unary() : binary(prec + 1);
            lhs = apply(op->text, lhs, rhs);
        }
    }

    static Value apply(std::string_view op, Value a, Value b) {
        Value r{0, a.known && b.known};
        if (!r.known)
            return r;
        if (op == "+")
            r.v = a.v + b.v;
        else if (op == "-")
            r.v = a.v - b.v;
        else if (op == "*")
            r.v = a.v * b.v;
        else if (op == "/" || op == "%") {
            if (b.v == 0)
                throw Error{"division by zero", true};
            r.v = op == "/" ? a.v / b.v : a.v % b.v;
        } else if (op == "&")
            r.v = a.v & b.v;
        else if (op == "|")
            r.v = a.v | b.v;
        else if (op == "^")
            r.v = a.v ^ b.v;
        else if (op == "<<")
            r.v = (b.v < 0 || b.v > 31) ? 0 : a.v << b.v;
        else if (op == ">>")
            r.v = (b.v < 0 || b.v > 31) ? (a.v < 0 ? -1 : 0) : a.v >> b.v;
        else if (op == "=" || op == "==")
            r.v = a.v == b.v;
        else if (op == "!=")
            r.v = a.v != b.v;
        else if (op == "<")
            r.v = a.v < b.v;
        else if (op == ">")
            r.v = a.v > b.v;
        else if (op == "<=")
            r.v = a.v <= b.v;
        else if (op == ">=")
            r.v = a.v >= b.v;
        // keep values bounded so that nothing overflows
        r.v = static_cast<int32_t>(r.v);
        return r;
    }

    Value unary() {
        skipSpace();
        if (pos_ >= s_.size())
            throw Error{"missing operand in expression"};
        if (++depth_ > kMaxExpressionDepth)
            throw Error{"expression nested too deeply"};
        struct Leave {
            int& d;
            ~Leave() { --d; }
        } leave{depth_};
        char c = s_[pos_];
        if (c == '-' || c == '+' || c == '~') {
            ++pos_;
            Value v = unary();
            if (c == '-')
                v.v = -v.v;
            if (c == '~')
                v.v = ~v.v;
            return v;
        }
        return primary();
    }

    // A number written with a radix prefix: $ hex, % binary, @ octal.
    Value prefixed(int base) {
        auto digit = [base](char ch) {
            int d = std::isdigit(static_cast<unsigned char>(ch))    ? ch - '0'
                    : std::isxdigit(static_cast<unsigned char>(ch)) ? std::tolower(ch) - 'a' + 10
                                                                    : 99;
            return d < base;
        };
        size_t j = pos_ + 1;
        while (j < s_.size() && digit(s_[j]))
            ++j;
        if (j == pos_ + 1 || (j < s_.size() && isIdentChar(s_[j])))
            throw Error{"bad number '" + std::string(s_.substr(pos_, nameEnd(s_, j) - pos_)) + "'"};
        std::string digits(s_.substr(pos_ + 1, j - pos_ - 1));
        digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
        int bits = base == 16 ? 4 : base == 8 ? 3 : 1;
        if (digits.size() * bits > 33 || std::stoll(digits, nullptr, base) > 0xFFFFFFFFLL)
            throw Error{"number too large"};
        pos_ = j;
        return {static_cast<int32_t>(std::stoll(digits, nullptr, base)), true};
    }

    Value primary() {
        skipSpace();
        char c = s_[pos_];
        char n = pos_ + 1 < s_.size() ? s_[pos_ + 1] : '\0';
        if (c == '(') {
            ++pos_;
            Value v = binary(0);
            skipSpace();
            if (pos_ >= s_.size() || s_[pos_] != ')')
                throw Error{"missing ')' in expression"};
            ++pos_;
            return v;
        }
        if (c == '\'' || c == '"') {
            size_t end = skipLiteral(s_, pos_);
            std::string_view body = s_.substr(pos_ + 1, end - pos_ - 2);
            if (end > s_.size() || s_[end - 1] != c || end - pos_ < 2)
                throw Error{"unterminated character constant"};
            std::string ch = unescape(body);
            if (ch.size() != 1)
                throw Error{"character constant must hold one character"};
            pos_ = end;
            return {static_cast<unsigned char>(ch[0]), true};
        }
        if (c == '$' && !std::isxdigit(static_cast<unsigned char>(n))) {
            ++pos_;
            return {here_, true};
        }
        if (c == '*') {
            ++pos_;
            return {here_, true};
        }
        if (c == '$' || c == '%' || c == '@')
            return prefixed(c == '$' ? 16 : c == '%' ? 2 : 8);
        if (std::isdigit(static_cast<unsigned char>(c))) {
            size_t j = pos_;
            while (j < s_.size() && isIdentChar(s_[j]))
                ++j;
            std::string tok(s_.substr(pos_, j - pos_));
            pos_ = j;
            return number(tok);
        }
        if (isIdentStart(c)) {
            size_t j = nameEnd(s_, pos_);
            std::string name(s_.substr(pos_, j - pos_));
            pos_ = j;
            return lookup_(name);
        }
        throw Error{"unexpected '" + std::string(1, c) + "' in expression"};
    }

    static Value number(const std::string& tok) {
        std::string t = asciiLower(tok);
        auto all = [](std::string_view s, auto pred) {
            return !s.empty() && std::all_of(s.begin(), s.end(), pred);
        };
        auto isHex = [](char ch) { return std::isxdigit(static_cast<unsigned char>(ch)) != 0; };
        auto isDec = [](char ch) { return std::isdigit(static_cast<unsigned char>(ch)) != 0; };
        auto isBin = [](char ch) { return ch == '0' || ch == '1'; };
        auto isOct = [](char ch) { return ch >= '0' && ch <= '7'; };
        std::string digits;
        int base = 10;
        if (t.size() > 2 && t[0] == '0' && t[1] == 'x') {
            digits = t.substr(2), base = 16;
            if (!all(digits, isHex))
                digits.clear();
        } else if (t.back() == 'h') {
            digits = t.substr(0, t.size() - 1), base = 16;
            if (!all(digits, isHex))
                digits.clear();
        } else if (t.back() == 'b') {
            digits = t.substr(0, t.size() - 1), base = 2;
            if (!all(digits, isBin))
                digits.clear();
        } else if (t.back() == 'o' || t.back() == 'q') {
            digits = t.substr(0, t.size() - 1), base = 8;
            if (!all(digits, isOct))
                digits.clear();
        } else if (t.back() == 'd') {
            digits = t.substr(0, t.size() - 1), base = 10;
            if (!all(digits, isDec))
                digits.clear();
        } else {
            digits = t;
            if (!all(digits, isDec))
                digits.clear();
        }
        if (digits.empty())
            throw Error{"bad number '" + tok + "'"};
        size_t significant = digits.find_first_not_of('0');
        size_t len = significant == std::string::npos ? 0 : digits.size() - significant;
        if ((base == 16 && len > 8) || (base == 2 && len > 32) || (base == 8 && len > 11) ||
            (base == 10 && len > 10))
            throw Error{"number too large '" + tok + "'"};
        int64_t v = std::stoll(digits, nullptr, base);
        if (v > 0xFFFFFFFFLL)
            throw Error{"number too large '" + tok + "'"};
        return {static_cast<int32_t>(v), true};
    }
};

} // namespace

Value evaluate(std::string_view text, int64_t here, const Lookup& lookup, Order order) {
    return Parser(text, here, lookup, order).parse();
}

} // namespace torvex::z80::detail
