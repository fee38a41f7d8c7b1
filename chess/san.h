// Reading a move in standard algebraic notation (as in PGN movetext) and playing it.
#pragma once

#include <string_view>

namespace pawnlet {

class Position;

// Reads one SAN move ("e4", "exd5", "e8=Q", "Nbd2", "R1xa3", "Qa1b2", "O-O-O", "0-0"; check
// marks and anything after the move are ignored), finds its origin in `position` and plays it
// with PlayMove (no replaced move: it becomes an alternative when the position already has a
// main move). Returns the position after the move, or null when the text cannot be read or the
// move is not legal; the tree is then unchanged. Never asks for a promotion piece.
[[nodiscard]] Position* ReadSan(Position& position, std::u16string_view text);

} // namespace pawnlet
