// Perft to deeper levels: minutes in a sanitizer build, so these carry the slow label.
#include <gtest/gtest.h>

#include "chess_test_support.h"
#include "perft_positions.h"

namespace {

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
