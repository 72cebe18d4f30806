// Torvex Designer - Z80 toolchain: the two passes over the preprocessed
// statements (labels, symbols, directives, instructions) and the image they fill.
#pragma once

#include "asm_encoder.h"
#include "asm_source.h"

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace torvex::z80::detail {

class Passes : public Evaluator {
public:
    Passes(Diagnostics& diagnostics, const AssemblyOptions& options,
           const std::vector<SourceLine>& lines)
        : diags_(diagnostics), options_(options), lines_(lines), encoder_(*this) {}

    // Runs both passes and fills `into` (bytes, origin, labels, listing).
    void run(Assembly& into);

    Value eval(const std::string& text) override;
    bool finalPass() const override { return pass_ == 2; }

private:
    struct Symbol {
        std::string name; // as written (with its module for _local labels)
        Value value;
        int line = 0; // index of the defining statement
        bool equate = false;
        bool reassignable = false; // .set
        // Why an equate's value could not be worked out: an error where it is used.
        std::string failure;
    };

    Diagnostics& diags_;
    const AssemblyOptions& options_;
    const std::vector<SourceLine>& lines_;
    Encoder encoder_;

    int pass_ = 1;
    int64_t pc_ = 0;
    int64_t lineStart_ = 0; // '$': the address where the statement starts
    int64_t firstOrg_ = -1;
    size_t emitted_ = 0;
    std::string module_; // the .module in effect ("" before the first)
    std::map<std::string, Symbol> symbols_;
    std::vector<int64_t> pcAfter_; // address after each statement in pass 1
    std::array<uint8_t, 65536> image_{};
    int64_t minAddr_ = 65536, maxAddr_ = -1;
    std::vector<ListingEntry> listing_;
    const SourceLine* cur_ = nullptr;

    void runPass();
    void statement(const std::string& text);
    void equate(const std::string& label, std::string_view operands, bool reassign);
    void directive(const std::string& op, std::string_view operands);
    void data(const std::string& op, std::vector<std::string> args);

    void emitByte(int b);
    void warning(std::string message);
    int64_t known(const std::string& text, const char* what);
    Value lookup(const std::string& name);
    std::string symbolKey(const std::string& name) const;
    void defineSymbol(const std::string& name, Value v, bool isEquate);
    int lineIndex() const { return static_cast<int>(cur_ - lines_.data()); }
    std::string where(int index) const;
};

} // namespace torvex::z80::detail
