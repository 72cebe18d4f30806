// Torvex Designer - dispatch of the command-line companion's subcommands.
#include "cli/cli.h"

#include "base/version.h"
#include "files/printable.h"

#include <new>
#include <ostream>

namespace torvex::cli {

const std::vector<CommandInfo>& commands() {
    static const std::vector<CommandInfo> list{
        {"assemble", "assemble a TASM-dialect source into a program file (.83p or .8xp)",
         assembleCommand},
        {"run", "run a source, .83p or .8xp program in the emulated calculator", runCommand},
        {"build", "turn a line list file into a program file (.83p or .8xp)", buildCommand},
        {"view", "walk through a scene in the emulated calculator as its file changes",
         viewCommand},
        {"import", "turn a 3D model (OBJ, STL, PLY, glTF, ...) into a line list file",
         importCommand},
        {"render", "draw a line list file as the preview window shows it, as a PNG", renderCommand},
        {"headers", "write our own include files for the preview sources into a folder",
         headersCommand},
    };
    return list;
}

namespace {
void usage(std::ostream& os) {
    os << "Usage: torvex COMMAND [OPTIONS]\n"
          "The command-line companion of Torvex Designer: the Z80 toolchain for\n"
          "the TI-83 (.83p) and the TI-83 Plus family (.8xp).\n\n"
          "Commands:\n";
    for (const auto& c : commands())
        os << "  " << c.name << std::string(c.name.size() < 10 ? 10 - c.name.size() : 1, ' ')
           << c.summary << "\n";
    os << "\nRun 'torvex help COMMAND' (or 'torvex COMMAND --help') for the options of a\n"
          "command, 'torvex --version' for the version.\n";
}

const CommandInfo* findCommand(const std::string& name) {
    for (const auto& c : commands())
        if (c.name == name)
            return &c;
    return nullptr;
}

int unknownCommand(const std::string& name, Io& io) {
    if (name.starts_with('-'))
        io.err << "torvex: unknown option '" << printable(name)
               << "' (a command's options follow its name: torvex COMMAND [OPTIONS])\n\n";
    else
        io.err << "torvex: unknown command '" << printable(name) << "'\n\n";
    usage(io.err);
    return kExitUsage;
}
} // namespace

int runCli(const std::vector<std::string>& args, Io& io) {
    if (args.empty()) {
        usage(io.err);
        return kExitUsage;
    }
    const std::string& first = args[0];
    if (first == "--version") {
        if (args.size() > 1) {
            io.err << "torvex --version: unexpected argument '" << printable(args[1]) << "'\n";
            return kExitUsage;
        }
        io.out << "torvex (Torvex Designer) " << productVersion() << "\n";
        return kExitOk;
    }
    const bool help = first == "help" || first == "--help" || first == "-h";
    if (help && (args.size() == 1 || (args.size() == 2 && args[1] == "help"))) {
        usage(io.out);
        return kExitOk;
    }
    if (help) {
        if (args.size() > 2) {
            io.err << "torvex " << first << ": give one command\n";
            return kExitUsage;
        }
        const CommandInfo* command = findCommand(args[1]);
        return command ? command->run({"--help"}, io) : unknownCommand(args[1], io);
    }
    const CommandInfo* command = findCommand(first);
    if (!command)
        return unknownCommand(first, io);
    // Nothing is written before a command's work is done, so a command that
    // runs out of memory leaves no file behind.
    try {
        return command->run(std::vector<std::string>(args.begin() + 1, args.end()), io);
    } catch (const std::bad_alloc&) {
        io.err << "torvex " << command->name << ": not enough memory\n";
        return kExitFailure;
    }
}

} // namespace torvex::cli
