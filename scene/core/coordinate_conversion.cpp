#include "scene/coordinate_conversion.h"

#include "base/failure.h"

#include <cstdint>
#include <optional>

namespace torvex {

namespace {

std::optional<int> decimalDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return int(u - u'0');
    return std::nullopt;
}

std::optional<int> hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return int(u - u'0');
    if (u >= u'a' && u <= u'f')
        return int(u - u'a' + 10);
    if (u >= u'A' && u <= u'F')
        return int(u - u'A' + 10);
    return std::nullopt;
}

// Reads decimal digits from pos to the end; the magnitude may reach 2^31 so that the
// caller can accept -2147483648.
std::optional<std::uint32_t> readDecimal(const QString& text, qsizetype pos) {
    if (pos >= text.size())
        return std::nullopt;
    std::uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const auto digit = decimalDigit(text[pos]);
        if (!digit)
            return std::nullopt;
        value = value * 10 + std::uint64_t(*digit);
        if (value > 0x80000000ull)
            return std::nullopt;
    }
    return std::uint32_t(value);
}

std::optional<std::uint32_t> readHex(const QString& text, qsizetype pos) {
    if (pos >= text.size())
        return std::nullopt;
    std::uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const auto digit = hexDigit(text[pos]);
        if (!digit)
            return std::nullopt;
        value = value * 16 + std::uint64_t(*digit);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    return std::uint32_t(value);
}

} // namespace

std::string invalidIntegerMessage(const QString& text) {
    std::string message = "'";
    message += text.toStdString();
    message += "' is not a valid integer value";
    return message;
}

int convertCoordinate(const QString& text) {
    qsizetype pos = 0;
    while (pos < text.size() && text[pos] == u' ')
        ++pos;

    // Either "$" and hexadecimal digits, a 32-bit pattern read as signed...
    if (pos < text.size() && text[pos] == u'$') {
        const auto bits = readHex(text, pos + 1);
        if (!bits)
            throw Failure(invalidIntegerMessage(text));
        return std::int32_t(*bits);
    }

    // ...or an optional sign and decimal digits.
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }

    const auto magnitude = readDecimal(text, pos);
    if (!magnitude || (!negative && *magnitude > 0x7FFFFFFFu))
        throw Failure(invalidIntegerMessage(text));
    const std::int64_t value = negative ? -std::int64_t(*magnitude) : std::int64_t(*magnitude);
    return int(value);
}

} // namespace torvex
