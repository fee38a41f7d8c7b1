// pawnlet-cli check: every game of a file loaded as the program loads it, on several threads.
//
// The file is cut into pieces of whole games (pgn/game_pieces.h) as it is read; each piece is
// checked by one of `jobs` threads, with a reader and a parser of its own, and the report lines
// are printed in the file's order, so that the report is the same byte for byte whatever the
// number of threads. The pieces in memory at any time hold at most a few tens of MB together,
// whatever the size of the file.
#pragma once

#include <cstddef>
#include <string>

#include "tools/cli/cli.h"
#include "tools/cli/input.h"

namespace cli {

struct CheckOptions {
    int jobs = 1;
    // The parser's diagnostic lines go to standard error, in the file's order; else nowhere.
    bool verbose = false;
    // A count of the games checked so far on standard error.
    bool progress = false;
    // The size from which a piece is cut; 0: from the number of threads.
    std::size_t pieceSize = 0;
};

// Checks the games of `input` (opened from `name`); the exit status.
int CheckGames(const std::string& name, Input& input, const CheckOptions& options, std::string& out,
               std::string& err, const OutputSink& sink);

} // namespace cli
