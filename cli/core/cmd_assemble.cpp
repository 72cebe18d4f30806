// torvex assemble SOURCE.z80 [-o PROGRAM.83p] [--name NAME] [--bin] [-i]
#include "cli/args.h"
#include "cli/cli.h"
#include "cli/output.h"
#include "cli/program_input.h"

#include "z80/ti83.h"
#include "z80/ti83file.h"

#include <cstdio>
#include <ostream>

namespace torvex::cli {

namespace {

const std::vector<OptionDefinition>& assembleOptions() {
    static const std::vector<OptionDefinition> definitions{
        {"--output", "-o", true, "FILE",
         "the file to write (default: the source's name with .83p, or .bin with --bin)"},
        programNameOption(),
        {"--bin", "", false, "", "write the raw machine code instead of a .83p file"},
        {"--ignore-case", "-i", false, "",
         "compare labels and #define names without regard to case (as TASM's -i)"},
        {"--help", "-h", false, "", "show this help"},
    };
    return definitions;
}

void assembleHelp(std::ostream& os) {
    os << "Usage: torvex assemble SOURCE.z80 [-o PROGRAM.83p] [--name NAME] [--bin] [-i]\n"
          "Assembles a TASM-dialect source (as Torvex Designer writes them) and writes a TI-83\n"
          "program file that runs with Send(9prgmNAME on the original TI-83: the machine code\n"
          "as hex text in a protected program. The source must start with .org 9327h.\n"
          "#include \"ti83asm.inc\" and \"tokens.inc\" use a file beside the source or the\n"
          "built-in definitions. Warnings go to the error stream and do not stop the\n"
          "assembly; on an error nothing is written.\n\nOptions:\n"
       << describeOptions(assembleOptions());
}

} // namespace

int assembleCommand(const std::vector<std::string>& args, Io& io) {
    ParsedArgs p;
    try {
        p = parseArgs(args, assembleOptions());
        if (p.has("--help")) {
            assembleHelp(io.out);
            return kExitOk;
        }
        if (p.positional.size() != 1)
            throw UsageError(p.positional.empty() ? "no source file given"
                                                  : "give exactly one source file");
        if (p.has("--bin") && p.has("--name"))
            throw UsageError("--name has no meaning with --bin");
    } catch (const UsageError& e) {
        io.err << "torvex assemble: " << e.what() << "\n"
               << "Run 'torvex assemble --help' for the options.\n";
        return kExitUsage;
    }
    const bool bin = p.has("--bin");
    std::filesystem::path source = p.positional[0];
    std::filesystem::path output =
        p.value("--output")
            .value_or(
                std::filesystem::path(source).replace_extension(bin ? ".bin" : ".83p").string());
    std::string name;
    if (!bin) {
        try {
            name = programName(p, output);
        } catch (const z80::ProgramFileError& e) {
            io.err << "torvex assemble: " << e.what() << "\n";
            return kExitUsage;
        }
    }
    if (isProgramFile(source)) {
        io.err << "torvex assemble: " << source.string() << " is a program file, not a source\n";
        return kExitUsage;
    }
    try {
        refuseOutputOverInput(source, output);
        z80::AssemblyOptions options;
        options.ignoreCase = p.has("--ignore-case");
        ProgramInput in = loadProgramInput(source, options);
        printWarnings(io.err, in.warnings());
        std::vector<uint8_t> bytes;
        if (bin) {
            bytes = in.code;
        } else {
            if (in.code.empty())
                throw InputError(source.string() + ": the source produces no code");
            requireProgramStart(source, in);
            bytes = z80::makeProgramFile(in.code, name);
        }
        writeFileAtomically(output, bytes);
        if (bin)
            io.out << "wrote " << output.string() << ": " << bytes.size() << " bytes from "
                   << hexAddress(in.origin) << "\n";
        else
            io.out << "wrote " << output.string() << ": prgm" << name << ", " << in.code.size()
                   << " bytes of code (file " << bytes.size() << " bytes)\n";
        return kExitOk;
    } catch (const InputError& e) {
        io.err << e.what() << "\n";
    } catch (const z80::ProgramFileError& e) {
        io.err << "torvex assemble: " << e.what() << "\n";
    } catch (const OutputError& e) {
        io.err << "torvex assemble: " << e.what() << "\n";
    }
    return kExitFailure;
}

} // namespace torvex::cli
