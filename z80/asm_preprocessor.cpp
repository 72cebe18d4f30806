// Torvex Designer - Z80 toolchain: the preprocessor.
#include "asm_preprocessor.h"

#include "asm_expression.h"
#include "asm_text.h"

#include "files/file_io.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace torvex::z80::detail {

namespace {

constexpr int kMaxIncludeDepth = 32;
constexpr int kMaxDefineDepth = 32;
constexpr size_t kMaxExpandedLine = 65536;
// What one assembly may do in all: a source many times larger than any
// calculator program needs stays well inside these.
constexpr size_t kMaxExpandedBytes = size_t{16} << 20;
constexpr size_t kMaxDefineUses = size_t{1} << 18;
constexpr size_t kMaxIncludedBytes = size_t{32} << 20;
constexpr size_t kMaxIncludes = 4096;

// True when the statement is .end (after an optional label).
bool isEndStatement(std::string_view s) {
    size_t i = 0;
    if (!s.empty() && isIdentStart(s[0])) {
        i = nameEnd(s, 0);
        if (i < s.size() && s[i] == ':')
            ++i;
    }
    std::string_view rest = trim(s.substr(i));
    size_t j = 0;
    while (j < rest.size() && (isIdentChar(rest[j]) || rest[j] == '.'))
        ++j;
    return asciiLower(rest.substr(0, j)) == ".end";
}

// The file an #include names, beside the including file. Sources written on
// DOS and Windows spell names in any case and separate folders with '\': each
// part that does not exist as written is the one entry that differs only in case.
std::optional<std::filesystem::path> findInclude(const std::filesystem::path& dir,
                                                 std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    std::error_code ec;
    // Names are joined, never shortened by hand: "link/.." is where the
    // system takes it, the folder above the link's target.
    std::filesystem::path found = dir;
    for (const auto& part : std::filesystem::path(name)) {
        std::filesystem::path next = found / part;
        if (!std::filesystem::exists(std::filesystem::symlink_status(next, ec))) {
            for (const auto& entry : std::filesystem::directory_iterator(
                     found.empty() ? std::filesystem::path(".") : found, ec))
                if (asciiLower(entry.path().filename().string()) == asciiLower(part.string()))
                    next = found / entry.path().filename();
        }
        found = next;
    }
    if (!std::filesystem::exists(std::filesystem::symlink_status(found, ec)))
        return std::nullopt;
    return found;
}

std::string word(std::string_view s) {
    size_t j = 0;
    while (j < s.size() && isIdentChar(s[j]))
        ++j;
    return std::string(s.substr(0, j));
}

} // namespace

// #define names keep their case even under -i, which ignores case in labels
// only: a program may define TASM while its header has a label tasm.
std::string Preprocessor::key(std::string_view name) const {
    return std::string(name);
}

// Stops the whole assembly with an error on the line being read.
void Preprocessor::tooMuchWork(std::string message) {
    ended_ = true;
    throw Error{std::move(message)};
}

bool Preprocessor::active() const {
    return std::all_of(conditionals_.begin(), conditionals_.end(),
                       [](const Conditional& c) { return c.active; });
}

std::map<std::string, std::string> Preprocessor::defineBodies() const {
    std::map<std::string, std::string> out;
    for (const auto& [k, d] : defines_)
        out[d.name] = d.body;
    return out;
}

std::vector<SourceLine> Preprocessor::run(std::string_view source, const std::string& fileName) {
    int index = diags_.addFile(fileName);
    std::filesystem::path p(fileName);
    std::error_code ec;
    auto canon = std::filesystem::weakly_canonical(p, ec);
    includeStack_.push_back(ec ? p : canon);
    file(source, index, p.parent_path(), 0);
    return std::move(lines_);
}

