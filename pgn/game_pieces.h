// Cutting a PGN file or stream into pieces of whole games, so that each piece can be read on
// its own (on another thread, say) exactly as the games are read from the whole file.
//
// A piece is cut where a game that the index lists begins (game_bounds.h): the loader reads a
// game from its start up to the next tag section at most, so every game whose start lies in a
// piece is read from that piece's bytes alone, to the same result. The text before the first
// listed game, and after the last, belongs to the first and the last piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pawnlet {

namespace platform {
class ByteSource;
}

struct GamePiece {
    // The piece is the bytes [offset, end) of the file.
    std::uint64_t offset = 0;
    std::uint64_t end = 0;
    // Those bytes, when the cut keeps them (a stream cannot be read again).
    std::string bytes;
    // The start offsets of the listed games that begin in the piece, in file order.
    std::vector<std::uint64_t> starts;
    // How many listed games come before the piece's first one.
    std::uint64_t gamesBefore = 0;
};

// Reads `source` from its start (as ScanGameBytes does) and gives it piece by piece, in file
// order, to `take`, which owns the piece from then on. A piece holds at least `pieceSize` bytes
// where the file has them, and is cut at the first listed game that begins after that; a
// single game larger than `pieceSize` makes a larger piece. With `keepBytes` the pieces carry
// their bytes, and memory holds one piece and what the scanner has read ahead of it, so that
// the text between two games, which goes with the first, is held whole; without, memory stays
// constant and the caller reads each piece from the file. A read failure ends the pieces where
// it happened: false then. An empty source gives no piece.
[[nodiscard]] bool CutIntoPieces(platform::ByteSource& source, std::size_t pieceSize,
                                 bool keepBytes, const std::function<void(GamePiece&&)>& take);

} // namespace pawnlet
