// Torvex Designer - dispatch of the command-line companion's subcommands.
#include "cli/cli.h"

#include <ostream>

namespace torvex::cli {

const std::vector<CommandInfo>& commands() {
    static const std::vector<CommandInfo> list{
        {"assemble", "assemble a TASM-dialect source into a TI-83 program file (.83p)",
         assembleCommand},
        {"run", "run a source or .83p program in the emulated TI-83 and write its frames",
         runCommand},
        {"build", "turn a line list file into a TI-83 program file (.83p) in one step",
         buildCommand},
        {"view", "walk through a scene in the emulated TI-83, rebuilt whenever its file changes",
         viewCommand},
    };
    return list;
}

namespace {
void usage(std::ostream& os) {
    os << "Usage: torvex COMMAND [OPTIONS]\n"
          "The command-line companion of Torvex Designer: the Z80 toolchain for the TI-83.\n\n"
          "Commands:\n";
    for (const auto& c : commands())
        os << "  " << c.name << std::string(c.name.size() < 10 ? 10 - c.name.size() : 1, ' ')
           << c.summary << "\n";
    os << "\nRun 'torvex COMMAND --help' for the options of a command.\n";
}
} // namespace

int runCli(const std::vector<std::string>& args, Io& io) {
    if (args.empty()) {
        usage(io.err);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        usage(io.out);
        return kExitOk;
    }
    for (const auto& c : commands())
        if (c.name == args[0])
            return c.run(std::vector<std::string>(args.begin() + 1, args.end()), io);
    io.err << "torvex: unknown command '" << args[0] << "'\n\n";
    usage(io.err);
    return kExitUsage;
}

} // namespace torvex::cli