void Preprocessor::file(std::string_view text, int file, const std::filesystem::path& dir,
                        int depth) {
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3); // UTF-8 byte order mark
    // DOS editors end files with Ctrl-Z; one before the last line hides the
    // lines after it.
    const size_t ctrlZ = text.find('\x1A');
    const std::string_view hidden = ctrlZ == std::string_view::npos ? "" : text.substr(ctrlZ);
    text = text.substr(0, ctrlZ);
    const auto lines = splitLines(text);
    const size_t conditionalDepth = conditionals_.size();
    size_t n = 0;
    for (; n < lines.size() && !ended_; ++n) {
        int lineNo = static_cast<int>(n) + 1;
        try {
            std::string_view t = trim(lines[n]);
            if (!t.empty() && t[0] == '#') {
                directive(t, file, lineNo, dir, depth);
                continue;
            }
            if (!active())
                continue;
            Swallow swallow;
            std::string expanded = expandLine(stripComment(lines[n]), swallow);
            if (swallow.define)
                warnIfSwallowed(*swallow.define, std::string_view(expanded).substr(swallow.at),
                                file, lineNo);
            statements(stripComment(expanded), file, lineNo);
        } catch (const Error& e) {
            diags_.error(file, lineNo, e.message);
        }
    }
    if (endSeen_)
        warnAfterEnd(lines, n, file);
    if (conditionals_.size() > conditionalDepth && !ended_) {
        diags_.error(file, static_cast<int>(lines.size()), "#if without #endif");
        conditionals_.resize(conditionalDepth);
    }
    if (!ended_ && hidden.find_first_not_of("\x1A \t\r\n") != std::string_view::npos) {
        const bool ownLine = text.empty() || text.back() == '\n' || text.back() == '\r';
        diags_.warning(file, static_cast<int>(lines.size() + (ownLine ? 1 : 0)),
                       "a Ctrl-Z (1Ah, the end of a DOS file) ends the file here: the rest of "
                       "the file is not assembled");
    }
}

// The first line after .end (in the file holding it or in a file including
// that one) that holds more than blanks and a comment.
void Preprocessor::warnAfterEnd(const std::vector<std::string>& lines, size_t from, int file) {
    if (!options_.warnAfterEnd || afterEndWarned_)
        return;
    for (size_t n = from; n < lines.size(); ++n) {
        if (trim(stripComment(lines[n])).empty())
            continue;
        afterEndWarned_ = true;
        diags_.warning(file, static_cast<int>(n) + 1,
                       "this line follows .end: TASM stops at .end, but assemblers that read on "
                       "past it (spasm-ng, pasmo) assemble this line");
        return;
    }
}

// A #define comment that an assembler keeping it would spread over the rest
// of the line: the lost text, if any, is worth a warning.
void Preprocessor::warnIfSwallowed(const Define& define, std::string_view rest, int file,
                                   int lineNo) {
    std::string lost(trim(rest));
    if (lost.empty())
        return;
    std::string message(1, '\'');
    message += define.name + "' brings the comment of its #define (" + define.where +
               ") into this line: TASM-compatible assemblers that keep #define comments would "
               "drop '" +
               lost + "' here";
    diags_.warning(file, lineNo, std::move(message));
}

void Preprocessor::statements(const std::string& expanded, int file, int lineNo) {
    for (std::string& s : splitStatements(expanded)) {
        if (trim(s).empty())
            continue;
        bool end = isEndStatement(s);
        lines_.push_back({std::move(s), file, lineNo});
        if (end) {
            ended_ = endSeen_ = true;
            return;
        }
    }
}

void Preprocessor::directive(std::string_view t, int file, int lineNo,
                             const std::filesystem::path& dir, int depth) {
    size_t i = 1;
    while (i < t.size() && isIdentChar(t[i]))
        ++i;
    const std::string name = asciiLower(t.substr(1, i - 1));
    const size_t comment = commentStart(t);
    std::string_view rest =
        trim(t.substr(i, comment == std::string_view::npos ? comment : comment - i));
    std::string_view commentText =
        comment == std::string_view::npos ? std::string_view() : t.substr(comment);
    if (name == "ifdef" || name == "ifndef" || name == "if") {
        // The block opens even when its condition is in error (which then
        // skips both branches), so that its #endif closes it. A skipped #if
        // is not evaluated (it may use names defined only elsewhere).
        const bool outer = active();
        conditionals_.push_back({false, false, true});
        bool value = false;
        if (name == "if") {
            value = outer && condition(rest);
        } else {
            const std::string w = word(rest);
            if (w.empty())
                throw Error{"#" + name + " needs a name"};
            value = (defines_.count(key(w)) > 0) == (name == "ifdef");
        }
        conditionals_.back() = {value, false};
        return;
    }
    if (name == "else") {
        if (conditionals_.empty() || conditionals_.back().elseSeen)
            throw Error{"#else without #if"};
        if (!conditionals_.back().broken)
            conditionals_.back().active = !conditionals_.back().active;
        conditionals_.back().elseSeen = true;
        return;
    }
    if (name == "endif") {
        if (conditionals_.empty())
            throw Error{"#endif without #if"};
        conditionals_.pop_back();
        return;
    }
    if (!active())
        return;
    if (name == "define") {
        define(rest, commentText, file, lineNo);
    } else if (name == "defcont") {
        defcont(rest, commentText, file, lineNo);
    } else if (name == "undef") {
        defines_.erase(key(word(rest)));
    } else if (name == "include") {
        if (rest.size() < 2 || !((rest.front() == '"' && rest.back() == '"') ||
                                 (rest.front() == '<' && rest.back() == '>')))
            throw Error{"#include needs a file name in quotes"};
        include(std::string(rest.substr(1, rest.size() - 2)), dir, depth);
    } else {
        throw Error{"unknown directive '#" + name + "'"};
    }
}

