// torvex view FILE
#include "cli/args.h"
#include "cli/calculator_view.h"
#include "cli/cli.h"
#include "cli/output.h"
#include "cli/program_input.h"

#include <QApplication>
#include <ostream>

namespace torvex::cli {

namespace {

const std::vector<OptionDefinition>& viewOptions() {
    static const std::vector<OptionDefinition> definitions{
        recordOptionDefinition(),
        scaleOptionDefinition(),
        modelOptionDefinition(),
        {"--help", "-h", false, "", "show this help"},
    };
    return definitions;
}

void viewHelp(std::ostream& os) {
    os << "Usage: torvex view FILE [--model ti83|ti83p] [--record WALK.gif [--scale N]]\n"
          "Walks through a scene as the calculator shows it: FILE (a line list saved by the\n"
          "designer, a preview source .z80 or a program file .83p or .8xp) is built into the\n"
          "engine program and run in the emulated calculator: a program file on its own\n"
          "family, a list on the TI-83 unless --model ti83p says the Plus family, a source on\n"
          "the --model's or the one its .org is for; the title names it. Whenever FILE\n"
          "changes on disk the view rebuilds it and carries on with the camera where it "
          "was.\n"
          "With --record the walk is written as an animated GIF when the view closes: every\n"
          "frame the view shows, each for as long as the calculator takes to draw it.\n\nKeys:\n";
    for (const CalculatorKey& key : calculatorKeys())
        os << "  " << key.hostKeyName.toStdString()
           << std::string(8 - std::min<size_t>(7, key.hostKeyName.size()), ' ') << key.name
           << std::string(7 - std::min<size_t>(6, std::string(key.name).size()), ' ')
           << key.action.toStdString() << "\n";
    os << "  Enter   start the program again after MODE\n\nOptions:\n"
       << describeOptions(viewOptions());
}

} // namespace

int viewCommand(const std::vector<std::string>& args, Io& io) {
    ParsedArgs p;
    std::optional<z80::Model> model;
    RecordOptions record;
    try {
        p = parseArgs(args, viewOptions());
        if (p.has("--help")) {
            viewHelp(io.out);
            return kExitOk;
        }
        if (p.positional.size() != 1)
            throw UsageError(p.positional.empty() ? "no file given" : "give exactly one file");
        model = modelOption(p);
        record = recordOptions(p);
        if (record.gif)
            refuseOutputOverInput(p.positional[0], *record.gif);
    } catch (const OutputError& e) {
        io.err << "torvex view: " << e.what() << "\n";
        return kExitFailure;
    } catch (const UsageError& e) {
        io.err << "torvex view: " << e.what() << "\nRun 'torvex view --help' for the keys.\n";
        return kExitUsage;
    }
    int argc = 1;
    char name[] = "torvex";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    CalculatorView view(std::filesystem::path(p.positional[0]), model);
    if (record.gif)
        view.startRecording(record);
    view.show();
    const int code = application.exec();
    try {
        if (const std::string recorded = view.finishRecording(); !recorded.empty())
            io.out << recorded << "\n";
    } catch (const OutputError& e) {
        io.err << "torvex view: " << e.what() << "\n";
        return kExitFailure;
    }
    return code;
}

} // namespace torvex::cli
