// Move legality. There is no move generator: every test starts from an origin and a target.
// Attacks and movers are found by looking outward from the target square (knight jumps, rays,
// pawn and king neighbours), and king safety is tested by making the move on a copy of the
// board; both give exactly the answers of trying every square with CanMove.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "chess/move_effects.h"
#include "chess/position.h"

namespace {

struct Offset {
    int file;
    int rank;
};

constexpr Offset knightJumps[8] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
constexpr Offset kingSteps[8] = {{0, 1}, {1, 1}, {1, 0}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}, {-1, 1}};
// The first four directions are those of the rook, the last four those of the bishop.
constexpr Offset rayDirections[8] = {{0, 1}, {1, 0}, {0, -1}, {-1, 0}, {1, 1}, {1, -1}, {-1, -1}, {-1, 1}};

struct SquareSet {
    Square squares[8] = {};
    int count = 0;
};

struct Ray {
    Square squares[7] = {};
    int length = 0;
};

struct Tables {
    SquareSet knight[64];
    SquareSet king[64];
    Ray rays[64][8];
};

constexpr bool OnBoard(int file, int rank) { return file >= 0 && file < 8 && rank >= 0 && rank < 8; }

constexpr Tables MakeTables() {
    Tables tables{};
    for (int square = 0; square < 64; ++square) {
        const int file = square % 8;
        const int rank = square / 8;
        for (const Offset& jump : knightJumps) {
            if (OnBoard(file + jump.file, rank + jump.rank)) {
                SquareSet& set = tables.knight[square];
                set.squares[set.count++] = MakeSquare(file + jump.file, rank + jump.rank);
            }
        }
        for (const Offset& step : kingSteps) {
            if (OnBoard(file + step.file, rank + step.rank)) {
                SquareSet& set = tables.king[square];
                set.squares[set.count++] = MakeSquare(file + step.file, rank + step.rank);
            }
        }
        for (int direction = 0; direction < 8; ++direction) {
            Ray& ray = tables.rays[square][direction];
            int f = file + rayDirections[direction].file;
            int r = rank + rayDirections[direction].rank;
            while (OnBoard(f, r)) {
                ray.squares[ray.length++] = MakeSquare(f, r);
                f += rayDirections[direction].file;
                r += rayDirections[direction].rank;
            }
        }
    }
    return tables;
}

constexpr Tables tables = MakeTables();

// The first piece met along a ray from `square`, or Empty.
PieceCode FirstOnRay(const PieceCode* board, Square square, int direction, Square* where) {
    const Ray& ray = tables.rays[square][direction];
    for (int i = 0; i < ray.length; ++i) {
        const PieceCode code = board[ray.squares[i]];
        if (code != Empty) {
            *where = ray.squares[i];
            return code;
        }
    }
    return Empty;
}

// Is `square` attacked by the side other than `colour`.
bool AttackedOn(const PieceCode* board, Colour colour, Square square) {
    const Colour enemy = OtherSide(colour);
    const int file = FileOf(square);
    const int rank = RankOf(square);
    // Pawns attack both squares diagonally ahead, occupied or not.
    const PieceCode pawn = enemy + Pawn;
    if (enemy == White && rank > 0) {
        if ((file > 0 && board[square - 9] == pawn) || (file < 7 && board[square - 7] == pawn)) {
            return true;
        }
    } else if (enemy == Black && rank < 7) {
        if ((file > 0 && board[square + 7] == pawn) || (file < 7 && board[square + 9] == pawn)) {
            return true;
        }
    }
    const SquareSet& knights = tables.knight[square];
    for (int i = 0; i < knights.count; ++i) {
        if (board[knights.squares[i]] == enemy + Knight) {
            return true;
        }
    }
    const SquareSet& kings = tables.king[square];
    for (int i = 0; i < kings.count; ++i) {
        if (board[kings.squares[i]] == enemy + King) {
            return true;
        }
    }
    for (int direction = 0; direction < 8; ++direction) {
        Square where = NoSquare;
        const PieceCode code = FirstOnRay(board, square, direction, &where);
        const PieceCode slider = direction < 4 ? enemy + Rook : enemy + Bishop;
        if (code != Empty && (code == slider || code == enemy + Queen)) {
            return true;
        }
    }
    return false;
}

// The first square from a1 up holding the king of `colour`, or NoSquare.
Square FindKing(const PieceCode* board, Colour colour) {
    const void* found = std::memchr(board, colour + King, 64);
    return found == nullptr ? NoSquare
                            : static_cast<Square>(static_cast<const PieceCode*>(found) - board);
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

bool Position::IsKingAttacked(Colour colour) const { return KingAttackedOn(board.data(), colour); }

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
        legal = std::abs(FileOf(to) - FileOf(from)) == 1 &&
                rise == (ColourOf(mover) == White ? 1 : -1);
        decided = true;
    } else {
        for (int row = 0; row < 4; ++row) {
            const CastlingRow& c = castlingRows[row];
            if (mover != c.king || from != c.from || to != c.to) {
                continue;
            }
            bool allowed = CastlingRight(*this, row) != 0 && board[c.corner] == c.king - King + Rook;
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
        // A pawn reaches its target from one or two ranks behind it, straight or diagonally.
        const int dir = ColourOf(code) == White ? -1 : 1;
        const int file = FileOf(target);
        for (int back = 1; back <= 2; ++back) {
            const int rank = RankOf(target) + dir * back;
            for (int f = file - 1; f <= file + 1; ++f) {
                if (OnBoard(f, rank) && CanMove(MakeSquare(f, rank), target)) {
                    consider(MakeSquare(f, rank));
                }
            }
        }
        break;
    }
    case Knight:
    case King: {
        const SquareSet& set = type == Knight ? tables.knight[target] : tables.king[target];
        for (int i = 0; i < set.count; ++i) {
            consider(set.squares[i]);
        }
        break;
    }
    case Rook:
    case Bishop:
    case Queen: {
        const int first = type == Bishop ? 4 : 0;
        const int last = type == Rook ? 4 : 8;
        for (int direction = first; direction < last; ++direction) {
            Square where = NoSquare;
            if (FirstOnRay(board.data(), target, direction, &where) == code) {
                consider(where);
            }
        }
        break;
    }
    }
    return list;
}
