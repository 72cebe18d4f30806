// Torvex Designer - Z80 toolchain: TI-83 program variable files (.83p).
#include "z80/ti83file.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

namespace torvex::z80 {

namespace {

constexpr char kSignature[8] = {'*', '*', 'T', 'I', '8', '3', '*', '*'};
constexpr uint8_t kSignature2[3] = {0x1A, 0x0A, 0x00};
constexpr size_t kHeaderSize = 0x37; // up to the data section
constexpr uint8_t kTokNewline = 0x3F, kTokEnd = 0xD4;

void putWord(std::vector<uint8_t>& v, size_t value) {
    v.push_back(static_cast<uint8_t>(value & 0xFF));
    v.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}
uint16_t word(const std::vector<uint8_t>& v, size_t at) {
    return static_cast<uint16_t>(v[at] | (v[at + 1] << 8));
}
int hexValue(uint8_t c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

void validateProgramName(std::string_view name) {
    if (name.empty() || name.size() > 8)
        throw ProgramFileError("program name \"" + std::string(name) +
                               "\" must have 1 to 8 characters");
    if (!(name[0] >= 'A' && name[0] <= 'Z'))
        throw ProgramFileError("program name \"" + std::string(name) +
                               "\" must start with an upper-case letter A-Z");
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            throw ProgramFileError("program name \"" + std::string(name) +
                                   "\" may hold only upper-case letters A-Z and digits 0-9");
}

std::string programNameFromFileName(std::string_view fileName) {
    std::string stem = std::filesystem::path(std::string(fileName)).stem().string();
    std::string name;
    for (char c : stem) {
        if (std::isalnum(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 128)
            name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (name.size() == 8)
            break;
    }
    // It must start with a letter: drop leading digits.
    size_t first = name.find_first_not_of("0123456789");
    name = first == std::string::npos ? std::string() : name.substr(first);
    if (name.empty())
        throw ProgramFileError("cannot make a program name from \"" + std::string(fileName) +
                               "\"; give one with --name");
    validateProgramName(name);
    return name;
}

std::vector<uint8_t> hexTextProgram(const std::vector<uint8_t>& code) {
    static const char digits[] = "0123456789ABCDEF";
    std::vector<uint8_t> out;
    out.reserve(code.size() * 2 + 9);
    for (uint8_t b : code) {
        out.push_back(static_cast<uint8_t>(digits[b >> 4]));
        out.push_back(static_cast<uint8_t>(digits[b & 15]));
    }
    for (uint8_t b : {kTokNewline, kTokEnd, kTokNewline, uint8_t('0'), uint8_t('0'), uint8_t('0'),
                      uint8_t('0'), kTokNewline, kTokEnd})
        out.push_back(b);
    return out;
}

std::vector<uint8_t> makeProgramFile(const std::vector<uint8_t>& code, std::string_view name,
                                     ProgramForm form, std::string_view comment) {
    validateProgramName(name);
    std::vector<uint8_t> program = form == ProgramForm::HexText ? hexTextProgram(code) : code;
    // variable data = length word + program; must fit the 16-bit lengths.
    size_t varLength = program.size() + 2;
    size_t dataLength = 2 + 2 + 1 + 8 + 2 + varLength;
    if (dataLength > 0xFFFF)
        throw ProgramFileError("program too large for a .83p file (" + std::to_string(code.size()) +
                               " bytes of code)");
    std::vector<uint8_t> f;
    f.reserve(kHeaderSize + dataLength + 2);
    for (char ch : kSignature)
        f.push_back(static_cast<uint8_t>(ch));
    for (uint8_t b : kSignature2)
        f.push_back(b);
    std::string c(comment.substr(0, 42));
    for (size_t i = 0; i < 42; ++i)
        f.push_back(i < c.size() ? static_cast<uint8_t>(c[i]) : 0);
    putWord(f, dataLength);
    size_t dataStart = f.size();
    putWord(f, 0x000B);
    putWord(f, varLength);
    f.push_back(kTypeProtectedProgram);
    for (size_t i = 0; i < 8; ++i)
        f.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0);
    putWord(f, varLength);
    putWord(f, program.size());
    f.insert(f.end(), program.begin(), program.end());
    unsigned sum = 0;
    for (size_t i = dataStart; i < f.size(); ++i)
        sum += f[i];
    putWord(f, sum & 0xFFFF);
    return f;
}

std::vector<uint8_t> ProgramVariable::machineCode() const {
    // Hex text: pairs of upper-case hex digits up to the first newline token,
    // followed by End, newline, "0000", newline, End.
    auto nl = std::find(data.begin(), data.end(), kTokNewline);
    size_t digits = static_cast<size_t>(nl - data.begin());
    bool hexForm = nl != data.end() && digits % 2 == 0 &&
                   std::all_of(data.begin(), nl, [](uint8_t c) { return hexValue(c) >= 0; });
    if (hexForm) {
        std::vector<uint8_t> tail(nl, data.end());
        const std::vector<uint8_t> expected{kTokNewline, kTokEnd, kTokNewline, '0',    '0',
                                            '0',         '0',     kTokNewline, kTokEnd};
        hexForm = tail == expected;
    }
    if (!hexForm)
        return data;
    std::vector<uint8_t> code;
    code.reserve(digits / 2);
    for (size_t i = 0; i < digits; i += 2)
        code.push_back(static_cast<uint8_t>(hexValue(data[i]) * 16 + hexValue(data[i + 1])));
    return code;
}

ProgramVariable readProgramFile(const std::vector<uint8_t>& f) {
    if (f.size() < kHeaderSize + 2 || !std::equal(kSignature, kSignature + 8, f.begin()))
        throw ProgramFileError("not a TI-83 file (no **TI83** signature)");
    size_t dataLength = word(f, 0x35);
    if (f.size() != kHeaderSize + dataLength + 2)
        throw ProgramFileError("file size does not match its data length");
    unsigned sum = 0;
    for (size_t i = kHeaderSize; i < kHeaderSize + dataLength; ++i)
        sum += f[i];
    if ((sum & 0xFFFF) != word(f, kHeaderSize + dataLength))
        throw ProgramFileError("checksum mismatch");
    if (dataLength < 15)
        throw ProgramFileError("no variable in the file");
    size_t p = kHeaderSize;
    size_t headerLen = word(f, p);
    if (headerLen != 0x0B)
        throw ProgramFileError("unexpected variable header length");
    size_t varLength = word(f, p + 2);
    ProgramVariable v;
    v.type = f[p + 4];
    for (size_t i = 0; i < 8 && f[p + 5 + i]; ++i)
        v.name += static_cast<char>(f[p + 5 + i]);
    if (word(f, p + 13) != varLength || p + 15 + varLength > kHeaderSize + dataLength)
        throw ProgramFileError("inconsistent variable length");
    size_t dataAt = p + 15;
    if (v.type == kTypeProgram || v.type == kTypeProtectedProgram) {
        if (varLength < 2 || word(f, dataAt) + 2u != varLength)
            throw ProgramFileError("inconsistent program length");
        v.data.assign(f.begin() + dataAt + 2, f.begin() + dataAt + varLength);
    } else {
        v.data.assign(f.begin() + dataAt, f.begin() + dataAt + varLength);
    }
    return v;
}

} // namespace torvex::z80
