// Torvex Designer - Z80 toolchain: TI-83 program variable files (.83p).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace torvex::z80 {

inline constexpr uint8_t kTypeProgram = 0x05;
inline constexpr uint8_t kTypeProtectedProgram = 0x06;

enum class ProgramForm {
    HexText,  // runs with Send(9prgmNAME on the original TI-83 (type 06h)
    Squished, // the binary itself; needs a loader on the calculator (type 06h)
};

class ProgramFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws ProgramFileError unless name is 1-8 upper-case letters and digits
// starting with a letter.
void validateProgramName(std::string_view name);
// A program name from a file name: its stem in upper case, characters other
// than letters and digits dropped, cut to 8; throws if nothing valid remains.
std::string programNameFromFileName(std::string_view fileName);

// The variable data of the hex-text form: hex digits, 3Fh D4h 3Fh "0000" 3Fh D4h.
std::vector<uint8_t> hexTextProgram(const std::vector<uint8_t>& code);

// A complete .83p file holding one program variable.
std::vector<uint8_t> makeProgramFile(const std::vector<uint8_t>& code, std::string_view name,
                                     ProgramForm form = ProgramForm::HexText,
                                     std::string_view comment = "Torvex Designer");

struct ProgramVariable {
    std::string name;
    uint8_t type = 0;
    std::vector<uint8_t> data;                // the variable data without its length word
    std::vector<uint8_t> machineCode() const; // decodes the hex-text form, else data
};

// Reads a .83p file (signature, lengths and checksum checked); throws ProgramFileError.
ProgramVariable readProgramFile(const std::vector<uint8_t>& file);

} // namespace torvex::z80
