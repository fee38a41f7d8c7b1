// Piece codes, squares and sides: the encodings every part of the program shares.
//
// A piece code is a colour value (White 0, Black 32) plus a piece type (Pawn 1 .. King 6);
// 0 is an empty square. Squares are rank * 8 + file, a1 = 0 .. h8 = 63; NoSquare (255) is none.
#pragma once

#include <cstdint>

namespace pawnlet {

using PieceCode = std::uint8_t;
using Square = std::uint8_t;
// A side: White or Black. The other side is always Black - side.
using Colour = std::uint8_t;

inline constexpr Colour White = 0;
inline constexpr Colour Black = 32;

inline constexpr PieceCode Empty = 0;
inline constexpr PieceCode Pawn = 1;
inline constexpr PieceCode Rook = 2;
inline constexpr PieceCode Knight = 3;
inline constexpr PieceCode Bishop = 4;
inline constexpr PieceCode Queen = 5;
inline constexpr PieceCode King = 6;

inline constexpr Square NoSquare = 255;

// Black for codes above 32, White otherwise (an empty square counts as White).
constexpr Colour ColourOf(PieceCode code) {
    return code > 32 ? Black : White;
}
// The piece type, 0 for an empty square.
constexpr PieceCode TypeOf(PieceCode code) {
    return code % 32;
}
constexpr Colour OtherSide(Colour side) {
    return static_cast<Colour>(Black - side);
}

constexpr int FileOf(Square square) {
    return square % 8;
}
constexpr int RankOf(Square square) {
    return square / 8;
}
// file 0..7 (a..h), rank 0..7 (1..8).
constexpr Square MakeSquare(int file, int rank) {
    return static_cast<Square>(rank * 8 + file);
}

// The square's name ("e4") as two characters; callers pass squares 0..63.
constexpr char16_t FileLetter(Square square) {
    return static_cast<char16_t>(u'a' + FileOf(square));
}
constexpr char16_t RankDigit(Square square) {
    return static_cast<char16_t>(u'1' + RankOf(square));
}

} // namespace pawnlet
