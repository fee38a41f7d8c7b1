// Reading SAN. The text names the target and the kind of piece; the origin is found on the
// board, and the move is then played like a move made on the board.
#include "chess/san.h"

#include "chess/position.h"

namespace pawnlet {

namespace {

bool IsFileLetter(char16_t c) {
    return c >= u'a' && c <= u'h';
}
bool IsRankDigit(char16_t c) {
    return c >= u'1' && c <= u'8';
}

int PieceTypeOfLetter(char16_t c) {
    switch (c) {
    case u'K':
        return King;
    case u'Q':
        return Queen;
    case u'R':
        return Rook;
    case u'B':
        return Bishop;
    case u'N':
        return Knight;
    default:
        return 0;
    }
}

// The text as the reader sees it: characters past its end (or past a zero) read as zero.
class SanText {
public:
    explicit SanText(std::u16string_view text) : text(text.substr(0, text.find(u'\0'))) {}

    char16_t At(std::size_t i) const { return i < text.size() ? text[i] : u'\0'; }
    bool StartsWith(std::u16string_view prefix) const { return text.starts_with(prefix); }
    bool IsSquareAt(std::size_t i) const { return IsFileLetter(At(i)) && IsRankDigit(At(i + 1)); }
    Square SquareAt(std::size_t i) const { return MakeSquare(At(i) - u'a', At(i + 1) - u'1'); }

private:
    std::u16string_view text;
};

Position* ReadCastling(Position& position, bool queenSide) {
    const Square from = position.sideToMove == White ? 4 : 60;
    // Castling is a king move: whatever else stands on the king's square may not "castle".
    if (position.board[from] != position.sideToMove + King) {
        return nullptr;
    }
    const Square to = queenSide ? from - 2 : from + 2;
    return position.PlayMove(from, static_cast<Square>(to), nullptr, 0);
}

Position* ReadPawnMove(Position& position, const SanText& san) {
    const Colour side = position.sideToMove;
    const int forward = side == White ? 1 : -1;
    const int originFile = san.At(0) - u'a';
    Square target;
    Square from;
    std::size_t promotionAt;
    if (san.At(1) == u'x' || IsFileLetter(san.At(1))) {
        const std::size_t targetAt = san.At(1) == u'x' ? 2 : 1;
        if (!san.IsSquareAt(targetAt)) {
            return nullptr;
        }
        target = san.SquareAt(targetAt);
        promotionAt = targetAt + 2;
        const int originRank = RankOf(target) - forward;
        // A capture comes from the neighbouring file, one rank behind.
        if (originRank < 0 || originRank > 7 ||
            (FileOf(target) - originFile != 1 && originFile - FileOf(target) != 1)) {
            return nullptr;
        }
        from = MakeSquare(originFile, originRank);
    } else {
        if (!san.IsSquareAt(0)) {
            return nullptr;
        }
        target = san.SquareAt(0);
        promotionAt = 2;
        const int rank = RankOf(target);
        const int doubleStepRank = side == White ? 3 : 4;
        if (rank == doubleStepRank && position.board[target - 8 * forward] == Empty) {
            from = static_cast<Square>(target - 16 * forward);
        } else if (rank - forward >= 0 && rank - forward <= 7) {
            from = static_cast<Square>(target - 8 * forward);
        } else {
            return nullptr;
        }
    }
    // A pawn move is a pawn's: another piece on the origin square does not make this move.
    if (position.board[from] != side + Pawn) {
        return nullptr;
    }
    int promotion = 0;
    if (RankOf(target) == (side == White ? 7 : 0)) {
        char16_t letter = san.At(promotionAt);
        if (letter == u'=') {
            letter = san.At(promotionAt + 1);
        }
        promotion = PieceTypeOfLetter(letter);
        // The reader never asks for a piece: a promotion must be written out.
        if (promotion == 0 || promotion == King) {
            return nullptr;
        }
    }
    return position.PlayMove(from, target, nullptr, promotion);
}

Position* ReadPieceMove(Position& position, const SanText& san) {
    const int type = PieceTypeOfLetter(san.At(0));
    if (type == 0) {
        return nullptr;
    }
    const PieceCode code = static_cast<PieceCode>(position.sideToMove + type);
    int fileHint = -1;
    int rankHint = -1;
    Square target;
    if (san.IsSquareAt(1)) {
        target = san.SquareAt(1);
        // The full origin, as the move text writes it when neither file nor rank is enough:
        // "Qa1b2", "Qa1xb2".
        const std::size_t next = san.At(3) == u'x' ? 4 : 3;
        if (san.IsSquareAt(next)) {
            fileHint = FileOf(target);
            rankHint = RankOf(target);
            target = san.SquareAt(next);
        }
    } else {
        std::size_t i = 1;
        if (IsFileLetter(san.At(i))) {
            fileHint = san.At(i) - u'a';
            ++i;
        }
        if (IsRankDigit(san.At(i))) {
            rankHint = san.At(i) - u'1';
            ++i;
        }
        if (san.At(i) == u'x') {
            ++i;
        }
        if (!san.IsSquareAt(i)) {
            return nullptr;
        }
        target = san.SquareAt(i);
    }

    const SquareList movers = position.ListMovers(code, NoSquare, target);
    if (movers.count == 1) {
        return position.PlayMove(movers.squares[0], target, nullptr, 0);
    }
    // Standard SAN leaves the hint out when the other piece is pinned: candidates that may not
    // legally move are passed over.
    for (int i = 0; i < movers.count; ++i) {
        const Square from = movers.squares[i];
        if ((fileHint < 0 || FileOf(from) == fileHint) &&
            (rankHint < 0 || RankOf(from) == rankHint) && position.IsLegalMove(from, target)) {
            return position.PlayMove(from, target, nullptr, 0);
        }
    }
    return nullptr;
}

} // namespace

Position* ReadSan(Position& position, std::u16string_view text) {
    const SanText san(text);
    if (san.At(0) == u'O' || san.At(0) == u'0') {
        if (san.StartsWith(u"O-O-O") || san.StartsWith(u"0-0-0")) {
            return ReadCastling(position, true);
        }
        if (san.StartsWith(u"O-O") || san.StartsWith(u"0-0")) {
            return ReadCastling(position, false);
        }
        return nullptr;
    }
    if (IsFileLetter(san.At(0))) {
        return ReadPawnMove(position, san);
    }
    return ReadPieceMove(position, san);
}

} // namespace pawnlet
