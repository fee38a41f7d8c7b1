// Perft: the number of legal move sequences to a given depth, found without a move generator by
// trying every origin/target pair through IsLegalMove and PlayMove, against published counts.
// Also the SAN round trip over every move of such a walk.
#include <gtest/gtest.h>

#include "chess/san.h"
#include "chess_test_support.h"
#include "gametree/move_text.h"
#include "perft_positions.h"

using namespace pawnlet;

namespace {

class PerftTest : public testing::TestWithParam<PerftCase> {};

TEST_P(PerftTest, MatchesPublishedCount) {
    const PerftCase& c = GetParam();
    const int positionsBefore = LiveCount<Position>::Live();
    const int coupsBefore = LiveCount<Coup>::Live();
    {
        auto root = FromFen(c.fen);
        EXPECT_EQ(Perft(*root, c.depth), c.nodes);
        EXPECT_EQ(root->firstMove, nullptr);
    }
    EXPECT_EQ(LiveCount<Position>::Live(), positionsBefore);
    EXPECT_EQ(LiveCount<Coup>::Live(), coupsBefore);
}

INSTANTIATE_TEST_SUITE_P(Positions, PerftTest,
                         testing::Values(PerftCase{"start_depth1", startFen, 1, 20},
                                         PerftCase{"start_depth3", startFen, 3, 8902},
                                         PerftCase{"start_depth4", startFen, 4, 197281},
                                         PerftCase{"kiwipete_depth2", kiwipeteFen, 2, 2039},
                                         PerftCase{"kiwipete_depth3", kiwipeteFen, 3, 97862},
                                         PerftCase{"endgame_depth4", endgameFen, 4, 43238},
                                         PerftCase{"promotions_depth3", promotionsFen, 3, 9467},
                                         PerftCase{"checks_depth3", checksFen, 3, 62379}),
                         [](const testing::TestParamInfo<PerftCase>& info) {
                             return std::string(info.param.name);
                         });

// Every move of the walk is written as text, read back from that text in the same position, and
// must be the same move with the same text.
void SanRoundTrip(Position& position, int depth, int& moves) {
    ForEachLegalMove(position, [&](Position& p, Square from, Square to, int promotion) {
        Position* played = p.PlayMove(from, to, nullptr, promotion);
        ASSERT_NE(played, nullptr);
        const std::u16string text = MoveText(*played->previousMove, false, false);
        Position* read = ReadSan(p, text);
        ASSERT_NE(read, nullptr) << Narrow(text) << " in " << Narrow(WriteFen(p));
        const Coup& original = *played->previousMove;
        const Coup& again = *read->previousMove;
        EXPECT_EQ(again.from, original.from) << Narrow(text);
        EXPECT_EQ(again.to, original.to) << Narrow(text);
        EXPECT_EQ(again.promotion, original.promotion) << Narrow(text);
        EXPECT_EQ(MoveText(again, false, false), text);
        EXPECT_EQ(read->board, played->board) << Narrow(text);
        ++moves;
        TakeBack(*read);
        if (depth > 1) {
            SanRoundTrip(*played, depth - 1, moves);
        }
        TakeBack(*played);
    });
}

struct RoundTripCase {
    const char* name;
    const char* fen;
    int depth;
};

class SanRoundTripTest : public testing::TestWithParam<RoundTripCase> {};

TEST_P(SanRoundTripTest, EveryMoveReadsBackFromItsText) {
    auto root = FromFen(GetParam().fen);
    int moves = 0;
    SanRoundTrip(*root, GetParam().depth, moves);
    EXPECT_GT(moves, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, SanRoundTripTest,
    testing::Values(RoundTripCase{"start", startFen, 3}, RoundTripCase{"kiwipete", kiwipeteFen, 2},
                    RoundTripCase{"endgame", endgameFen, 3},
                    RoundTripCase{"promotions", promotionsFen, 2},
                    RoundTripCase{"checks", checksFen, 2},
                    // Three queens and two knights reaching the same squares: hints by file, by
                    // rank, and by the full origin.
                    RoundTripCase{"crowded", "4k3/8/8/1N3N2/8/Q1Q5/8/Q3K3 w - - 0 1", 2}),
    [](const testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

} // namespace
