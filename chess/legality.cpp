// Move legality. There is no move generator: every test starts from an origin and a target.
// Attacks and movers are found by looking outward from the target square (knight jumps, the
// nearest piece along each ray, pawn and king neighbours), and king safety is tested by making
// the move on the board's masks; both give exactly the answers of trying every square with
// CanMove.
#include <bit>
#include <cstdlib>

#include "chess/board_bits.h"
#include "chess/move_effects.h"
#include "chess/position.h"

namespace pawnlet {

namespace {

struct Offset {
    int file;
    int rank;
};

constexpr Offset knightJumps[8] = {{1, 2},   {2, 1},   {2, -1}, {1, -2},
                                   {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
// The first four directions are those of the rook, the last four those of the bishop.
enum Direction { North, East, South, West, NorthEast, SouthEast, SouthWest, NorthWest };
constexpr Offset rayDirections[8] = {{0, 1}, {1, 0},  {0, -1},  {-1, 0},
                                     {1, 1}, {1, -1}, {-1, -1}, {-1, 1}};

struct Tables {
    std::uint64_t knight[64];
    std::uint64_t king[64];
    // Indexed by Direction; [8], for squares that share no line, stays empty.
    std::uint64_t rays[64][9];
    // The rook's four rays together, and the bishop's.
    std::uint64_t rookLines[64];
    std::uint64_t bishopLines[64];
    // The direction from the first square to the second, when they share a line (else 8).
    std::uint8_t direction[64][64];
    // The squares from which a pawn of each side (index side / 32) attacks the square.
    std::uint64_t pawnAttackers[2][64];
};

constexpr bool OnBoard(int file, int rank) {
    return file >= 0 && file < 8 && rank >= 0 && rank < 8;
}

constexpr std::uint64_t Bit(int square) {
    return std::uint64_t{1} << square;
}

constexpr Tables MakeTables() {
    Tables tables{};
    for (auto& row : tables.direction) {
        for (std::uint8_t& direction : row) {
            direction = 8;
        }
    }
    for (int square = 0; square < 64; ++square) {
        const int file = square % 8;
        const int rank = square / 8;
        for (const Offset& jump : knightJumps) {
            if (OnBoard(file + jump.file, rank + jump.rank)) {
                tables.knight[square] |= Bit(MakeSquare(file + jump.file, rank + jump.rank));
            }
        }
        if (rank > 0 && file > 0) {
            tables.pawnAttackers[0][square] |= Bit(square - 9);
        }
        if (rank > 0 && file < 7) {
            tables.pawnAttackers[0][square] |= Bit(square - 7);
        }
        if (rank < 7 && file > 0) {
            tables.pawnAttackers[1][square] |= Bit(square + 7);
        }
        if (rank < 7 && file < 7) {
            tables.pawnAttackers[1][square] |= Bit(square + 9);
        }
        for (int direction = 0; direction < 8; ++direction) {
            const Offset step = rayDirections[direction];
            if (OnBoard(file + step.file, rank + step.rank)) {
                tables.king[square] |= Bit(MakeSquare(file + step.file, rank + step.rank));
            }
            for (int f = file + step.file, r = rank + step.rank; OnBoard(f, r);
                 f += step.file, r += step.rank) {
                tables.rays[square][direction] |= Bit(MakeSquare(f, r));
                tables.direction[square][MakeSquare(f, r)] = static_cast<std::uint8_t>(direction);
            }
            (direction < NorthEast ? tables.rookLines : tables.bishopLines)[square] |=
                tables.rays[square][direction];
        }
    }
    return tables;
}

constexpr Tables tables = MakeTables();

// The pieces of `candidates` (all on lines through `square`) with nothing between them and
// `square`. Seen from `square` towards a candidate, the ray from the candidate onwards is part
// of the ray from `square`; what the two do not share is the squares between and the
// candidate itself.
std::uint64_t UnblockedOnLines(std::uint64_t occupied, std::uint64_t candidates, Square square) {
    std::uint64_t unblocked = 0;
    for (; candidates != 0; candidates &= candidates - 1) {
        const int candidate = std::countr_zero(candidates);
        const int direction = tables.direction[square][candidate];
        const std::uint64_t upTo =
            tables.rays[square][direction] ^ tables.rays[candidate][direction];
        const std::uint64_t bit = Bit(candidate);
        unblocked |= (upTo & occupied) == bit ? bit : 0;
    }
    return unblocked;
}

// Is `square` attacked by the side `enemy` (0 White, 1 Black): a knight of that side a jump away,
// its king next to it, a pawn on one of its attacking diagonals (occupied or not), or a slider
// of the ray's kind as the nearest piece along a ray.
inline bool AttackedBy(const BoardMasks& masks, int enemy, Square square) {
    const std::uint64_t enemies = masks.bySide[enemy];
    if ((tables.knight[square] & enemies & masks.byType[Knight]) != 0 ||
        (tables.king[square] & enemies & masks.byType[King]) != 0 ||
        (tables.pawnAttackers[enemy][square] & enemies & masks.byType[Pawn]) != 0) {
        return true;
    }
    const std::uint64_t queens = masks.byType[Queen];
    const std::uint64_t rooks = enemies & (masks.byType[Rook] | queens);
    const std::uint64_t bishops = enemies & (masks.byType[Bishop] | queens);
    const std::uint64_t candidates =
        (tables.rookLines[square] & rooks) | (tables.bishopLines[square] & bishops);
    return candidates != 0 && UnblockedOnLines(masks.occupied, candidates, square) != 0;
}

// The castling rows: king code, origin, target, squares that must be empty, the rook's corner,
// and the square the king passes over.
struct CastlingRow {
    PieceCode king;
    Square from;
    Square to;
    Square mustBeEmpty[3];
    int emptyCount;
    Square corner;
    Square passed;
};

constexpr CastlingRow castlingRows[4] = {
    {White + King, 4, 6, {5, 6, 0}, 2, 7, 5},
    {White + King, 4, 2, {1, 2, 3}, 3, 0, 3},
    {Black + King, 60, 62, {61, 62, 0}, 2, 63, 61},
    {Black + King, 60, 58, {57, 58, 59}, 3, 56, 59},
};

std::uint8_t CastlingRight(const Position& position, int row) {
    switch (row) {
    case 0:
        return position.castleWhiteKing;
    case 1:
        return position.castleWhiteQueen;
    case 2:
        return position.castleBlackKing;
    case 3:
        return position.castleBlackQueen;
    }
    return 0;
}

// The squares a move changes besides its origin and target: the pawn taken en passant, and the
// rook of a castling king. The test of both is kept this small because every legality trial
// makes it.
struct SideSquares {
    Square taken = NoSquare;
    Square rookFrom = NoSquare;
    Square rookTo = NoSquare;
};

SideSquares SideSquaresOf(const PieceCode* board, Square from, Square to, Square enPassantBefore) {
    SideSquares side;
    if (board[to] != Empty) {
        return side;
    }
    const PieceCode mover = board[from];
    if (TypeOf(mover) == Pawn && to == enPassantBefore) {
        // The pawn taken en passant stands beside the origin, on the target's file.
        side.taken = MakeSquare(FileOf(to), RankOf(from));
    } else if ((mover == White + King && from == 4) || (mover == Black + King && from == 60)) {
        if (to == from + 2) {
            side.rookFrom = static_cast<Square>(from + 3);
            side.rookTo = static_cast<Square>(from + 1);
        } else if (to == from - 2) {
            side.rookFrom = static_cast<Square>(from - 4);
            side.rookTo = static_cast<Square>(from - 1);
        }
    }
    return side;
}

// The squares holding pawn `code` from which it reaches `target`: one rank behind, diagonally
// onto an occupied target, straight onto an empty one, or two ranks behind from its start rank
// over an empty square.
std::uint64_t PawnMovers(const PieceCode* board, PieceCode code, Square target) {
    std::uint64_t movers = 0;
    const auto consider = [&](Square square) {
        if (board[square] == code) {
            movers |= Bit(square);
        }
    };
    const int back = ColourOf(code) == White ? -1 : 1;
    const int rank = RankOf(target) + back;
    if (rank < 0 || rank > 7) {
        return 0;
    }
    const int file = FileOf(target);
    if (board[target] != Empty) {
        if (file > 0) {
            consider(MakeSquare(file - 1, rank));
        }
        if (file < 7) {
            consider(MakeSquare(file + 1, rank));
        }
        return movers;
    }
    const Square behind = MakeSquare(file, rank);
    consider(behind);
    const int startRank = ColourOf(code) == White ? 1 : 6;
    if (rank + back == startRank && board[behind] == Empty) {
        consider(MakeSquare(file, startRank));
    }
    return movers;
}

// The squares of `pieces`, all of piece type `type` (Rook .. King), from which it reaches
// `target` on a board whose occupied squares are `occupied`.
std::uint64_t PieceMovers(std::uint64_t pieces, std::uint64_t occupied, int type, Square target) {
    if (type == Knight) {
        return tables.knight[target] & pieces;
    }
    if (type == King) {
        return tables.king[target] & pieces;
    }
    const std::uint64_t lines = type == Rook ? tables.rookLines[target]
                                : type == Bishop
                                    ? tables.bishopLines[target]
                                    : tables.rookLines[target] | tables.bishopLines[target];
    return UnblockedOnLines(occupied, lines & pieces, target);
}

} // namespace

MoveEffects ApplyMoveToBoard(PieceCode* board, Square from, Square to, Square enPassantBefore) {
    const SideSquares side = SideSquaresOf(board, from, to, enPassantBefore);
    const PieceCode mover = board[from];
    MoveEffects effects;
    if (board[to] != Empty) {
        effects.isCapture = true;
        effects.capturedPiece = board[to];
    } else if (side.taken != NoSquare) {
        effects.isCapture = true;
        effects.enPassantCapture = to;
        board[side.taken] = Empty;
    } else if (side.rookFrom != NoSquare) {
        board[side.rookTo] = board[side.rookFrom];
        board[side.rookFrom] = Empty;
        effects.castle = to > from ? 1 : 2;
    } else if (mover == White + Pawn && RankOf(from) == 1 && RankOf(to) == 3) {
        effects.enPassant = MakeSquare(FileOf(from), 2);
    } else if (mover == Black + Pawn && RankOf(from) == 6 && RankOf(to) == 4) {
        effects.enPassant = MakeSquare(FileOf(from), 5);
    }
    board[to] = mover;
    board[from] = Empty;
    return effects;
}

void ApplyMoveToMasks(BoardMasks& masks, const PieceCode* board, Square from, Square to,
                      Square enPassantBefore) {
    // The steps of ApplyMoveToBoard in the same order, each square emptied with the code it
    // holds at that step. The codes are read from the board before the move: no step reads a
    // square an earlier one wrote, except the origin, emptied twice when a pawn steps straight
    // onto the en-passant square.
    const SideSquares side = SideSquaresOf(board, from, to, enPassantBefore);
    const PieceCode mover = board[from];
    if (side.taken != NoSquare) {
        masks.Remove(side.taken, board[side.taken]);
    } else if (side.rookFrom != NoSquare) {
        masks.Remove(side.rookTo, board[side.rookTo]);
        masks.Put(side.rookTo, board[side.rookFrom]);
        masks.Remove(side.rookFrom, board[side.rookFrom]);
    }
    masks.Remove(to, board[to]);
    masks.Put(to, mover);
    masks.Remove(from, mover);
}

bool Position::PathClear(Square from, Square to, int step) const {
    int square = from;
    for (int i = 0; i < 8; ++i) {
        square += step;
        if (square < 0 || square > 63) {
            return false;
        }
        if (square == to) {
            return true;
        }
        if (board[square] != Empty) {
            return false;
        }
    }
    return false;
}

bool Position::CanMove(Square from, Square to) const {
    if (from == to || from > 63 || to > 63) {
        return false;
    }
    const PieceCode code = board[from];
    const int type = TypeOf(code);
    const int fileFrom = FileOf(from), rankFrom = RankOf(from);
    const int fileTo = FileOf(to), rankTo = RankOf(to);
    const int df = std::abs(fileTo - fileFrom);
    const int dr = std::abs(rankTo - rankFrom);
    const int rise = rankTo - rankFrom;

    const auto rookRule = [&] {
        if (rankFrom == rankTo) {
            return PathClear(from, to, fileTo > fileFrom ? 1 : -1);
        }
        if (fileFrom == fileTo) {
            return PathClear(from, to, rankTo > rankFrom ? 8 : -8);
        }
        return false;
    };
    const auto bishopRule = [&] {
        if (df != dr) {
            return false;
        }
        const int step = (fileTo > fileFrom ? 1 : -1) + (rankTo > rankFrom ? 8 : -8);
        return PathClear(from, to, step);
    };

    switch (type) {
    case Pawn: {
        const bool white = ColourOf(code) == White;
        if (df == 1) {
            return board[to] != Empty && rise == (white ? 1 : -1);
        }
        if (df != 0 || board[to] != Empty) {
            return false;
        }
        if (white && rankFrom == 1) {
            return rankTo == 2 || (rankTo == 3 && board[from + 8] == Empty);
        }
        if (!white && rankFrom == 6) {
            return rankTo == 5 || (rankTo == 4 && board[from - 8] == Empty);
        }
        return rise == (white ? 1 : -1);
    }
    case Rook:
        return rookRule();
    case Knight:
        return (df == 2 && dr == 1) || (df == 1 && dr == 2);
    case Bishop:
        return bishopRule();
    case Queen:
        return rookRule() || bishopRule();
    case King:
        return df <= 1 && dr <= 1;
    default:
        return false;
    }
}

bool KingAttackedOn(const BoardMasks& masks, Colour colour) {
    if (colour != White && colour != Black) {
        return false;
    }
    const int own = colour / Black;
    const std::uint64_t kings = masks.bySide[own] & masks.byType[King];
    return kings != 0 && AttackedBy(masks, 1 - own, static_cast<Square>(std::countr_zero(kings)));
}

// A colour other than White and Black has no enemy.
bool Position::IsAttacked(Colour colour, Square square) const {
    return square < 64 && (colour == White || colour == Black) &&
           AttackedBy(MasksOf(board.data()), colour == White ? 1 : 0, square);
}

bool Position::IsKingAttacked(Colour colour) const {
    return KingAttackedOn(MasksOf(board.data()), colour);
}

bool Position::IsLegalMove(Square from, Square to) {
    BoardMasks after;
    return TestMove(from, to, after);
}

bool Position::TestMove(Square from, Square to, BoardMasks& after) {
    testedFrom = from;
    testedTo = to;
    testedLegal = 0;
    if (from > 63 || to > 63) {
        return false;
    }
    const PieceCode mover = board[from];
    if (board[to] != Empty && ColourOf(board[to]) == ColourOf(mover)) {
        return false;
    }

    bool legal = false;
    bool decided = false;
    if (to == enPassant && TypeOf(mover) == Pawn) {
        // The target counts as occupied: only the diagonal step forward reaches it.
        const int rise = RankOf(to) - RankOf(from);
        legal =
            std::abs(FileOf(to) - FileOf(from)) == 1 && rise == (ColourOf(mover) == White ? 1 : -1);
        decided = true;
    } else if ((mover == White + King && from == 4) || (mover == Black + King && from == 60)) {
        for (int row = 0; row < 4; ++row) {
            const CastlingRow& c = castlingRows[row];
            if (mover != c.king || from != c.from || to != c.to) {
                continue;
            }
            bool allowed =
                CastlingRight(*this, row) != 0 && board[c.corner] == c.king - King + Rook;
            for (int i = 0; i < c.emptyCount && allowed; ++i) {
                allowed = board[c.mustBeEmpty[i]] == Empty;
            }
            if (allowed) {
                const Colour colour = ColourOf(mover);
                legal = !IsKingAttacked(colour) && !IsAttacked(colour, c.passed);
                decided = true;
            }
            break;
        }
    }
    // Nothing below asks about another board, so `known` stays this board's.
    const RememberedBoard& known = RememberedFor(board.data());
    if (!decided) {
        // A move just found by ListMovers needs no second look at its geometry.
        legal = (mover != Empty && known.moversCode == mover && known.moversTarget == to &&
                 ((known.movers >> from) & 1) != 0) ||
                CanMove(from, to);
    }
    if (legal) {
        // The trial: the mover's king must not be attacked once the move is made. The move is
        // made on the masks alone; the board is not copied.
        after = known.masks;
        ApplyMoveToMasks(after, board.data(), from, to, enPassant);
        legal = !KingAttackedOn(after, ColourOf(mover));
    }
    testedLegal = legal ? 1 : 0;
    return legal;
}

SquareList Position::ListMovers(PieceCode code, Square excluded, Square target) const {
    SquareList list;
    if (code == 0 && excluded < 64) {
        code = board[excluded];
    }
    const int type = TypeOf(code);
    if (target > 63 || type < Pawn || type > King) {
        return list;
    }
    // The movers are gathered as a mask, which gives them in square order.
    std::uint64_t movers;
    if (type == Pawn) {
        movers = PawnMovers(board.data(), code, target);
    } else if (!IsPieceCode(code)) {
        // A byte that is no piece (a damaged board) is looked for byte by byte.
        movers =
            PieceMovers(SquaresHolding(board.data(), code), Occupied(board.data()), type, target);
    } else {
        RememberedBoard& known = RememberedFor(board.data());
        if (known.moversCode != code || known.moversTarget != target) {
            known.movers = PieceMovers(known.masks.Of(code), known.masks.occupied, type, target);
            known.moversCode = code;
            known.moversTarget = target;
        }
        movers = known.movers;
    }
    if (excluded < 64) {
        movers &= ~Bit(excluded);
    }
    for (; movers != 0; movers &= movers - 1) {
        list.squares[list.count++] = static_cast<Square>(std::countr_zero(movers));
    }
    return list;
}

} // namespace pawnlet
