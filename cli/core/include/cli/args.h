// Torvex Designer - a small command-line argument parser for the subcommands.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace torvex::cli {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct OptionDefinition {
    std::string name;      // "--output"
    std::string shortName; // "-o" (may be empty)
    bool takesValue = false;
    std::string valueName; // "FILE", for help texts
    std::string help;
};

struct ParsedArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values; // by long name, for options with values
    std::map<std::string, bool> flags;         // by long name
    bool has(const std::string& name) const { return values.count(name) || flags.count(name); }
    std::optional<std::string> value(const std::string& name) const;
};

// Parses options (--name VALUE, --name=VALUE, -o VALUE, flags) and positional
// arguments; "--" ends options. Throws UsageError for unknown options, missing
// values and repeated options.
ParsedArgs parseArgs(const std::vector<std::string>& args,
                     const std::vector<OptionDefinition>& definitions);

// "  -o, --output FILE   help" lines for a help text.
std::string describeOptions(const std::vector<OptionDefinition>& definitions);

} // namespace torvex::cli
