// pawnlet-cli: list, show, fen, resave and check PGN files from the command line.
//
// RunCli does the work of one command line and returns the exit status; what the command
// prints goes to `out` (standard output: UTF-8 text, or the game's PGN bytes for show) and
// `err` (standard error). Progress, when asked for, is written to standard error directly.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pawnlet {
enum class ParseError : int;
} // namespace pawnlet

namespace cli {

// Exit statuses besides 0 (success) and the load error codes 2..10 of show, fen and resave.
inline constexpr int ExitCheckFailed = 1; // check: at least one game failed to load
inline constexpr int ExitSaveFailed = 11; // resave: the game could not be saved
inline constexpr int ExitNoSuchPly = 12;  // fen: the main line is shorter than --ply
inline constexpr int ExitUsage = 64;      // the command line is not understood

// The exit status of a load that failed: the load error code itself.
constexpr int ExitStatus(pawnlet::ParseError code) {
    return static_cast<int>(code);
}

extern const char* const HelpText;

// Takes what a command has put in `out` so far, while it runs: a long list is then written in
// large pieces as it is made, in memory that does not grow with the file.
using OutputSink = std::function<void(std::string_view)>;

// `args` are the arguments after the program name. With a `sink`, part of the output may go to
// it (in order) before the rest is left in `out`; without one, all of it is in `out`.
int RunCli(const std::vector<std::string>& args, std::string& out, std::string& err, bool progress,
           const OutputSink& sink = {});

} // namespace cli
