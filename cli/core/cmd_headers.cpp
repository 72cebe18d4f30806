// torvex headers DIR [--force]
#include "cli/args.h"
#include "cli/cli.h"
#include "cli/output.h"
#include "cli/program_input.h"
#include "files/file_io.h"

#include "codegen/text_lines.h"
#include "z80/assembler.h"

#include <ostream>

namespace torvex::cli {

namespace {

const CommandDefinition& headersDefinition() {
    static const CommandDefinition definition{
        "headers",
        "DIR [--force]",
        "Writes our own include files into DIR: ti83asm.inc and tokens.inc for the TI-83\n"
        "preview source, ti83plus.inc for the TI-83 Plus family's. They hold only what\n"
        "the preview sources use, so that any assembler of the TASM dialect assembles\n"
        "them without TI's own files. A file of that name already in DIR (perhaps TI's\n"
        "own) is left alone and nothing is written, unless --force says to replace it.\n",
        {"folder"},
        {{"force", "", "", "replace include files of those names in DIR"}}};
    return definition;
}

} // namespace

int headersCommand(const std::vector<std::string>& args, Io& io) {
    const CommandDefinition& command = headersDefinition();
    const ParsedArgs p = parseArgs(command, args, io);
    if (p.finished())
        return p.exitCode();
    const std::filesystem::path dir = p.positional[0];
    const char* const names[] = {"ti83asm.inc", "tokens.inc", "ti83plus.inc"};
    std::error_code ec;
    if (!p.has("force"))
        for (const char* name : names)
            if (std::filesystem::exists(dir / name, ec)) {
                io.err << "torvex headers: " << shownName(dir / name)
                       << " exists; nothing was written (--force replaces it)\n";
                return kExitFailure;
            }
    std::filesystem::create_directories(dir, ec); // a missing folder is made; a failure shows below
    try {
        for (const char* name : names) {
            // CR LF, as every text file of the designer and as DOS tools expect.
            const std::string text = joinTextLines(splitTextLines(*z80::builtinInclude(name)));
            writeFileAtomically(dir / name, std::vector<uint8_t>(text.begin(), text.end()));
            p.talk(io) << "wrote " << shownName(dir / name) << "\n";
        }
    } catch (const OutputError& e) {
        reportFailure(io.err, "headers", e);
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace torvex::cli