void Preprocessor::define(std::string_view rest, std::string_view comment, int file, int lineNo) {
    Define d;
    d.name = word(rest);
    if (d.name.empty() || !isIdentStart(d.name[0]))
        throw Error{"#define needs a name"};
    std::string_view body = rest.substr(d.name.size());
    if (!body.empty() && body[0] == '(') {
        size_t close = body.find(')');
        if (close == std::string_view::npos)
            throw Error{"#define " + d.name + "( needs a ')' after its arguments"};
        for (std::string& p : splitOperands(body.substr(1, close - 1))) {
            if (p.empty() || nameEnd(p, 0) != p.size() || !isIdentStart(p[0]))
                throw Error{"bad argument name '" + p + "' in #define " + d.name};
            d.params.push_back(key(p));
        }
        d.function = true;
        body = body.substr(close + 1);
    }
    d.body = std::string(trim(body));
    d.literal = d.body;
    if (!comment.empty())
        (d.literal += ' ') += comment;
    d.commented = !comment.empty();
    d.where = diags_.where(file, lineNo);
    lastDefine_ = key(d.name);
    defines_[lastDefine_] = std::move(d);
}

void Preprocessor::defcont(std::string_view rest, std::string_view comment, int file, int lineNo) {
    auto it = defines_.find(lastDefine_);
    if (it == defines_.end())
        throw Error{"#defcont without a #define before it"};
    Define& d = it->second;
    if (d.commented && !rest.empty())
        diags_.warning(file, lineNo,
                       "#defcont continues '" + d.name +
                           "' after a comment: TASM-compatible assemblers that keep #define "
                           "comments would drop this continuation");
    (d.body += ' ') += rest;
    (d.literal += ' ') += rest;
    if (!comment.empty())
        (d.literal += ' ') += comment;
    d.commented = d.commented || !comment.empty();
}

bool Preprocessor::condition(std::string_view expr) {
    Swallow swallow;
    const std::string text = expandLine(expr, swallow);
    Lookup none = [](const std::string& name) -> Value {
        throw Error{"#if can use numbers and #define values only ('" + name + "' is neither)"};
    };
    return evaluate(stripComment(text), 0, none, Order::LeftToRight).v != 0;
}

void Preprocessor::include(const std::string& inc, const std::filesystem::path& dir, int depth) {
    if (depth >= kMaxIncludeDepth)
        throw Error{"includes nested too deeply: \"" + inc + "\""};
    std::filesystem::path p = dir / inc;
    std::error_code ec;
    std::string text;
    std::filesystem::path key;
    std::string displayName;
    std::optional<std::filesystem::path> found;
    if (!options_.ownIncludes || !builtinInclude(inc))
        found = findInclude(dir, inc);
    if (found) {
        p = *found;
        try {
            text = readSourceFile(p);
        } catch (const FileFailure& failure) {
            throw Error{"cannot read include file \"" + inc +
                        "\": " + (failure.reason().empty() ? failure.what() : failure.reason())};
        }
        includedFiles_.push_back(p);
        key = std::filesystem::weakly_canonical(p, ec);
        if (ec)
            key = p;
        displayName = p.string();
    } else if (auto builtin = builtinInclude(inc)) {
        text = *builtin;
        key = "<builtin>/" + asciiLower(inc);
        displayName = inc;
    } else {
        throw Error{"cannot find include file \"" + inc + "\""};
    }
    if (std::find(includeStack_.begin(), includeStack_.end(), key) != includeStack_.end())
        throw Error{"\"" + inc + "\" includes itself"};
    if (++includes_ > kMaxIncludes)
        tooMuchWork("more than " + std::to_string(kMaxIncludes) +
                    " #include in one assembly (do files include one another many times over?)");
    if ((includedBytes_ += text.size()) > kMaxIncludedBytes)
        tooMuchWork("the included files add up to more than 32 MiB in one assembly (do files "
                    "include one another many times over?)");
    int index = diags_.addFile(displayName);
    includeStack_.push_back(key);
    file(text, index, p.parent_path(), depth + 1);
    includeStack_.pop_back();
}

// ---------------------------------------------------------------- expansion

std::string Preprocessor::expandLine(std::string_view s, Swallow& swallow) {
    std::vector<std::string> names;
    std::string out;
    out.reserve(s.size());
    expand(s, 0, names, out, swallow);
    return out;
}

