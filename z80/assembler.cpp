// Torvex Designer - Z80 toolchain: TASM-dialect assembler (two passes over the
// preprocessed statements: labels and symbols here, directives and the
// instruction encoder in their own files).
#include "z80/assembler.h"

#include "files/file_io.h"

#include "asm_passes.h"
#include "asm_preprocessor.h"
#include "asm_text.h"

#include <algorithm>
#include <cctype>
#include <memory>

namespace torvex::z80 {

namespace detail {

void Passes::run(Assembly& into) {
    for (pass_ = 1; pass_ <= 2; ++pass_) {
        runPass();
        if (diags_.hasErrors())
            diags_.fail();
    }
    if (maxAddr_ >= minAddr_) {
        into.origin = static_cast<uint16_t>(minAddr_);
        into.bytes.assign(image_.begin() + minAddr_, image_.begin() + maxAddr_ + 1);
    } else {
        into.origin = static_cast<uint16_t>(firstOrg_ < 0 ? 0 : firstOrg_);
    }
    for (auto& [k, s] : symbols_)
        if (s.failure.empty())
            into.labels[s.name] = static_cast<uint16_t>(s.value.v);
    into.listing = std::move(listing_);
}

void Passes::runPass() {
    pc_ = 0;
    module_.clear();
    encoder_.clearAdded();
    if (pass_ == 2) {
        listing_.clear();
        listing_.reserve(lines_.size());
    }
    for (const auto& l : lines_) {
        cur_ = &l;
        lineStart_ = pc_;
        emitted_ = 0;
        try {
            statement(l.text);
        } catch (const Error& e) {
            diags_.error(l.file, l.line, e.message);
            // keep the addresses of pass 1, so that one error does not cause others
            if (pass_ == 2)
                pc_ = pcAfter_[static_cast<size_t>(lineIndex())];
        }
        if (pass_ == 1)
            pcAfter_.push_back(pc_);
        if (pass_ == 2 && emitted_ > 0)
            listing_.push_back({static_cast<uint16_t>(lineStart_), static_cast<uint16_t>(emitted_),
                                diags_.file(l.file), l.line});
    }
}

void Passes::emitByte(int b) {
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

void Passes::warning(std::string message) {
    if (pass_ == 2)
        diags_.warning(cur_->file, cur_->line, std::move(message));
}

std::string Passes::where(int index) const {
    const SourceLine& l = lines_[static_cast<size_t>(index)];
    return diags_.where(l.file, l.line);
}

// ---------------------------------------------------------------- symbols

// The symbol table's key: _local labels inside a .module belong to it.
std::string Passes::symbolKey(const std::string& name) const {
    std::string k = options_.ignoreCase ? asciiLower(name) : name;
    if (!module_.empty() && !name.empty() && name[0] == '_')
        return (options_.ignoreCase ? asciiLower(module_) : module_) + ":" + k;
    return k;
}

Value Passes::lookup(const std::string& name) {
    auto it = symbols_.find(symbolKey(name));
    if (it == symbols_.end() && !module_.empty())
        it = symbols_.find(options_.ignoreCase ? asciiLower(name) : name); // a global _name
    if (it != symbols_.end() && it->second.value.known)
        return it->second.value;
    if (pass_ == 1)
        return {0, false};
    if (it != symbols_.end() && !it->second.failure.empty())
        throw Error{"'" + name + "' cannot be evaluated: its definition at " +
                        where(it->second.line) + " says " + it->second.failure,
                    true};
    if (it != symbols_.end())
        throw Error{"the value of '" + name + "' is not known here: its definition at " +
                        where(it->second.line) +
                        " uses itself or a label whose value is known only further on",
                    true};
    std::string hint;
    for (auto& [k, s] : symbols_)
        if (asciiLower(s.name) == asciiLower(name)) {
            hint = " (did you mean '" + s.name +
                   "'? labels are case-sensitive; -i, --ignore-case ignores case)";
            break;
        }
    if (hint.empty() && Encoder::isMnemonic(asciiLower(name)))
        hint = " (an instruction where a value was expected)";
    throw Error{"undefined label '" + name + "'" + hint, true};
}

void Passes::defineSymbol(const std::string& name, Value v, bool isEquate) {
    const std::string key = symbolKey(name);
    auto it = symbols_.find(key);
    if (it == symbols_.end() || it->second.line == lineIndex()) {
        const std::string shown = key.find(':') == std::string::npos ? name : module_ + "." + name;
        symbols_[key] = {shown, v, lineIndex(), isEquate, false, {}};
        return;
    }
    Symbol& first = it->second;
    if (!isEquate || !first.equate || first.reassignable)
        throw Error{"duplicate label '" + name + "' (first defined at " + where(first.line) + ")"};
    if (pass_ == 1)
        return; // an equate again: compared in pass 2, when both values are known
    if (v.v != first.value.v)
        throw Error{"'" + name + "' defined again with another value (" + std::to_string(v.v) +
                    "; first defined at " + where(first.line) + " as " +
                    std::to_string(first.value.v) + ")"};
    warning("'" + name + "' defined again with the same value (first defined at " +
            where(first.line) + ")");
}

// ---------------------------------------------------------------- values

Value Passes::eval(const std::string& text) {
    Lookup lk = [this](const std::string& n) { return lookup(n); };
    Value v = evaluate(text, lineStart_, lk, Order::LeftToRight);
    const auto operators = std::count_if(text.begin(), text.end(), [](char c) {
        return std::string_view("+-*/%<>&|^=!").find(c) != std::string_view::npos;
    });
    if (pass_ == 2 && v.known && operators >= 2) {
        try {
            Value usual = evaluate(text, lineStart_, lk, Order::Precedence);
            std::string message(1, '\'');
            message += trim(text);
            message += "' is " + std::to_string(v.v) +
                       " read left to right (as TASM reads it) but " + std::to_string(usual.v) +
                       " by the usual operator precedence; parentheses make it clear";
            if (usual.v != v.v)
                warning(std::move(message));
        } catch (const Error&) {
        }
    }
    return v;
}

int64_t Passes::known(const std::string& text, const char* what) {
    Value v = eval(text);
    if (!v.known)
        throw Error{std::string(what) +
                    " needs a value known here: not a label defined further on, "
                    "nor an equate that cannot be evaluated"};
    return v.v;
}

// ---------------------------------------------------------------- statements

void Passes::statement(const std::string& text) {
    std::string_view s = text;
    std::string label;
    bool firstColumn = false, colon = false;
    size_t i = 0;
    if (!s.empty() && isIdentStart(s[0])) {
        // Anything in the first column is a label, also when spelled like an
        // instruction or a register (TI's headers define Ld).
        i = nameEnd(s, 0);
        label = std::string(s.substr(0, i));
        firstColumn = true;
        if (i < s.size() && s[i] == ':')
            ++i, colon = true;
        else if (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i])) && s[i] != '=')
            throw Error{"bad label '" + std::string(trim(s)) + "'"};
    } else {
        // An indented "name:" is a label too.
        std::string_view t = trim(s);
        size_t j = t.empty() || !isIdentStart(t[0]) ? 0 : nameEnd(t, 0);
        if (j > 0 && j < t.size() && t[j] == ':') {
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
    } else if (rest.size() >= 2 && (rest[0] == '*' || rest[0] == '$') &&
               trim(rest.substr(1)).substr(0, 1) == "=") {
        op = ".org"; // *= and $= set the location counter
        operands = trim(trim(rest.substr(1)).substr(1));
    } else if (rest == "$" && !label.empty()) {
        op.clear(); // "label $": the label at the location counter
    } else {
        size_t j = 0;
        if (j < rest.size() && rest[j] == '.')
            ++j;
        while (j < rest.size() && isIdentChar(rest[j]))
            ++j;
        if (j == 0 && !rest.empty())
            throw Error{"unexpected '" + std::string(rest) + "'"};
        op = asciiLower(rest.substr(0, j));
        operands = trim(rest.substr(j));
    }
    if (op == ".equ" || op == ".set") {
        if (label.empty())
            throw Error{op + " needs a label"};
        equate(label, operands, op == ".set");
        return;
    }
    if (firstColumn && !colon && Encoder::isMnemonic(asciiLower(label)))
        warning("'" + label +
                "' in the first column is a label, not an instruction (indent instructions)");
    if (!label.empty()) {
        if (pass_ == 2 && symbols_[symbolKey(label)].value.v != pc_)
            throw Error{"internal error: label '" + label + "' moved between passes"};
        defineSymbol(label, {pc_, true}, false);
    }
    if (op.empty())
        return;
    if (op[0] == '.') {
        directive(op, operands);
        return;
    }
    for (uint8_t b : encoder_.encode(op, std::string(operands), lineStart_))
        emitByte(b);
}

} // namespace detail

