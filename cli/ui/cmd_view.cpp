// torvex view FILE
#include "cli/args.h"
#include "cli/calculator_view.h"
#include "cli/cli.h"
#include "cli/output.h"
#include "cli/program_input.h"
#include "cli/scene_program.h"
#include "platform/desktop.h"
#include "scene/panel_placement.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <csignal>
#include <ostream>

namespace torvex::cli {

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void askToStop(int signal) {
    stopSignal = signal;
}

const CommandDefinition& viewDefinition() {
    static const CommandDefinition definition = [] {
        std::string keys;
        for (const CalculatorKey& key : calculatorKeys())
            keys += "  " + key.hostKeyName.toStdString() +
                    std::string(8 - std::min<size_t>(7, key.hostKeyName.size()), ' ') + key.name +
                    std::string(7 - std::min<size_t>(6, std::string(key.name).size()), ' ') +
                    key.action.toStdString() + "\n";
        return CommandDefinition{
            "view",
            "FILE [--model ti83|ti83p] [--record WALK.gif [--scale N]]",
            "Walks through a scene as the calculator shows it: FILE (a line list saved by\n"
            "the designer, a preview source .z80 or a program file .83p or .8xp) is built\n"
            "into the engine program and run in the emulated calculator: a program file on\n"
            "its own family, a list on the TI-83 unless --model ti83p says the Plus family,\n"
            "a source on the --model's or the one its .org is for; the title names it.\n"
            "Whenever FILE changes on disk the view rebuilds it and carries on with the\n"
            "camera where it was.\n"
            "\n"
            "With --record the walk is written as an animated GIF when the view closes:\n"
            "every frame the view shows, each for as long as the calculator takes to draw\n"
            "it.\n\n"
            "Keys:\n" +
                keys + "  Enter   start the program again after MODE\n" +
                "  T       keep the view above the other windows, or not (on at the start)\n",
            {"file"},
            {recordOptionDefinition(), scaleOptionDefinition(), modelOptionDefinition()}};
    }();
    return definition;
}

} // namespace

int viewCommand(const std::vector<std::string>& args, Io& io) {
    const CommandDefinition& command = viewDefinition();
    const ParsedArgs p = parseArgs(command, args, io);
    if (p.finished())
        return p.exitCode();
    std::optional<z80::Model> model;
    RecordOptions record;
    try {
        model = modelOption(p);
        record = recordOptions(p);
        if (record.gif) {
            // Every file the first build reads, before a walk is made for nothing
            // (a file that does not build yet is shown by the view).
            std::vector<std::filesystem::path> read{p.positional[0]};
            try {
                read = filesRead(p.positional[0], loadSceneProgram(p.positional[0], model).program);
            } catch (const InputError&) {
            }
            refuseOutputOverInputs(read, *record.gif);
            checkCanWriteOutput(*record.gif);
        }
    } catch (const OutputError& e) {
        reportFailure(io.err, "view", e);
        return kExitFailure;
    } catch (const UsageError& e) {
        return usageError(command, e.what(), io);
    }
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Without a display the window system's plugin would end the process.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        io.err << "torvex view: no display to show the view on (DISPLAY is not set; "
                  "QT_QPA_PLATFORM=offscreen runs it without one)\n";
        return kExitFailure;
    }
#endif
    int argc = 1;
    char name[] = "torvex";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    CalculatorView view(std::filesystem::path(p.positional[0]), model);
    if (record.gif)
        view.startRecording(record);
    // Beside the designer, above its panel, and on top of the other windows:
    // the designer's maximised preview would bury it at the first click on
    // the picture (the two programs know nothing of each other's windows).
    view.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        placeByOuterFrame(&view, [size = screen->geometry().size()](QSize outer) {
            return calculatorViewPosition(size, outer);
        });
    view.show();
    // Ctrl-C, or a kill that asks politely, closes the view as its close box
    // does, so that the walk being recorded is written.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, askToStop);
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, [&] {
        if (stopSignal)
            view.close();
    });
    stopWatch.start(100);
    int code = application.exec();
    if (stopSignal)
        code = 128 + stopSignal; // as a shell reports a command a signal ended
    try {
        if (const std::string recorded = view.finishRecording(); !recorded.empty())
            p.talk(io) << recorded << "\n";
    } catch (const OutputError& e) {
        reportFailure(io.err, "view", e);
        return kExitFailure;
    }
    return code;
}

} // namespace torvex::cli
