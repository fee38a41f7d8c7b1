#include "chess/board_bits.h"

#include <cassert>

namespace pawnlet {

// One per thread, so that positions on different threads never share it.
thread_local constinit RememberedBoard rememberedBoard;

RememberedBoard& RememberNewBoard(const PieceCode* board) {
    RememberedBoard& last = rememberedBoard;
    std::memcpy(last.board, board, 64);
    last.masks = BoardMasksOf(board);
    last.moversCode = 0;
    last.movers = 0;
    return last;
}

void RememberMasks(const PieceCode* board, const BoardMasks& masks) {
    // Masks worked out move by move must be those of the board itself.
    assert(masks == BoardMasksOf(board));
    RememberedBoard& last = rememberedBoard;
    std::memcpy(last.board, board, 64);
    last.masks = masks;
    last.moversCode = 0;
    last.movers = 0;
}

} // namespace pawnlet
