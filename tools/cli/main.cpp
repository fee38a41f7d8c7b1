#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "tools/cli/cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string out;
    std::string err;
    int status =
        cli::RunCli(args, out, err, ::isatty(STDERR_FILENO) != 0, [](std::string_view piece) {
            std::fwrite(piece.data(), 1, piece.size(), stdout);
        });
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    // A piece written earlier may have failed even when the last flush succeeds.
    if ((std::fflush(stdout) != 0 || std::ferror(stdout) != 0) && status == 0) {
        std::perror("pawnlet-cli: standard output");
        status = 74;
    }
    return status;
}
