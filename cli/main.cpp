// Torvex Designer - the command-line companion `torvex`.
#include "cli/cli.h"
#include "files/file_system.h"

#include <iostream>

int main(int argc, char** argv) {
    torvex::system::prepareProcessForFileWrites();
    std::vector<std::string> args(argv + 1, argv + argc);
    torvex::cli::Io io{std::cout, std::cerr};
    return torvex::cli::runCli(args, io);
}
