#include "codegen/windows1252.h"

#include <array>

namespace torvex {

namespace {

constexpr char kNoByte = '?';

// Not Qt's "windows-1252" codec: it reads the 256 bytes alike, but writes 1Ah (DOS
// end of file, which ends a source for an assembler) where we write '?'.
// Characters of the bytes 80h..9Fh; every other byte is its own code point.
constexpr std::array<char16_t, 32> kHighControlRange = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178'};

constexpr unsigned kRangeStart = 0x80;
constexpr unsigned kRangeEnd = 0xA0;

char16_t characterOf(unsigned char byte) {
    if (byte >= kRangeStart && byte < kRangeEnd)
        return kHighControlRange[byte - kRangeStart];
    return byte;
}

char byteOf(char16_t character) {
    if (character < kRangeStart || (character >= kRangeEnd && character <= 0xFF))
        return static_cast<char>(character);
    for (unsigned index = 0; index < kHighControlRange.size(); ++index)
        if (kHighControlRange[index] == character)
            return static_cast<char>(kRangeStart + index);
    return kNoByte;
}

} // namespace

QString decodeWindows1252(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(characterOf(static_cast<unsigned char>(byte)));
    return text;
}

std::string encodeWindows1252(QStringView text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar character = text[index];
        // A character outside the basic plane is one '?', not two.
        if (character.isHighSurrogate() && index + 1 < text.size() &&
            text[index + 1].isLowSurrogate())
            ++index;
        bytes += character.isSurrogate() ? kNoByte : byteOf(character.unicode());
    }
    return bytes;
}

} // namespace torvex
