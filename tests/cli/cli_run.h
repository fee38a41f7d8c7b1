// Runs pawnlet-cli in the test's own process and keeps what it printed; reads a file whole.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/files.h"
#include "tools/cli/cli.h"

namespace clitest {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

inline Outcome Cli(std::vector<std::string> args) {
    Outcome run;
    run.status = cli::RunCli(args, run.out, run.err, false);
    return run;
}

using testsupport::DataFile;
using testsupport::ReadBytes;

} // namespace clitest