static std::optional<uint16_t> symbolValue(const Assembly& a, const std::string& name, int depth) {
    if (auto it = a.labels.find(name); it != a.labels.end())
        return it->second;
    auto it = a.defines.find(name);
    if (it == a.defines.end() || depth > 32)
        return std::nullopt;
    try {
        detail::Lookup lk = [&](const std::string& n) -> detail::Value {
            if (auto v = symbolValue(a, n, depth + 1))
                return {*v, true};
            throw detail::Error{"unknown"};
        };
        detail::Value v = detail::evaluate(it->second, 0, lk, detail::Order::LeftToRight);
        return static_cast<uint16_t>(v.v & 0xFFFF);
    } catch (const detail::Error&) {
        return std::nullopt;
    }
}

std::optional<uint16_t> Assembly::symbol(const std::string& name) const {
    return symbolValue(*this, name, 0);
}

Assembly assemble(std::string_view source, const std::string& fileName,
                  const AssemblyOptions& options) {
    detail::Diagnostics diags;
    detail::Preprocessor pre(diags, options);
    const std::vector<detail::SourceLine> lines = pre.run(source, fileName);
    if (diags.hasErrors())
        diags.fail();
    Assembly a;
    auto passes = std::make_unique<detail::Passes>(diags, options, lines);
    passes->run(a);
    a.defines = pre.defineBodies();
    a.warnings = diags.warnings();
    a.includedFiles = pre.includedFiles();
    return a;
}

Assembly assembleFile(const std::filesystem::path& file, const AssemblyOptions& options) {
    std::string text;
    try {
        text = detail::readSourceFile(file);
    } catch (const FileFailure& failure) {
        throw AssemblyError({{printable(file.string()), 0, failure.what()}});
    }
    return assemble(text, file.string(), options);
}

} // namespace torvex::z80
