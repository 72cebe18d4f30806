// Torvex Designer - the command line of a `torvex` command, read by Qt's
// QCommandLineParser from a table of the command's options.
//
// A command describes itself once (its arguments, its options, its help) and
// starts with
//     const ParsedArgs p = parseArgs(assembleDefinition(), args, io);
//     if (p.finished())
//         return p.exitCode();
// Every command then takes -h/--help (its help on standard output, exit 0),
// -q/--quiet, -oFILE as -o FILE, --output=FILE as --output FILE, and "--" to
// end the options; a bad command line is reported as "torvex COMMAND: ..."
// on standard error with exit 2.
#pragma once

#include "cli/cli.h"

#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace torvex::cli {

// A bad command line, found by a command after parsing (reported as the
// parser's own errors are: see usageError()).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct OptionDefinition {
    std::string longName;  // "output" (given as --output)
    std::string shortName; // "o" (given as -o), or empty
    std::string valueName; // "FILE"; empty for an option that takes no value
    std::string help;
    // The usage error when the option is not given; empty for an option that
    // may be left out.
    std::string whenMissing = {};
};

struct CommandDefinition {
    std::string name;     // "build"
    std::string synopsis; // after "Usage: torvex build ", e.g. "LIST -o PROGRAM.83p [OPTIONS]"
    std::string description;
    // The arguments the command needs, in order, as its messages name them
    // ("line list file"): exactly these many are accepted.
    std::vector<std::string> arguments;
    std::vector<OptionDefinition> options; // besides --help and --quiet
};

class ParsedArgs {
public:
    std::vector<std::string> positional;

    bool has(const std::string& longName) const;
    std::optional<std::string> value(const std::string& longName) const;
    bool quiet() const { return has("quiet"); }
    // Where the command's talk about its success goes (see talkStream()).
    std::ostream& talk(Io& io) const;

    // True when the command line itself ended the command (help shown, or a
    // usage error reported); the command returns exitCode() then.
    bool finished() const { return exitCode_.has_value(); }
    int exitCode() const { return exitCode_.value_or(kExitOk); }

private:
    friend ParsedArgs parseArgs(const CommandDefinition&, const std::vector<std::string>&, Io&);
    std::vector<std::pair<std::string, std::string>> values_; // long name, value ("" for flags)
    std::optional<int> exitCode_;
    std::string command_;
};

// Reads the command's arguments. Option values and file names are kept byte
// for byte, whatever their encoding.
ParsedArgs parseArgs(const CommandDefinition& command, const std::vector<std::string>& args,
                     Io& io);

// Reports a bad command line of the command ("torvex build: MESSAGE" and
// where to find its help) and returns kExitUsage.
int usageError(const CommandDefinition& command, const std::string& message, Io& io);

// Where a command's talk about its success goes, each line begun with
// "torvex COMMAND: " as every message about the command is: standard error, or
// nowhere when it is quiet. Standard output stays for data.
std::ostream& talkStream(Io& io, bool quiet, std::string_view command);

// The command's help text: usage line, description, options.
std::string commandHelp(const CommandDefinition& command);

} // namespace torvex::cli
