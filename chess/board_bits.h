// Sets of squares as 64-bit masks (bit n = square n), taken from the 64-byte board, for the
// attack and mover searches of the legality test (internal to the chess core).
#pragma once

#include <cstdint>
#include <cstring>

#include "chess/types.h"

#if defined(__SSE2__)
#include <emmintrin.h>
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

// Where the pieces of one side stand, as far as attacks on a square are concerned.
struct AttackerMasks {
    std::uint64_t occupied = 0;
    std::uint64_t knights = 0;
    std::uint64_t king = 0;
    std::uint64_t pawns = 0;
    std::uint64_t rooksQueens = 0;
    std::uint64_t bishopsQueens = 0;
};

inline AttackerMasks AttackerMasksPortable(const PieceCode* board, Colour side) {
    AttackerMasks masks;
    const std::uint64_t queens = SquaresHoldingPortable(board, side + Queen);
    masks.occupied = ~SquaresHoldingPortable(board, Empty);
    masks.knights = SquaresHoldingPortable(board, side + Knight);
    masks.king = SquaresHoldingPortable(board, side + King);
    masks.pawns = SquaresHoldingPortable(board, side + Pawn);
    masks.rooksQueens = SquaresHoldingPortable(board, side + Rook) | queens;
    masks.bishopsQueens = SquaresHoldingPortable(board, side + Bishop) | queens;
    return masks;
}

// The masks of the pieces of `side`, and of every occupied square, in one pass over the board.
inline AttackerMasks AttackerMasksOf(const PieceCode* board, Colour side) {
#if defined(__SSE2__)
    const auto splat = [](int code) { return _mm_set1_epi8(static_cast<char>(code)); };
    const __m128i empty = _mm_setzero_si128();
    const __m128i knight = splat(side + Knight);
    const __m128i king = splat(side + King);
    const __m128i pawn = splat(side + Pawn);
    const __m128i rook = splat(side + Rook);
    const __m128i bishop = splat(side + Bishop);
    const __m128i queen = splat(side + Queen);
    const auto bits = [](__m128i equal, int chunk) {
        return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(equal)))
               << (chunk * 16);
    };
    AttackerMasks masks;
    std::uint64_t emptySquares = 0;
    for (int chunk = 0; chunk < 4; ++chunk) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(board + chunk * 16));
        const __m128i queens = _mm_cmpeq_epi8(bytes, queen);
        emptySquares |= bits(_mm_cmpeq_epi8(bytes, empty), chunk);
        masks.knights |= bits(_mm_cmpeq_epi8(bytes, knight), chunk);
        masks.king |= bits(_mm_cmpeq_epi8(bytes, king), chunk);
        masks.pawns |= bits(_mm_cmpeq_epi8(bytes, pawn), chunk);
        masks.rooksQueens |= bits(_mm_or_si128(_mm_cmpeq_epi8(bytes, rook), queens), chunk);
        masks.bishopsQueens |= bits(_mm_or_si128(_mm_cmpeq_epi8(bytes, bishop), queens), chunk);
    }
    masks.occupied = ~emptySquares;
    return masks;
#else
    return AttackerMasksPortable(board, side);
#endif
}
