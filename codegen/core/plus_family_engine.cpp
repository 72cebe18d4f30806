#include "codegen/plus_family_engine.h"

#include "base/ascii.h"

#include "codegen/engine_template.h"
#include "z80/calculator_model.h"
#include "z80/source_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <set>
#include <sstream>

namespace torvex {

namespace {

using z80::calculatorModel;
using z80::Model;

const z80::CalculatorModel& ti83() {
    return calculatorModel(Model::Ti83);
}
const z80::CalculatorModel& plus() {
    return calculatorModel(Model::Ti83Plus);
}

// A block of TI-83 system RAM and where it lies on the Plus family.
struct Move {
    uint16_t first, last; // TI-83, inclusive
    uint16_t to;          // Plus family, for `first`
};

// The TI-83 system RAM the engine may name, and where each part goes.
const std::array<Move, 3>& moves() {
    static const std::array<Move, 3> table = [] {
        const uint16_t ti83Buffer = ti83().graphBuffer.first;
        const uint16_t plusBuffer = plus().graphBuffer.first;
        // The graph buffer up to the end of the Plus buffer's first page keeps
        // its offset from the buffer's start; from the TI-83's next page on it
        // moves by whole pages, so that low bytes stay as they are.
        const uint16_t ti83NextPage = static_cast<uint16_t>((ti83Buffer | 0xFF) + 1);
        const uint16_t plusNextPage = static_cast<uint16_t>((plusBuffer | 0xFF) + 1);
        const uint16_t ti83BufferEnd = static_cast<uint16_t>(ti83Buffer + ti83().graphBuffer.size);
        return std::array<Move, 3>{{
            {ti83().programRam.first, ti83().programRam.last(), plus().programRam.first},
            {ti83Buffer, static_cast<uint16_t>(ti83Buffer + (plusNextPage - plusBuffer) - 1),
             plusBuffer},
            // up to the end of the page that holds one past the buffer's end
            {ti83NextPage, static_cast<uint16_t>(ti83BufferEnd | 0xFF), plusNextPage},
        }};
    }();
    return table;
}

std::string hexWord(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04xh", value & 0xFFFF);
    std::string word(text);
    if (word.front() > '9') // a number starts with a digit
        word.insert(word.begin(), '0');
    return word;
}

bool isIdentifierChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
}

// A template line split into its code and its comment (from the first ';'
// outside literals, as the assembler splits it).
struct SourceLine {
    std::string code, comment;
    explicit SourceLine(const std::string& line) {
        const size_t at = std::min(z80::commentStart(line), line.size());
        code = line.substr(0, at);
        comment = line.substr(at);
    }
    std::string trimmed() const {
        const size_t first = code.find_first_not_of(" \t");
        const size_t last = code.find_last_not_of(" \t");
        return first == std::string::npos ? "" : code.substr(first, last - first + 1);
    }
};

class Transformer {
public:
    TextLines run(const TextLines& ti83Engine) {
        for (const std::string& line : ti83Engine) {
            ++lineNumber_;
            transformLine(line);
        }
        if (origins_ != 1)
            fail("the engine must have exactly one .org " + hexWord(ti83().origin) + ", it has " +
                 std::to_string(origins_));
        return std::move(out_);
    }

private:
    TextLines out_;
    std::set<std::string> definedNames_; // in lower case
    int lineNumber_ = 0;
    int origins_ = 0;

    [[noreturn]] void fail(const std::string& what) const {
        throw EngineTransformError("engine template line " + std::to_string(lineNumber_) + ": " +
                                   what);
    }

    void transformLine(const std::string& line) {
        const SourceLine source(line);
        const std::string code = source.trimmed();
        const std::string directive = asciiLower(code.substr(0, code.find_first_of(" \t")));
        if (directive == "#include")
            return include(code, source.comment);
        if (directive == ".org")
            return origin(source);
        if (code.find('_') != std::string::npos && romCall(source))
            return;
        // `#define END .end` serves only the TI-83 source's closing "END" line,
        // which the family's source leaves out: an assembler that ignores case
        // and reads on past .end takes that line for a second END.
        if (directive == "#define") {
            std::istringstream words(code);
            std::string define, name, value, more;
            words >> define >> name >> value;
            if (name == "END" && asciiLower(value) == ".end" && !(words >> more))
                return;
            // TASM tells "equ" from "EQU" and needs both for the family's
            // include file; where define names ignore case, the second would
            // define the first again.
            if (!definedNames_.insert(asciiLower(name)).second) {
                out_.push_back("#ifndef " + name);
                out_.push_back(line);
                out_.push_back("#endif");
                return;
            }
        }
        const bool instruction = directive.empty() || (directive[0] != '.' && directive[0] != '#');
        std::string moved =
            moveAddresses(source.code, instruction ? Check::Instruction : Check::Data);
        const std::string comment = moveAddresses(source.comment, Check::Nothing);
        if (directive == "#define" && !comment.empty()) {
            // A define's value must not depend on whether an assembler reads a
            // comment behind it as part of the value: the comment goes above.
            out_.push_back(comment);
            const size_t end = moved.find_last_not_of(" \t");
            out_.push_back(moved.substr(0, end + 1));
            return;
        }
        out_.push_back(moved + comment);
    }

