#include "chess/fen.h"

#include <algorithm>

#include "chess/position.h"

namespace pawnlet {

namespace {

constexpr char16_t fenLetters[] = u"PRNBQKprnbqk";

// The largest full-move number kept; a larger one is read as this, which is no real game's
// number either but leaves the position readable.
constexpr int maxFullMoveNumber = 1000000;

int PieceOfLetter(char16_t c) {
    for (int i = 0; i < 12; ++i) {
        if (fenLetters[i] == c) {
            return i < 6 ? White + i + 1 : Black + i - 5;
        }
    }
    return -1;
}

void AppendNumber(std::u16string& out, int number) {
    const std::string digits = std::to_string(number);
    out.append(digits.begin(), digits.end());
}

} // namespace

std::u16string WriteFen(const Position& position) {
    std::u16string fen;
    fen.reserve(96);
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            const PieceCode code = position.board[MakeSquare(file, rank)];
            const int type = TypeOf(code);
            // Only real pieces have a letter; anything else is written as an empty square.
            if (type < Pawn || type > King || code == Black) {
                ++empty;
                continue;
            }
            if (empty != 0) {
                fen += static_cast<char16_t>(u'0' + empty);
                empty = 0;
            }
            fen += fenLetters[type - 1 + (ColourOf(code) == Black ? 6 : 0)];
        }
        if (empty != 0) {
            fen += static_cast<char16_t>(u'0' + empty);
        }
        fen += rank > 0 ? u'/' : u' ';
    }
    fen += position.sideToMove == White ? u"w " : u"b ";
    const std::size_t rights = fen.size();
    if (position.castleWhiteKing) {
        fen += u'K';
    }
    if (position.castleWhiteQueen) {
        fen += u'Q';
    }
    if (position.castleBlackKing) {
        fen += u'k';
    }
    if (position.castleBlackQueen) {
        fen += u'q';
    }
    if (fen.size() == rights) {
        fen += u'-';
    }
    fen += u' ';
    if (position.enPassant < 64) {
        fen += FileLetter(position.enPassant);
        fen += RankDigit(position.enPassant);
    } else {
        fen += u'-';
    }
    fen += u" 0 ";
    AppendNumber(fen, position.moveNumber + (position.sideToMove == White ? 1 : 0));
    return fen;
}

int ReadFen(Position& position, std::u16string_view text) {
    text = text.substr(0, text.find(u'\0'));
    const auto at = [&](std::size_t i) -> char16_t { return i < text.size() ? text[i] : u'\0'; };

    // Everything is read into a copy first: a text that fails changes nothing.
    std::array<PieceCode, 64> board{};
    std::uint8_t rights[4] = {0, 0, 0, 0};
    Square enPassant = position.enPassant;
    Colour side = White;
    int fullMove = 1;

    // Placement, a8 to h1. Separators are not needed; anything unknown is skipped.
    std::size_t i = 0;
    int filled = 0;
    for (; i < text.size() && text[i] != u' '; ++i) {
        const char16_t c = text[i];
        if (c >= u'1' && c <= u'8') {
            filled += c - u'0';
            if (filled > 64) {
                return 0;
            }
        } else if (const int code = PieceOfLetter(c); code >= 0) {
            if (filled >= 64) {
                return 0;
            }
            board[MakeSquare(filled % 8, 7 - filled / 8)] = static_cast<PieceCode>(code);
            ++filled;
        }
    }

    if (i < text.size()) {
        // Side to move, just after the space.
        const std::size_t sideAt = i + 1;
        if (sideAt < text.size()) {
            side = at(sideAt) == u'w' ? White : Black;
        }
        // Castling, from two characters after the side letter up to the next space.
        std::size_t j = sideAt + 2;
        for (; j < text.size() && text[j] != u' '; ++j) {
            switch (text[j]) {
            case u'-':
                break;
            case u'K':
                rights[0] = 1;
                break;
            case u'Q':
                rights[1] = 1;
                break;
            case u'k':
                rights[2] = 1;
                break;
            case u'q':
                rights[3] = 1;
                break;
            default:
                return 0;
            }
        }
        // En passant, just after that space. A field that is neither "-" nor a square leaves
        // the square as it was.
        std::size_t k = j + 1;
        if (k >= text.size()) {
            enPassant = NoSquare;
        } else if (at(k) == u'-') {
            enPassant = NoSquare;
        } else if (at(k) >= u'a' && at(k) <= u'h') {
            if (at(k + 1) < u'1' || at(k + 1) > u'8') {
                return 0;
            }
            enPassant = MakeSquare(at(k) - u'a', at(k + 1) - u'1');
        }
        // Past the en-passant field and the half-move clock (never kept) to the full-move number.
        while (k < text.size() && text[k] != u' ') {
            ++k;
        }
        ++k;
        while (k < text.size() && text[k] != u' ') {
            ++k;
        }
        ++k;
        if (k < text.size() && at(k) >= u'0' && at(k) <= u'9') {
            int number = 0;
            for (; at(k) >= u'0' && at(k) <= u'9'; ++k) {
                number = std::min(number * 10 + (at(k) - u'0'), maxFullMoveNumber);
            }
            // Move numbers count from 1; 0 reads as the first move.
            fullMove = number == 0 ? 1 : number;
        }
    } else {
        enPassant = NoSquare;
    }

    // An en-passant square is only the square a pawn of the side that just moved passed over:
    // on the third or sixth rank, empty, with that pawn in front of it and nothing on the square
    // it came from. Any other square would let a pawn "capture" onto it and remove whatever
    // stands in front, a piece of its own side even.
    if (enPassant < 64) {
        const int forward = side == White ? 8 : -8;
        const PieceCode passed = static_cast<PieceCode>((side == White ? Black : White) + Pawn);
        if (RankOf(enPassant) != (side == White ? 5 : 2) || board[enPassant] != Empty ||
            board[enPassant - forward] != passed || board[enPassant + forward] != Empty) {
            enPassant = NoSquare;
        }
    }

    position.board = board;
    position.castleWhiteKing = rights[0];
    position.castleWhiteQueen = rights[1];
    position.castleBlackKing = rights[2];
    position.castleBlackQueen = rights[3];
    position.enPassant = enPassant;
    position.sideToMove = side;
    position.moveNumber = side == White ? fullMove - 1 : fullMove;
    position.setUp = 1;
    return 1;
}

} // namespace pawnlet
