// Forsyth-Edwards Notation: the start position of a game set up by hand, as PGN carries it in
// its FEN tag. The half-move clock is written as 0 and never read.
#pragma once

#include <string>
#include <string_view>

namespace pawnlet {

class Position;

// The six-field FEN text of the position ("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -
// 0 1" for the start).
std::u16string WriteFen(const Position& position);

// Sets the board, side to move, castling rights, en-passant square and move number from FEN
// text and marks the position as set up. Returns 1, or 0 for text that cannot be read (a
// placement of more than 64 squares, a bad castling or en-passant field), leaving the position
// unchanged. Missing trailing fields read as White to move, no rights, no en-passant square,
// full-move number 1.
[[nodiscard]] int ReadFen(Position& position, std::u16string_view text);

} // namespace pawnlet
