#include "cli/program_input.h"

#include "z80/ti83.h"
#include "z80/ti83file.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace torvex::cli {

std::string lowerExtension(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

bool isProgramFile(const std::filesystem::path& file) {
    return lowerExtension(file) == ".83p";
}

ProgramInput loadProgramInput(const std::filesystem::path& file) {
    ProgramInput in;
    if (isProgramFile(file)) {
        std::ifstream f(file, std::ios::binary);
        if (!f)
            throw InputError(file.string() + ": cannot open the file");
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), {});
        try {
            z80::ProgramVariable v = z80::readProgramFile(bytes);
            if (v.type != z80::kTypeProgram && v.type != z80::kTypeProtectedProgram)
                throw InputError(file.string() + ": the variable is not a program");
            in.code = v.machineCode();
            in.name = v.name;
            in.origin = z80::kProgramStart;
        } catch (const z80::ProgramFileError& e) {
            throw InputError(file.string() + ": " + e.what());
        }
        return in;
    }
    try {
        z80::Assembly a = z80::assembleFile(file);
        in.code = a.bytes;
        in.origin = a.origin;
        in.assembly = std::move(a);
    } catch (const z80::AssemblyError& e) {
        throw InputError(e.what());
    }
    return in;
}

} // namespace torvex::cli
