// Sets of squares as 64-bit masks (bit n = square n), taken from the 64-byte board, for the
// attack and mover searches of the legality test (internal to the chess core).
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "chess/types.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace pawnlet {

#endif

// The squares holding `code`, computed eight bytes at a time.
inline std::uint64_t SquaresHoldingPortable(const PieceCode* board, PieceCode code) {
    constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7FULL;
    const std::uint64_t pattern = 0x0101010101010101ULL * code;
    std::uint64_t squares = 0;
    for (int word = 0; word < 8; ++word) {
        std::uint64_t bytes;
        std::memcpy(&bytes, board + word * 8, 8);
        const std::uint64_t x = bytes ^ pattern;
        // The high bit of each byte is set exactly when that byte of x is zero.
        const std::uint64_t zero = ~(((x & low7) + low7) | x | low7);
        // Gather the eight high bits into one byte, square order kept.
        const std::uint64_t gathered = ((zero >> 7) * 0x0102040810204080ULL) >> 56;
        squares |= gathered << (word * 8);
    }
    return squares;
}

inline std::uint64_t SquaresHolding(const PieceCode* board, PieceCode code) {
#if defined(__SSE2__)
    const __m128i pattern = _mm_set1_epi8(static_cast<char>(code));
    std::uint64_t squares = 0;
    for (int chunk = 0; chunk < 4; ++chunk) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(board + chunk * 16));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, pattern)));
        squares |= static_cast<std::uint64_t>(mask) << (chunk * 16);
    }
    return squares;
#else
    return SquaresHoldingPortable(board, code);
#endif
}

inline std::uint64_t Occupied(const PieceCode* board) {
    return ~SquaresHolding(board, Empty);
}

// A real piece: White or Black plus Pawn..King. A board may hold other bytes (a damaged file, a
// position set up by hand); they block lines but are nobody's piece.
constexpr bool IsPieceCode(PieceCode code) {
    const unsigned type = code & ~unsigned{Black};
    return type >= Pawn && type <= King;
}

// Where everything stands on one board. A piece of code c is on the squares
// bySide[c / Black] & byType[TypeOf(c)]. Only real pieces are in bySide and byType; `occupied`
// holds every byte other than Empty. Copied and updated move by move by the legality test.
// Left unset when declared without an initializer (it is filled for every move, and a fill of
// zeros first costs more than the rest of the update); BoardMasks{} is the empty board.
struct BoardMasks {
    std::uint64_t bySide[2]; // [0] White, [1] Black
    std::uint64_t byType[8]; // [Pawn] .. [King]; [0] and [7] stay empty
    std::uint64_t occupied;

    // The squares of a real piece code (IsPieceCode).
    std::uint64_t Of(PieceCode code) const { return bySide[code / Black] & byType[code & 7]; }

    // The square, which holds `code`, becomes empty.
    void Remove(Square square, PieceCode code) {
        const std::uint64_t keep = ~(std::uint64_t{1} << square);
        occupied &= keep;
        if (IsPieceCode(code)) {
            bySide[code / Black] &= keep;
            byType[code & 7] &= keep;
        }
    }
    // `code` goes onto an empty square.
    void Put(Square square, PieceCode code) {
        const std::uint64_t bit = std::uint64_t{1} << square;
        if (code != Empty) {
            occupied |= bit;
        }
        if (IsPieceCode(code)) {
            bySide[code / Black] |= bit;
            byType[code & 7] |= bit;
        }
    }

    bool operator==(const BoardMasks&) const = default;
};

// The masks from thirteen square-by-square lookups (one per code and Empty), eight bytes at a
// time; for processors without the vector form.
inline BoardMasks BoardMasksPortable(const PieceCode* board) {
    BoardMasks masks{};
    for (Colour side : {White, Black}) {
        for (PieceCode type = Pawn; type <= King; ++type) {
            const std::uint64_t squares = SquaresHoldingPortable(board, side + type);
            masks.bySide[side / Black] |= squares;
            masks.byType[type] |= squares;
        }
    }
    masks.occupied = ~SquaresHoldingPortable(board, Empty);
    return masks;
}

