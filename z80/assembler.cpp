// Torvex Designer - Z80 toolchain: TASM-dialect assembler (two passes).
#include "z80/assembler.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>

namespace torvex::z80 {

std::string Diagnostic::text() const {
    return file + ":" + std::to_string(line) + ": " + message;
}

static std::string joinDiagnostics(const std::vector<Diagnostic>& ds) {
    std::string s;
    for (const auto& d : ds) {
        if (!s.empty())
            s += '\n';
        s += d.text();
    }
    return s;
}

AssemblyError::AssemblyError(std::vector<Diagnostic> ds)
    : std::runtime_error(joinDiagnostics(ds)), diagnostics(std::move(ds)) {}

namespace {

constexpr size_t kMaxDiagnostics = 50;
constexpr int kMaxIncludeDepth = 32;
constexpr int kMaxDefineDepth = 32;
constexpr size_t kMaxExpandedLine = 65536;

bool isIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool isIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}
std::string lower(std::string_view s) {
    std::string r(s);
    for (auto& c : r)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}
std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

// A quote ' opens a character literal unless it directly follows an
// identifier character (as in af').
bool opensCharLiteral(std::string_view s, size_t i) {
    return s[i] == '\'' && (i == 0 || !isIdentChar(s[i - 1]));
}

// Index just past a string or character literal starting at i (or s.size()).
size_t skipLiteral(std::string_view s, size_t i) {
    char q = s[i];
    size_t j = i + 1;
    while (j < s.size() && s[j] != q) {
        if (s[j] == '\\' && j + 1 < s.size())
            ++j;
        ++j;
    }
    return j < s.size() ? j + 1 : s.size();
}

// The bytes of a string or character literal body: backslash escapes \n \r
// \t \0 \\ \" \' stand for one character each.
std::string unescape(std::string_view body) {
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (c == '\\' && i + 1 < body.size()) {
            char n = body[++i];
            switch (n) {
            case 'n':
                c = '\n';
                break;
            case 'r':
                c = '\r';
                break;
            case 't':
                c = '\t';
                break;
            case '0':
                c = '\0';
                break;
            default:
                c = n;
                break; // \\ \" \' and anything else: the character itself
            }
        }
        out += c;
    }
    return out;
}

// Removes a ';' comment (outside strings and character literals).
std::string stripComment(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        if (s[i] == '"' || opensCharLiteral(s, i)) {
            i = skipLiteral(s, i);
        } else if (s[i] == ';') {
            return std::string(s.substr(0, i));
        } else {
            ++i;
        }
    }
    return std::string(s);
}

// Splits operands at commas outside parentheses and literals.
std::vector<std::string> splitOperands(std::string_view s) {
    std::vector<std::string> out;
    s = trim(s);
    if (s.empty())
        return out;
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < s.size();) {
        char c = s[i];
        if (c == '"' || opensCharLiteral(s, i)) {
            i = skipLiteral(s, i);
            continue;
        }
        if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        else if (c == ',' && depth == 0) {
            out.emplace_back(trim(s.substr(start, i - start)));
            start = i + 1;
        }
        ++i;
    }
    out.emplace_back(trim(s.substr(start)));
    return out;
}

struct SourceLine {
    std::string text; // defines expanded, comment removed
    int file = 0;     // index into files
    int line = 0;
};

struct Value {
    int64_t v = 0;
    bool known = true;
};

struct Error {
    std::string message;
};

// ---------------------------------------------------------------------------
// Expressions

class ExpressionParser {
public:
    using Lookup = std::function<Value(const std::string&)>;
    ExpressionParser(std::string_view text, int64_t here, const Lookup& lookup, bool flat)
        : s_(text), here_(here), lookup_(lookup), flat_(flat) {}

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

    // Returns the binary operator at pos_ and its precedence, or -1.
    int peekOperator(std::string& op) {
        skipSpace();
        if (pos_ >= s_.size())
            return -1;
        char c = s_[pos_];
        char n = pos_ + 1 < s_.size() ? s_[pos_ + 1] : '\0';
        if ((c == '<' && n == '<') || (c == '>' && n == '>')) {
            op = std::string(2, c);
            return 3;
        }
        switch (c) {
        case '*':
        case '/':
        case '%':
            op = std::string(1, c);
            return 5;
        case '+':
        case '-':
            op = std::string(1, c);
            return 4;
        case '&':
            op = "&";
            return 2;
        case '^':
            op = "^";
            return 1;
        case '|':
            op = "|";
            return 0;
        default:
            return -1;
        }
    }

    Value binary(int minPrec) {
        Value lhs = unary();
        for (;;) {
            std::string op;
            int prec = peekOperator(op);
            if (prec < 0)
                return lhs;
            if (flat_)
                prec = 0;
            if (prec < minPrec)
                return lhs;
            pos_ += op.size();
            Value rhs = flat_ ? unary() : binary(prec + 1);
            lhs = apply(op, lhs, rhs);
        }
    }

