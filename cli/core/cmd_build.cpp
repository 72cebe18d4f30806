// torvex build LIST -o PROGRAM.83p|PROGRAM.8xp [--model ti83|ti83p] [--name NAME] [--source]
#include "cli/args.h"
#include "cli/cli.h"
#include "cli/output.h"
#include "cli/program_input.h"
#include "cli/scene_program.h"
#include "files/file_io.h"

#include "codegen/engine_template.h"
#include "z80/ti83file.h"

#include <ostream>

namespace torvex::cli {

namespace {

const CommandDefinition& buildDefinition() {
    static const CommandDefinition definition{
        "build",
        "LIST -o PROGRAM.83p|PROGRAM.8xp [--model ti83|ti83p] [--name NAME] [--source]",
        "Turns a line list file saved by the designer into a calculator program in one\n"
        "step: the engine followed by the scene, assembled and stored as a program file.\n"
        "  .83p  the original TI-83; run it with Send(9prgmNAME\n"
        "  .8xp  the TI-83 Plus family (TI-83 Plus, 83 Plus SE, 84 Plus, 84 Plus SE);\n"
        "        run it with Asm(prgmNAME)\n"
        "The output's extension chooses the calculator unless --model names it. On an\n"
        "error nothing is written.\n",
        {"line list file"},
        {
            {"output", "o", "FILE",
             "the program file to write (- for standard output: a program then needs --model "
             "and --name)",
             "no output file given (-o PROGRAM.83p or PROGRAM.8xp)"},
            programNameOption(),
            modelOptionDefinition(),
            {"source", "", "",
             "write the assembly source instead of the program file (for the TI-83 the wizard's "
             "preview source, each segment spelt as the designer writes it; for the Plus family "
             "the same engine for its memory map and ROM "
             "calls, to assemble with its include file ti83plus.inc)"},
        }};
    return definition;
}

// The calculator to build for: --model, else the output's extension. A
// program file's extension must fit the model; a program file whose name
// says no calculator needs --model (a source is for the TI-83 by default).
z80::Model buildModel(const ParsedArgs& p, const std::filesystem::path& output) {
    const std::optional<z80::Model> given = modelOption(p);
    const std::optional<z80::Model> byExtension = z80::modelFromExtension(lowerExtension(output));
    if (given && byExtension && *given != *byExtension && !p.has("source"))
        throw UsageError("a " + lowerExtension(output) + " file is for the " +
                         std::string(z80::calculatorModel(*byExtension).name) + "; the " +
                         std::string(z80::calculatorModel(*given).name) + "'s program file is " +
                         std::string(z80::calculatorModel(*given).extension));
    if (byExtension && p.has("source"))
        throw UsageError("--source writes an assembly source, not a program file: name it .z80, "
                         "not " +
                         output.string() + " (--model says which calculator)");
    refuseNameOfAnotherKind(output, p.has("source") ? "an assembly source" : "a program file");
    if (!given && !byExtension && !p.has("source"))
        throw UsageError(output.string() +
                         " names no calculator: use .83p or .8xp, or say which with --model");
    return given.value_or(byExtension.value_or(z80::Model::Ti83));
}

} // namespace

int buildCommand(const std::vector<std::string>& args, Io& io) {
    const CommandDefinition& command = buildDefinition();
    const ParsedArgs p = parseArgs(command, args, io);
    if (p.finished())
        return p.exitCode();
    if (p.has("source") && p.has("name"))
        return usageError(command, "--name has no meaning with --source", io);
    const std::filesystem::path list = p.positional[0];
    const std::filesystem::path output = *p.value("output");
    const bool source = p.has("source");
    z80::Model model;
    std::string name;
    try {
        refuseOutputOverInput(list, output);
    } catch (const OutputError& e) {
        reportFailure(io.err, "build", e);
        return kExitFailure;
    }
    try {
        model = buildModel(p, output);
        if (!source)
            name = programName(p, output);
    } catch (const z80::ProgramFileError& e) {
        return usageError(command, e.what(), io);
    } catch (const UsageError& e) {
        return usageError(command, e.what(), io);
    }
    const z80::CalculatorModel& calculator = z80::calculatorModel(model);
    try {
        // The source is assembled even when it is what gets written: a list
        // that does not assemble gives no file.
        std::string text;
        const z80::Assembly assembly = assembleList(list, model, &text);
        for (const std::filesystem::path& included : assembly.includedFiles)
            refuseOutputOverInput(included, output);
        printWarnings(io.err, assembly.warnings);
        if (source) {
            writeOutput(output, std::vector<uint8_t>(text.begin(), text.end()), io.out);
            p.talk(io) << "wrote " << outputName(output) << ": the " << calculator.name
                       << " preview source (" << assembly.bytes.size() << " bytes of code)\n";
            return kExitOk;
        }
        const std::vector<uint8_t> bytes = z80::makeProgramFile(model, assembly.bytes, name);
        writeOutput(output, bytes, io.out);
        p.talk(io) << programWritten(output, name, model, assembly.bytes.size(), bytes.size());
        return kExitOk;
    } catch (const std::runtime_error& e) {
        reportFailure(io.err, "build", e);
    }
    return kExitFailure;
}

} // namespace torvex::cli
