// Torvex Designer - Z80 toolchain: the instruction encoder.
#include "asm_encoder.h"

#include "base/ascii.h"

#include "asm_text.h"

#include <cctype>
#include <optional>

namespace torvex::z80::detail {

int Evaluator::value8(const std::string& text) {
    Value v = eval(text);
    if (finalPass() && (v.v < -128 || v.v > 255))
        throw Error{"value " + std::to_string(v.v) + " out of range (-128..255)"};
    return static_cast<int>(v.v & 0xFF);
}

int Evaluator::value16(const std::string& text) {
    Value v = eval(text);
    if (finalPass() && (v.v < -32768 || v.v > 65535))
        throw Error{"value " + std::to_string(v.v) + " out of range (-32768..65535)"};
    return static_cast<int>(v.v & 0xFFFF);
}

namespace {

// ---------------------------------------------------------------- operands

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
    auto it = m.find(asciiLower(c));
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
    o.text = asciiLower(raw);
    const std::string& t = o.text;
    static const std::map<std::string, OpKind> named{
        {"i", OpKind::RegI},   {"r", OpKind::RegR},   {"af'", OpKind::AfAlt}, {"bc", OpKind::Reg16},
        {"de", OpKind::Reg16}, {"hl", OpKind::Reg16}, {"sp", OpKind::Reg16},  {"af", OpKind::Reg16},
        {"ix", OpKind::Reg16}, {"iy", OpKind::Reg16}};
    if (int c = reg8Code(t); c >= 0) {
        o.kind = OpKind::Reg8, o.code = c;
        return o;
    }
    if (auto it = named.find(t); it != named.end()) {
        o.kind = it->second, o.name = t;
        return o;
    }
    if (auto inner = parenthesised(raw)) {
        static const std::map<std::string, OpKind> indirect{{"bc", OpKind::IndBC},
                                                            {"de", OpKind::IndDE},
                                                            {"sp", OpKind::IndSP},
                                                            {"c", OpKind::IndC}};
        std::string in = asciiLower(*inner);
        if (in == "hl") {
            o.kind = OpKind::Reg8, o.code = 6;
            return o;
        }
        if (auto it = indirect.find(in); it != indirect.end()) {
            o.kind = it->second;
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

bool isR(const Operand& o) {
    return o.kind == OpKind::Reg8 || o.kind == OpKind::IndIX;
}

bool isA(const Operand& o) {
    return o.kind == OpKind::Reg8 && o.code == 7;
}

// bc de hl sp (or af instead of sp, for push/pop) with ix/iy as hl plus a prefix.
bool isRR(const Operand& o, int& code, uint8_t& prefix, bool afInsteadOfSp = false) {
    if (o.kind != OpKind::Reg16)
        return false;
    static const std::map<std::string, std::pair<int, uint8_t>> pairs{
        {"bc", {0, 0}}, {"de", {1, 0}}, {"hl", {2, 0}}, {"ix", {2, 0xDD}}, {"iy", {2, 0xFD}}};
    prefix = 0;
    if (auto it = pairs.find(o.name); it != pairs.end())
        std::tie(code, prefix) = it->second;
    else if (o.name == (afInsteadOfSp ? "af" : "sp"))
        code = 3;
    else
        return false;
    return true;
}

uint8_t indexPrefix(const Operand& o) {
    if (o.kind == OpKind::Reg16 && o.name == "ix")
        return 0xDD;
    if (o.kind == OpKind::Reg16 && o.name == "iy")
        return 0xFD;
    return 0;
}

// ---------------------------------------------------------------- the table

enum class Form { Implied, Alu, IncDec, Rotate, Bit, PushPop, Ex, Im, Rst, In, Out, Ld, Branch };

struct Entry {
    Form form;
    int base = 0;                 // the opcode (or the operation number) the form builds on
    std::vector<uint8_t> bytes{}; // Implied: the whole instruction
};

Entry implied(std::initializer_list<uint8_t> bytes) {
    return {Form::Implied, 0, bytes};
}

const std::map<std::string, Entry>& table() {
    // clang-format off
    static const std::map<std::string, Entry> t{
        {"nop", implied({0x00})}, {"rlca", implied({0x07})}, {"rrca", implied({0x0F})},
        {"rla", implied({0x17})}, {"rra", implied({0x1F})}, {"daa", implied({0x27})},
        {"cpl", implied({0x2F})}, {"scf", implied({0x37})}, {"ccf", implied({0x3F})},
        {"halt", implied({0x76})}, {"exx", implied({0xD9})}, {"di", implied({0xF3})},
        {"ei", implied({0xFB})}, {"neg", implied({0xED, 0x44})}, {"retn", implied({0xED, 0x45})},
        {"reti", implied({0xED, 0x4D})}, {"rrd", implied({0xED, 0x67})},
        {"rld", implied({0xED, 0x6F})}, {"ldi", implied({0xED, 0xA0})},
        {"cpi", implied({0xED, 0xA1})}, {"ini", implied({0xED, 0xA2})},
        {"outi", implied({0xED, 0xA3})}, {"ldd", implied({0xED, 0xA8})},
        {"cpd", implied({0xED, 0xA9})}, {"ind", implied({0xED, 0xAA})},
        {"outd", implied({0xED, 0xAB})}, {"ldir", implied({0xED, 0xB0})},
        {"cpir", implied({0xED, 0xB1})}, {"inir", implied({0xED, 0xB2})},
        {"otir", implied({0xED, 0xB3})}, {"lddr", implied({0xED, 0xB8})},
        {"cpdr", implied({0xED, 0xB9})}, {"indr", implied({0xED, 0xBA})},
        {"otdr", implied({0xED, 0xBB})},
        {"add", {Form::Alu, 0}}, {"adc", {Form::Alu, 1}}, {"sub", {Form::Alu, 2}},
        {"sbc", {Form::Alu, 3}}, {"and", {Form::Alu, 4}}, {"xor", {Form::Alu, 5}},
        {"or", {Form::Alu, 6}}, {"cp", {Form::Alu, 7}}, {"inc", {Form::IncDec, 0}},
        {"dec", {Form::IncDec, 1}}, {"rlc", {Form::Rotate, 0x00}}, {"rrc", {Form::Rotate, 0x08}},
        {"rl", {Form::Rotate, 0x10}}, {"rr", {Form::Rotate, 0x18}}, {"sla", {Form::Rotate, 0x20}},
        {"sra", {Form::Rotate, 0x28}}, {"srl", {Form::Rotate, 0x38}}, {"bit", {Form::Bit, 0x40}},
        {"res", {Form::Bit, 0x80}}, {"set", {Form::Bit, 0xC0}}, {"push", {Form::PushPop, 0xC5}},
        {"pop", {Form::PushPop, 0xC1}}, {"ex", {Form::Ex}}, {"im", {Form::Im}},
        {"rst", {Form::Rst}}, {"in", {Form::In}}, {"out", {Form::Out}}, {"ld", {Form::Ld}},
        {"jp", {Form::Branch}}, {"jr", {Form::Branch}}, {"call", {Form::Branch}},
        {"ret", {Form::Branch}}, {"djnz", {Form::Branch}},
    };
    // clang-format on
    return t;
}

// ---------------------------------------------------------------- encoding

class Encoding {
public:
    Encoding(Evaluator& values, const std::string& op, const std::string& text, int64_t at)
        : values_(values), op_(op), text_(text), at_(at) {}

    std::vector<uint8_t> run(const Entry& e) {
        auto raw = splitOperands(text_);
        for (auto& r : raw)
            if (r.empty())
                throw Error{"missing operand in '" + op_ + " " + text_ + "'"};
        if (e.form == Form::Implied) {
            if (!raw.empty())
                throw Error{"'" + op_ + "' takes no operands"};
            return e.bytes;
        }
        // Branches take conditions, which look like registers (c).
        if (e.form == Form::Branch) {
            branch(raw);
            return out_;
        }
        std::vector<Operand> o;
        for (auto& r : raw)
            o.push_back(classify(r));
        switch (e.form) {
        case Form::Alu:
            alu(o, e.base);
            break;
        case Form::IncDec:
            incDec(o, e.base == 0);
            break;
        case Form::Rotate:
            count(o, 1);
            cbOp(o[0], e.base);
            break;
        case Form::Bit:
            bitOp(o, e.base);
            break;
        case Form::PushPop:
            pushPop(o, e.base);
            break;
        case Form::Ex:
            ex(o);
            break;
        case Form::Im:
            im(o);
            break;
        case Form::Rst:
            rst(o);
            break;
        case Form::In:
            in(o);
            break;
        case Form::Out:
            outPort(o);
            break;
        case Form::Ld:
            count(o, 2);
            ld(o[0], o[1]);
            break;
        default:
            break;
        }
        return out_;
    }

private:
    Evaluator& values_;
    const std::string& op_;
    const std::string& text_;
    int64_t at_;
    std::vector<uint8_t> out_;

    void emit(std::initializer_list<int> bytes) {
        for (int b : bytes)
            out_.push_back(static_cast<uint8_t>(b));
    }
    void emitWord(int w) { emit({w & 0xFF, (w >> 8) & 0xFF}); }

    void count(const std::vector<Operand>& o, size_t n) {
        if (o.size() != n)
            throw Error{"'" + op_ + "' takes " + std::to_string(n) + " operand" +
                        (n == 1 ? "" : "s")};
    }
    [[noreturn]] void bad() { throw Error{"invalid operands for '" + op_ + "': " + text_}; }

    int displacement(const Operand& o) {
        Value v = values_.eval(o.expr);
        if (values_.finalPass() && (v.v < -128 || v.v > 127))
            throw Error{"index displacement " + std::to_string(v.v) + " out of range (-128..127)"};
        return static_cast<int>(v.v & 0xFF);
    }
    // A value known for the range check (only in the final pass).
    int64_t checked(const std::string& expr, int64_t low, int64_t high, const char* what,
                    const std::string& range) {
        int64_t v = values_.eval(expr).v;
        if (values_.finalPass() && (v < low || v > high))
            throw Error{std::string(what) + " " + std::to_string(v) + " " + range};
        return v;
    }

    // prefix + opcode (+ displacement) for an 8-bit register operand.
    void emitR(const Operand& r, int opcode) {
        if (r.prefix)
            emit({r.prefix, opcode, displacement(r)});
        else
            emit({opcode});
    }
    void emitPrefix(uint8_t prefix) {
        if (prefix)
            emit({prefix});
    }

    void alu(const std::vector<Operand>& o, int n) {
        if (o.size() == 2 && o[0].kind == OpKind::Reg16) {
            int code;
            uint8_t pre;
            uint8_t dstPre = indexPrefix(o[0]);
            if (o[0].name == "hl" || dstPre) {
                if (!isRR(o[1], code, pre) || (code == 2 && pre != dstPre))
                    bad();
                if (n == 0) { // add hl/ix/iy,rr
                    emitPrefix(dstPre);
                    emit({0x09 + code * 16});
                    return;
                }
                if ((n == 1 || n == 3) && !dstPre) { // adc/sbc hl,rr
                    emit({0xED, (n == 1 ? 0x4A : 0x42) + code * 16});
                    return;
                }
            }
            bad();
        }
        const Operand* src = nullptr;
        if (o.size() == 2) {
            if (!(isA(o[0]) && !o[0].prefix))
                bad();
            src = &o[1];
        } else if (o.size() == 1) {
            src = &o[0];
        } else {
            count(o, 2);
        }
        if (isR(*src)) {
            emitR(*src, 0x80 + n * 8 + src->code);
        } else if (src->kind == OpKind::Imm) {
            emit({0xC6 + n * 8, values_.value8(src->expr)});
        } else {
            bad();
        }
    }

    void incDec(const std::vector<Operand>& o, bool inc) {
        count(o, 1);
        int code;
        uint8_t pre;
        if (isRR(o[0], code, pre)) {
            emitPrefix(pre);
            emit({(inc ? 0x03 : 0x0B) + code * 16});
        } else if (isR(o[0])) {
            emitR(o[0], (inc ? 0x04 : 0x05) + o[0].code * 8);
        } else {
            bad();
        }
    }

    void bitOp(const std::vector<Operand>& o, int base) {
        count(o, 2);
        if (o[0].kind != OpKind::Imm)
            bad();
        int64_t b = checked(o[0].expr, 0, 7, "bit number", "out of range (0..7)");
        cbOp(o[1], base + static_cast<int>(b & 7) * 8);
    }

    void cbOp(const Operand& r, int code) {
        if (!isR(r))
            bad();
        if (r.prefix)
            emit({r.prefix, 0xCB, displacement(r), code + 6});
        else
            emit({0xCB, code + r.code});
    }

    void pushPop(const std::vector<Operand>& o, int base) {
        count(o, 1);
        int code;
        uint8_t pre;
        if (!isRR(o[0], code, pre, true))
            bad();
        emitPrefix(pre);
        emit({base + code * 16});
    }

    void ex(const std::vector<Operand>& o) {
        count(o, 2);
        auto is16 = [](const Operand& x, const char* name) {
            return x.kind == OpKind::Reg16 && x.name == name;
        };
        if (o[0].kind == OpKind::IndSP && (is16(o[1], "hl") || indexPrefix(o[1]))) {
            emitPrefix(indexPrefix(o[1]));
            emit({0xE3});
        } else if (is16(o[0], "de") && is16(o[1], "hl")) {
            emit({0xEB});
        } else if (is16(o[0], "af") && o[1].kind == OpKind::AfAlt) {
            emit({0x08});
        } else {
            bad();
        }
    }

    void im(const std::vector<Operand>& o) {
        count(o, 1);
        if (o[0].kind != OpKind::Imm)
            bad();
        int64_t m = checked(o[0].expr, 0, 2, "interrupt mode", "out of range (0..2)");
        static const int codes[] = {0x46, 0x56, 0x5E};
        emit({0xED, codes[m >= 0 && m <= 2 ? m : 0]});
    }

    void rst(const std::vector<Operand>& o) {
        count(o, 1);
        if (o[0].kind != OpKind::Imm)
            bad();
        int64_t v = values_.eval(o[0].expr).v;
        if (values_.finalPass() && (v < 0 || v > 0x38 || v % 8 != 0))
            throw Error{"rst address " + std::to_string(v) +
                        " invalid (00h, 08h, 10h, 18h, 20h, 28h, 30h or 38h)"};
        emit({0xC7 + static_cast<int>(v & 0x38)});
    }

    int port(const std::string& e) {
        return static_cast<int>(checked(e, 0, 255, "port", "out of range (0..255)") & 0xFF);
    }

    void in(const std::vector<Operand>& o) {
        if (o.size() == 1 && o[0].kind == OpKind::IndC) {
            emit({0xED, 0x70});
            return;
        }
        count(o, 2);
        if (o[0].kind == OpKind::Reg8 && o[0].code != 6 && o[1].kind == OpKind::IndC)
            emit({0xED, 0x40 + o[0].code * 8});
        else if (isA(o[0]) && o[1].kind == OpKind::Mem)
            emit({0xDB, port(o[1].expr)});
        else
            bad();
    }

    void outPort(const std::vector<Operand>& o) {
        count(o, 2);
        if (o[0].kind == OpKind::IndC && o[1].kind == OpKind::Reg8 && o[1].code != 6)
            emit({0xED, 0x41 + o[1].code * 8});
        else if (o[0].kind == OpKind::Mem && isA(o[1]))
            emit({0xD3, port(o[0].expr)});
        else
            bad();
    }

    void branch(const std::vector<std::string>& raw) {
        int cc = -1;
        std::string target;
        if (op_ == "ret") {
            if (raw.empty()) {
                emit({0xC9});
                return;
            }
            if (raw.size() != 1 || (cc = conditionCode(raw[0])) < 0)
                bad();
            emit({0xC0 + cc * 8});
            return;
        }
        if (raw.size() == 2) {
            cc = conditionCode(raw[0]);
            if (cc < 0 || op_ == "djnz" || (op_ == "jr" && cc > 3))
                bad();
            target = raw[1];
        } else if (raw.size() == 1) {
            target = raw[0];
        } else {
            throw Error{"'" + op_ + "' needs a target"};
        }
        Operand t = classify(target);
        if (op_ == "jp" && cc < 0 && t.kind == OpKind::Reg8 && t.code == 6 && !t.prefix) {
            emit({0xE9});
            return;
        }
        if (op_ == "jp" && cc < 0 && t.kind == OpKind::IndIX) {
            emit({t.prefix, 0xE9});
            return;
        }
        if (t.kind != OpKind::Imm)
            bad();
        if (op_ == "jr" || op_ == "djnz") {
            emit({op_ == "djnz" ? 0x10 : cc < 0 ? 0x18 : 0x20 + cc * 8});
            int64_t d = values_.eval(target).v - (at_ + 2);
            if (values_.finalPass() && (d < -128 || d > 127))
                throw Error{"relative jump out of reach (" + std::to_string(d) +
                            " bytes; -128..127)"};
            emit({static_cast<int>(d & 0xFF)});
            return;
        }
        if (op_ == "jp")
            emit({cc < 0 ? 0xC3 : 0xC2 + cc * 8});
        else
            emit({cc < 0 ? 0xCD : 0xC4 + cc * 8});
        emitWord(values_.value16(target));
    }

    void ld(const Operand& d, const Operand& s) {
        // 8-bit register / (hl) / (ix+d) destinations
        if (isR(d)) {
            if (isR(s)) {
                if ((d.code == 6 && s.code == 6) || (d.prefix && s.prefix))
                    bad();
                if (d.prefix)
                    emitR(d, 0x70 + s.code);
                else if (s.prefix)
                    emitR(s, 0x40 + d.code * 8 + 6);
                else
                    emit({0x40 + d.code * 8 + s.code});
                return;
            }
            if (s.kind == OpKind::Imm) {
                emitR(d, 0x06 + d.code * 8);
                emit({values_.value8(s.expr)});
                return;
            }
            if (isA(d) && loadA(s, 0x0A, 0x1A, 0x3A, 0x57, 0x5F))
                return;
            bad();
        }
        if (isA(s) && loadA(d, 0x02, 0x12, 0x32, 0x47, 0x4F))
            return;
        int code;
        uint8_t pre;
        if (d.kind == OpKind::Reg16 && d.name == "sp" && s.kind == OpKind::Reg16 &&
            (s.name == "hl" || indexPrefix(s))) {
            emitPrefix(indexPrefix(s));
            emit({0xF9});
            return;
        }
        if (isRR(d, code, pre)) {
            if (s.kind == OpKind::Imm) {
                emitPrefix(pre);
                emit({0x01 + code * 16});
                emitWord(values_.value16(s.expr));
                return;
            }
            if (s.kind == OpKind::Mem) {
                wordAccess(code, pre, 0x2A, 0x4B);
                emitWord(values_.value16(s.expr));
                return;
            }
            bad();
        }
        if (d.kind == OpKind::Mem && isRR(s, code, pre)) {
            wordAccess(code, pre, 0x22, 0x43);
            emitWord(values_.value16(d.expr));
            return;
        }
        bad();
    }

    // ld a,x / ld x,a where x is (bc), (de), (nn), i or r; false for other x.
    bool loadA(const Operand& x, int bc, int de, int mem, int i, int r) {
        switch (x.kind) {
        case OpKind::IndBC:
            emit({bc});
            return true;
        case OpKind::IndDE:
            emit({de});
            return true;
        case OpKind::Mem:
            emit({mem});
            emitWord(values_.value16(x.expr));
            return true;
        case OpKind::RegI:
            emit({0xED, i});
            return true;
        case OpKind::RegR:
            emit({0xED, r});
            return true;
        default:
            return false;
        }
    }

    // ld hl/ix/iy,(nn) and ld (nn),hl/ix/iy have short forms; bc, de, sp take ED.
    void wordAccess(int code, uint8_t pre, int shortForm, int edForm) {
        if (code == 2) {
            emitPrefix(pre);
            emit({shortForm});
        } else {
            emit({0xED, edForm + code * 16});
        }
    }
};

std::string withoutSpace(std::string_view s) {
    std::string r;
    for (char c : s)
        if (!std::isspace(static_cast<unsigned char>(c)))
            r += asciiLower(c);
    return r;
}

} // namespace

bool Encoder::isMnemonic(const std::string& name) {
    return table().count(name) > 0;
}

std::vector<uint8_t> Encoder::encode(const std::string& op, const std::string& operands,
                                     int64_t at) {
    if (auto it = table().find(op); it != table().end())
        return Encoding(values_, op, operands, at).run(it->second);
    auto [first, last] = added_.equal_range(op);
    if (first == last)
        throw Error{"unknown instruction '" + op + "'"};
    const std::string written = withoutSpace(operands);
    for (auto it = first; it != last; ++it) {
        const AddedInstruction& added = it->second;
        size_t star = added.args.find('*');
        std::string expr;
        if (star == std::string::npos) {
            if (written != added.args)
                continue;
        } else {
            std::string before = added.args.substr(0, star), after = added.args.substr(star + 1);
            if (written.size() < before.size() + after.size() + 1 ||
                written.compare(0, before.size(), before) != 0 ||
                written.compare(written.size() - after.size(), after.size(), after) != 0)
                continue;
            // the expression as written (its own case and spaces)
            std::string_view text = trim(operands);
            expr =
                std::string(text.substr(before.size(), text.size() - before.size() - after.size()));
        }
        std::vector<uint8_t> out = added.opcode;
        int rest = added.size - static_cast<int>(out.size());
        if (rest > 0) {
            int v = rest == 1 ? values_.value8(expr) : values_.value16(expr);
            for (int k = 0; k < rest; ++k)
                out.push_back(k < 2 ? static_cast<uint8_t>(v >> (8 * k)) : 0);
        }
        return out;
    }
    throw Error{"invalid operands for '" + op + "': " + operands};
}

std::string Encoder::addInstruction(const std::string& operands) {
    std::vector<std::string> f;
    std::string_view s = trim(operands);
    while (!s.empty()) {
        size_t end = 0;
        while (end < s.size() && !std::isspace(static_cast<unsigned char>(s[end])))
            ++end;
        f.emplace_back(s.substr(0, end));
        s = trim(s.substr(end));
    }
    if (f.size() < 5)
        throw Error{".addinstr needs: instruction, operands, opcode, size, rule (and class)"};
    const std::string name = asciiLower(f[0]);
    if (table().count(name))
        throw Error{".addinstr cannot change the Z80 instruction '" + name + "'"};
    if (asciiLower(f[4]) != "nop")
        return "rule " + f[4] + " (only NOP is)";
    for (size_t k = 6; k < f.size(); ++k)
        if (f[k] != "0")
            return "a shift or or-mask";
    AddedInstruction a;
    a.args = withoutSpace(f[1] == "\"\"" ? "" : f[1]);
    if (std::count(a.args.begin(), a.args.end(), '*') > 1)
        return "more than one '*' operand";
    const std::string& hex = f[2];
    if (hex.empty() || hex.size() > 8 || !std::all_of(hex.begin(), hex.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c));
        }))
        throw Error{".addinstr opcode '" + hex + "' must be hex digits"};
    unsigned long code = std::stoul(hex, nullptr, 16);
    for (size_t k = 0; k < (hex.size() + 1) / 2; ++k)
        a.opcode.push_back(static_cast<uint8_t>(code >> (8 * k)));
    if (f[3].size() != 1 || !std::isdigit(static_cast<unsigned char>(f[3][0])))
        throw Error{".addinstr size '" + f[3] + "' must be a number of bytes"};
    a.size = f[3][0] - '0';
    int rest = a.size - static_cast<int>(a.opcode.size());
    if (rest < 0 || rest > 2 || (rest > 0) != (a.args.find('*') != std::string::npos))
        return "size " + f[3] + " with opcode " + hex + " and operands " + f[1];
    added_.emplace(name, a);
    return {};
}

} // namespace torvex::z80::detail