    static Value apply(const std::string& op, Value a, Value b) {
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
                throw Error{"division by zero"};
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

    Value primary() {
        skipSpace();
        char c = s_[pos_];
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
        if (c == '$') {
            size_t j = pos_ + 1;
            while (j < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[j])))
                ++j;
            if (j == pos_ + 1 || (j < s_.size() && isIdentChar(s_[j]))) {
                if (j != pos_ + 1)
                    throw Error{"bad number '" + std::string(s_.substr(pos_, j - pos_ + 1)) + "'"};
                ++pos_;
                return {here_, true};
            }
            Value v{std::stoll(std::string(s_.substr(pos_ + 1, j - pos_ - 1)), nullptr, 16), true};
            checkBig(v, j - pos_ - 1, 4);
            pos_ = j;
            return v;
        }
        if (c == '%') {
            size_t j = pos_ + 1;
            while (j < s_.size() && (s_[j] == '0' || s_[j] == '1'))
                ++j;
            if (j == pos_ + 1 || (j < s_.size() && isIdentChar(s_[j])))
                throw Error{"bad binary number"};
            Value v{std::stoll(std::string(s_.substr(pos_ + 1, j - pos_ - 1)), nullptr, 2), true};
            checkBig(v, j - pos_ - 1, 1);
            pos_ = j;
            return v;
        }
        if (std::isdigit(static_cast<unsigned char>(c))) {
            size_t j = pos_;
            while (j < s_.size() && isIdentChar(s_[j]))
                ++j;
            std::string tok(s_.substr(pos_, j - pos_));
            pos_ = j;
            return number(tok);
        }
        if (isIdentStart(c)) {
            size_t j = pos_;
            while (j < s_.size() && isIdentChar(s_[j]))
                ++j;
            std::string name(s_.substr(pos_, j - pos_));
            pos_ = j;
            return lookup_(name);
        }
        throw Error{"unexpected '" + std::string(1, c) + "' in expression"};
    }

    static void checkBig(const Value&, size_t digits, int bitsPerDigit) {
        if (digits * bitsPerDigit > 32)
            throw Error{"number too large"};
    }

    static Value number(const std::string& tok) {
        std::string t = lower(tok);
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

// ---------------------------------------------------------------------------
// Operands

enum class OpKind {
    None,
    Reg8,  // code 0..7 (6 = (hl)); with prefix for (ix+d)/(iy+d)
    Reg16, // bc de hl sp af ix iy
    AfAlt, // af'
    RegI,
    RegR,
    IndBC,
    IndDE,
    IndSP,
    IndC,  // (c)
    IndIX, // (ix) / (iy) without displacement, for jp (ix)
    Mem,   // (nn)
    Imm,
};

struct Operand {
    OpKind kind = OpKind::None;
    int code = 0;         // register code
    uint8_t prefix = 0;   // DD / FD for index registers
    bool indexed = false; // (ix+d)
    std::string expr;     // expression text (Imm, Mem, displacement)
    std::string text;     // original text (lower case)
    std::string name;     // register name for Reg16
};

int reg8Code(const std::string& r) {
    static const std::map<std::string, int> m{{"b", 0}, {"c", 1}, {"d", 2}, {"e", 3},
                                              {"h", 4}, {"l", 5}, {"a", 7}};
    auto it = m.find(r);
    return it == m.end() ? -1 : it->second;
}

int conditionCode(const std::string& c) {
    static const std::map<std::string, int> m{{"nz", 0}, {"z", 1},  {"nc", 2}, {"c", 3},
                                              {"po", 4}, {"pe", 5}, {"p", 6},  {"m", 7}};
    auto it = m.find(lower(c));
    return it == m.end() ? -1 : it->second;
}

// Text inside an outer pair of parentheses that spans the whole operand, or nullopt.
std::optional<std::string> parenthesised(std::string_view s) {
    if (s.size() < 2 || s.front() != '(' || s.back() != ')')
        return std::nullopt;
    int depth = 0;
    for (size_t i = 0; i < s.size();) {
        if (s[i] == '"' || opensCharLiteral(s, i)) {
            i = skipLiteral(s, i);
            continue;
        }
        if (s[i] == '(')
            ++depth;
        else if (s[i] == ')') {
            --depth;
            if (depth == 0 && i != s.size() - 1)
                return std::nullopt;
        }
        ++i;
    }
    return std::string(trim(s.substr(1, s.size() - 2)));
}

Operand classify(const std::string& raw) {
    Operand o;
    o.text = lower(raw);
    const std::string& t = o.text;
    if (int c = reg8Code(t); c >= 0) {
        o.kind = OpKind::Reg8, o.code = c;
        return o;
    }
    if (t == "i") {
        o.kind = OpKind::RegI;
        return o;
    }
    if (t == "r") {
        o.kind = OpKind::RegR;
        return o;
    }
    if (t == "bc" || t == "de" || t == "hl" || t == "sp" || t == "af" || t == "ix" || t == "iy") {
        o.kind = OpKind::Reg16, o.name = t;
        return o;
    }
    if (t == "af'") {
        o.kind = OpKind::AfAlt;
        return o;
    }
    if (auto inner = parenthesised(raw)) {
        std::string in = lower(*inner);
        if (in == "hl") {
            o.kind = OpKind::Reg8, o.code = 6;
            return o;
        }
        if (in == "bc") {
            o.kind = OpKind::IndBC;
            return o;
        }
        if (in == "de") {
            o.kind = OpKind::IndDE;
            return o;
        }
        if (in == "sp") {
            o.kind = OpKind::IndSP;
            return o;
        }
        if (in == "c") {
            o.kind = OpKind::IndC;
            return o;
        }
        if (in.size() >= 2 && (in.compare(0, 2, "ix") == 0 || in.compare(0, 2, "iy") == 0) &&
            (in.size() == 2 || !isIdentChar(in[2]))) {
            o.prefix = in[1] == 'x' ? 0xDD : 0xFD;
            std::string rest(trim(std::string_view(*inner).substr(2)));
            if (rest.empty()) {
                o.kind = OpKind::IndIX; // also usable as (ix+0)
                o.code = 6, o.expr = std::string(1, '0');
                return o;
            }
            if (rest[0] != '+' && rest[0] != '-')
                throw Error{"bad index operand '" + raw + "'"};
            o.kind = OpKind::Reg8, o.code = 6, o.indexed = true;
            o.expr = "0" + rest;
            return o;
        }
        o.kind = OpKind::Mem, o.expr = *inner;
        return o;
    }
    if (t.empty())
        throw Error{"missing operand"};
    o.kind = OpKind::Imm, o.expr = raw;
    return o;
}

// ---------------------------------------------------------------------------

std::string readTextFile(const std::filesystem::path& p, bool& ok) {
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        ok = false;
        return {};
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    ok = true;
    return ss.str();
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
            if (i == text.size() && start == i)
                break;
            lines.emplace_back(text.substr(start, i - start));
            if (i < text.size() && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    return lines;
}

const std::set<std::string>& mnemonics() {
    static const std::set<std::string> m{
        "adc",  "add",  "and", "bit",  "call", "ccf",  "cp",   "cpd",  "cpdr", "cpi",
        "cpir", "cpl",  "daa", "dec",  "di",   "djnz", "ei",   "ex",   "exx",  "halt",
        "im",   "in",   "inc", "ind",  "indr", "ini",  "inir", "jp",   "jr",   "ld",
        "ldd",  "lddr", "ldi", "ldir", "neg",  "nop",  "or",   "otdr", "otir", "out",
        "outd", "outi", "pop", "push", "res",  "ret",  "reti", "retn", "rl",   "rla",
        "rlc",  "rlca", "rld", "rr",   "rra",  "rrc",  "rrca", "rrd",  "rst",  "sbc",
        "scf",  "set",  "sla", "sra",  "srl",  "sub",  "xor"};
    return m;
}

class Assembler {
public:
    std::vector<PreprocessedLine> preprocessOnly(std::string_view source,
                                                 const std::string& fileName) {
        runPreprocessor(source, fileName);
        std::vector<PreprocessedLine> out;
        out.reserve(lines_.size());
        for (const auto& l : lines_)
            out.push_back({files_[l.file], l.line, l.text});
        return out;
    }

    void runPreprocessor(std::string_view source, const std::string& fileName) {
        files_.push_back(fileName);
        std::filesystem::path p(fileName);
        std::vector<std::filesystem::path> stack;
        std::error_code ec;
        auto canon = std::filesystem::weakly_canonical(p, ec);
        stack.push_back(ec ? p : canon);
        preprocess(source, 0, stack, p.parent_path(), 0);
        if (!conditionals_.empty() && !ended_)
            error(0, lastLineOfMain_, "#ifdef without #endif");
        if (!diags_.empty())
            fail();
    }

    Assembly run(std::string_view source, const std::string& fileName) {
        runPreprocessor(source, fileName);
        // Pass 1: addresses of labels, sizes; structural errors.
        pass_ = 1;
        runPass();
        if (!diags_.empty())
            fail();
        pass_ = 2;
        runPass();
        if (!diags_.empty())
            fail();
        Assembly a;
        if (maxAddr_ >= minAddr_) {
            a.origin = static_cast<uint16_t>(minAddr_);
            a.bytes.assign(image_.begin() + minAddr_, image_.begin() + maxAddr_ + 1);
        } else {
            a.origin = static_cast<uint16_t>(firstOrg_ < 0 ? 0 : firstOrg_);
        }
        for (auto& [k, v] : symbols_)
            a.labels[k] = static_cast<uint16_t>(v.v);
        a.defines = defines_;
        a.listing = std::move(listing_);
        return a;
    }

private:
    std::vector<std::string> files_;
    std::vector<SourceLine> lines_;
    std::vector<Diagnostic> diags_;
    std::map<std::string, std::string> defines_;
    std::vector<std::pair<bool, bool>> conditionals_; // (active, elseSeen)
    bool ended_ = false;
    int lastLineOfMain_ = 0;

    int pass_ = 1;
    int64_t pc_ = 0;
    int64_t firstOrg_ = -1;
    std::map<std::string, Value> symbols_;  // labels and equates
    std::map<std::string, int> symbolLine_; // line index of definition (pass 1)
    std::array<uint8_t, 65536> image_{};
    int64_t minAddr_ = 65536, maxAddr_ = -1;
    std::vector<ListingEntry> listing_;
    const SourceLine* cur_ = nullptr;

    [[noreturn]] void fail() { throw AssemblyError(diags_); }

    void error(int file, int line, std::string message) {
        if (diags_.size() < kMaxDiagnostics)
            diags_.push_back({files_[file], line, std::move(message)});
        else if (diags_.size() == kMaxDiagnostics)
            diags_.push_back({files_[file], line, "too many errors; stopping"});
        if (diags_.size() > kMaxDiagnostics)
            fail();
    }

    // ---------------- preprocessing ----------------

    bool active() const {
        return std::all_of(conditionals_.begin(), conditionals_.end(),
                           [](auto& c) { return c.first; });
    }

    std::string expand(std::string_view s, int depth, std::vector<std::string>& activeNames) {
        if (depth > kMaxDefineDepth)
            throw Error{"#define expansion nested too deeply (does a define refer to itself?)"};
        std::string out;
        out.reserve(s.size());
        for (size_t i = 0; i < s.size();) {
            char c = s[i];
            if (c == '"' || opensCharLiteral(s, i)) {
                size_t j = skipLiteral(s, i);
                out.append(s.substr(i, j - i));
                i = j;
            } else if (c == '.' && i + 1 < s.size() && isIdentStart(s[i + 1]) &&
                       (i == 0 || !isIdentChar(s[i - 1]))) {
                size_t j = i + 1;
                while (j < s.size() && isIdentChar(s[j]))
                    ++j;
                out.append(s.substr(i, j - i));
                i = j;
            } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '$' || c == '%') {
                size_t j = i + 1;
                while (j < s.size() && isIdentChar(s[j]))
                    ++j;
                out.append(s.substr(i, j - i));
                i = j;
            } else if (isIdentStart(c)) {
                size_t j = i;
                while (j < s.size() && isIdentChar(s[j]))
                    ++j;
                std::string name(s.substr(i, j - i));
                auto it = defines_.find(name);
                if (it != defines_.end() &&
                    std::find(activeNames.begin(), activeNames.end(), name) == activeNames.end()) {
                    activeNames.push_back(name);
                    out += expand(it->second, depth + 1, activeNames);
                    if (out.size() > kMaxExpandedLine)
                        throw Error{"#define expansion makes the line too long"};
                    activeNames.pop_back();
                } else {
                    out += name;
                }
                i = j;
            } else {
                out += c;
                ++i;
            }
        }
        return out;
    }

    // True when the statement is .end (after an optional label).
    static bool isEndStatement(std::string_view s) {
        size_t i = 0;
        if (!s.empty() && isIdentStart(s[0])) {
            while (i < s.size() && isIdentChar(s[i]))
                ++i;
            if (i < s.size() && s[i] == ':')
                ++i;
        }
        std::string_view rest = trim(s.substr(i));
        size_t j = 0;
        while (j < rest.size() && (isIdentChar(rest[j]) || rest[j] == '.'))
            ++j;
        return lower(rest.substr(0, j)) == ".end";
    }

    void preprocess(std::string_view text, int file, std::vector<std::filesystem::path>& stack,
                    const std::filesystem::path& dir, int depth) {
        if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
            text.remove_prefix(3); // UTF-8 byte order mark
        auto lines = splitLines(text);
        for (size_t n = 0; n < lines.size() && !ended_; ++n) {
            int lineNo = static_cast<int>(n) + 1;
            if (file == 0)
                lastLineOfMain_ = lineNo;
            std::string code = stripComment(lines[n]);
            std::string_view t = trim(code);
            try {
                if (!t.empty() && t[0] == '#') {
                    directive(t, file, lineNo, stack, dir, depth);
                    continue;
                }
                if (!active())
                    continue;
                std::vector<std::string> names;
                std::string expanded = expand(code, 0, names);
                if (trim(expanded).empty())
                    continue;
                lines_.push_back({expanded, file, lineNo});
                if (isEndStatement(expanded))
                    ended_ = true;
            } catch (const Error& e) {
                error(file, lineNo, e.message);
            }
        }
    }

    void directive(std::string_view t, int file, int lineNo,
                   std::vector<std::filesystem::path>& stack, const std::filesystem::path& dir,
                   int depth) {
        size_t i = 1;
        while (i < t.size() && isIdentChar(t[i]))
            ++i;
        std::string name = lower(t.substr(1, i - 1));
        std::string_view rest = trim(t.substr(i));
        auto word = [&](std::string_view s) {
            size_t j = 0;
            while (j < s.size() && isIdentChar(s[j]))
                ++j;
            return std::string(s.substr(0, j));
        };
        if (name == "ifdef" || name == "ifndef") {
            std::string w = word(rest);
            if (w.empty())
                throw Error{"#" + name + " needs a name"};
            bool defined = defines_.count(w) > 0;
            conditionals_.push_back({name == "ifdef" ? defined : !defined, false});
            return;
        }
        if (name == "else") {
            if (conditionals_.empty() || conditionals_.back().second)
                throw Error{"#else without #ifdef"};
            conditionals_.back().first = !conditionals_.back().first;
            conditionals_.back().second = true;
            return;
        }
        if (name == "endif") {
            if (conditionals_.empty())
                throw Error{"#endif without #ifdef"};
            conditionals_.pop_back();
            return;
        }
        if (!active())
            return;
        if (name == "define") {
            std::string w = word(rest);
            if (w.empty() || !isIdentStart(w[0]))
                throw Error{"#define needs a name"};
            std::string_view value = rest.substr(w.size());
            if (!value.empty() && value[0] == '(')
                throw Error{"#define with parameters is not supported"};
            defines_[w] = std::string(trim(value));
            return;
        }
        if (name == "undef") {
            defines_.erase(word(rest));
            return;
        }
        if (name == "include") {
            if (rest.size() < 2 || !((rest.front() == '"' && rest.back() == '"') ||
                                     (rest.front() == '<' && rest.back() == '>')))
                throw Error{"#include needs a file name in quotes"};
            std::string inc(rest.substr(1, rest.size() - 2));
            include(inc, file, lineNo, stack, dir, depth);
            return;
        }
        throw Error{"unknown directive '#" + name + "'"};
    }

    void include(const std::string& inc, int file, int lineNo,
                 std::vector<std::filesystem::path>& stack, const std::filesystem::path& dir,
                 int depth) {
        if (depth >= kMaxIncludeDepth)
            throw Error{"includes nested too deeply: \"" + inc + "\""};
        std::filesystem::path p = dir / inc;
        std::error_code ec;
        std::string text;
        std::filesystem::path key;
        std::string displayName;
        if (std::filesystem::is_regular_file(p, ec)) {
            bool ok = false;
            text = readTextFile(p, ok);
            if (!ok)
                throw Error{"cannot read include file \"" + inc + "\""};
            key = std::filesystem::weakly_canonical(p, ec);
            if (ec)
                key = p;
            displayName = p.string();
        } else if (auto builtin = builtinInclude(inc)) {
            text = *builtin;
            key = "<builtin>/" + lower(inc);
            displayName = inc;
        } else {
            throw Error{"cannot find include file \"" + inc + "\""};
        }
        if (std::find(stack.begin(), stack.end(), key) != stack.end())
            throw Error{"\"" + inc + "\" includes itself"};
        (void)file;
        (void)lineNo;
        files_.push_back(displayName);
        int index = static_cast<int>(files_.size()) - 1;
        stack.push_back(key);
        size_t condDepth = conditionals_.size();
        preprocess(text, index, stack, p.parent_path(), depth + 1);
        if (conditionals_.size() != condDepth && !ended_) {
            error(index, static_cast<int>(splitLines(text).size()), "#ifdef without #endif");
            conditionals_.resize(condDepth);
        }
        stack.pop_back();
    }

    // ---------------- passes ----------------

    void runPass() {
        pc_ = 0;
        if (pass_ == 2) {
            listing_.clear();
            listing_.reserve(lines_.size());
        }
        for (const auto& l : lines_) {
            cur_ = &l;
            int64_t before = pc_;
            lineStart_ = pc_;
            emitted_ = 0;
            size_t index = static_cast<size_t>(&l - lines_.data());
            try {
                statement(l.text);
            } catch (const Error& e) {
                error(l.file, l.line, e.message);
                // keep the addresses of pass 1, so that one error does not cause others
                if (pass_ == 2)
                    pc_ = pcAfter_[index];
            }
            if (pass_ == 1)
                pcAfter_.push_back(pc_);
            if (pass_ == 2 && emitted_ > 0)
                listing_.push_back({static_cast<uint16_t>(before), static_cast<uint16_t>(emitted_),
                                    files_[l.file], l.line});
        }
    }

    size_t emitted_ = 0;
    int64_t lineStart_ = 0;        // '$': the address where the line starts
    std::vector<int64_t> pcAfter_; // address after each line in pass 1

    void emit(std::initializer_list<int> bytes) {
        for (int b : bytes)
            emitByte(b);
    }
    void emitByte(int b) {
        if (pc_ > 0xFFFF)
            throw Error{"code goes past address FFFFh"};
        if (pass_ == 2) {
            image_[pc_] = static_cast<uint8_t>(b);
            minAddr_ = std::min(minAddr_, pc_);
            maxAddr_ = std::max(maxAddr_, pc_);
        }
        ++pc_;
        ++emitted_;
    }
    void emitWord(int w) {
        emitByte(w & 0xFF);
        emitByte((w >> 8) & 0xFF);
    }

    Value lookup(const std::string& name) {
        auto it = symbols_.find(name);
        if (it != symbols_.end() && it->second.known)
            return it->second;
        if (pass_ == 2) {
            // A label that differs only in case gets a hint.
            std::string hint;
            for (auto& [k, v] : symbols_)
                if (lower(k) == lower(name)) {
                    hint = " (did you mean '" + k + "'? labels are case-sensitive)";
                    break;
                }
            if (hint.empty() && mnemonics().count(lower(name)))
                hint = " (an instruction where a value was expected)";
            throw Error{"undefined label '" + name + "'" + hint};
        }
        return {0, false};
    }

    Value eval(const std::string& text) {
        ExpressionParser::Lookup lk = [this](const std::string& n) { return lookup(n); };
        Value v = ExpressionParser(text, lineStart_, lk, false).parse();
        if (v.known) {
            Value flat = ExpressionParser(text, lineStart_, lk, true).parse();
            if (flat.v != v.v)
                throw Error{"expression '" + text +
                            "' gives different values left to right (TASM) and by operator "
                            "precedence; add parentheses"};
        }
        return v;
    }

    // Range-checked values (checks only in pass 2, when values are final).
    int value8(const std::string& text, const char* what = "value") {
        Value v = eval(text);
        if (pass_ == 2 && (v.v < -128 || v.v > 255))
            throw Error{std::string(what) + " " + std::to_string(v.v) +
                        " out of range (-128..255)"};
        return static_cast<int>(v.v & 0xFF);
    }
    int value16(const std::string& text) {
        Value v = eval(text);
        if (pass_ == 2 && (v.v < -32768 || v.v > 65535))
            throw Error{"value " + std::to_string(v.v) + " out of range (-32768..65535)"};
        return static_cast<int>(v.v & 0xFFFF);
    }
    int displacement(const Operand& o) {
        Value v = eval(o.expr);
        if (pass_ == 2 && (v.v < -128 || v.v > 127))
            throw Error{"index displacement " + std::to_string(v.v) + " out of range (-128..127)"};
        return static_cast<int>(v.v & 0xFF);
    }
    int64_t known(const std::string& text, const char* what) {
        Value v = eval(text);
        if (!v.known)
            throw Error{std::string(what) + " must not use a label defined further on"};
        return v.v;
    }

    void defineSymbol(const std::string& name, Value v) {
        if (pass_ == 1) {
            auto it = symbols_.find(name);
            if (it != symbols_.end() && symbolLine_[name] != lineIndex()) {
                const SourceLine& first = lines_[symbolLine_[name]];
                throw Error{"duplicate label '" + name + "' (first defined at " +
                            files_[first.file] + ":" + std::to_string(first.line) + ")"};
            }
            static const std::set<std::string> registers{"bc", "de", "hl", "sp", "af",
                                                         "ix", "iy", "i",  "r"};
            if (mnemonics().count(lower(name)) || reg8Code(lower(name)) >= 0 ||
                registers.count(lower(name)))
                throw Error{"'" + name +
                            "' is an instruction or register name, not a label "
                            "(instructions must be indented)"};
            symbols_[name] = v;
            symbolLine_[name] = lineIndex();
        } else {
            symbols_[name] = v;
        }
    }
    int lineIndex() const { return static_cast<int>(cur_ - lines_.data()); }

    void statement(const std::string& text) {
        std::string_view s = text;
        std::string label;
        size_t i = 0;
        if (!s.empty() && isIdentStart(s[0])) {
            while (i < s.size() && isIdentChar(s[i]))
                ++i;
            label = std::string(s.substr(0, i));
            if (i < s.size() && s[i] == ':')
                ++i;
            else if (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i])) && s[i] != '=')
                throw Error{"bad label '" + std::string(trim(s)) + "'"};
        } else {
            // An indented "name:" is a label too.
            std::string_view t = trim(s);
            size_t j = 0;
            while (j < t.size() && isIdentChar(t[j]))
                ++j;
            if (j > 0 && isIdentStart(t[0]) && j < t.size() && t[j] == ':') {
                label = std::string(t.substr(0, j));
                s = t;
                i = j + 1;
            }
        }
        std::string_view rest = trim(s.substr(i));
        std::string op;
        std::string_view operands;
        if (!rest.empty() && rest[0] == '=') {
            op = ".equ";
            operands = trim(rest.substr(1));
        } else {
            size_t j = 0;
            if (j < rest.size() && rest[j] == '.')
                ++j;
            while (j < rest.size() && isIdentChar(rest[j]))
                ++j;
            if (j == 0 && !rest.empty())
                throw Error{"unexpected '" + std::string(rest) + "'"};
            op = lower(rest.substr(0, j));
            operands = trim(rest.substr(j));
        }
        if (op == ".equ") {
            if (label.empty())
                throw Error{".equ needs a label"};
            Value v = eval(std::string(operands));
            if (pass_ == 2 && (v.v < -32768 || v.v > 65535))
                throw Error{"value " + std::to_string(v.v) + " out of range (-32768..65535)"};
            if (v.known)
                v.v &= 0xFFFF;
            defineSymbol(label, v);
            return;
        }
        if (!label.empty()) {
            if (pass_ == 2 && symbols_[label].v != pc_)
                throw Error{"internal error: label '" + label + "' moved between passes"};
            defineSymbol(label, {pc_, true});
        }
        if (op.empty())
            return;
        if (op[0] == '.') {
            dotDirective(op, operands);
            return;
        }
        instruction(op, std::string(operands));
    }

    void dotDirective(const std::string& op, std::string_view operands) {
        auto args = splitOperands(operands);
        if (op == ".org") {
            if (args.size() != 1)
                throw Error{".org needs one address"};
            int64_t v = known(args[0], ".org");
            if (v < 0 || v > 0xFFFF)
                throw Error{".org address " + std::to_string(v) + " out of range (0..FFFFh)"};
            pc_ = v;
            if (firstOrg_ < 0)
                firstOrg_ = v;
        } else if (op == ".db" || op == ".byte" || op == ".text") {
            if (args.empty())
                throw Error{op + " needs values"};
            for (auto& a : args) {
                if (a.size() >= 2 && a.front() == '"') {
                    size_t end = skipLiteral(a, 0);
                    if (end != a.size() || a.back() != '"')
                        throw Error{"bad string " + a};
                    for (char ch : unescape(std::string_view(a).substr(1, a.size() - 2)))
                        emitByte(static_cast<unsigned char>(ch));
                } else if (a.empty()) {
                    throw Error{"empty value in " + op};
                } else {
                    emitByte(value8(a));
                }
            }
        } else if (op == ".dw" || op == ".word") {
            if (args.empty())
                throw Error{op + " needs values"};
            for (auto& a : args) {
                if (a.empty())
                    throw Error{"empty value in " + op};
                emitWord(value16(a));
            }
        } else if (op == ".ds" || op == ".block" || op == ".fill") {
            if (args.empty() || args.size() > 2)
                throw Error{op + " needs a count and optionally a fill value"};
            int64_t n = known(args[0], op.c_str());
            if (n < 0 || pc_ + n > 0x10000)
                throw Error{op + " count " + std::to_string(n) + " out of range"};
            int fill = args.size() == 2 ? value8(args[1]) : 0;
            for (int64_t k = 0; k < n; ++k)
                emitByte(fill);
        } else if (op == ".end") {
            // nothing after it is assembled (the preprocessor stopped there)
        } else if (op == ".list" || op == ".nolist" || op == ".eject" || op == ".page" ||
                   op == ".title" || op == ".module" || op == ".export" || op == ".echo" ||
                   op == ".msfirst" || op == ".lsfirst") {
            if (op == ".msfirst")
                throw Error{".msfirst is not supported (the Z80 stores words low byte first)"};
        } else {
            throw Error{"unknown directive '" + op + "'"};
        }
    }

    // ---------------- instructions ----------------

    void needCount(const std::vector<Operand>& o, size_t n, const std::string& op) {
        if (o.size() != n)
            throw Error{"'" + op + "' takes " + std::to_string(n) + " operand" +
                        (n == 1 ? "" : "s")};
    }
    [[noreturn]] void badOperands(const std::string& op, const std::string& text) {
        throw Error{"invalid operands for '" + op + "': " + text};
    }

    // Emits prefix + opcode (+ displacement) for an 8-bit register operand.
    void emitR(const Operand& r, int opcode) {
        if (r.prefix) {
            emitByte(r.prefix);
            emitByte(opcode);
            emitByte(displacement(r));
        } else {
            emitByte(opcode);
        }
    }
    static bool isR(const Operand& o) { return o.kind == OpKind::Reg8 || o.kind == OpKind::IndIX; }
    static bool isRR(const Operand& o, int& code, uint8_t& prefix, bool afInsteadOfSp = false) {
        if (o.kind != OpKind::Reg16)
            return false;
        prefix = 0;
        if (o.name == "bc")
            code = 0;
        else if (o.name == "de")
            code = 1;
        else if (o.name == "hl")
            code = 2;
        else if (o.name == "ix")
            code = 2, prefix = 0xDD;
        else if (o.name == "iy")
            code = 2, prefix = 0xFD;
        else if (o.name == "sp" && !afInsteadOfSp)
            code = 3;
        else if (o.name == "af" && afInsteadOfSp)
            code = 3;
        else
            return false;
        return true;
    }
    static uint8_t indexPrefix(const Operand& o) {
        if (o.kind == OpKind::Reg16 && o.name == "ix")
            return 0xDD;
        if (o.kind == OpKind::Reg16 && o.name == "iy")
            return 0xFD;
        return 0;
    }

    void instruction(const std::string& op, const std::string& operandText) {
        static const std::map<std::string, std::vector<int>> simple{
            {"nop", {0x00}},        {"rlca", {0x07}},       {"rrca", {0x0F}},
            {"rla", {0x17}},        {"rra", {0x1F}},        {"daa", {0x27}},
            {"cpl", {0x2F}},        {"scf", {0x37}},        {"ccf", {0x3F}},
            {"halt", {0x76}},       {"exx", {0xD9}},        {"di", {0xF3}},
            {"ei", {0xFB}},         {"neg", {0xED, 0x44}},  {"retn", {0xED, 0x45}},
            {"reti", {0xED, 0x4D}}, {"rrd", {0xED, 0x67}},  {"rld", {0xED, 0x6F}},
            {"ldi", {0xED, 0xA0}},  {"cpi", {0xED, 0xA1}},  {"ini", {0xED, 0xA2}},
            {"outi", {0xED, 0xA3}}, {"ldd", {0xED, 0xA8}},  {"cpd", {0xED, 0xA9}},
            {"ind", {0xED, 0xAA}},  {"outd", {0xED, 0xAB}}, {"ldir", {0xED, 0xB0}},
            {"cpir", {0xED, 0xB1}}, {"inir", {0xED, 0xB2}}, {"otir", {0xED, 0xB3}},
            {"lddr", {0xED, 0xB8}}, {"cpdr", {0xED, 0xB9}}, {"indr", {0xED, 0xBA}},
            {"otdr", {0xED, 0xBB}}};
        auto raw = splitOperands(operandText);
        for (auto& r : raw)
            if (r.empty())
                throw Error{"missing operand in '" + op + " " + operandText + "'"};
        if (auto it = simple.find(op); it != simple.end()) {
            if (!raw.empty())
                throw Error{"'" + op + "' takes no operands"};
            for (int b : it->second)
                emitByte(b);
            return;
        }
        if (!mnemonics().count(op))
            throw Error{"unknown instruction '" + op + "'"};

        // Branches take conditions, which look like registers (c).
        if (op == "jp" || op == "jr" || op == "call" || op == "ret" || op == "djnz") {
            branch(op, raw, operandText);
            return;
        }
        std::vector<Operand> o;
        for (auto& r : raw)
            o.push_back(classify(r));
        static const std::map<std::string, int> alu{{"add", 0}, {"adc", 1}, {"sub", 2}, {"sbc", 3},
                                                    {"and", 4}, {"xor", 5}, {"or", 6},  {"cp", 7}};
        static const std::map<std::string, int> rot{{"rlc", 0}, {"rrc", 1}, {"rl", 2}, {"rr", 3},
                                                    {"sla", 4}, {"sra", 5}, {"srl", 7}};
        if (op == "ld") {
            needCount(o, 2, op);
            ld(o[0], o[1], operandText);
            return;
        }
        if (auto it = alu.find(op); it != alu.end()) {
            int n = it->second;
            if (o.size() == 2 && o[0].kind == OpKind::Reg16) {
                int code;
                uint8_t pre;
                uint8_t dstPre = indexPrefix(o[0]);
                if (o[0].name == "hl" || dstPre) {
                    if (!isRR(o[1], code, pre) || (code == 2 && pre != dstPre))
                        badOperands(op, operandText);
                    if (n == 0) { // add hl/ix/iy,rr
                        if (dstPre)
                            emitByte(dstPre);
                        emitByte(0x09 + code * 16);
                        return;
                    }
                    if ((n == 1 || n == 3) && !dstPre) { // adc/sbc hl,rr
                        emit({0xED, (n == 1 ? 0x4A : 0x42) + code * 16});
                        return;
                    }
                }
                badOperands(op, operandText);
            }
            const Operand* src = nullptr;
            if (o.size() == 2) {
                if (!(o[0].kind == OpKind::Reg8 && o[0].code == 7 && !o[0].prefix))
                    badOperands(op, operandText);
                src = &o[1];
            } else if (o.size() == 1) {
                src = &o[0];
            } else {
                needCount(o, 2, op);
            }
            if (src->kind == OpKind::Reg8 || src->kind == OpKind::IndIX) {
                emitR(*src, 0x80 + n * 8 + src->code);
            } else if (src->kind == OpKind::Imm) {
                emitByte(0xC6 + n * 8);
                emitByte(value8(src->expr));
            } else {
                badOperands(op, operandText);
            }
            return;
        }
        if (op == "inc" || op == "dec") {
            needCount(o, 1, op);
            bool inc = op == "inc";
            int code;
            uint8_t pre;
            if (isRR(o[0], code, pre)) {
                if (pre)
                    emitByte(pre);
                emitByte((inc ? 0x03 : 0x0B) + code * 16);
            } else if (isR(o[0])) {
                emitR(o[0], (inc ? 0x04 : 0x05) + o[0].code * 8);
            } else {
                badOperands(op, operandText);
            }
            return;
        }
        if (auto it = rot.find(op); it != rot.end()) {
            needCount(o, 1, op);
            cbOp(o[0], it->second * 8, op, operandText);
            return;
        }
        if (op == "bit" || op == "res" || op == "set") {
            needCount(o, 2, op);
            if (o[0].kind != OpKind::Imm)
                badOperands(op, operandText);
            int64_t b = eval(o[0].expr).v;
            if (pass_ == 2 && (b < 0 || b > 7))
                throw Error{"bit number " + std::to_string(b) + " out of range (0..7)"};
            int base = op == "bit" ? 0x40 : op == "res" ? 0x80 : 0xC0;
            cbOp(o[1], base + static_cast<int>(b & 7) * 8, op, operandText);
            return;
        }
        if (op == "push" || op == "pop") {
            needCount(o, 1, op);
            int code;
            uint8_t pre;
            if (!isRR(o[0], code, pre, true))
                badOperands(op, operandText);
            if (pre)
                emitByte(pre);
            emitByte((op == "push" ? 0xC5 : 0xC1) + code * 16);
            return;
        }
        if (op == "ex") {
            needCount(o, 2, op);
            if (o[0].kind == OpKind::IndSP && o[1].kind == OpKind::Reg16 &&
                (o[1].name == "hl" || indexPrefix(o[1]))) {
                if (indexPrefix(o[1]))
                    emitByte(indexPrefix(o[1]));
                emitByte(0xE3);
            } else if (o[0].kind == OpKind::Reg16 && o[0].name == "de" &&
                       o[1].kind == OpKind::Reg16 && o[1].name == "hl") {
                emitByte(0xEB);
            } else if (o[0].kind == OpKind::Reg16 && o[0].name == "af" &&
                       o[1].kind == OpKind::AfAlt) {
                emitByte(0x08);
            } else {
                badOperands(op, operandText);
            }
            return;
        }
        if (op == "im") {
            needCount(o, 1, op);
            if (o[0].kind != OpKind::Imm)
                badOperands(op, operandText);
            int64_t m = eval(o[0].expr).v;
            static const int codes[] = {0x46, 0x56, 0x5E};
            if (pass_ == 2 && (m < 0 || m > 2))
                throw Error{"interrupt mode " + std::to_string(m) + " out of range (0..2)"};
            emit({0xED, codes[m >= 0 && m <= 2 ? m : 0]});
            return;
        }
        if (op == "rst") {
            needCount(o, 1, op);
            if (o[0].kind != OpKind::Imm)
                badOperands(op, operandText);
            int64_t v = eval(o[0].expr).v;
            if (pass_ == 2 && (v < 0 || v > 0x38 || v % 8 != 0))
                throw Error{"rst address " + std::to_string(v) +
                            " invalid (00h, 08h, 10h, 18h, 20h, 28h, 30h or 38h)"};
            emitByte(0xC7 + static_cast<int>(v & 0x38));
            return;
        }
        if (op == "in") {
            if (o.size() == 1 && o[0].kind == OpKind::IndC) {
                emit({0xED, 0x70});
                return;
            }
            needCount(o, 2, op);
            if (o[0].kind == OpKind::Reg8 && o[0].code != 6 && o[1].kind == OpKind::IndC) {
                emit({0xED, 0x40 + o[0].code * 8});
            } else if (o[0].kind == OpKind::Reg8 && o[0].code == 7 && o[1].kind == OpKind::Mem) {
                emitByte(0xDB);
                emitByte(port(o[1].expr));
            } else {
                badOperands(op, operandText);
            }
            return;
        }
        if (op == "out") {
            needCount(o, 2, op);
            if (o[0].kind == OpKind::IndC && o[1].kind == OpKind::Reg8 && o[1].code != 6) {
                emit({0xED, 0x41 + o[1].code * 8});
            } else if (o[0].kind == OpKind::Mem && o[1].kind == OpKind::Reg8 && o[1].code == 7) {
                emitByte(0xD3);
                emitByte(port(o[0].expr));
            } else {
                badOperands(op, operandText);
            }
            return;
        }
        throw Error{"unknown instruction '" + op + "'"};
    }

    int port(const std::string& e) {
        Value v = eval(e);
        if (pass_ == 2 && (v.v < 0 || v.v > 255))
            throw Error{"port " + std::to_string(v.v) + " out of range (0..255)"};
        return static_cast<int>(v.v & 0xFF);
    }

    void cbOp(const Operand& r, int code, const std::string& op, const std::string& text) {
        if (!isR(r))
            badOperands(op, text);
        if (r.prefix) {
            emitByte(r.prefix);
            emitByte(0xCB);
            emitByte(displacement(r));
            emitByte(code + 6);
        } else {
            emitByte(0xCB);
            emitByte(code + r.code);
        }
    }

    void branch(const std::string& op, const std::vector<std::string>& raw,
                const std::string& text) {
        int cc = -1;
        std::string target;
        if (op == "ret") {
            if (raw.empty()) {
                emitByte(0xC9);
                return;
            }
            if (raw.size() != 1 || (cc = conditionCode(raw[0])) < 0)
                badOperands(op, text);
            emitByte(0xC0 + cc * 8);
            return;
        }
        if (raw.size() == 2) {
            cc = conditionCode(raw[0]);
            if (cc < 0 || op == "djnz" || (op == "jr" && cc > 3))
                badOperands(op, text);
            target = raw[1];
        } else if (raw.size() == 1) {
            target = raw[0];
        } else {
            throw Error{"'" + op + "' needs a target"};
        }
        if (op == "jp" && cc < 0) {
            Operand t = classify(target);
            if (t.kind == OpKind::Reg8 && t.code == 6 && !t.prefix) {
                emitByte(0xE9);
                return;
            }
            if (t.kind == OpKind::IndIX) {
                emit({t.prefix, 0xE9});
                return;
            }
            if (t.kind != OpKind::Imm)
                badOperands(op, text);
        } else if (classify(target).kind != OpKind::Imm) {
            badOperands(op, text);
        }
        if (op == "jr" || op == "djnz") {
            emitByte(op == "djnz" ? 0x10 : cc < 0 ? 0x18 : 0x20 + cc * 8);
            Value v = eval(target);
            int64_t d = v.v - (pc_ + 1);
            if (pass_ == 2 && (d < -128 || d > 127))
                throw Error{"relative jump out of reach (" + std::to_string(d) +
                            " bytes; -128..127)"};
            emitByte(static_cast<int>(d & 0xFF));
            return;
        }
        if (op == "jp")
            emitByte(cc < 0 ? 0xC3 : 0xC2 + cc * 8);
        else
            emitByte(cc < 0 ? 0xCD : 0xC4 + cc * 8);
        emitWord(value16(target));
    }

    void ld(const Operand& d, const Operand& s, const std::string& text) {
        const std::string op = "ld";
        auto isA = [](const Operand& o) { return o.kind == OpKind::Reg8 && o.code == 7; };
        // 8-bit register / (hl) / (ix+d) destinations
        if (isR(d)) {
            if (isR(s)) {
                if (d.code == 6 && s.code == 6)
                    badOperands(op, text);
                if (d.prefix && s.prefix)
                    badOperands(op, text);
                if (d.prefix)
                    emitR(d, 0x70 + s.code);
                else if (s.prefix)
                    emitR(s, 0x40 + d.code * 8 + 6);
                else
                    emitByte(0x40 + d.code * 8 + s.code);
                return;
            }
            if (s.kind == OpKind::Imm) {
                emitR(d, 0x06 + d.code * 8);
                emitByte(value8(s.expr));
                return;
            }
            if (isA(d)) {
                if (s.kind == OpKind::IndBC) {
                    emitByte(0x0A);
                    return;
                }
                if (s.kind == OpKind::IndDE) {
                    emitByte(0x1A);
                    return;
                }
                if (s.kind == OpKind::Mem) {
                    emitByte(0x3A);
                    emitWord(value16(s.expr));
                    return;
                }
                if (s.kind == OpKind::RegI) {
                    emit({0xED, 0x57});
                    return;
                }
                if (s.kind == OpKind::RegR) {
                    emit({0xED, 0x5F});
                    return;
                }
            }
            badOperands(op, text);
        }
        if (isA(s)) {
            if (d.kind == OpKind::IndBC) {
                emitByte(0x02);
                return;
            }
            if (d.kind == OpKind::IndDE) {
                emitByte(0x12);
                return;
            }
            if (d.kind == OpKind::Mem) {
                emitByte(0x32);
                emitWord(value16(d.expr));
                return;
            }
            if (d.kind == OpKind::RegI) {
                emit({0xED, 0x47});
                return;
            }
            if (d.kind == OpKind::RegR) {
                emit({0xED, 0x4F});
                return;
            }
        }
        int code;
        uint8_t pre;
        if (d.kind == OpKind::Reg16 && d.name == "sp" && s.kind == OpKind::Reg16 &&
            (s.name == "hl" || indexPrefix(s))) {
            if (indexPrefix(s))
                emitByte(indexPrefix(s));
            emitByte(0xF9);
            return;
        }
        if (isRR(d, code, pre)) {
            if (s.kind == OpKind::Imm) {
                if (pre)
                    emitByte(pre);
                emitByte(0x01 + code * 16);
                emitWord(value16(s.expr));
                return;
            }
            if (s.kind == OpKind::Mem) {
                if (code == 2) {
                    if (pre)
                        emitByte(pre);
                    emitByte(0x2A);
                } else {
                    emit({0xED, 0x4B + code * 16});
                }
                emitWord(value16(s.expr));
                return;
            }
            badOperands(op, text);
        }
        if (d.kind == OpKind::Mem && isRR(s, code, pre)) {
            if (code == 2) {
                if (pre)
                    emitByte(pre);
                emitByte(0x22);
            } else {
                emit({0xED, 0x43 + code * 16});
            }
            emitWord(value16(d.expr));
            return;
        }
        badOperands(op, text);
    }
};

} // namespace

