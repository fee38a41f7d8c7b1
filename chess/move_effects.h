// What a move does to the board, shared by the position-after-move constructor and the trial
// made by the legality test (internal to the chess core).
#pragma once

#include <cstdint>

#include "chess/types.h"

namespace pawnlet {

struct BoardMasks;

struct MoveEffects {
    bool isCapture = false;
    PieceCode capturedPiece = 0; // code on the target; 0 for en passant
    Square enPassantCapture = 0; // target of an en-passant capture, else 0
    std::uint8_t castle = 0;     // 1 king-side, 2 queen-side
    Square enPassant = NoSquare; // square passed over by a double pawn step
};

// Moves the piece on `from` to `to` on `board`, with the en-passant capture (when a pawn goes
// to `enPassantBefore`, the square of the position before the move), the rook of a castling
// king, and the en-passant square of a double step. No promotion, no rights.
MoveEffects ApplyMoveToBoard(PieceCode* board, Square from, Square to, Square enPassantBefore);
// The same move made on the masks of `board` (the board before the move, left unchanged): the
// masks afterwards are exactly those of the board ApplyMoveToBoard leaves.
void ApplyMoveToMasks(BoardMasks& masks, const PieceCode* board, Square from, Square to,
                      Square enPassantBefore);

} // namespace pawnlet
