// Long games and deeply nested variations: built, walked, renumbered and destroyed without
// recursion deep enough to overflow the stack (also in the sanitizer build).
#include <gtest/gtest.h>

#include "chess/chess_test_support.h"
#include "gametree/move_text.h"

using namespace pawnlet;

namespace {

// The knights go out and back: g1-f3, g8-f6, f3-g1, f6-g8.
constexpr const char* shuffle[4][2] = {{"g1", "f3"}, {"g8", "f6"}, {"f3", "g1"}, {"f6", "g8"}};
// Another move in each of those positions: g1-h3, g8-h6, f3-d4, f6-d5.
constexpr const char* sidestep[4][2] = {{"g1", "h3"}, {"g8", "h6"}, {"f3", "d4"}, {"f6", "d5"}};

TEST(DeepTree, HundredThousandPlyMainLine) {
    constexpr int plies = 100000;
    const int positions = LiveCount<Position>::Live();
    const int coups = LiveCount<Coup>::Live();
    {
        auto root = std::make_unique<Position>();
        Position* p = root.get();
        for (int ply = 0; ply < plies; ++ply) {
            p = p->PlayMove(Sq(shuffle[ply % 4][0]), Sq(shuffle[ply % 4][1]), nullptr, 0);
            ASSERT_NE(p, nullptr) << ply;
        }
        EXPECT_EQ(LiveCount<Coup>::Live(), coups + plies);
        EXPECT_EQ(p->moveNumber, plies / 2);
        EXPECT_EQ(MoveText(*p->previousMove, true, false), u"50000... Ng8");
        EXPECT_EQ(WriteFen(*p), u"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 50001");

        RenumberDepth(*root->firstMove, 3);
        EXPECT_EQ(p->previousMove->depth, 3);
        RenumberDepth(*root->firstMove, 0);
        EXPECT_EQ(LastInSubtree(*root->firstMove), p->previousMove);
        EXPECT_EQ(BranchMainMove(*p->previousMove), nullptr);
        Promote(*p->previousMove);
        EXPECT_EQ(p->previousMove->depth, 0);
    }
    EXPECT_EQ(LiveCount<Position>::Live(), positions);
    EXPECT_EQ(LiveCount<Coup>::Live(), coups);
}

// Every ply goes one variation deeper: each position has a main move and one alternative, and
// the line continues from the alternative.
TEST(DeepTree, VariationsNestedTenThousandDeep) {
    constexpr int levels = 10000;
    const int positions = LiveCount<Position>::Live();
    const int coups = LiveCount<Coup>::Live();
    {
        auto root = std::make_unique<Position>();
        Position* p = root.get();
        Position* firstAlternative = nullptr;
        for (int ply = 0; ply < levels; ++ply) {
            ASSERT_NE(p->PlayMove(Sq(sidestep[ply % 4][0]), Sq(sidestep[ply % 4][1]), nullptr, 0),
                      nullptr);
            p = p->PlayMove(Sq(shuffle[ply % 4][0]), Sq(shuffle[ply % 4][1]), nullptr, 0);
            ASSERT_NE(p, nullptr) << ply;
            if (firstAlternative == nullptr) {
                firstAlternative = p;
            }
            ASSERT_EQ(p->VariationDepth(), ply + 1);
        }
        Coup* deepest = p->previousMove;
        EXPECT_EQ(LiveCount<Coup>::Live(), coups + 2 * levels);
        // The main move of the root has no line of its own; the alternative holds the whole nest.
        EXPECT_EQ(LastInSubtree(*root->firstMove), root->firstMove.get());
        EXPECT_EQ(LastInSubtree(*firstAlternative->previousMove), deepest);
        EXPECT_EQ(PreviousInListOrder(*deepest), deepest->prev);

        // Renumbering from the top walks the whole nest.
        RenumberDepth(*root->firstMove, 5);
        EXPECT_EQ(deepest->depth, levels + 5);
        RenumberDepth(*root->firstMove, 0);
        EXPECT_EQ(deepest->depth, levels);

        // Promoting the outermost variation lifts everything inside it by one level.
        Promote(*firstAlternative->previousMove);
        EXPECT_EQ(root->firstMove.get(), firstAlternative->previousMove);
        EXPECT_EQ(deepest->depth, levels - 1);
        EXPECT_EQ(BranchMainMove(*deepest), deepest->prev);
    }
    EXPECT_EQ(LiveCount<Position>::Live(), positions);
    EXPECT_EQ(LiveCount<Coup>::Live(), coups);
}

TEST(DeepTree, DeletingADeepLineFromTheMiddle) {
    const int coups = LiveCount<Coup>::Live();
    auto root = std::make_unique<Position>();
    Position* p = root.get();
    Position* middle = nullptr;
    for (int ply = 0; ply < 40000; ++ply) {
        p = p->PlayMove(Sq(shuffle[ply % 4][0]), Sq(shuffle[ply % 4][1]), nullptr, 0);
        ASSERT_NE(p, nullptr);
        if (ply == 19999) {
            middle = p;
        }
    }
    Unlink(*middle->firstMove).reset();
    EXPECT_EQ(middle->firstMove, nullptr);
    EXPECT_EQ(LiveCount<Coup>::Live(), coups + 20000);
}

} // namespace
