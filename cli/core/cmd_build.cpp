// torvex build LIST -o PROGRAM.83p [--name NAME]
#include "cli/args.h"
#include "cli/cli.h"
#include "cli/output.h"
#include "cli/program_input.h"
#include "cli/scene_program.h"

#include "codegen/engine_template.h"
#include "z80/ti83file.h"

#include <ostream>

namespace torvex::cli {

namespace {

const std::vector<OptionDefinition>& buildOptions() {
    static const std::vector<OptionDefinition> definitions{
        {"--output", "-o", true, "FILE", "the program file to write"},
        programNameOption(),
        {"--help", "-h", false, "", "show this help"},
    };
    return definitions;
}

void buildHelp(std::ostream& os) {
    os << "Usage: torvex build LIST -o PROGRAM.83p [--name NAME]\n"
          "Turns a line list file saved by the designer into a TI-83 program file in one step:\n"
          "the preview source the wizard would write (engine and scene), assembled, stored as a\n"
          "program that runs with Send(9prgmNAME. On an error nothing is written.\n\nOptions:\n"
       << describeOptions(buildOptions());
}

} // namespace

int buildCommand(const std::vector<std::string>& args, Io& io) {
    ParsedArgs p;
    try {
        p = parseArgs(args, buildOptions());
        if (p.has("--help")) {
            buildHelp(io.out);
            return kExitOk;
        }
        if (p.positional.size() != 1)
            throw UsageError(p.positional.empty() ? "no line list file given"
                                                  : "give exactly one line list file");
        if (!p.has("--output"))
            throw UsageError("no output file given (-o PROGRAM.83p)");
    } catch (const UsageError& e) {
        io.err << "torvex build: " << e.what() << "\n"
               << "Run 'torvex build --help' for the options.\n";
        return kExitUsage;
    }
    const std::filesystem::path list = p.positional[0];
    const std::filesystem::path output = *p.value("--output");
    std::string name;
    try {
        name = programName(p, output);
    } catch (const z80::ProgramFileError& e) {
        io.err << "torvex build: " << e.what() << "\n";
        return kExitUsage;
    }
    try {
        refuseOutputOverInput(list, output);
        const z80::Assembly assembly = assembleList(list);
        printWarnings(io.err, assembly.warnings);
        if (const std::string warning = segmentLimitWarning(segmentsOf(assembly).value_or(0));
            !warning.empty())
            io.err << "torvex build: " << warning << "\n";
        const std::vector<uint8_t> bytes = z80::makeProgramFile(assembly.bytes, name);
        writeFileAtomically(output, bytes);
        io.out << "wrote " << output.string() << ": prgm" << name << ", " << assembly.bytes.size()
               << " bytes of code (file " << bytes.size() << " bytes)\n";
        return kExitOk;
    } catch (const InputError& e) {
        io.err << "torvex build: " << e.what() << "\n";
    } catch (const z80::ProgramFileError& e) {
        io.err << "torvex build: " << e.what() << "\n";
    } catch (const OutputError& e) {
        io.err << "torvex build: " << e.what() << "\n";
    }
    return kExitFailure;
}

} // namespace torvex::cli
