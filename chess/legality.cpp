// Move legality. There is no move generator: every test starts from an origin and a target.
// Attacks and movers are found by looking outward from the target square (knight jumps, the
// nearest piece along each ray, pawn and king neighbours), and king safety is tested by making
// the move on a copy of the board; both give exactly the answers of trying every square with
// CanMove.
#include <bit>
#include <cstdlib>

#include "chess/board_bits.h"
#include "chess/move_effects.h"
#include "chess/position.h"

namespace {

struct Offset {
    int file;
    int rank;
};

constexpr Offset knightJumps[8] = {{1, 2},   {2, 1},   {2, -1}, {1, -2},
                                   {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
// The first four directions are those of the rook, the last four those of the bishop. Along
// N, E, NE and NW the square index grows, so the nearest piece is the lowest bit of a ray's
// mask; along the others it is the highest.
enum Direction { North, East, South, West, NorthEast, SouthEast, SouthWest, NorthWest };
constexpr Offset rayDirections[8] = {{0, 1}, {1, 0},  {0, -1},  {-1, 0},
                                     {1, 1}, {1, -1}, {-1, -1}, {-1, 1}};
constexpr bool ascending[8] = {true, true, false, false, true, false, false, true};

struct Tables {
    std::uint64_t knight[64];
    std::uint64_t king[64];
    std::uint64_t rays[64][8];
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
            }
        }
    }
    return tables;
}

constexpr Tables tables = MakeTables();

// The nearest occupied square along a ray from `square`, or NoSquare.
Square NearestOnRay(std::uint64_t occupied, Square square, int direction) {
    const std::uint64_t blockers = tables.rays[square][direction] & occupied;
    if (blockers == 0) {
        return NoSquare;
    }
    return static_cast<Square>(ascending[direction] ? std::countr_zero(blockers)
                                                    : 63 - std::countl_zero(blockers));
}

// Is `square` attacked by the side other than `colour`: an enemy knight a jump away, king next
// to it, pawn on one of its attacking diagonals (occupied or not), or slider of the ray's kind
// as the nearest piece along a ray. Rays are walked only where such a slider stands on them.
bool AttackedOn(const PieceCode* board, Colour colour, Square square) {
    const Colour enemy = OtherSide(colour);
    const AttackerMasks enemies = AttackerMasksOf(board, enemy);
    if ((tables.knight[square] & enemies.knights) != 0 ||
        (tables.king[square] & enemies.king) != 0 ||
        (tables.pawnAttackers[enemy / Black][square] & enemies.pawns) != 0) {
        return true;
    }
    for (int direction = 0; direction < 8; ++direction) {
        const std::uint64_t sliders = direction < 4 ? enemies.rooksQueens : enemies.bishopsQueens;
        if ((tables.rays[square][direction] & sliders) == 0) {
            continue;
        }
        const Square nearest = NearestOnRay(enemies.occupied, square, direction);
        if ((Bit(nearest) & sliders) != 0) {
            return true;
        }
    }
    return false;
}

// The first square from a1 up holding the king of `colour`, or NoSquare.
Square FindKing(const PieceCode* board, Colour colour) {
    const std::uint64_t kings = SquaresHolding(board, colour + King);
    return kings == 0 ? NoSquare : static_cast<Square>(std::countr_zero(kings));
}

bool KingAttackedOn(const PieceCode* board, Colour colour) {
    const Square king = FindKing(board, colour);
    return king != NoSquare && AttackedOn(board, colour, king);
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

void InsertSorted(SquareList& list, Square square) {
    int i = list.count++;
    while (i > 0 && list.squares[i - 1] > square) {
        list.squares[i] = list.squares[i - 1];
        --i;
    }
    list.squares[i] = square;
}

} // namespace

