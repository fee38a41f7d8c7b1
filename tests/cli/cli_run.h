// Runs pawnlet-cli in the test's own process and keeps what it printed; reads a file whole.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

inline std::string Data(const std::string& name) {
    return std::string(PAWNLET_TEST_DATA_DIR) + "/pgn/" + name;
}

inline std::string Bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace clitest
