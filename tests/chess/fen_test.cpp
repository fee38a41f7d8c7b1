// FEN both ways: what is read, what is written, what is refused, and the round trip.
#include <gtest/gtest.h>

#include "chess_test_support.h"

using namespace pawnlet;

namespace {

TEST(FenWrite, StartAndAfterFirstMove) {
    Position root;
    EXPECT_EQ(WriteFen(root), u"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    Position* e4 = root.PlayMove(Sq("e2"), Sq("e4"), nullptr, 0);
    ASSERT_NE(e4, nullptr);
    EXPECT_EQ(WriteFen(*e4), u"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
}

TEST(FenRead, StartEqualsTheStandardStartButSetUp) {
    Position standard;
    Position read;
    ASSERT_EQ(ReadFen(read, u"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), 1);
    EXPECT_EQ(read.board, standard.board);
    EXPECT_EQ(read.sideToMove, White);
    EXPECT_EQ(read.moveNumber, 0);
    EXPECT_EQ(read.enPassant, NoSquare);
    EXPECT_EQ(read.castleWhiteKing + read.castleWhiteQueen + read.castleBlackKing +
                  read.castleBlackQueen,
              4);
    EXPECT_EQ(read.setUp, 1);
}

struct FenReadCase {
    const char* name;
    const char* text;
    // Expected fields after reading: side, rights as FEN writes them, en passant, moveNumber.
    Colour side;
    const char* rights;
    Square enPassant;
    int moveNumber;
};

std::string Rights(const Position& p) {
    std::string rights;
    if (p.castleWhiteKing)
        rights += 'K';
    if (p.castleWhiteQueen)
        rights += 'Q';
    if (p.castleBlackKing)
        rights += 'k';
    if (p.castleBlackQueen)
        rights += 'q';
    return rights.empty() ? "-" : rights;
}

class FenReadTest : public testing::TestWithParam<FenReadCase> {};

TEST_P(FenReadTest, ReadsTheFields) {
    const FenReadCase& c = GetParam();
    Position p;
    ASSERT_EQ(ReadFen(p, U16(c.text)), 1);
    EXPECT_EQ(p.sideToMove, c.side);
    EXPECT_EQ(Rights(p), c.rights);
    EXPECT_EQ(p.enPassant, c.enPassant);
    EXPECT_EQ(p.moveNumber, c.moveNumber);
    EXPECT_EQ(p.setUp, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FenReadTest,
    testing::Values(
        FenReadCase{"after_e4", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
                    Black, "KQkq", 20, 1},
        FenReadCase{"white_move_12", "4k3/8/8/8/8/8/8/4K3 w - - 0 12", White, "-", NoSquare, 11},
        FenReadCase{"black_move_12", "4k3/8/8/8/8/8/8/4K3 b - - 0 12", Black, "-", NoSquare, 12},
        FenReadCase{"some_rights", "4k3/8/8/8/8/8/8/4K3 w Kq - 0 1", White, "Kq", NoSquare, 0},
        FenReadCase{"half_move_clock_ignored", "4k3/8/8/8/8/8/8/4K3 w - - 37 5", White, "-",
                    NoSquare, 4},
        FenReadCase{"move_zero_reads_as_one", "4k3/8/8/8/8/8/8/4K3 w - - 0 0", White, "-", NoSquare,
                    0},
        FenReadCase{"past_255", "4k3/8/8/8/8/8/8/4K3 w - - 0 300", White, "-", NoSquare, 299},
        FenReadCase{"empty_board", "8/8/8/8/8/8/8/8 w - - 0 1", White, "-", NoSquare, 0},
        FenReadCase{"other_side_letter_is_black", "4k3/8/8/8/8/8/8/4K3 x - - 0 3", Black, "-",
                    NoSquare, 3},
        FenReadCase{"only_placement", "4k3/8/8/8/8/8/8/4K3", White, "-", NoSquare, 0},
        FenReadCase{"placement_and_side", "4k3/8/8/8/8/8/8/4K3 b", Black, "-", NoSquare, 1},
        FenReadCase{"no_move_numbers", "4k3/8/8/8/4P3/8/8/4K3 b KQ e3", Black, "KQ", 20, 1},
        FenReadCase{"absurd_move_number_clamped", "4k3/8/8/8/8/8/8/4K3 w - - 0 99999999999", White,
                    "-", NoSquare, 999999},
        FenReadCase{"en_passant_on_the_movers_rank_dropped", "4k3/8/8/8/8/8/2PP4/4K3 w - d3 0 1",
                    White, "-", NoSquare, 0},
        FenReadCase{"en_passant_without_the_pawn_dropped", "4k3/8/8/8/8/8/8/4K3 w - d6 0 1", White,
                    "-", NoSquare, 0},
        FenReadCase{"en_passant_square_occupied_dropped", "4k3/8/3n4/3pP3/8/8/8/4K3 w - d6 0 1",
                    White, "-", NoSquare, 0},
        FenReadCase{"en_passant_behind_the_pawn_kept", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", White,
                    "-", 43, 0},
        FenReadCase{"no_full_move", "4k3/8/8/8/8/8/8/4K3 b - - 0", Black, "-", NoSquare, 1}),
    [](const testing::TestParamInfo<FenReadCase>& info) { return std::string(info.param.name); });

TEST(FenRead, PlacementWithoutSeparatorsOrWithNoise) {
    Position separated;
    Position joined;
    Position noisy;
    ASSERT_EQ(ReadFen(separated, u"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"), 1);
    ASSERT_EQ(ReadFen(joined, u"r3k2r888888R3K2R w KQkq - 0 1"), 1);
    ASSERT_EQ(ReadFen(noisy, u"r3k2r/8/8/8/8/8/8/R3K2R|| w KQkq - 0 1"), 1);
    EXPECT_EQ(joined.board, separated.board);
    EXPECT_EQ(noisy.board, separated.board);
}

TEST(FenRead, ShortRankShiftsTheSquaresThatFollow) {
    Position p;
    ASSERT_EQ(ReadFen(p, u"7/k7/8/8/8/8/8/7K w - - 0 1"), 1);
    // The first rank describes only seven squares, so the king lands on h8.
    EXPECT_EQ(p.board[Sq("h8")], Black + King);
}

struct FenRefusedCase {
    const char* name;
    const char* text;
};

class FenRefusedTest : public testing::TestWithParam<FenRefusedCase> {};

TEST_P(FenRefusedTest, RefusedAndPositionUnchanged) {
    Position p;
    const auto board = p.board;
    EXPECT_EQ(ReadFen(p, U16(GetParam().text)), 0);
    EXPECT_EQ(p.board, board);
    EXPECT_EQ(p.setUp, 0);
    EXPECT_EQ(p.castleWhiteKing, 1);
    EXPECT_EQ(p.sideToMove, White);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FenRefusedTest,
    testing::Values(FenRefusedCase{"bad_castling_letter", "4k3/8/8/8/8/8/8/4K3 w KX - 0 1"},
                    FenRefusedCase{"en_passant_without_rank", "4k3/8/8/8/8/8/8/4K3 w - e 0 1"},
                    FenRefusedCase{"en_passant_rank_nine", "4k3/8/8/8/8/8/8/4K3 w - e9 0 1"},
                    FenRefusedCase{"sixty_five_squares", "4k3/8/8/8/8/8/8/4K3p w - - 0 1"},
                    FenRefusedCase{"too_many_empty_squares", "8/8/8/8/8/8/8/8/1 w - - 0 1"}),
    [](const testing::TestParamInfo<FenRefusedCase>& info) {
        return std::string(info.param.name);
    });

TEST(FenRead, EveryPrefixReadsOrFailsCleanly) {
    const std::string full =
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq e3 0 42";
    for (std::size_t n = 0; n <= full.size(); ++n) {
        Position p;
        const std::u16string text = U16(full.substr(0, n));
        // Read through a view with nothing valid after it.
        const int result = ReadFen(p, std::u16string_view(text));
        if (result == 1) {
            EXPECT_TRUE(p.IsConsistent()) << n;
            // What was read writes back and reads again to the same text.
            const std::u16string written = WriteFen(p);
            Position again;
            ASSERT_EQ(ReadFen(again, written), 1);
            EXPECT_EQ(WriteFen(again), written);
        } else {
            EXPECT_EQ(p.setUp, 0) << n;
        }
    }
}

TEST(FenRoundTrip, WriteReadWriteIsStable) {
    const char* texts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "4k3/8/8/8/8/8/8/4K3 b Kq - 0 300",
        "8/8/8/8/8/8/8/8 w - - 0 1",
    };
    for (const char* text : texts) {
        Position p;
        ASSERT_EQ(ReadFen(p, U16(text)), 1) << text;
        const std::u16string written = WriteFen(p);
        EXPECT_EQ(Narrow(written), text);
        Position again;
        ASSERT_EQ(ReadFen(again, written), 1);
        EXPECT_EQ(again.board, p.board);
        EXPECT_EQ(WriteFen(again), written);
    }
}

TEST(FenRoundTrip, HalfMoveClockWritesAsZero) {
    Position p;
    ASSERT_EQ(ReadFen(p, u"4k3/8/8/8/8/8/8/4K3 w - - 49 60"), 1);
    EXPECT_EQ(WriteFen(p), u"4k3/8/8/8/8/8/8/4K3 w - - 0 60");
}

} // namespace
