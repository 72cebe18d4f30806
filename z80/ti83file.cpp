// Torvex Designer - Z80 toolchain: program variable files of the TI-83 (.83p)
// and of the TI-83 Plus family (.8xp).
#include "z80/ti83file.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

namespace torvex::z80 {

namespace {

// The two file layouts differ in the signature and in the variable entry's
// header: the Plus family's is two bytes longer (version and flag after the
// name).
struct Layout {
    char signature[8];
    uint16_t entryHeader; // bytes of the entry before its data length word
};
constexpr Layout kTi83Layout{{'*', '*', 'T', 'I', '8', '3', '*', '*'}, 0x0B};
constexpr Layout kPlusLayout{{'*', '*', 'T', 'I', '8', '3', 'F', '*'}, 0x0D};
const Layout& layoutOf(Model model) {
    return model == Model::Ti83Plus ? kPlusLayout : kTi83Layout;
}
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

namespace {

// A complete file holding one program variable whose data is `program`.
std::vector<uint8_t> programFile(Model model, const std::vector<uint8_t>& program,
                                 std::string_view name, std::string_view comment) {
    validateProgramName(name);
    const Layout& layout = layoutOf(model);
    // variable data = length word + program; must fit the 16-bit lengths.
    const size_t varLength = program.size() + 2;
    const size_t dataLength = 2 + layout.entryHeader + 2 + varLength;
    if (dataLength > 0xFFFF)
        throw ProgramFileError("program too large for a " +
                               std::string(calculatorModel(model).extension) + " file (" +
                               std::to_string(program.size()) + " bytes)");
    std::vector<uint8_t> f;
    f.reserve(kHeaderSize + dataLength + 2);
    f.insert(f.end(), layout.signature, layout.signature + 8);
    f.insert(f.end(), kSignature2, kSignature2 + 3);
    std::string c(comment.substr(0, 42));
    for (size_t i = 0; i < 42; ++i)
        f.push_back(i < c.size() ? static_cast<uint8_t>(c[i]) : 0);
    putWord(f, dataLength);
    const size_t dataStart = f.size();
    putWord(f, layout.entryHeader);
    putWord(f, varLength);
    f.push_back(kTypeProtectedProgram);
    for (size_t i = 0; i < 8; ++i)
        f.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0);
    if (layout.entryHeader == kPlusLayout.entryHeader) {
        f.push_back(0x00); // version
        f.push_back(0x00); // flag: in RAM, not archived
    }
    putWord(f, varLength);
    putWord(f, program.size());
    f.insert(f.end(), program.begin(), program.end());
    unsigned sum = 0;
    for (size_t i = dataStart; i < f.size(); ++i)
        sum += f[i];
    putWord(f, sum & 0xFFFF);
    return f;
}

} // namespace

std::vector<uint8_t> makeProgramFile(const std::vector<uint8_t>& code, std::string_view name,
                                     ProgramForm form, std::string_view comment) {
    return programFile(Model::Ti83, form == ProgramForm::HexText ? hexTextProgram(code) : code,
                       name, comment);
}

std::vector<uint8_t> makePlusProgramFile(const std::vector<uint8_t>& program, std::string_view name,
                                         std::string_view comment) {
    if (program.size() < 2 || program[0] != kAsmToken[0] || program[1] != kAsmToken[1])
        throw ProgramFileError("a TI-83 Plus assembly program must start with the bytes BBh 6Dh "
                               "(.org 9D93h, then .db 0BBh,6Dh)");
    return programFile(Model::Ti83Plus, program, name, comment);
}

std::vector<uint8_t> makeProgramFile(Model model, const std::vector<uint8_t>& code,
                                     std::string_view name) {
    return model == Model::Ti83Plus ? makePlusProgramFile(code, name) : makeProgramFile(code, name);
}

std::vector<uint8_t> ProgramVariable::machineCode() const {
    if (model == Model::Ti83Plus)
        return data; // binary, the tokens BBh 6Dh first
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
    ProgramVariable v;
    if (f.size() >= 8 && std::equal(kPlusLayout.signature, kPlusLayout.signature + 8, f.begin()))
        v.model = Model::Ti83Plus;
    else if (f.size() < 8 ||
             !std::equal(kTi83Layout.signature, kTi83Layout.signature + 8, f.begin()))
        throw ProgramFileError("not a TI-83 or TI-83 Plus program file (no **TI83** or **TI83F* signature)");
    const Layout& layout = layoutOf(v.model);
    if (f.size() < kHeaderSize + 2)
        throw ProgramFileError("the file ends inside its header");
    const size_t dataLength = word(f, 0x35);
    if (f.size() != kHeaderSize + dataLength + 2)
        throw ProgramFileError("file size does not match its data length");
    unsigned sum = 0;
    for (size_t i = kHeaderSize; i < kHeaderSize + dataLength; ++i)
        sum += f[i];
    if ((sum & 0xFFFF) != word(f, kHeaderSize + dataLength))
        throw ProgramFileError("checksum mismatch");
    const size_t p = kHeaderSize;
    const size_t lengthAt = p + 2 + layout.entryHeader; // the second length word
    if (dataLength < lengthAt + 2 - p)
        throw ProgramFileError("no variable in the file");
    if (word(f, p) != layout.entryHeader)
        throw ProgramFileError("unexpected variable header length");
    const size_t varLength = word(f, p + 2);
    v.type = f[p + 4];
    for (size_t i = 0; i < 8 && f[p + 5 + i]; ++i)
        v.name += static_cast<char>(f[p + 5 + i]);
    if (word(f, lengthAt) != varLength || lengthAt + 2 + varLength > kHeaderSize + dataLength)
        throw ProgramFileError("inconsistent variable length");
    const size_t dataAt = lengthAt + 2;
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
