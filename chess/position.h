// One chess position inside a game, and the rules for moving from it.
//
// Positions and moves alternate in the game tree: a Position owns the list of moves played from
// it (firstMove, the main move, followed through Coup::next by the alternatives), and every Coup
// owns the Position it reaches (Coup::after). The root position of a game belongs to its Partie;
// every other position is created by PlayMove and dies with the Coup that leads to it.
//
// There is no move generator: moves come from two taps on the board or from SAN text, both name
// an origin and a target, and IsLegalMove tests that pair. Refusals return false or null and
// leave the tree unchanged.
//
// How legality is computed. The board bytes (`board`, one PieceCode per square) are the truth;
// the masks and the caches below are derived from them.
// - The piece masks (BoardMasks in chess/board_bits.h): per side, per piece type and occupied,
//   a 64-bit set each, made from the bytes in one vector pass. Attacks and movers are found by
//   looking outward from the target square on these masks (chess/legality.cpp).
// - The remembered masks (RememberedBoard): the masks of the last board asked about on this
//   thread, with a copy of its bytes. A position is usually tested, listed and played from
//   several times in a row, so RememberedFor compares the 64 bytes and answers from memory only
//   when they are the same; PlayMove hands over the masks it worked out for the board after the
//   move, so the next position starts with them.
// - The movers cache (beside the remembered masks): the last ListMovers search, one piece code
//   reaching one square. A SAN move is searched for, then tested, on the same board; the test
//   then skips the geometry for an origin the search already found.
// - The tested-move cache (testedFrom, testedTo, testedLegal, in the Position itself): the last
//   pair IsLegalMove decided here, so that PlayMove after a test (two taps on the board, then the
//   move) does not test again.
// IsLegalMove answers with the geometry (CanMove, or the castling and en-passant rules), then
// makes the move on a copy of the masks and asks whether the mover's king is attacked there.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "chess/types.h"
#include "gametree/coup.h"
#include "platform/live_count.h"

namespace pawnlet {

struct BoardMasks;

// The squares ListMovers finds, in square order a1..h8.
struct SquareList {
    std::array<Square, 64> squares;
    int count = 0;
};

class Position {
public:
    // The standard start position.
    Position();
    // The position after the move from -> to in `before`, with the Coup that links the two
    // (stored in previousMove, not yet in before's list of moves). The move is assumed legal.
    // The new Coup owns this position through Coup::after; when the Coup cannot be allocated,
    // previousMove stays null. PlayMove is the normal way to play a move; this constructor is
    // for it and for trial positions (released with DiscardTrial).
    Position(Position& before, Square from, Square to);
    // Destroys the moves played from here and everything below them, without recursing per
    // move, so that games of any length and nesting can be destroyed.
    virtual ~Position();

    // Nodes come from a pool of recycled blocks (gametree/node_pool.h). The nothrow form
    // returns null when memory runs out.
    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* pointer, std::size_t size) noexcept;

    Position(const Position&) = delete;
    Position& operator=(const Position&) = delete;

    // --- Setting up

    // Fills the standard start. Applied only to a position without moves or comment.
    void SetInitial();
    // Copies the board, rights, en-passant square, tested-move cache, side to move, evaluation
    // and move number from `source`; marks the position as set up. Applied only to a position
    // without moves (the setup dialog's working position).
    void CopyFrom(const Position& source);

    // --- Board access (squares 0..63 only)

    PieceCode PieceAt(Square square) const { return board[square]; }
    PieceCode PieceAtFileRank(int file, int rank) const { return board[file + rank * 8]; }
    void SetPiece(Square square, PieceCode code) { board[square] = code; }

    // --- The tree around this position

    // The position before the move that led here, or null at the root.
    Position* PreviousPosition() const;
    // The depth of the move that led here (0 on the main line and at the root).
    int VariationDepth() const { return previousMove != nullptr ? previousMove->depth : 0; }
    // Replaces the comment; none removes it.
    void SetComment(std::optional<std::u16string> text);
    // The position reached by the first move from -> to in this position's list (any
    // promotion), or null.
    Position* FindMove(Square from, Square to) const;

    // --- Move legality

    // Geometric test of the piece on `from` going to `to`, ignoring the side to move, checks and,
    // except for pawns, what stands on `to`.
    bool CanMove(Square from, Square to) const;
    // The sliding walk of rooks, bishops and queens: every square strictly between is empty.
    bool PathClear(Square from, Square to, int step) const;
    // Is `square` attacked by a piece of the side other than `colour` (false for a colour other
    // than White and Black). Pawns attack both diagonal squares ahead of them whether occupied
    // or not.
    bool IsAttacked(Colour colour, Square square) const;
    // Is the king of `colour` (the first one from a1 up) attacked; false without such a king.
    bool IsKingAttacked(Colour colour) const;
    // The full test: geometry, castling, en passant, and the mover's king left safe. Records the
    // pair and its result in the tested-move cache. Does not look at sideToMove.
    bool IsLegalMove(Square from, Square to);
    // Every square other than `excluded` holding exactly `code` whose piece can reach `target`
    // (CanMove), in square order. A code of 0 stands for the code on `excluded`; NoSquare
    // excludes nothing.
    SquareList ListMovers(PieceCode code, Square excluded, Square target) const;

    // --- Playing moves

    // Tests the move (reusing the tested-move cache for the same pair), builds the position
    // after it and links its Coup into this position's list: as main move when there is none,
    // in place of `replaced` (which must be in this list, and is then destroyed with everything
    // below it), or else as the last alternative. `promotion` is the piece type a pawn reaching
    // the last rank becomes (Rook 2, Knight 3, Bishop 4, Queen 5); 0 asks the installed Shell
    // before anything is built. Returns the new position, or null (squares off the board, an
    // illegal move, a cancelled or invalid promotion, a replaced move not in this list, no
    // memory) with the tree unchanged.
    [[nodiscard]] Position* PlayMove(Square from, Square to, Coup* replaced, int promotion);

    // Consistency of the position and its links to its neighbours in the tree; asserted after
    // every move in debug builds.
    bool IsConsistent() const;

    // --- Fields

    std::array<PieceCode, 64> board{};
    std::uint8_t castleWhiteKing = 0;
    std::uint8_t castleWhiteQueen = 0;
    std::uint8_t castleBlackKing = 0;
    std::uint8_t castleBlackQueen = 0;
    // Square passed over by the double pawn step that led here, else NoSquare.
    Square enPassant = NoSquare;
    // The tested-move cache: the last pair IsLegalMove tested here and its result (1 legal).
    Square testedFrom = NoSquare;
    Square testedTo = NoSquare;
    int testedLegal = 0;
    Colour sideToMove = White;
    // Assessment of the position as a NAG number (12..19), 0 for none.
    std::uint8_t evaluation = 0;
    // Full-move number of the move that led here: 0 in the standard start, one higher after
    // each White move. Not limited to 255.
    int moveNumber = 0;
    // 1 when the position was set up (FEN, setup dialog, CopyFrom) rather than reached from
    // the standard start.
    int setUp = 0;
    // The comment that follows the move that led here.
    std::optional<std::u16string> comment;
    // The move that led here; null at the root. Not owned.
    Coup* previousMove = nullptr;
    // The main move from here, head of the list of alternatives. Owned.
    std::unique_ptr<Coup> firstMove;

private:
    // IsLegalMove, also giving the masks of the board after the move when it is legal.
    bool TestMove(Square from, Square to, BoardMasks& after);

    LiveCount<Position> counter;
};

} // namespace pawnlet