MoveEffects ApplyMoveToBoard(PieceCode* board, Square from, Square to, Square enPassantBefore) {
    MoveEffects effects;
    const PieceCode mover = board[from];
    if (board[to] != Empty) {
        effects.isCapture = true;
        effects.capturedPiece = board[to];
    } else if (TypeOf(mover) == Pawn && to == enPassantBefore) {
        // The pawn taken en passant stands beside the origin, on the target's file.
        effects.isCapture = true;
        effects.enPassantCapture = to;
        board[MakeSquare(FileOf(to), RankOf(from))] = Empty;
    } else if ((mover == White + King && from == 4) || (mover == Black + King && from == 60)) {
        const int base = from - 4;
        if (to == base + 6) {
            board[base + 5] = board[base + 7];
            board[base + 7] = Empty;
            effects.castle = 1;
        } else if (to == base + 2) {
            board[base + 3] = board[base + 0];
            board[base + 0] = Empty;
            effects.castle = 2;
        }
    } else if (mover == White + Pawn && RankOf(from) == 1 && RankOf(to) == 3) {
        effects.enPassant = MakeSquare(FileOf(from), 2);
    } else if (mover == Black + Pawn && RankOf(from) == 6 && RankOf(to) == 4) {
        effects.enPassant = MakeSquare(FileOf(from), 5);
    }
    board[to] = mover;
    board[from] = Empty;
    return effects;
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

bool Position::IsAttacked(Colour colour, Square square) const {
    return square < 64 && AttackedOn(board.data(), colour, square);
}

bool Position::IsKingAttacked(Colour colour) const {
    return KingAttackedOn(board.data(), colour);
}

bool Position::IsLegalMove(Square from, Square to) {
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
    } else {
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
    if (!decided) {
        legal = CanMove(from, to);
    }
    if (legal) {
        // The trial: the mover's king must not be attacked once the move is made.
        std::array<PieceCode, 64> trial = board;
        (void)ApplyMoveToBoard(trial.data(), from, to, enPassant);
        legal = !KingAttackedOn(trial.data(), ColourOf(mover));
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
    const auto consider = [&](Square square) {
        if (square != excluded && board[square] == code) {
            InsertSorted(list, square);
        }
    };
    switch (type) {
    case Pawn: {
        // A pawn comes from one rank behind: diagonally onto an occupied target, straight onto
        // an empty one, or two ranks behind from its start rank over an empty square.
        const int back = ColourOf(code) == White ? -1 : 1;
        const int rank = RankOf(target) + back;
        if (rank < 0 || rank > 7) {
            break;
        }
        const int file = FileOf(target);
        if (board[target] != Empty) {
            if (file > 0) {
                consider(MakeSquare(file - 1, rank));
            }
            if (file < 7) {
                consider(MakeSquare(file + 1, rank));
            }
            break;
        }
        const Square behind = MakeSquare(file, rank);
        consider(behind);
        const int startRank = ColourOf(code) == White ? 1 : 6;
        if (rank + back == startRank && board[behind] == Empty) {
            consider(MakeSquare(file, startRank));
        }
        break;
    }
    case Knight:
    case King: {
        const std::uint64_t reach = type == Knight ? tables.knight[target] : tables.king[target];
        for (std::uint64_t from = reach & SquaresHolding(board.data(), code); from != 0;
             from &= from - 1) {
            consider(static_cast<Square>(std::countr_zero(from)));
        }
        break;
    }
    case Rook:
    case Bishop:
    case Queen: {
        // Only rays that hold a piece of this code anywhere can lead to a mover.
        const std::uint64_t pieces = SquaresHolding(board.data(), code);
        const int first = type == Bishop ? 4 : 0;
        const int last = type == Rook ? 4 : 8;
        std::uint64_t occupied = 0;
        for (int direction = first; direction < last; ++direction) {
            if ((tables.rays[target][direction] & pieces) == 0) {
                continue;
            }
            if (occupied == 0) {
                occupied = Occupied(board.data());
            }
            const Square nearest = NearestOnRay(occupied, target, direction);
            if ((Bit(nearest) & pieces) != 0) {
                consider(nearest);
            }
        }
        break;
    }
    }
    return list;
}
