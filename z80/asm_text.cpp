// Torvex Designer - Z80 toolchain: reading TASM-dialect source text.
#include "asm_text.h"

#include "z80/assembler.h"

#include "files/file_io.h"

#include <cctype>

namespace torvex::z80 {

namespace detail {

bool isIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool isIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}
size_t nameEnd(std::string_view s, size_t i) {
    size_t j = i;
    while (j < s.size() && (isIdentChar(s[j]) || (s[j] == '.' && j > i) ||
                            (s[j] == '\'' && j > i && j + 1 < s.size() && isIdentChar(s[j + 1]))))
        ++j;
    return j;
}
std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool opensCharLiteral(std::string_view s, size_t i) {
    return s[i] == '\'' && (i == 0 || !isIdentChar(s[i - 1]));
}

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

std::string unescape(std::string_view body) {
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (c == '\\' && i + 1 < body.size()) {
            char n = body[++i];
            if (n >= '0' && n <= '7') { // \ooo: up to three octal digits
                int v = n - '0';
                for (int k = 0;
                     k < 2 && i + 1 < body.size() && body[i + 1] >= '0' && body[i + 1] <= '7'; ++k)
                    v = v * 8 + (body[++i] - '0');
                c = static_cast<char>(v);
            } else {
                c = n == 'n'   ? '\n'
                    : n == 'r' ? '\r'
                    : n == 't' ? '\t'
                    : n == 'b' ? '\b'
                    : n == 'f' ? '\f'
                               : n;
            }
        }
        out += c;
    }
    return out;
}

size_t commentStart(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        if (s[i] == '"' || opensCharLiteral(s, i))
            i = skipLiteral(s, i);
        else if (s[i] == ';')
            return i;
        else
            ++i;
    }
    return std::string_view::npos;
}

std::string stripComment(std::string_view s) {
    return std::string(s.substr(0, commentStart(s)));
}

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

std::vector<std::string> splitStatements(std::string_view s) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t i = 0; i < s.size();) {
        if (s[i] == '"' || opensCharLiteral(s, i)) {
            i = skipLiteral(s, i);
        } else if (s[i] == '\\') {
            out.emplace_back(s.substr(start, i - start));
            start = ++i;
        } else {
            ++i;
        }
    }
    out.emplace_back(s.substr(start));
    return out;
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

std::string readSourceFile(const std::filesystem::path& p) {
    constexpr std::int64_t kLargestSource = 16 << 20;
    return readRegularFile(p, kLargestSource);
}

} // namespace detail
} // namespace torvex::z80
