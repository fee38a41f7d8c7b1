// The square masks behind the attack search: the vector and the portable forms against a
// square-by-square count over boards with every kind of byte; moves made on the masks against
// the masks of the board the move leaves; the remembered masks of the last board.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string_view>

#include "chess/board_bits.h"
#include "chess/move_effects.h"

using namespace pawnlet;

namespace {

using Board = std::array<PieceCode, 64>;

std::uint64_t Naive(const PieceCode* board, PieceCode code) {
    std::uint64_t squares = 0;
    for (int i = 0; i < 64; ++i) {
        if (board[i] == code) {
            squares |= std::uint64_t{1} << i;
        }
    }
    return squares;
}

PieceCode RandomPiece(std::mt19937& random) {
    return static_cast<PieceCode>((random() % 2) * Black + Pawn + random() % 6);
}

// Mostly real pieces and empty squares, sometimes any byte at all (with `anyByte`).
Board RandomBoard(std::mt19937& random, bool anyByte) {
    Board board;
    for (PieceCode& square : board) {
        const unsigned roll = random() % 8;
        square = roll < 3               ? Empty
                 : roll < 7 || !anyByte ? RandomPiece(random)
                                        : static_cast<PieceCode>(random());
    }
    return board;
}

TEST(BoardBits, MasksMatchASquareBySquareScan) {
    std::mt19937 random(2024);
    for (int round = 0; round < 2000; ++round) {
        const Board board = RandomBoard(random, true);
        const PieceCode code = board[random() % 64];
        ASSERT_EQ(SquaresHolding(board.data(), code), Naive(board.data(), code));
        ASSERT_EQ(SquaresHoldingPortable(board.data(), code), Naive(board.data(), code));

        const BoardMasks fast = BoardMasksOf(board.data());
        const BoardMasks portable = BoardMasksPortable(board.data());
        ASSERT_EQ(fast.occupied, ~Naive(board.data(), Empty));
        for (Colour side : {White, Black}) {
            std::uint64_t all = 0;
            for (PieceCode type = Pawn; type <= King; ++type) {
                const std::uint64_t expected = Naive(board.data(), side + type);
                ASSERT_EQ(fast.Of(side + type), expected) << int(side + type);
                all |= expected;
            }
            ASSERT_EQ(fast.bySide[side / Black], all);
        }
        for (PieceCode type = Pawn; type <= King; ++type) {
            ASSERT_EQ(fast.byType[type],
                      Naive(board.data(), White + type) | Naive(board.data(), Black + type));
        }
        ASSERT_EQ(fast.byType[0], 0u);
        ASSERT_EQ(fast.byType[7], 0u);
        ASSERT_EQ(portable, fast);
    }
}

// Every byte value alone on a board: only the twelve piece codes land in a side and a type.
TEST(BoardBits, EveryByteValueIsClassified) {
    for (int value = 0; value < 256; ++value) {
        Board board{};
        board[37] = static_cast<PieceCode>(value);
        const BoardMasks masks = BoardMasksOf(board.data());
        const std::uint64_t bit = std::uint64_t{1} << 37;
        const bool piece = (value >= White + Pawn && value <= White + King) ||
                           (value >= Black + Pawn && value <= Black + King);
        EXPECT_EQ(IsPieceCode(static_cast<PieceCode>(value)), piece) << value;
        EXPECT_EQ(masks.occupied, value == Empty ? 0 : bit) << value;
        EXPECT_EQ(masks.bySide[0], piece && value < Black ? bit : 0) << value;
        EXPECT_EQ(masks.bySide[1], piece && value > Black ? bit : 0) << value;
        for (int type = 0; type < 8; ++type) {
            EXPECT_EQ(masks.byType[type], piece && value % 32 == type ? bit : 0)
                << value << " type " << type;
        }
        EXPECT_EQ(BoardMasksPortable(board.data()), masks) << value;
    }
}

struct MaskMoveCase {
    const char* name;
    // The board before and after, as pieces and squares ("Ke1 ra8"): upper case White, lower
    // case Black; X and Z stand for the bytes 67 and 200, which are no piece.
    const char* before;
    const char* from;
    const char* to;
    const char* enPassant; // "-" for none
    const char* after;
};

Square SquareNamed(const char* name) {
    return MakeSquare(name[0] - 'a', name[1] - '1');
}

Board BoardOf(std::string_view pieces) {
    Board board{};
    for (std::size_t i = 0; i + 3 <= pieces.size(); i += 4) {
        const char letter = pieces[i];
        PieceCode code = 0;
        switch (letter | 32) {
        case 'p':
            code = Pawn;
            break;
        case 'r':
            code = Rook;
            break;
        case 'n':
            code = Knight;
            break;
        case 'b':
            code = Bishop;
            break;
        case 'q':
            code = Queen;
            break;
        case 'k':
            code = King;
            break;
        }
        code = letter == 'X' ? 67 : letter == 'Z' ? 200 : letter >= 'a' ? Black + code : code;
        board[SquareNamed(pieces.data() + i + 1)] = code;
    }
    return board;
}

class MaskMoveTest : public testing::TestWithParam<MaskMoveCase> {};

TEST_P(MaskMoveTest, MasksFollowTheBoard) {
    const MaskMoveCase& c = GetParam();
    const Board board = BoardOf(c.before);
    const Square from = SquareNamed(c.from);
    const Square to = SquareNamed(c.to);
    const Square enPassant = c.enPassant[0] == '-' ? NoSquare : SquareNamed(c.enPassant);
    BoardMasks masks = BoardMasksOf(board.data());
    Board after = board;
    ApplyMoveToMasks(masks, board.data(), from, to, enPassant);
    (void)ApplyMoveToBoard(after.data(), from, to, enPassant);
    EXPECT_EQ(after, BoardOf(c.after));
    EXPECT_EQ(masks, BoardMasksOf(after.data()));
}

INSTANTIATE_TEST_SUITE_P(
    Moves, MaskMoveTest,
    testing::Values(
        MaskMoveCase{"quiet_rook", "Ra1 Ke1 ke8 rh8", "a1", "a3", "-", "Ra3 Ke1 ke8 rh8"},
        MaskMoveCase{"capture", "Ra1 Ke1 ke8 qa8", "a1", "a8", "-", "Ra8 Ke1 ke8"},
        MaskMoveCase{"castle_king_side", "Rh1 Ke1 ke8 Ra1", "e1", "g1", "-", "Rf1 Kg1 ke8 Ra1"},
        MaskMoveCase{"castle_queen_side", "ra8 ke8 Ke1 rh8", "e8", "c8", "-", "rd8 kc8 Ke1 rh8"},
        MaskMoveCase{"en_passant", "Pe5 pd5 Ke1 ke8", "e5", "d6", "d6", "Pd6 Ke1 ke8"},
        MaskMoveCase{"pawn_straight_onto_passed_square", "Pd5 Ke1 ke8", "d5", "d6", "d6",
                     "Pd6 Ke1 ke8"},
        MaskMoveCase{"double_step", "Pe2 Ke1 ke8 Ra1", "e2", "e4", "-", "Pe4 Ke1 ke8 Ra1"},
        MaskMoveCase{"odd_byte_moves", "Xc2 Ke1 ke8 re3", "c2", "e3", "-", "Xe3 Ke1 ke8"},
        MaskMoveCase{"piece_takes_odd_byte", "qc2 Ke1 ke8 Zd3", "c2", "d3", "-", "qd3 Ke1 ke8"},
        MaskMoveCase{"same_square_empties_it", "qc2 Ke1 ke8", "c2", "c2", "-", "Ke1 ke8"}),
    [](const testing::TestParamInfo<MaskMoveCase>& info) { return std::string(info.param.name); });

// Any origin, target and en-passant square on boards with every kind of byte.
TEST(BoardBits, MovesOnMasksMatchMovesOnTheBoard) {
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        Board board = RandomBoard(random, round % 2 == 0);
        // Often a king on its home square, so that castling rooks are moved too.
        if (round % 3 == 0) {
            board[4] = White + King;
        } else if (round % 3 == 1) {
            board[60] = Black + King;
        }
        const Square from = round % 3 == 0   ? 4
                            : round % 3 == 1 ? 60
                                             : static_cast<Square>(random() % 64);
        const Square to = static_cast<Square>(random() % 64);
        const Square enPassant = random() % 2 ? to : static_cast<Square>(random() % 64);
        BoardMasks masks = BoardMasksOf(board.data());
        Board after = board;
        ApplyMoveToMasks(masks, board.data(), from, to, enPassant);
        (void)ApplyMoveToBoard(after.data(), from, to, enPassant);
        ASSERT_EQ(masks, BoardMasksOf(after.data()))
            << "round " << round << " from " << int(from) << " to " << int(to);
    }
}

// The remembered masks always answer for the bytes of the board as they are now, whoever
// changed them, and whichever board was asked about last.
TEST(BoardBits, RememberedMasksFollowEveryChangeOfTheBoard) {
    std::mt19937 random(99);
    Board board = RandomBoard(random, true);
    Board other = RandomBoard(random, true);
    for (int round = 0; round < 5000; ++round) {
        switch (random() % 4) {
        case 0:
            board[random() % 64] = RandomPiece(random);
            break;
        case 1:
            board[random() % 64] = static_cast<PieceCode>(random());
            break;
        case 2:
            ASSERT_EQ(MasksOf(other.data()), BoardMasksOf(other.data()));
            break;
        case 3:
            RememberMasks(other.data(), BoardMasksOf(other.data()));
            other[random() % 64] = Empty;
            break;
        }
        ASSERT_EQ(MasksOf(board.data()), BoardMasksOf(board.data())) << "round " << round;
    }
    // A fresh board of nothing but empty squares.
    const Board empty{};
    EXPECT_EQ(MasksOf(empty.data()), BoardMasks{});
}

} // namespace
