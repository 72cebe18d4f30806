#pragma once

#include "cli/cli.h"

#include <sstream>
#include <string>
#include <vector>

namespace torvex::cli {

// One run of the companion inside the test: its exit code and what it wrote
// to standard output and standard error.
struct Result {
    int code;
    std::string out, err;
};

inline Result cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    Io io{out, err};
    const int code = runCli(args, io);
    return {code, out.str(), err.str()};
}

} // namespace torvex::cli
