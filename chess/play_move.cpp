// Playing a legal move into the game tree.
#include <cassert>
#include <new>

#include "chess/board_bits.h"
#include "chess/move_effects.h"
#include "chess/position.h"
#include "gametree/tree_ops.h"
#include "platform/shell.h"

namespace pawnlet {

namespace {

bool IsPromotionPiece(int piece) {
    return piece == Rook || piece == Knight || piece == Bishop || piece == Queen;
}

// Castling rights go with the king's and rooks' home squares: a move from one of them, or onto a
// rook's corner (a captured rook takes its right with it), clears the rights that depend on it.
void ClearRights(Position& position, Square square, bool origin) {
    constexpr std::uint64_t homeSquares =
        (1ULL << 0) | (1ULL << 4) | (1ULL << 7) | (1ULL << 56) | (1ULL << 60) | (1ULL << 63);
    if (((homeSquares >> square) & 1) == 0) {
        return;
    }
    switch (square) {
    case 4:
        if (origin) {
            position.castleWhiteKing = position.castleWhiteQueen = 0;
        }
        break;
    case 60:
        if (origin) {
            position.castleBlackKing = position.castleBlackQueen = 0;
        }
        break;
    case 0:
        position.castleWhiteQueen = 0;
        break;
    case 7:
        position.castleWhiteKing = 0;
        break;
    case 56:
        position.castleBlackQueen = 0;
        break;
    case 63:
        position.castleBlackKing = 0;
        break;
    default:
        break;
    }
}

bool InList(const Position& position, const Coup* move) {
    for (const Coup* entry = position.firstMove.get(); entry != nullptr;
         entry = entry->next.get()) {
        if (entry == move) {
            return true;
        }
    }
    return false;
}

} // namespace

Position* Position::PlayMove(Square from, Square to, Coup* replaced, int promotion) {
    if (from > 63 || to > 63) {
        return nullptr;
    }
    // The masks of the board after the move come with the legality test; a result taken from
    // the tested-move cache comes without them.
    BoardMasks masks;
    bool masksKnown = false;
    if (from != testedFrom || to != testedTo) {
        masksKnown = TestMove(from, to, masks);
    }
    if (testedLegal == 0) {
        return nullptr;
    }
    if (replaced != nullptr && !InList(*this, replaced)) {
        return nullptr;
    }

    // The promotion piece is settled before anything is built, so that declining the choice
    // leaves the tree as it was.
    const PieceCode mover = board[from];
    const Colour colour = ColourOf(mover);
    const bool promoting = TypeOf(mover) == Pawn && RankOf(to) == (colour == White ? 7 : 0);
    if (promoting) {
        if (promotion == 0) {
            promotion = platform::CurrentShell().ChoosePromotionPiece();
        }
        if (!IsPromotionPiece(promotion)) {
            return nullptr;
        }
    }

    Position* after = new (std::nothrow) Position(*this, from, to);
    if (after == nullptr) {
        return nullptr;
    }
    if (after->previousMove == nullptr) {
        delete after;
        return nullptr;
    }
    // From here on the new Coup owns the new position.
    std::unique_ptr<Coup> node(after->previousMove);
    Coup* move = node.get();

    ClearRights(*after, from, true);
    ClearRights(*after, to, false);

    if (!firstMove) {
        node->depth = VariationDepth();
        firstMove = std::move(node);
    } else if (replaced != nullptr) {
        node->depth = replaced->depth;
        std::unique_ptr<Coup> old = ReplaceIn(std::move(node), *replaced);
        old.reset();
    } else {
        AppendAlternative(*firstMove, std::move(node), VariationDepth());
    }

    if (promoting) {
        move->promotion = static_cast<std::uint8_t>(promotion);
        after->board[to] = static_cast<PieceCode>(colour + promotion);
    }
    // Remembered, the masks of the new board serve the next move's tests as well.
    if (!masksKnown) {
        masks = MasksOf(board.data());
        ApplyMoveToMasks(masks, board.data(), from, to, enPassant);
    }
    if (promoting) {
        masks.Remove(to, mover);
        masks.Put(to, after->board[to]);
    }
    RememberMasks(after->board.data(), masks);
    move->givesCheck = KingAttackedOn(masks, after->sideToMove) ? 1 : 0;

    assert(IsConsistent() && after->IsConsistent());
    return after;
}

} // namespace pawnlet
