#include "cli/args.h"

#include <algorithm>

namespace torvex::cli {

std::optional<std::string> ParsedArgs::value(const std::string& name) const {
    auto it = values.find(name);
    if (it == values.end())
        return std::nullopt;
    return it->second;
}

ParsedArgs parseArgs(const std::vector<std::string>& args,
                     const std::vector<OptionDefinition>& definitions) {
    ParsedArgs p;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            p.positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = a, inlineValue;
        bool hasInline = false;
        if (a.rfind("--", 0) == 0) {
            if (auto eq = a.find('='); eq != std::string::npos) {
                name = a.substr(0, eq);
                inlineValue = a.substr(eq + 1);
                hasInline = true;
            }
        }
        auto definition =
            std::find_if(definitions.begin(), definitions.end(), [&](const OptionDefinition& s) {
                return s.name == name || (!s.shortName.empty() && s.shortName == name);
            });
        if (definition == definitions.end())
            throw UsageError("unknown option '" + a + "'");
        if (p.has(definition->name))
            throw UsageError("option '" + definition->name + "' given twice");
        if (definition->takesValue) {
            if (hasInline) {
                p.values[definition->name] = inlineValue;
            } else {
                if (i + 1 >= args.size())
                    throw UsageError("option '" + name + "' needs a value (" +
                                     definition->valueName + ")");
                p.values[definition->name] = args[++i];
            }
        } else {
            if (hasInline)
                throw UsageError("option '" + definition->name + "' takes no value");
            p.flags[definition->name] = true;
        }
    }
    return p;
}

std::string describeOptions(const std::vector<OptionDefinition>& definitions) {
    std::vector<std::pair<std::string, std::string>> rows;
    size_t width = 0;
    for (const auto& s : definitions) {
        std::string left = "  " + (s.shortName.empty() ? std::string("    ") : s.shortName + ", ") +
                           s.name + (s.takesValue ? " " + s.valueName : "");
        width = std::max(width, left.size());
        rows.emplace_back(left, s.help);
    }
    // Help texts wrap at 79 columns, continued under the help column.
    const size_t column = width + 2, limit = 79;
    std::string out;
    for (auto& [l, h] : rows) {
        std::string line = l + std::string(column - l.size(), ' ');
        size_t start = 0;
        while (start < h.size()) {
            size_t room = limit > column + 20 ? limit - column : 40;
            size_t end = h.size();
            if (end - start > room) {
                end = h.rfind(' ', start + room);
                if (end == std::string::npos || end <= start)
                    end = std::min(h.size(), start + room);
            }
            out += line + h.substr(start, end - start) + "\n";
            line = std::string(column, ' ');
            start = end;
            while (start < h.size() && h[start] == ' ')
                ++start;
        }
        if (h.empty())
            out += l + "\n";
    }
    return out;
}

} // namespace torvex::cli
