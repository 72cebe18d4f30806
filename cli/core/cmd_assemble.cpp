// torvex assemble SOURCE.z80 [-o PROGRAM.83p|PROGRAM.8xp] [--name NAME] [--bin] [-i]
#include "cli/args.h"
#include "cli/cli.h"
#include "cli/output.h"
#include "cli/program_input.h"
#include "files/file_io.h"

#include "z80/ti83.h"
#include "z80/ti83file.h"

#include <cstdio>
#include <ostream>

namespace torvex::cli {

namespace {

const CommandDefinition& assembleDefinition() {
    static const CommandDefinition definition{
        "assemble",
        "SOURCE.z80 [-o PROGRAM.83p|PROGRAM.8xp] [--name NAME] [--bin] [-i]",
        "Assembles a TASM-dialect source (as Torvex Designer writes them) and writes a\n"
        "program file: for the original TI-83 (.83p, the source starts with .org 9327h;\n"
        "the machine code as hex text in a protected program that runs with\n"
        "Send(9prgmNAME), or for the TI-83 Plus family (.8xp, the source starts with\n"
        ".org 9D93h and .db 0BBh,6Dh; runs with Asm(prgmNAME)). #include \"ti83asm.inc\",\n"
        "\"tokens.inc\" and \"ti83plus.inc\" use a file beside the source or the built-in\n"
        "definitions. Warnings go to the error stream and do not stop the assembly; on\n"
        "an error nothing is written.\n",
        {"source file"},
        {
            {"output", "o", "FILE",
             "the file to write: .83p for the TI-83, .8xp for the TI-83 Plus family (default: the "
             "source's name with the extension of the family its .org is for, or .bin with "
             "--bin; - for standard output)"},
            programNameOption(),
            {"bin", "", "", "write the raw machine code instead of a .83p file"},
            {"ignore-case", "i", "",
             "compare labels without regard to case (as TASM's -i; #define names keep theirs)"},
        }};
    return definition;
}

} // namespace

int assembleCommand(const std::vector<std::string>& args, Io& io) {
    const CommandDefinition& command = assembleDefinition();
    const ParsedArgs p = parseArgs(command, args, io);
    if (p.finished())
        return p.exitCode();
    if (p.has("bin") && p.has("name"))
        return usageError(command, "--name has no meaning with --bin", io);
    const bool bin = p.has("bin");
    std::filesystem::path source = p.positional[0];
    if (isProgramFile(source)) {
        io.err << "torvex assemble: " << shownName(source) << " is a program file, not a source\n";
        return kExitUsage;
    }
    if (const auto o = p.value("output")) {
        try {
            refuseOutputOverInput(source, *o);
        } catch (const OutputError& e) {
            reportFailure(io.err, "assemble", e);
            return kExitFailure;
        }
    }
    if (const auto o = p.value("output"); o && bin && z80::modelFromExtension(lowerExtension(*o)))
        return usageError(command,
                          "--bin writes the raw machine code, not a program file: name it .bin, "
                          "not " +
                              *o,
                          io);
    if (const auto o = p.value("output");
        o && !bin && !isStandardOutput(*o) && !z80::modelFromExtension(lowerExtension(*o)))
        return usageError(command,
                          *o + " names no calculator: use .83p or .8xp, or --bin for the raw "
                               "machine code",
                          io);
    ProgramInput in;
    try {
        // The program file's family: the output's extension, else the source's origin.
        std::optional<z80::Model> model;
        if (auto o = p.value("output"))
            model = z80::modelFromExtension(lowerExtension(*o));
        z80::AssemblyOptions options;
        options.ignoreCase = p.has("ignore-case");
        options.warnAfterEnd = true;
        in = loadProgramInput(source, bin ? std::nullopt : model, options);
    } catch (const InputError& e) {
        reportFailure(io.err, "assemble", e);
        return kExitFailure;
    }
    std::filesystem::path output = p.value("output").value_or(
        std::filesystem::path(source)
            .replace_extension(bin ? std::string_view(".bin")
                                   : z80::calculatorModel(in.model).extension)
            .string());
    std::string name;
    if (!bin) {
        try {
            name = programName(p, output);
        } catch (const z80::ProgramFileError& e) {
            io.err << "torvex assemble: " << e.what() << "\n";
            return kExitUsage;
        }
    }
    try {
        refuseOutputOverInputs(filesRead(source, in), output);
        printWarnings(io.err, in.warnings());
        std::vector<uint8_t> bytes;
        if (bin) {
            bytes = in.code;
        } else {
            if (in.code.empty())
                throw InputError(shownName(source) + ": the source produces no code");
            checkRunnable(in, source);
            bytes = z80::makeProgramFile(in.model, in.code, name);
        }
        writeOutput(output, bytes, io.out);
        if (bin)
            p.talk(io) << "wrote " << outputName(output) << ": " << bytes.size()
                       << (bytes.size() == 1 ? " byte" : " bytes") << " from "
                       << hexAddress(in.origin) << "\n";
        else
            p.talk(io) << programWritten(output, name, in.model, in.code.size(), bytes.size());
        return kExitOk;
    } catch (const std::runtime_error& e) {
        reportFailure(io.err, "assemble", e);
    }
    return kExitFailure;
}

} // namespace torvex::cli
