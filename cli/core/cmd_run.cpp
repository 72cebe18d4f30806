// torvex run SOURCE.z80|PROGRAM.83p|PROGRAM.8xp --keys right,right,del,... [--frames DIR]
#include "cli/args.h"
#include "cli/cli.h"
#include "cli/keys.h"
#include "cli/output.h"
#include "cli/program_input.h"
#include "cli/scene_exchange.h"
#include "cli/scene_program.h"
#include "files/file_io.h"

#include "z80/ti83.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace torvex::cli {

namespace {

const CommandDefinition& runDefinition() {
    static const CommandDefinition definition{
        "run",
        "SOURCE.z80|PROGRAM.83p|PROGRAM.8xp|LIST [--keys KEYS] [--frames DIR] "
        "[--record WALK.gif [--scale N]] [--model ti83|ti83p]",
        "Runs the program in the emulated calculator (6 MHz Z80): the TI-83 (program at\n"
        "9327h, the ROM calls _CLRLCDFULL, _GRBUFCLR, _GRBUFCPY_V and _getkey) or the\n"
        "TI-83 Plus family (program at 9D93h after BBh 6Dh, the ROM calls _ClrLCDFull,\n"
        "_GrBufClr, _GrBufCpy and _GetKey with rst 28h). A program file runs on its own\n"
        "family; a source on the --model's, else on the family its .org is for; a line\n"
        "list (any other name) is built as 'torvex view' builds it, for the --model's\n"
        "family or the TI-83. Every copy of the graph buffer to the LCD is a frame; one\n"
        "line per frame gives the program's own T-states and those charged for the ROM\n"
        "calls (the calculator's time in them, estimated).\n"
        "\n"
        "Exit status 0 when the program returns or the keys run out, 1 when it stops\n"
        "with an error (runaway: too long without a frame, or 10000 frames without\n"
        "reading a key; write outside the writable ranges, unknown ROM call), 2 for a\n"
        "bad command line.\n",
        {"program"},
        {
            {"keys", "k", "KEYS",
             "the keys _getkey returns, in order, separated by commas: right left up down enter "
             "clear del stat vars mode, or codes such as 45h; the run ends when they are used "
             "up"},
            {"frames", "f", "DIR",
             "write every frame as DIR/frame-0001.png ... (96 x 64 pixels scaled four times)"},
            {"writable", "", "RANGES",
             "guard writes: only these ranges may be written, e.g. 8E29-9128,8265-828B,stack "
             "(hex addresses, inclusive; on the program's calculator 'graph' is the graph "
             "buffer, 'ram' the 768 bytes the engine keeps its variables in, 'program' the "
             "program's own bytes, 'stack' the stack)"},
            {"limit", "", "TSTATES",
             "stop a program that runs this many T-states without a frame (default 60000000)"},
            recordOptionDefinition(),
            scaleOptionDefinition(),
            modelOptionDefinition(),
        }};
    return definition;
}

uint16_t parseAddress(const std::string& s) {
    std::string d = s;
    if (d.size() > 2 && d[0] == '0' && (d[1] == 'x' || d[1] == 'X'))
        d = d.substr(2);
    else if (!d.empty() && (d.back() == 'h' || d.back() == 'H'))
        d.pop_back();
    // Leading zeros are allowed, as in TASM's 0C000h.
    const size_t digits = d.size() - std::min(d.find_first_not_of('0'), d.size());
    if (d.empty() || digits > 4 ||
        d.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw UsageError("bad address '" + s + "' (hex, e.g. 8E29 or 0C000h)");
    return static_cast<uint16_t>(
        std::stoul(d.substr(d.size() - std::max<size_t>(digits, 1)), nullptr, 16));
}

// The ranges of --writable on the model, for a program of `size` bytes.
std::vector<z80::AddressRange> parseRanges(const std::string& text,
                                           const z80::CalculatorModel& model, size_t size) {
    std::vector<z80::AddressRange> ranges;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(',', start);
        std::string item =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (item == "stack") {
            ranges.push_back(z80::kStackRange);
        } else if (item == "graph") {
            ranges.push_back({model.graphBuffer.first, model.graphBuffer.last()});
        } else if (item == "ram") {
            ranges.push_back({model.programRam.first, model.programRam.last()});
        } else if (item == "program") {
            ranges.push_back(
                {model.origin, static_cast<uint16_t>(std::min<size_t>(
                                   model.origin + std::max<size_t>(size, 1) - 1, 0xFFFF))});
        } else {
            size_t dash = item.find('-');
            if (dash == std::string::npos)
                throw UsageError("bad range '" + item +
                                 "' (FIRST-LAST, 'graph', 'ram', 'program' or 'stack')");
            uint16_t first = parseAddress(item.substr(0, dash));
            uint16_t last = parseAddress(item.substr(dash + 1));
            if (last < first)
                throw UsageError("bad range '" + item + "': the end lies before the start");
            ranges.push_back({first, last});
        }
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return ranges;
}

uint64_t parseLimit(const std::string& s) {
    if (s.empty() || s.size() > 15 || s.find_first_not_of("0123456789") != std::string::npos ||
        std::stoull(s) == 0)
        throw UsageError("bad T-state limit '" + s + "'");
    return std::stoull(s);
}

} // namespace

int runCommand(const std::vector<std::string>& args, Io& io) {
    const CommandDefinition& command = runDefinition();
    const ParsedArgs p = parseArgs(command, args, io);
    if (p.finished())
        return p.exitCode();
    std::vector<uint8_t> keys;
    std::optional<z80::Model> model;
    std::string writable;
    std::vector<z80::AddressRange> ranges;
    uint64_t limit = 60'000'000;
    RecordOptions record;
    try {
        keys = parseKeys(p.value("keys").value_or(""));
        model = modelOption(p);
        if (auto w = p.value("writable")) {
            writable = *w;
            parseRanges(writable, z80::calculatorModel(z80::Model::Ti83), 0); // checked early
        }
        if (auto l = p.value("limit"))
            limit = parseLimit(*l);
        record = recordOptions(p);
    } catch (const UsageError& e) {
        return usageError(command, e.what(), io);
    }
    std::filesystem::path file = p.positional[0];
    ProgramInput in;
    try {
        // A line list runs as `view` builds it.
        in = sceneFileKind(file) == SceneFileKind::LineList ? loadSceneProgram(file, model).program
                                                            : loadProgramInput(file, model);
        checkRunnable(in, file);
        printWarnings(io.err, in.warnings());
        if (record.gif) {
            refuseOutputOverInputs(filesRead(file, in), *record.gif); // before the run
            checkCanWriteOutput(*record.gif);
        }
    } catch (const std::runtime_error& e) {
        reportFailure(io.err, "run", e);
        return kExitFailure;
    }
    if (!writable.empty())
        ranges = parseRanges(writable, z80::calculatorModel(in.model), in.code.size());

    const std::vector<std::filesystem::path> read = filesRead(file, in);
    std::optional<std::filesystem::path> dir;
    if (auto d = p.value("frames")) {
        if (d->empty())
            return usageError(command, "--frames needs a folder name", io);
        dir = *d;
        std::error_code ec;
        std::filesystem::create_directories(*dir, ec);
        if (ec) {
            io.err << "torvex run: Cannot create folder " << shownName(*dir) << " (" << ec.message()
                   << ")\n";
            return kExitFailure;
        }
    }

    WalkRecorder recorder(record);
    z80::Ti83 calc(in.model);
    calc.loadProgram(in.code);
    calc.setKeys(keys);
    calc.setWritableRanges(ranges);
    calc.setRunawayLimit(limit);
    // Each frame is reported, and written, as the program draws it.
    calc.setFrameListener([&](const z80::Frame& frame) {
        const uint64_t n = calc.frameCount();
        io.out << "frame " << n << ": " << frame.tstates << " T-states + " << frame.romTstates
               << " in ROM calls (estimated)";
        if (dir) {
            char name[32];
            std::snprintf(name, sizeof name, "frame-%04llu.png",
                          static_cast<unsigned long long>(n));
            const std::filesystem::path png = *dir / name;
            refuseOutputOverInputs(read, png);
            writeFramePng(frame, png);
            io.out << " -> " << shownName(png);
        }
        io.out << "\n";
        recorder.add(frame);
    });
    z80::RunResult result;
    try {
        result = calc.run();
    } catch (const OutputError& e) {
        io.out << "\n";
        reportFailure(io.err, "run", e);
        return kExitFailure;
    }
    // The walk up to the end, whatever ended it.
    try {
        if (const std::string recorded = recorder.finish(); !recorded.empty())
            p.talk(io) << recorded << "\n";
    } catch (const OutputError& e) {
        reportFailure(io.err, "run", e);
        if (result.reason == z80::StopReason::Returned ||
            result.reason == z80::StopReason::KeysExhausted)
            return kExitFailure;
    }
    switch (result.reason) {
    case z80::StopReason::Returned:
    case z80::StopReason::KeysExhausted:
        p.talk(io) << result.message << " (" << calc.keysUsed() << " of " << keys.size()
                   << " key(s) used, " << calc.totalTstates() << " T-states in all + "
                   << calc.romTstates() << " in ROM calls)\n";
        return kExitOk;
    default:
        io.err << "torvex run: " << result.message << "\n";
        return kExitFailure;
    }
}

} // namespace torvex::cli
