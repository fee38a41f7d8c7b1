#include "chess/position.h"

#include <new>

#include "chess/move_effects.h"
#include "gametree/node_pool.h"

namespace pawnlet {

using PositionPool = NodePool<sizeof(Position)>;

void* Position::operator new(std::size_t size) {
    void* block = operator new(size, std::nothrow);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void* Position::operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return size == sizeof(Position) ? PositionPool::Allocate() : ::operator new(size, std::nothrow);
}

void Position::operator delete(void* pointer, std::size_t size) noexcept {
    if (size == sizeof(Position)) {
        PositionPool::Release(pointer);
    } else {
        ::operator delete(pointer);
    }
}

Position::Position() {
    SetInitial();
}

Position::Position(Position& before, Square from, Square to)
    : board(before.board), castleWhiteKing(before.castleWhiteKing),
      castleWhiteQueen(before.castleWhiteQueen), castleBlackKing(before.castleBlackKing),
      castleBlackQueen(before.castleBlackQueen), sideToMove(OtherSide(before.sideToMove)),
      moveNumber(before.moveNumber + (OtherSide(before.sideToMove) == Black ? 1 : 0)) {
    // The Coup takes ownership of this position; its disambiguation is computed from `before`,
    // so it is built before the board changes.
    previousMove = new (std::nothrow) Coup(&before, this, from, to, moveNumber);
    const MoveEffects effects = ApplyMoveToBoard(board.data(), from, to, before.enPassant);
    enPassant = effects.enPassant;
    if (previousMove == nullptr) {
        return;
    }
    if (effects.isCapture) {
        previousMove->SetCapture(effects.capturedPiece, effects.enPassantCapture);
    }
    previousMove->castle = effects.castle;
}

Position::~Position() {
    if (firstMove) {
        Coup::DestroyList(std::move(firstMove));
    }
}

void Position::SetInitial() {
    static constexpr PieceCode backRank[8] = {Rook, Knight, Bishop, Queen,
                                              King, Bishop, Knight, Rook};
    board.fill(Empty);
    for (int file = 0; file < 8; ++file) {
        board[MakeSquare(file, 0)] = backRank[file];
        board[MakeSquare(file, 1)] = White + Pawn;
        board[MakeSquare(file, 6)] = Black + Pawn;
        board[MakeSquare(file, 7)] = Black + backRank[file];
    }
    castleWhiteKing = castleWhiteQueen = castleBlackKing = castleBlackQueen = 1;
    enPassant = testedFrom = testedTo = NoSquare;
    testedLegal = 0;
    sideToMove = White;
    evaluation = 0;
    moveNumber = 0;
    setUp = 0;
    // Meant for a fresh position; should it hold moves, they are destroyed rather than leaked.
    comment.reset();
    previousMove = nullptr;
    if (firstMove) {
        Coup::DestroyList(std::move(firstMove));
    }
}

void Position::CopyFrom(const Position& source) {
    board = source.board;
    castleWhiteKing = source.castleWhiteKing;
    castleWhiteQueen = source.castleWhiteQueen;
    castleBlackKing = source.castleBlackKing;
    castleBlackQueen = source.castleBlackQueen;
    enPassant = source.enPassant;
    testedFrom = source.testedFrom;
    testedTo = source.testedTo;
    testedLegal = source.testedLegal;
    sideToMove = source.sideToMove;
    evaluation = source.evaluation;
    moveNumber = source.moveNumber;
    setUp = 1;
    comment.reset();
    previousMove = nullptr;
    if (firstMove) {
        Coup::DestroyList(std::move(firstMove));
    }
}

Position* Position::PreviousPosition() const {
    return previousMove != nullptr ? previousMove->before : nullptr;
}

void Position::SetComment(std::optional<std::u16string> text) {
    comment = std::move(text);
}

Position* Position::FindMove(Square from, Square to) const {
    for (Coup* move = firstMove.get(); move != nullptr; move = move->next.get()) {
        if (move->from == from && move->to == to) {
            return move->after.get();
        }
    }
    return nullptr;
}

bool Position::IsConsistent() const {
    for (PieceCode code : board) {
        const bool valid = code == Empty || (code >= White + Pawn && code <= White + King) ||
                           (code >= Black + Pawn && code <= Black + King);
        if (!valid) {
            return false;
        }
    }
    if (sideToMove != White && sideToMove != Black) {
        return false;
    }
    if (previousMove != nullptr) {
        if (previousMove->after.get() != this || previousMove->before == nullptr ||
            previousMove->moveNumber != moveNumber) {
            return false;
        }
        // A double step leaves its square behind the pawn, on the mover's third rank.
        if (enPassant != NoSquare && RankOf(enPassant) != (sideToMove == Black ? 2 : 5)) {
            return false;
        }
    }
    const int depth = VariationDepth();
    const Coup* previous = nullptr;
    for (const Coup* move = firstMove.get(); move != nullptr; move = move->next.get()) {
        if (move->before != this || move->prev != previous || move->after == nullptr ||
            move->after->previousMove != move) {
            return false;
        }
        if (move->depth != (previous == nullptr ? depth : depth + 1)) {
            return false;
        }
        previous = move;
    }
    return true;
}

} // namespace pawnlet