void Preprocessor::expand(std::string_view s, int depth, std::vector<std::string>& activeNames,
                          std::string& out, Swallow& swallow) {
    if (depth > kMaxDefineDepth)
        throw Error{"#define expansion nested too deeply (does a define refer to itself?)"};
    if (depth > 0 && ++defineUses_ > kMaxDefineUses)
        tooMuchWork("more than " + std::to_string(kMaxDefineUses) +
                    " #define uses in one assembly (do defines use one another many times "
                    "over?)");
    if (depth > 0 && (expandedBytes_ += s.size()) > kMaxExpandedBytes)
        tooMuchWork("#define expansion takes more than 16 MiB of text in one assembly (do "
                    "defines use one another many times over?)");
    for (size_t i = 0; i < s.size();) {
        char c = s[i];
        if (c == '"' || opensCharLiteral(s, i)) {
            size_t j = skipLiteral(s, i);
            out.append(s.substr(i, j - i));
            i = j;
        } else if (c == '.' && i + 1 < s.size() && isIdentStart(s[i + 1]) &&
                   (i == 0 || !isIdentChar(s[i - 1]))) {
            size_t j = nameEnd(s, i + 1);
            out.append(s.substr(i, j - i));
            i = j;
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '$' || c == '%' ||
                   c == '@') {
            size_t j = i + 1;
            while (j < s.size() && isIdentChar(s[j]))
                ++j;
            out.append(s.substr(i, j - i));
            i = j;
        } else if (isIdentStart(c)) {
            size_t j = nameEnd(s, i);
            std::string name(s.substr(i, j - i));
            auto it = defines_.find(key(name));
            if (it == defines_.end() ||
                std::find(activeNames.begin(), activeNames.end(), it->first) != activeNames.end()) {
                out += name;
                i = j;
                continue;
            }
            const Define& d = it->second;
            activeNames.push_back(it->first);
            if (d.function) {
                i = expandCall(d, s, j, depth, activeNames, out, swallow);
                if (i == std::string_view::npos) {
                    out += name; // the name alone, without arguments
                    i = j;
                }
            } else {
                expand(options_.defineKeepsComment ? d.literal : d.body, depth + 1, activeNames,
                       out, swallow);
                i = j;
            }
            activeNames.pop_back();
            if (d.commented && !swallow.define)
                swallow = {out.size(), &d};
            if (out.size() > kMaxExpandedLine)
                throw Error{"#define expansion makes the line too long"};
        } else {
            out += c;
            ++i;
        }
    }
}

// NAME(arg, ...) at s[i...] (just past the name): the body with each argument
// in place of its name, expanded. Returns the index past the ')', or npos
// (and nothing expanded) when no '(' follows the name.
size_t Preprocessor::expandCall(const Define& d, std::string_view s, size_t i, int depth,
                                std::vector<std::string>& activeNames, std::string& out,
                                Swallow& swallow) {
    size_t open = i;
    while (open < s.size() && (s[open] == ' ' || s[open] == '\t'))
        ++open;
    if (open >= s.size() || s[open] != '(')
        return std::string_view::npos;
    int level = 0;
    size_t close = open;
    for (; close < s.size(); ++close) {
        if (s[close] == '"' || opensCharLiteral(s, close)) {
            close = skipLiteral(s, close) - 1;
            continue;
        }
        if (s[close] == '(')
            ++level;
        else if (s[close] == ')' && --level == 0)
            break;
    }
    if (close >= s.size())
        throw Error{"'" + d.name + "(' needs a ')'"};
    std::vector<std::string> args = splitOperands(s.substr(open + 1, close - open - 1));
    if (args.size() != d.params.size())
        throw Error{"'" + d.name + "' takes " + std::to_string(d.params.size()) + " argument" +
                    (d.params.size() == 1 ? "" : "s") + ", not " + std::to_string(args.size())};
    const std::string& body = options_.defineKeepsComment ? d.literal : d.body;
    std::string substituted;
    for (size_t k = 0; k < body.size();) {
        if (body[k] == '"' || opensCharLiteral(body, k)) {
            size_t e = skipLiteral(body, k);
            substituted.append(body, k, e - k);
            k = e;
        } else if (isIdentStart(body[k]) && (k == 0 || !isIdentChar(body[k - 1]))) {
            size_t e = nameEnd(body, k);
            auto p = std::find(d.params.begin(), d.params.end(), key(body.substr(k, e - k)));
            if (p != d.params.end())
                substituted += args[static_cast<size_t>(p - d.params.begin())];
            else
                substituted.append(body, k, e - k);
            k = e;
        } else {
            substituted += body[k++];
        }
        if (substituted.size() > kMaxExpandedLine)
            throw Error{"#define expansion makes the line too long"};
    }
    expand(substituted, depth + 1, activeNames, out, swallow);
    return close + 1;
}

} // namespace torvex::z80::detail
