// Perft to deeper levels: minutes in a sanitizer build, so these carry the slow label.
#include <gtest/gtest.h>

#include "chess_test_support.h"

namespace {

struct PerftCase {
    const char* name;
    const char* fen;
    int depth;
    long long nodes;
};

constexpr const char* startFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* kiwipeteFen =
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
constexpr const char* endgameFen = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1";
constexpr const char* promotionsFen =
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1";
constexpr const char* checksFen = "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8";

class DeepPerftTest : public testing::TestWithParam<PerftCase> {};

TEST_P(DeepPerftTest, MatchesPublishedCount) {
    const PerftCase& c = GetParam();
    auto root = FromFen(c.fen);
    EXPECT_EQ(Perft(*root, c.depth), c.nodes);
}

INSTANTIATE_TEST_SUITE_P(Positions, DeepPerftTest,
                         testing::Values(PerftCase{"start_depth5", startFen, 5, 4865609},
                                         PerftCase{"kiwipete_depth4", kiwipeteFen, 4, 4085603},
                                         PerftCase{"endgame_depth5", endgameFen, 5, 674624},
                                         PerftCase{"promotions_depth4", promotionsFen, 4, 422333},
                                         PerftCase{"checks_depth4", checksFen, 4, 2103487}),
                         [](const testing::TestParamInfo<PerftCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
