// The text of a move in standard algebraic notation, as the move list, the dialogs and the PGN
// writer show it: "12... Nbxd2+!" on screen, "12... Nbxd2+ $1" in PGN text.
#pragma once

#include <string>

namespace pawnlet {

class Coup;

// Enough for any move text (move numbers included), with its terminating zero.
inline constexpr int MoveTextCapacity = 32;

// Writes the move's text into `buffer` (at least MoveTextCapacity characters), zero-terminated,
// and returns its length. withNumber prefixes "12. " (White) or "12... " (Black);
// numericAnnotation writes a move annotation as " $n" instead of its glyph.
int MoveText(const Coup& move, char16_t* buffer, bool withNumber, bool numericAnnotation);
std::u16string MoveText(const Coup& move, bool withNumber, bool numericAnnotation);

// Copies a zero-terminated text with its terminator; returns the length copied.
int CopyWide(char16_t* destination, const char16_t* source);

} // namespace pawnlet
