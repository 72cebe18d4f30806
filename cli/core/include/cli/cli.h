// Torvex Designer - the command-line companion `torvex` (the designer itself
// keeps no command-line options). Each subcommand is one function with the
// signature of Command; adding one means writing it, describing its arguments
// and options in a CommandDefinition read by parseArgs() (cli/args.h), and
// listing it in commands() (cli.cpp).
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace torvex::cli {

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1; // the work failed (bad source, run stopped by an error...)
inline constexpr int kExitUsage = 2;   // bad command line

struct Io {
    std::ostream& out;
    std::ostream& err;
};

// A subcommand: receives its arguments (without the subcommand name).
using Command = std::function<int(const std::vector<std::string>& args, Io& io)>;

struct CommandInfo {
    std::string name;    // "assemble"
    std::string summary; // one line for `torvex --help`
    Command run;
};

// Every subcommand, in the order `torvex --help` lists them.
const std::vector<CommandInfo>& commands();

// The whole command line without the program name: dispatches to a subcommand.
int runCli(const std::vector<std::string>& args, Io& io);

// Subcommands.
int assembleCommand(const std::vector<std::string>& args, Io& io);
int runCommand(const std::vector<std::string>& args, Io& io);
int buildCommand(const std::vector<std::string>& args, Io& io);
int viewCommand(const std::vector<std::string>& args, Io& io);
int headersCommand(const std::vector<std::string>& args, Io& io);
int importCommand(const std::vector<std::string>& args, Io& io);
int renderCommand(const std::vector<std::string>& args, Io& io);

} // namespace torvex::cli
