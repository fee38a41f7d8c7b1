// The square masks behind the attack search: the vector and the portable forms against a
// square-by-square count, over boards with every kind of byte.
#include <gtest/gtest.h>

#include <random>

#include "chess/board_bits.h"

namespace {

std::uint64_t Naive(const PieceCode* board, PieceCode code) {
    std::uint64_t squares = 0;
    for (int i = 0; i < 64; ++i) {
        if (board[i] == code) {
            squares |= std::uint64_t{1} << i;
        }
    }
    return squares;
}

TEST(BoardBits, MasksMatchASquareBySquareScan) {
    std::mt19937 random(2024);
    PieceCode board[64];
    for (int round = 0; round < 2000; ++round) {
        for (PieceCode& square : board) {
            // Mostly real pieces and empty squares, sometimes any byte at all.
            const unsigned roll = random() % 8;
            square = roll < 3   ? 0
                     : roll < 7 ? static_cast<PieceCode>((random() % 2) * 32 + 1 + random() % 6)
                                : static_cast<PieceCode>(random());
        }
        const PieceCode code = board[random() % 64];
        ASSERT_EQ(SquaresHolding(board, code), Naive(board, code));
        ASSERT_EQ(SquaresHoldingPortable(board, code), Naive(board, code));
        for (Colour side : {White, Black}) {
            const AttackerMasks fast = AttackerMasksOf(board, side);
            const AttackerMasks portable = AttackerMasksPortable(board, side);
            const std::uint64_t queens = Naive(board, side + Queen);
            ASSERT_EQ(fast.occupied, ~Naive(board, 0));
            ASSERT_EQ(fast.knights, Naive(board, side + Knight));
            ASSERT_EQ(fast.king, Naive(board, side + King));
            ASSERT_EQ(fast.pawns, Naive(board, side + Pawn));
            ASSERT_EQ(fast.rooksQueens, Naive(board, side + Rook) | queens);
            ASSERT_EQ(fast.bishopsQueens, Naive(board, side + Bishop) | queens);
            ASSERT_EQ(portable.occupied, fast.occupied);
            ASSERT_EQ(portable.knights, fast.knights);
            ASSERT_EQ(portable.king, fast.king);
            ASSERT_EQ(portable.pawns, fast.pawns);
            ASSERT_EQ(portable.rooksQueens, fast.rooksQueens);
            ASSERT_EQ(portable.bishopsQueens, fast.bishopsQueens);
        }
    }
}

} // namespace
