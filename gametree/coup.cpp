#include "gametree/coup.h"

#include "chess/position.h"
#include "gametree/node_pool.h"

namespace pawnlet {

using CoupPool = NodePool<sizeof(Coup)>;

void* Coup::operator new(std::size_t size) {
    void* block = operator new(size, std::nothrow);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void* Coup::operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return size == sizeof(Coup) ? CoupPool::Allocate() : ::operator new(size, std::nothrow);
}

void Coup::operator delete(void* pointer, std::size_t size) noexcept {
    if (size == sizeof(Coup)) {
        CoupPool::Release(pointer);
    } else {
        ::operator delete(pointer);
    }
}

Coup::Coup(Position* before, Position* after, Square from, Square to, int moveNumber)
    : from(from), to(to), moveNumber(moveNumber), before(before), after(after) {
    if (before == nullptr) {
        return;
    }
    // The hint names the origin only as far as needed to tell the mover from the other pieces
    // of its kind that reach the same square. Pinned pieces count: their moves are not tried.
    const SquareList others = before->ListMovers(0, from, to);
    if (others.count == 0) {
        return;
    }
    bool fileShared = false;
    bool rankShared = false;
    for (int i = 0; i < others.count; ++i) {
        fileShared = fileShared || FileOf(others.squares[i]) == FileOf(from);
        rankShared = rankShared || RankOf(others.squares[i]) == RankOf(from);
    }
    if (!fileShared) {
        disambiguation[0] = FileLetter(from);
    } else if (!rankShared) {
        disambiguation[0] = RankDigit(from);
    } else {
        disambiguation[0] = FileLetter(from);
        disambiguation[1] = RankDigit(from);
    }
}

Coup::~Coup() {
    if (next) {
        DestroyList(std::move(next));
    }
    if (after && after->firstMove) {
        DestroyList(std::move(after->firstMove));
    }
}

void Coup::DestroyList(std::unique_ptr<Coup> head) noexcept {
    // The entries still to destroy form one chain through `next`. Each entry taken off the chain
    // first hands over the list of its position (spliced in front of the chain), so that its own
    // destruction reaches no further than its position.
    std::unique_ptr<Coup> pending = std::move(head);
    while (pending) {
        std::unique_ptr<Coup> entry = std::move(pending);
        pending = std::move(entry->next);
        if (entry->after && entry->after->firstMove) {
            std::unique_ptr<Coup> below = std::move(entry->after->firstMove);
            Coup* last = below.get();
            while (last->next) {
                last = last->next.get();
            }
            last->next = std::move(pending);
            pending = std::move(below);
        }
    }
}

void Coup::SetCapture(PieceCode piece, Square enPassantSquare) {
    isCapture = 1;
    capturedPiece = piece;
    this->enPassantSquare = enPassantSquare;
}

} // namespace pawnlet
