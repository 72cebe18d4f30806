// Torvex Designer - Z80 toolchain: the directives (.org, .db, .dw, .block,
// .fill, .chk, .equ, .module, .addinstr and those that change no bytes).
#include "asm_passes.h"
#include "asm_text.h"

#include <set>

namespace torvex::z80::detail {

// Equates hold 32-bit values, as TASM's do: a value too large for its use is
// reported where it is used. A .set symbol takes each new value in turn.
// An equate that cannot be evaluated (it needs a label no line defines,
// divides by zero, or needs itself) is a warning here and an error only where
// it is used: published headers hold such equates (symTable equ FE6Eh, a label
// nowhere defined), and TASM writes the programs that include them.
void Passes::equate(const std::string& label, std::string_view operands, bool reassign) {
    if (!reassign) {
        Value v;
        std::string failure;
        try {
            v = eval(std::string(operands));
        } catch (const Error& e) {
            if (!e.undefined)
                throw;
            v.known = false;
            failure = e.message;
        }
        defineSymbol(label, v, true);
        if (failure.empty() || pass_ == 1)
            return;
        symbols_[symbolKey(label)].failure = failure;
        warning("'" + label + "' cannot be evaluated (" + failure + "): using it is an error");
        return;
    }
    Value v = eval(std::string(operands));
    auto it = symbols_.find(symbolKey(label));
    if (it != symbols_.end() && !it->second.reassignable)
        throw Error{"'" + label + "' is a label or .equ (first defined at " +
                    where(it->second.line) + "); .set cannot change it"};
    symbols_[symbolKey(label)] = {label, v, lineIndex(), true, true, {}};
}

void Passes::directive(const std::string& op, std::string_view operands) {
    static const std::set<std::string> noBytes{
        ".list", ".nolist",  ".eject", ".page",  ".nopage", ".title",   ".export",
        ".echo", ".lsfirst", ".sym",   ".avsym", ".codes",  ".nocodes", ".bseg",
        ".cseg", ".dseg",    ".nseg",  ".xseg",  ".end"};
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
    } else if (op == ".db" || op == ".byte" || op == ".text" || op == ".dw" || op == ".word") {
        data(op, std::move(args));
    } else if (op == ".ds" || op == ".block" || op == ".fill") {
        if (args.empty() || args.size() > 2)
            throw Error{op + " needs a count and optionally a fill value"};
        int64_t n = known(args[0], op.c_str());
        if (n < 0 || pc_ + n > 0x10000) {
            // Values are 32-bit: 4294967295 is read as -1.
            std::string count(trim(args[0]));
            if (count != std::to_string(n))
                count = "'" + count + "', which is " + std::to_string(n) + " in 32 bits,";
            throw Error{op + " count " + count + " out of range (0.." +
                        std::to_string(0x10000 - pc_) + " here)"};
        }
        // .fill fills with FFh unless told otherwise; .block and .ds leave zeros
        int fill = args.size() == 2 ? value8(args[1]) : op == ".fill" ? 0xFF : 0;
        for (int64_t k = 0; k < n; ++k)
            emitByte(fill);
    } else if (op == ".chk") {
        if (args.size() != 1)
            throw Error{".chk needs the address the sum starts at"};
        Value start = eval(args[0]);
        int sum = 0;
        if (pass_ == 2) {
            if (start.v < 0 || start.v > pc_)
                throw Error{".chk start " + std::to_string(start.v) + " is not before .chk"};
            for (int64_t a = start.v; a < pc_; ++a)
                sum += image_[static_cast<size_t>(a)];
        }
        emitByte(sum & 0xFF);
    } else if (op == ".module") {
        if (args.size() != 1 || args[0].empty() || nameEnd(args[0], 0) != args[0].size())
            throw Error{".module needs a name"};
        module_ = args[0];
    } else if (op == ".addinstr") {
        // Headers add more than programs use: an entry we cannot encode is only
        // an error where a program uses it.
        if (std::string unsupported = encoder_.addInstruction(std::string(operands));
            !unsupported.empty())
            warning(".addinstr with " + unsupported +
                    " is not supported; the instruction is not added");
    } else if (op == ".msfirst") {
        throw Error{".msfirst is not supported (the Z80 stores words low byte first)"};
    } else if (!noBytes.count(op)) {
        throw Error{"unknown directive '" + op + "'"};
    }
}

// .db/.byte/.text: bytes and strings; .dw/.word: 16-bit words, low byte first.
// A comma after the last value adds nothing.
void Passes::data(const std::string& op, std::vector<std::string> args) {
    if (args.size() > 1 && args.back().empty())
        args.pop_back();
    if (args.empty())
        throw Error{op + " needs values"};
    const bool words = op == ".dw" || op == ".word";
    for (auto& a : args) {
        if (a.empty())
            throw Error{"empty value in " + op};
        if (!words && a.size() >= 2 && a.front() == '"') {
            size_t end = skipLiteral(a, 0);
            if (end != a.size() || a.back() != '"')
                throw Error{"bad string " + a};
            for (char ch : unescape(std::string_view(a).substr(1, a.size() - 2)))
                emitByte(static_cast<unsigned char>(ch));
        } else if (words) {
            int w = value16(a);
            emitByte(w & 0xFF);
            emitByte((w >> 8) & 0xFF);
        } else {
            emitByte(value8(a));
        }
    }
}

} // namespace torvex::z80::detail
