// Torvex Designer - Z80 toolchain: the instruction encoder. Every documented
// Z80 instruction, found through one table of mnemonics and their encoding
// forms, plus instructions a source adds with .addinstr.
#pragma once

#include "asm_expression.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace torvex::z80::detail {

// Values of operands, as the pass that encodes sees them.
class Evaluator {
public:
    virtual ~Evaluator() = default;
    virtual Value eval(const std::string& text) = 0;
    // Range checks wait for the final pass, when every value is known.
    virtual bool finalPass() const = 0;

    int value8(const std::string& text);  // -128..255
    int value16(const std::string& text); // -32768..65535
};

// An instruction added with ".addinstr NAME ARGS OPCODE NBYTES NOP CLASS":
// the operand text ARGS, where '*' stands for one expression, gives the opcode
// bytes (written as one hex number, least significant byte first) followed by
// the expression in the remaining NBYTES (low byte first).
struct AddedInstruction {
    std::string args; // lower case, without white space
    std::vector<uint8_t> opcode;
    int size = 0;
};

class Encoder {
public:
    explicit Encoder(Evaluator& values) : values_(values) {}

    // True for the mnemonics of the Z80 (lower case).
    static bool isMnemonic(const std::string& name);

    // The bytes of one instruction at address `at`. Throws Error.
    std::vector<uint8_t> encode(const std::string& op, const std::string& operands, int64_t at);

    // ".addinstr" operands. Returns what is not supported of a well-formed
    // entry that is not added (empty when added); throws Error when malformed.
    std::string addInstruction(const std::string& operands);
    bool isAdded(const std::string& op) const { return added_.count(op) > 0; }
    void clearAdded() { added_.clear(); }

private:
    Evaluator& values_;
    std::multimap<std::string, AddedInstruction> added_; // by lower-case name
};

} // namespace torvex::z80::detail