static std::optional<uint16_t> symbolValue(const Assembly& a, const std::string& name, int depth) {
    if (auto it = a.labels.find(name); it != a.labels.end())
        return it->second;
    auto it = a.defines.find(name);
    if (it == a.defines.end() || depth > kMaxDefineDepth)
        return std::nullopt;
    try {
        ExpressionParser::Lookup lk = [&](const std::string& n) -> Value {
            if (auto v = symbolValue(a, n, depth + 1))
                return {*v, true};
            throw Error{"unknown"};
        };
        Value v = ExpressionParser(it->second, 0, lk, false).parse();
        return static_cast<uint16_t>(v.v & 0xFFFF);
    } catch (const Error&) {
        return std::nullopt;
    }
}

std::optional<uint16_t> Assembly::symbol(const std::string& name) const {
    return symbolValue(*this, name, 0);
}

Assembly assemble(std::string_view source, const std::string& fileName) {
    auto a = std::make_unique<Assembler>();
    return a->run(source, fileName);
}

std::vector<PreprocessedLine> preprocess(std::string_view source, const std::string& fileName) {
    auto a = std::make_unique<Assembler>();
    return a->preprocessOnly(source, fileName);
}

Assembly assembleFile(const std::filesystem::path& file) {
    bool ok = false;
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec))
        throw AssemblyError({{file.string(), 0, "is a directory, not a source file"}});
    std::string text = readTextFile(file, ok);
    if (!ok)
        throw AssemblyError({{file.string(), 0, "cannot open the source file"}});
    return assemble(text, file.string());
}

} // namespace torvex::z80