// The masks of a board in one pass. A piece code is colour bit 5 plus type bits 0-2, so the
// board is cut into bit planes (bit k of every byte, 16 squares per vector) and the types are
// combinations of three planes. Only bytes with bits 3, 4, 6 and 7 clear can be pieces.
inline BoardMasks BoardMasksOf(const PieceCode* board) {
#if defined(__SSE2__)
    const __m128i foreignBits = _mm_set1_epi8(static_cast<char>(0xD8));
    const __m128i zero = _mm_setzero_si128();
    // The high bit of each byte of the vector, as a 16-bit mask placed at the chunk's squares.
    const auto plane = [](__m128i bytes, int chunk) {
        return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(bytes)))
               << (chunk * 16);
    };
    std::uint64_t bit0 = 0, bit1 = 0, bit2 = 0, bit5 = 0, plain = 0, empty = 0;
    for (int chunk = 0; chunk < 4; ++chunk) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(board + chunk * 16));
        // Shifting 16-bit lanes left by 7 - k brings bit k of each byte to that byte's top.
        bit0 |= plane(_mm_slli_epi16(bytes, 7), chunk);
        bit1 |= plane(_mm_slli_epi16(bytes, 6), chunk);
        bit2 |= plane(_mm_slli_epi16(bytes, 5), chunk);
        bit5 |= plane(_mm_slli_epi16(bytes, 2), chunk);
        plain |= plane(_mm_cmpeq_epi8(_mm_and_si128(bytes, foreignBits), zero), chunk);
        empty |= plane(_mm_cmpeq_epi8(bytes, zero), chunk);
    }
    BoardMasks masks;
    masks.byType[0] = masks.byType[7] = 0;
    const std::uint64_t low = plain & ~bit2;
    const std::uint64_t high = plain & bit2;
    masks.byType[Pawn] = low & bit0 & ~bit1;
    masks.byType[Rook] = low & ~bit0 & bit1;
    masks.byType[Knight] = low & bit0 & bit1;
    masks.byType[Bishop] = high & ~bit0 & ~bit1;
    masks.byType[Queen] = high & bit0 & ~bit1;
    masks.byType[King] = high & ~bit0 & bit1;
    // Types 1..6 are the three-bit values other than 0 and 7.
    const std::uint64_t pieces = plain & (bit0 | bit1 | bit2) & ~(bit0 & bit1 & bit2);
    masks.bySide[0] = pieces & ~bit5;
    masks.bySide[1] = pieces & bit5;
    masks.occupied = ~empty;
    return masks;
#else
    return BoardMasksPortable(board);
#endif
}

// The last board whose masks were asked for on this thread, and those masks. Zero-filled it is
// the empty board with its (empty) masks, so the first question is answered rightly too. With
// them, the last search for the pieces of one code reaching one square on that board (code 0
// when there is none): a move read from its text is searched for once, then tested, then given
// its origin hint, all on the same board.
struct RememberedBoard {
    alignas(16) PieceCode board[64] = {};
    BoardMasks masks{};
    PieceCode moversCode = 0;
    Square moversTarget = 0;
    std::uint64_t movers = 0;
};
extern thread_local constinit RememberedBoard rememberedBoard;

inline bool SameBoard(const PieceCode* a, const PieceCode* b) {
#if defined(__SSE2__)
    const auto chunk = [&](int i) {
        return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i * 16)),
                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i * 16)));
    };
    const __m128i equal =
        _mm_and_si128(_mm_and_si128(chunk(0), chunk(1)), _mm_and_si128(chunk(2), chunk(3)));
    return _mm_movemask_epi8(equal) == 0xFFFF;
#else
    return std::memcmp(a, b, 64) == 0;
#endif
}

// Computes and remembers the masks of a board that is not the remembered one.
RememberedBoard& RememberNewBoard(const PieceCode* board);

// What is remembered about `board`: its masks always, and the last mover search when it was
// made on these very bytes. Remembered for the last board asked about on this thread, since
// the positions of a game are tested, listed and played from several times in a row. The
// answers depend on the bytes alone, so the board is compared whole and a changed board is
// never answered from memory, whoever wrote to it. The reference holds until the next call of
// RememberedFor, MasksOf or RememberMasks on the same thread.
inline RememberedBoard& RememberedFor(const PieceCode* board) {
    RememberedBoard& last = rememberedBoard;
    return SameBoard(board, last.board) ? last : RememberNewBoard(board);
}

inline const BoardMasks& MasksOf(const PieceCode* board) {
    return RememberedFor(board).masks;
}

// Makes `masks` the remembered masks of `board`, when they were worked out move by move.
void RememberMasks(const PieceCode* board, const BoardMasks& masks);

// Is the king of `colour` (the first one from a1 up) attacked on the board of `masks`; false
// without such a king, and for a colour other than White and Black.
bool KingAttackedOn(const BoardMasks& masks, Colour colour);

} // namespace pawnlet