    void include(const std::string& code, const std::string& comment) {
        const size_t open = code.find('"'), close = code.rfind('"');
        const std::string file =
            open < close ? asciiLower(code.substr(open + 1, close - open - 1)) : std::string();
        if (file == ti83().includeFile)
            out_.push_back("#include \"" + std::string(plus().includeFile) + "\"" + comment);
        else if (file != "tokens.inc")
            fail("no TI-83 Plus counterpart for the include file in \"" + code + "\"");
    }

    void origin(const SourceLine& source) {
        const std::string value = source.trimmed().substr(4);
        const size_t first = value.find_first_not_of(" \t");
        const std::optional<int64_t> at =
            first == std::string::npos ? std::nullopt : z80::numberValue(value.substr(first));
        if (at != ti83().origin)
            fail("the engine must start at " + hexWord(ti83().origin) + ", not \"" +
                 source.trimmed() + "\"");
        ++origins_;
        out_.push_back(".org " + hexWord(plus().origin) + source.comment);
        out_.push_back(
            "\t.db 0BBh,6Dh\t;t2ByteTok, tAsmCmp: an assembly program, run with Asm(prgmNAME)");
    }

    // `call _NAME` of a TI-83 ROM routine becomes rst 28h and the address word
    // of the family's routine. False when the line names no ROM routine.
    bool romCall(const SourceLine& source) {
        const std::string code = source.trimmed();
        for (const z80::RomCall& call : ti83().romCalls) {
            const size_t at = code.find(call.name);
            if (at == std::string::npos || (at + call.name.size() < code.size() &&
                                            isIdentifierChar(code[at + call.name.size()])))
                continue;
            if (asciiLower(code.substr(0, at)) != "call " || at + call.name.size() != code.size())
                fail("the ROM routine " + std::string(call.name) +
                     " can only be moved from a plain \"call " + std::string(call.name) + "\"");
            const std::string indent = source.code.substr(0, source.code.find(code));
            out_.push_back(indent + "rst 28h" + (source.comment.empty() ? "" : "\t") +
                           source.comment);
            out_.push_back(indent + ".dw " + std::string(plus().romCall(call.routine).name));
            return true;
        }
        // Any other name that starts like a ROM routine and is called.
        const std::string lowered = asciiLower(code);
        if (lowered.rfind("call ", 0) == 0 || lowered.rfind("jp ", 0) == 0) {
            const size_t name = code.find('_');
            if (name != std::string::npos && (name == 0 || !isIdentifierChar(code[name - 1])))
                fail("no TI-83 Plus counterpart for the ROM routine in \"" + code + "\"");
        }
        return false;
    }

    // What else moveAddresses() refuses besides an address it cannot move.
    enum class Check {
        Instruction, // a byte that is a page of TI-83 RAM (it would not move with its address)
        Data,
        Nothing, // comments: known addresses move, the rest stays as it is
    };

    // Numbers that are TI-83 system RAM addresses, moved.
    std::string moveAddresses(const std::string& code, Check check) const {
        std::string out;
        for (size_t i = 0; i < code.size();) {
            const char c = code[i];
            if ((c == '\'' || c == '"') && check != Check::Nothing) {
                const size_t end = code.find(c, i + 1);
                const size_t next = end == std::string::npos ? code.size() : end + 1;
                out += code.substr(i, next - i);
                i = next;
                continue;
            }
            const bool startsNumber = std::isdigit(static_cast<unsigned char>(c)) || c == '$';
            if (!startsNumber || (i > 0 && isIdentifierChar(code[i - 1]))) {
                out += c;
                ++i;
                continue;
            }
            size_t end = i + 1;
            while (end < code.size() && isIdentifierChar(code[end]))
                ++end;
            const std::string token = code.substr(i, end - i);
            out += movedNumber(token, check);
            i = end;
        }
        return out;
    }

    std::string movedNumber(const std::string& token, Check check) const {
        // Numbers beyond 16 bits are no address (the assembler refuses them where one is due).
        const std::optional<int64_t> value = z80::numberValue(token);
        if (!value || *value < 0 || *value > 0xFFFF)
            return token;
        if (check == Check::Nothing) {
            for (const Move& move : moves())
                if (*value >= move.first && *value <= move.last && token.size() > 3)
                    return hexWord(static_cast<unsigned>(*value - move.first + move.to));
            return token;
        }
        if (ti83().routineAt(static_cast<uint16_t>(*value)))
            fail("the TI-83 ROM address " + token +
                 " is written as a number; call the routine "
                 "by its name");
        if (*value >= 0x8000 && *value <= ti83().origin) {
            for (const Move& move : moves())
                if (*value >= move.first && *value <= move.last)
                    return hexWord(static_cast<unsigned>(*value - move.first + move.to));
            fail("no place on the TI-83 Plus for the TI-83 address " + token);
        }
        const bool hex = token.front() == '$' || token.back() == 'h' || token.back() == 'H';
        if (check == Check::Instruction && hex && *value >= (moves().front().first >> 8) &&
            *value <= (ti83().origin >> 8))
            fail("the byte " + token +
                 " looks like a page of TI-83 RAM; write it as ADDRESS>>8 "
                 "so that it moves with its address");
        return token;
    }
};

} // namespace

TextLines plusFamilyEngineLines(const TextLines& ti83Engine) {
    return Transformer().run(ti83Engine);
}

const TextLines& plusFamilyEngineTemplateLines() {
    static const TextLines lines = plusFamilyEngineLines(engineTemplateLines());
    return lines;
}

} // namespace torvex
