// A move in the game tree.
//
// A Coup sits in the list of moves of the position it is played in (`before`): the first entry
// of that list (Position::firstMove) is the main move, the entries reached through `next` are
// the alternatives to it, each the first move of a variation. A Coup owns the entry after it
// (`next`) and the position it reaches (`after`); `prev` and `before` point back and own
// nothing. The list and tree operations are in gametree/tree_ops.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "chess/types.h"
#include "platform/live_count.h"

namespace pawnlet {

class Position;

class Coup {
public:
    // Stores the five values, computes the disambiguation hint from `before` and takes
    // ownership of `after`. Called by the position-after-move constructor.
    Coup(Position* before, Position* after, Square from, Square to, int moveNumber);
    // Destroys the entries after this one in its list and the position reached, with
    // everything below them, without recursing per move.
    virtual ~Coup();

    // Nodes come from a pool of recycled blocks (gametree/node_pool.h). The nothrow form
    // returns null when memory runs out.
    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* pointer, std::size_t size) noexcept;

    Coup(const Coup&) = delete;
    Coup& operator=(const Coup&) = delete;

    // Destroys a chain of entries (`head`, its `next` and so on) with their positions and
    // everything below them. Works through the tree with a work list threaded through `next`
    // instead of recursion, so nesting and length are unlimited; allocates nothing.
    static void DestroyList(std::unique_ptr<Coup> head) noexcept;

    // Marks the move as a capture of `piece` (0 for en passant, whose square is then given).
    void SetCapture(PieceCode piece, Square enPassantSquare);

    Square from;
    Square to;
    // Full-move number of this move (that of the position it reaches). Not limited to 255.
    int moveNumber;
    int isCapture = 0;
    // Code of the captured piece; 0 for en passant and for a move without capture.
    PieceCode capturedPiece = 0;
    // Target square of an en-passant capture, else 0.
    Square enPassantSquare = 0;
    // 0 none, 1 king-side, 2 queen-side.
    std::uint8_t castle = 0;
    // Variation nesting level: 0 on the main line, one more inside each variation.
    int depth = 0;
    // Piece type promoted to (Rook 2, Knight 3, Bishop 4, Queen 5), 0 for none.
    std::uint8_t promotion = 0;
    int givesCheck = 0;
    // Origin hint of the move text: "", a file letter, a rank digit, or both; zero-terminated.
    char16_t disambiguation[3] = {0, 0, 0};
    // Move annotation as a NAG number, 0 for none.
    std::uint8_t nag = 0;
    std::unique_ptr<Coup> next;
    // Previous entry in the list; null exactly for the main move.
    Coup* prev = nullptr;
    Position* before;
    std::unique_ptr<Position> after;

private:
    LiveCount<Coup> counter;
};

} // namespace pawnlet
