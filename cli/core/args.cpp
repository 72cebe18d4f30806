#include "cli/args.h"
#include "files/printable.h"

#include <QCommandLineParser>
#include <QStringList>
#include <algorithm>
#include <ostream>

namespace torvex::cli {

namespace {

// Arguments travel through Qt as Latin-1: every byte is one character and
// comes back as the same byte, so file names in any encoding survive.
QString carried(const std::string& text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}
std::string returned(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

std::string dashed(const std::string& name) {
    return (name.size() == 1 ? "-" : "--") + name;
}

const OptionDefinition kHelp{"help", "h", "", "show this help"};
const OptionDefinition kQuiet{"quiet", "q", "",
                              "no talk on success (data still goes to standard output, errors "
                              "and warnings to standard error)"};

std::vector<OptionDefinition> allOptions(const CommandDefinition& command) {
    std::vector<OptionDefinition> all = command.options;
    all.push_back(kQuiet);
    all.push_back(kHelp);
    return all;
}

// Qt's messages end with a full stop and start with a capital; ours do not.
std::string qtMessage(const QString& text) {
    std::string message = returned(text);
    if (!message.empty() && message.back() == '.')
        message.pop_back();
    if (!message.empty() && message[0] >= 'A' && message[0] <= 'Z')
        message[0] = char(message[0] - 'A' + 'a');
    return message;
}

// Help texts fit in 79 columns: `text` follows `first` and is broken at
// blanks, each further line indented to `first`'s width (at most 59 columns,
// so that at least 20 are left for the text).
std::string wrapped(const std::string& first, const std::string& text) {
    const size_t column = std::min<size_t>(first.size(), 59), room = 79 - column;
    std::string out, line = first;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.size();
        if (end - start > room) {
            end = text.rfind(' ', start + room);
            if (end == std::string::npos || end <= start)
                end = std::min(text.size(), start + room);
        }
        out += line + text.substr(start, end - start) + "\n";
        line = std::string(column, ' ');
        start = text.find_first_not_of(' ', end);
        if (start == std::string::npos)
            break;
    }
    return out;
}

std::string describeOptions(const std::vector<OptionDefinition>& definitions) {
    std::vector<std::pair<std::string, std::string>> rows;
    size_t width = 0;
    for (const auto& o : definitions) {
        std::string left = "  " +
                           (o.shortName.empty() ? std::string("    ") : "-" + o.shortName + ", ") +
                           "--" + o.longName + (o.valueName.empty() ? "" : " " + o.valueName);
        width = std::max(width, left.size());
        rows.emplace_back(left, o.help);
    }
    std::string out;
    for (const auto& [left, help] : rows)
        out += wrapped(left + std::string(width + 2 - left.size(), ' '), help);
    return out;
}

} // namespace

bool ParsedArgs::has(const std::string& longName) const {
    return std::any_of(values_.begin(), values_.end(),
                       [&](const auto& v) { return v.first == longName; });
}

std::optional<std::string> ParsedArgs::value(const std::string& longName) const {
    for (const auto& [name, text] : values_)
        if (name == longName)
            return text;
    return std::nullopt;
}

std::ostream& talkStream(Io& io, bool quiet, std::string_view command) {
    static std::ostream nowhere(nullptr);
    return quiet ? nowhere : io.err << "torvex " << command << ": ";
}

std::ostream& ParsedArgs::talk(Io& io) const {
    return talkStream(io, quiet(), command_);
}

std::string commandHelp(const CommandDefinition& command) {
    // An optional part in brackets stays on one line.
    std::string synopsis = command.synopsis;
    int depth = 0;
    for (char& c : synopsis) {
        depth += c == '[' ? 1 : c == ']' ? -1 : 0;
        c = c == ' ' && depth > 0 ? '\x01' : c;
    }
    std::string text = wrapped("Usage: torvex " + command.name + " ", synopsis);
    std::replace(text.begin(), text.end(), '\x01', ' ');
    text += command.description;
    if (!text.empty() && text.back() != '\n')
        text += "\n";
    return text + "\nOptions:\n" + describeOptions(allOptions(command));
}

int usageError(const CommandDefinition& command, const std::string& message, Io& io) {
    io.err << "torvex " << command.name << ": " << printable(message) << "\n"
           << "Run 'torvex help " << command.name << "' for its options.\n";
    return kExitUsage;
}

ParsedArgs parseArgs(const CommandDefinition& command, const std::vector<std::string>& args,
                     Io& io) {
    ParsedArgs parsed;
    parsed.command_ = command.name;
    const std::vector<OptionDefinition> options = allOptions(command);
    QCommandLineParser parser;
    // -oFILE is -o FILE; flags may be run together (-qi).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    for (const OptionDefinition& o : options) {
        QStringList names{carried(o.longName)};
        if (!o.shortName.empty())
            names.prepend(carried(o.shortName));
        QCommandLineOption option(names, carried(o.help), carried(o.valueName));
        parser.addOption(option);
    }
    QStringList list{QStringLiteral("torvex")};
    for (const std::string& a : args)
        list << carried(a);
    std::string error;
    if (!parser.parse(list)) {
        const QStringList unknown = parser.unknownOptionNames();
        error = unknown.isEmpty() ? qtMessage(parser.errorText())
                                  : "unknown option '" + dashed(returned(unknown.first())) + "'";
    }
    if (error.empty()) {
        for (const QString& given : parser.optionNames()) {
            const std::string name = returned(given);
            const auto o = std::find_if(options.begin(), options.end(), [&](const auto& d) {
                return d.longName == name || d.shortName == name;
            });
            if (parsed.has(o->longName)) {
                error = "option '--" + o->longName + "' given twice";
                break;
            }
            if (o->longName == "output" && parser.value(given).isEmpty()) {
                error = "the output file's name is empty";
                break;
            }
            parsed.values_.emplace_back(
                o->longName, o->valueName.empty() ? std::string()
                                                  : returned(parser.value(carried(o->longName))));
        }
    }
    if (error.empty() && parsed.has("help")) {
        io.out << commandHelp(command);
        parsed.exitCode_ = kExitOk;
        return parsed;
    }
    for (const QString& p : parser.positionalArguments())
        parsed.positional.push_back(returned(p));
    // An empty name names no file.
    const auto named = std::find(parsed.positional.begin(), parsed.positional.end(), "");
    const size_t given =
        std::min<size_t>(named - parsed.positional.begin(), parsed.positional.size());
    if (error.empty() && given < command.arguments.size())
        error = "no " + command.arguments[given] + " given";
    else if (error.empty() && parsed.positional.size() > command.arguments.size())
        error = "unexpected argument '" + parsed.positional[command.arguments.size()] + "'";
    for (const OptionDefinition& o : command.options)
        if (error.empty() && !o.whenMissing.empty() && !parsed.has(o.longName))
            error = o.whenMissing;
    if (!error.empty())
        parsed.exitCode_ = usageError(command, error, io);
    return parsed;
}

} // namespace torvex::cli
