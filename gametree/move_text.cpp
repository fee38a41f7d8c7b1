#include "gametree/move_text.h"

#include "chess/position.h"
#include "gametree/annotations.h"
#include "gametree/coup.h"

namespace pawnlet {

namespace {

constexpr char16_t pieceLetters[7] = {0, 0, u'R', u'N', u'B', u'Q', u'K'};

// Appends a non-negative number in decimal.
char16_t* WriteNumber(char16_t* out, long long number) {
    char16_t digits[20];
    int count = 0;
    if (number < 0) {
        *out++ = u'-';
        number = -number;
    }
    do {
        digits[count++] = static_cast<char16_t>(u'0' + number % 10);
        number /= 10;
    } while (number > 0);
    while (count > 0) {
        *out++ = digits[--count];
    }
    return out;
}

char16_t* WriteSquare(char16_t* out, Square square) {
    *out++ = FileLetter(square);
    *out++ = RankDigit(square);
    return out;
}

} // namespace

int CopyWide(char16_t* destination, const char16_t* source) {
    int length = 0;
    while ((destination[length] = source[length]) != 0) {
        ++length;
    }
    return length;
}

int MoveText(const Coup& move, char16_t* buffer, bool withNumber, bool numericAnnotation) {
    char16_t* out = buffer;
    const PieceCode mover = move.before != nullptr ? move.before->board[move.from] : Empty;
    if (withNumber) {
        out = WriteNumber(out, move.moveNumber);
        *out++ = u'.';
        if (ColourOf(mover) == Black) {
            *out++ = u'.';
            *out++ = u'.';
        }
        *out++ = u' ';
    }
    const int type = TypeOf(mover);
    if (type == King && move.castle != 0) {
        out += CopyWide(out, move.castle == 1 ? u"O-O" : u"O-O-O");
    } else if (type == Pawn) {
        if (move.isCapture) {
            *out++ = FileLetter(move.from);
            *out++ = u'x';
        }
        out = WriteSquare(out, move.to);
    } else {
        if (type >= Rook && type <= King) {
            *out++ = pieceLetters[type];
        }
        // A king has a hint only in a set-up position that gives its side a second king which
        // reaches the same square; without it the text would read back as that king's move.
        out += CopyWide(out, move.disambiguation);
        if (move.isCapture) {
            *out++ = u'x';
        }
        out = WriteSquare(out, move.to);
    }
    if (move.promotion >= Rook && move.promotion <= Queen) {
        *out++ = u'=';
        *out++ = pieceLetters[move.promotion];
    }
    if (move.givesCheck) {
        *out++ = u'+';
    }
    if (numericAnnotation && move.nag != 0) {
        *out++ = u' ';
        *out++ = u'$';
        out = WriteNumber(out, move.nag);
    } else if (const char16_t* glyph = NagGlyph(move.nag)) {
        out += CopyWide(out, glyph);
    }
    *out = 0;
    return static_cast<int>(out - buffer);
}

std::u16string MoveText(const Coup& move, bool withNumber, bool numericAnnotation) {
    char16_t buffer[MoveTextCapacity];
    const int length = MoveText(move, buffer, withNumber, numericAnnotation);
    return std::u16string(buffer, static_cast<std::size_t>(length));
}

} // namespace pawnlet
