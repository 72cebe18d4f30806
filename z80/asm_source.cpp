// Torvex Designer - Z80 toolchain: collecting problems by file and line.
#include "asm_source.h"

namespace torvex::z80 {

namespace {

// Source text quoted in a message is cut to about a line's worth, and a
// whole message to a few lines (source text given unquoted).
constexpr size_t kMaxQuote = 72;
constexpr size_t kMaxMessage = 240;

// The first `length` bytes of the text, or fewer so as not to split a
// character.
size_t characterBoundary(std::string_view text, size_t length) {
    while (length > 0 && length < text.size() &&
           (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    return length;
}

// The message with each quoted text ('...') longer than kMaxQuote bytes cut
// at a character boundary and marked with "...".
std::string cutQuotes(std::string_view message) {
    std::string out;
    size_t i = 0;
    while (i < message.size()) {
        const size_t open = message.find('\'', i);
        if (open == std::string_view::npos)
            break;
        size_t close = message.find('\'', open + 1);
        if (close == std::string_view::npos)
            close = message.size();
        out.append(message, i, open + 1 - i);
        size_t length = close - open - 1;
        if (length > kMaxQuote) {
            out.append(message, open + 1, characterBoundary(message.substr(open + 1), kMaxQuote));
            out += "...";
        } else {
            out.append(message, open + 1, length);
        }
        if (close < message.size())
            out += '\'';
        i = close + 1;
    }
    if (i < message.size())
        out.append(message, i);
    if (out.size() > kMaxMessage) {
        out.resize(characterBoundary(out, kMaxMessage));
        out += "...";
    }
    return out;
}

std::string joinDiagnostics(const std::vector<Diagnostic>& ds) {
    std::string s;
    for (const auto& d : ds) {
        if (!s.empty())
            s += '\n';
        s += d.text();
    }
    return s;
}

} // namespace

std::string messageText(std::string_view message) {
    return printable(cutQuotes(message));
}

std::string Diagnostic::text() const {
    return file + ":" + std::to_string(line) + (warning ? ": warning: " : ": ") + message;
}

AssemblyError::AssemblyError(std::vector<Diagnostic> ds, std::vector<Diagnostic> ws)
    : std::runtime_error(joinDiagnostics(ds)), diagnostics(std::move(ds)), warnings(std::move(ws)) {
}

namespace detail {

int Diagnostics::addFile(std::string name) {
    files_.push_back(printable(name));
    return static_cast<int>(files_.size()) - 1;
}

std::string Diagnostics::where(int file, int line) const {
    return files_[file] + ":" + std::to_string(line);
}

void Diagnostics::error(int file, int line, std::string message) {
    if (errors_.size() < kMaxErrors)
        errors_.push_back({files_[file], line, messageText(message)});
    else
        errors_.push_back({files_[file], line, "too many errors; stopping"});
    if (errors_.size() > kMaxErrors)
        fail();
}

void Diagnostics::warning(int file, int line, std::string message) {
    message = messageText(message);
    if (!warnings_.empty() && warnings_.back().line == line &&
        warnings_.back().file == files_[file] && warnings_.back().message == message)
        return; // one line that says the same twice (a macro using its argument twice)
    if (warnings_.size() < kMaxErrors)
        warnings_.push_back({files_[file], line, std::move(message), true});
    else if (warnings_.size() == kMaxErrors)
        warnings_.push_back({files_[file], line, "more warnings follow; not shown", true});
}

void Diagnostics::fail() const {
    throw AssemblyError(errors_, warnings_);
}

} // namespace detail
} // namespace torvex::z80
