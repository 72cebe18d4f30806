// Torvex Designer - Z80 toolchain: program variable files of the TI-83 (.83p)
// and of the TI-83 Plus family (.8xp).
#pragma once

#include "z80/calculator_model.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace torvex::z80 {

inline constexpr uint8_t kTypeProgram = 0x05;
inline constexpr uint8_t kTypeProtectedProgram = 0x06;
// The first two bytes of a TI-83 Plus assembly program (t2ByteTok, tAsmCmp).
inline constexpr uint8_t kAsmToken[2] = {0xBB, 0x6D};

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
// A complete .8xp file holding one assembly program of the TI-83 Plus family:
// `program` is the binary loaded at 9D93h, starting with BBh 6Dh (throws
// ProgramFileError otherwise). Runs with Asm(prgmNAME).
std::vector<uint8_t> makePlusProgramFile(const std::vector<uint8_t>& program, std::string_view name,
                                         std::string_view comment = "Torvex Designer");
// The preview program file of a model: the TI-83's hex-text .83p or the Plus
// family's .8xp.
std::vector<uint8_t> makeProgramFile(Model model, const std::vector<uint8_t>& code,
                                     std::string_view name);

struct ProgramVariable {
    Model model = Model::Ti83; // by the file's signature
    std::string name;
    uint8_t type = 0;
    std::vector<uint8_t> data; // the variable data without its length word
    // The bytes to load at the model's origin: the TI-83's hex-text form
    // decoded, else the data.
    std::vector<uint8_t> machineCode() const;
};

// Reads a .83p or .8xp file (signature, lengths and checksum checked); throws
// ProgramFileError.
ProgramVariable readProgramFile(const std::vector<uint8_t>& file);

} // namespace torvex::z80
