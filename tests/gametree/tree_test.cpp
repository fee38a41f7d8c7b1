// Tree edits and walks: lists of alternatives, depths, promote, delete, replace, the branch
// point and the list order of the move list and PGN text.
#include <gtest/gtest.h>

#include <vector>

#include "chess/chess_test_support.h"
#include "chess/san.h"
#include "gametree/move_text.h"

using namespace pawnlet;

namespace {

// Plays a line of SAN moves from `position`; the first becomes an alternative when the position
// already has a main move.
Position* Line(Position* position, std::initializer_list<const char16_t*> moves) {
    for (const char16_t* san : moves) {
        Position* next = ReadSan(*position, san);
        EXPECT_NE(next, nullptr) << Narrow(san);
        if (next == nullptr) {
            return position;
        }
        position = next;
    }
    return position;
}

Coup* Move(Position* after) {
    return after->previousMove;
}

std::vector<std::u16string> ListTexts(const Position& position) {
    std::vector<std::u16string> texts;
    for (const Coup* move = position.firstMove.get(); move != nullptr; move = move->next.get()) {
        texts.push_back(MoveText(*move, false, false));
    }
    return texts;
}

// The order in which the move list and the PGN writer list the tree: a move, then each of its
// alternatives with its line, then the continuation. Written recursively, as the reference.
void ListOrder(Position* position, std::vector<Coup*>& out) {
    Coup* main = position->firstMove.get();
    if (main == nullptr) {
        return;
    }
    out.push_back(main);
    for (Coup* alternative = FirstAlternative(*main); alternative != nullptr;
         alternative = NextAlternative(*alternative)) {
        out.push_back(alternative);
        ListOrder(alternative->after.get(), out);
    }
    ListOrder(main->after.get(), out);
}

// Every position of the tree satisfies the links and depth rules.
void ExpectConsistent(Position* position) {
    std::vector<Coup*> all;
    ListOrder(position, all);
    EXPECT_TRUE(position->IsConsistent());
    for (Coup* move : all) {
        EXPECT_TRUE(move->after->IsConsistent()) << Narrow(MoveText(*move, true, false));
    }
}

// 1.e4 e5 2.Nf3, then 1...c5 2.Nf3 with the alternative 2.Nc3.
class SicilianTree : public testing::Test {
protected:
    void SetUp() override {
        afterE4 = Line(&root, {u"e4"});
        afterE5 = Line(afterE4, {u"e5"});
        afterNf3 = Line(afterE5, {u"Nf3"});
        afterC5 = Line(afterE4, {u"c5"});
        afterC5Nf3 = Line(afterC5, {u"Nf3"});
        afterC5Nc3 = Line(afterC5, {u"Nc3"});
    }

    Position root;
    Position* afterE4 = nullptr;
    Position* afterE5 = nullptr;
    Position* afterNf3 = nullptr;
    Position* afterC5 = nullptr;
    Position* afterC5Nf3 = nullptr;
    Position* afterC5Nc3 = nullptr;
};

TEST_F(SicilianTree, ListsAndDepths) {
    EXPECT_EQ(ListTexts(*afterE4), (std::vector<std::u16string>{u"e5", u"c5"}));
    EXPECT_EQ(Move(afterE5)->depth, 0);
    EXPECT_EQ(Move(afterNf3)->depth, 0);
    EXPECT_EQ(Move(afterC5)->depth, 1);
    EXPECT_EQ(Move(afterC5Nf3)->depth, 1);
    EXPECT_EQ(Move(afterC5Nc3)->depth, 2);
    EXPECT_EQ(afterC5Nc3->VariationDepth(), 2);
    EXPECT_FALSE(IsAlternative(*Move(afterE5)));
    EXPECT_TRUE(IsAlternative(*Move(afterC5)));
    EXPECT_EQ(FirstAlternative(*Move(afterE5)), Move(afterC5));
    EXPECT_EQ(FirstAlternative(*Move(afterC5)), nullptr);
    EXPECT_EQ(NextAlternative(*Move(afterE5)), nullptr);
    EXPECT_EQ(NextAlternative(*Move(afterC5Nf3)), nullptr);
    EXPECT_EQ(LastAlternative(*Move(afterE5)), Move(afterC5));
    ExpectConsistent(&root);
}

TEST_F(SicilianTree, PromoteMakesTheVariationTheMainLine) {
    Promote(*Move(afterC5Nf3));
    EXPECT_EQ(ListTexts(*afterE4), (std::vector<std::u16string>{u"c5", u"e5"}));
    EXPECT_EQ(Move(afterC5)->depth, 0);
    EXPECT_EQ(Move(afterC5Nf3)->depth, 0);
    EXPECT_EQ(Move(afterC5Nc3)->depth, 1);
    EXPECT_EQ(Move(afterE5)->depth, 1);
    EXPECT_EQ(Move(afterNf3)->depth, 1);
    ExpectConsistent(&root);
}

TEST_F(SicilianTree, PromoteOnTheMainLineChangesNothing) {
    Promote(*Move(afterNf3));
    EXPECT_EQ(ListTexts(*afterE4), (std::vector<std::u16string>{u"e5", u"c5"}));
    EXPECT_EQ(Move(afterE5)->depth, 0);
    EXPECT_EQ(Move(afterC5)->depth, 1);
    ExpectConsistent(&root);
}

TEST_F(SicilianTree, PromoteOneLevelAtATime) {
    // 2.Nc3 is an alternative inside the c5 variation: it becomes that variation's main move.
    Promote(*Move(afterC5Nc3));
    EXPECT_EQ(ListTexts(*afterC5), (std::vector<std::u16string>{u"Nc3", u"Nf3"}));
    EXPECT_EQ(Move(afterC5Nc3)->depth, 1);
    EXPECT_EQ(Move(afterC5Nf3)->depth, 2);
    EXPECT_EQ(ListTexts(*afterE4), (std::vector<std::u16string>{u"e5", u"c5"}));
    ExpectConsistent(&root);
}

TEST_F(SicilianTree, PromoteKeepsTheOrderOfTheOtherAlternatives) {
    Line(afterE4, {u"d5"});
    Line(afterE4, {u"e6"});
    Promote(*Move(afterE4->FindMove(Sq("d7"), Sq("d5"))));
    EXPECT_EQ(ListTexts(*afterE4), (std::vector<std::u16string>{u"d5", u"e5", u"c5", u"e6"}));
    ExpectConsistent(&root);
}

TEST_F(SicilianTree, DeleteAfterTheMainMoveTakesTheWholeList) {
    const int positions = LiveCount<Position>::Live();
    const int coups = LiveCount<Coup>::Live();
    std::unique_ptr<Coup> gone = Unlink(*Move(afterE5));
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(afterE4->firstMove, nullptr);
    gone.reset();
    // e5, Nf3, c5, Nf3, Nc3.
    EXPECT_EQ(LiveCount<Coup>::Live(), coups - 5);
    EXPECT_EQ(LiveCount<Position>::Live(), positions - 5);
    ExpectConsistent(&root);
}

TEST_F(SicilianTree, DeleteAfterAnAlternativeTakesOnlyItsLine) {
    const int coups = LiveCount<Coup>::Live();
    Line(afterE4, {u"d5"});
    Unlink(*Move(afterC5)).reset();
    EXPECT_EQ(ListTexts(*afterE4), (std::vector<std::u16string>{u"e5", u"d5"}));
    EXPECT_EQ(LiveCount<Coup>::Live(), coups + 1 - 3);
    ExpectConsistent(&root);
}

TEST_F(SicilianTree, ReplaceTheMainMove) {
    const int coups = LiveCount<Coup>::Live();
    Coup* c5 = Move(afterC5);
    Position* d5 = afterE4->PlayMove(Sq("d7"), Sq("d5"), Move(afterE5), 0);
    ASSERT_NE(d5, nullptr);
    EXPECT_EQ(ListTexts(*afterE4), (std::vector<std::u16string>{u"d5", u"c5"}));
    EXPECT_EQ(afterE4->firstMove->next.get(), c5);
    EXPECT_EQ(Move(d5)->depth, 0);
    // d5 in, e5 and 2.Nf3 out.
    EXPECT_EQ(LiveCount<Coup>::Live(), coups - 1);
    ExpectConsistent(&root);
}

TEST_F(SicilianTree, ReplaceAnAlternative) {
    Position* d6 = afterE4->PlayMove(Sq("d7"), Sq("d6"), Move(afterC5), 0);
    ASSERT_NE(d6, nullptr);
    EXPECT_EQ(ListTexts(*afterE4), (std::vector<std::u16string>{u"e5", u"d6"}));
    EXPECT_EQ(Move(d6)->depth, 1);
    ExpectConsistent(&root);
}

TEST_F(SicilianTree, ReplaceRefusesAMoveOfAnotherList) {
    const int coups = LiveCount<Coup>::Live();
    EXPECT_EQ(afterE4->PlayMove(Sq("d7"), Sq("d6"), Move(afterNf3), 0), nullptr);
    EXPECT_EQ(LiveCount<Coup>::Live(), coups);
    EXPECT_EQ(ListTexts(*afterE4), (std::vector<std::u16string>{u"e5", u"c5"}));
}

TEST_F(SicilianTree, BranchMainMove) {
    EXPECT_EQ(BranchMainMove(*Move(afterC5)), Move(afterE5));
    EXPECT_EQ(BranchMainMove(*Move(afterC5Nf3)), Move(afterE5));
    // Inside the nested variation the branch point is the nearest one.
    EXPECT_EQ(BranchMainMove(*Move(afterC5Nc3)), Move(afterC5Nf3));
    EXPECT_EQ(BranchMainMove(*Move(afterNf3)), nullptr);
    EXPECT_EQ(BranchMainMove(*Move(afterE4)), nullptr);
}

TEST(ListOrder, PreviousOfTheMainMoveAfterAVariation) {
    // 1.e4 e5 (1...c5 2.Nf3 (2.Nc3) 2...d6 (2...Nc6)) 2.Nf3
    Position root;
    Position* e4 = Line(&root, {u"e4"});
    Position* e5 = Line(e4, {u"e5"});
    Position* nf3 = Line(e5, {u"Nf3"});
    Position* c5 = Line(e4, {u"c5"});
    Position* c5nf3 = Line(c5, {u"Nf3"});
    Line(c5, {u"Nc3"});
    Line(c5nf3, {u"d6"});
    Position* nc6 = Line(c5nf3, {u"Nc6"});
    EXPECT_EQ(PreviousInListOrder(*Move(nf3)), Move(nc6));
    EXPECT_EQ(PreviousInListOrder(*Move(c5)), Move(e5));
    EXPECT_EQ(PreviousInListOrder(*Move(e4)), nullptr);
    EXPECT_EQ(LastInSubtree(*Move(c5)), Move(nc6));
}

TEST(ListOrder, AgreesWithTheListingOfABushyTree) {
    // Variations inside variations, alternatives with and without continuations.
    Position root;
    Line(&root, {u"e4", u"e5", u"Nf3", u"Nc6", u"Bb5", u"a6"});
    Position* e4 = root.firstMove->after.get();
    Line(&root, {u"d4", u"d5", u"c4"});
    Line(&root, {u"c4"});
    Position* c5 = Line(e4, {u"c5", u"Nf3"});
    Line(e4, {u"e6", u"d4", u"d5"});
    Line(e4, {u"c6"});
    Line(c5->PreviousPosition(), {u"Nc3", u"Nc6"});
    Line(c5->PreviousPosition(), {u"c3"});
    Line(c5, {u"d6", u"d4"});
    Line(c5, {u"Nc6"});
    Line(c5, {u"e6", u"d4", u"cxd4"});
    Position* afterE5 = e4->firstMove->after.get();
    Line(afterE5, {u"f4"});
    Line(afterE5, {u"Nc3", u"Nf6"});
    ExpectConsistent(&root);

    std::vector<Coup*> order;
    ListOrder(&root, order);
    ASSERT_EQ(order.size(), 28u);
    for (std::size_t i = 0; i < order.size(); ++i) {
        Coup* expected = i == 0 ? nullptr : order[i - 1];
        EXPECT_EQ(PreviousInListOrder(*order[i]), expected)
            << Narrow(MoveText(*order[i], true, false));
        // The last entry of a move's subtree is the one listed just before whatever comes
        // after the move and its line.
        std::vector<Coup*> line{order[i]};
        ListOrder(order[i]->after.get(), line);
        EXPECT_EQ(LastInSubtree(*order[i]), line.back())
            << Narrow(MoveText(*order[i], true, false));
    }
}

TEST(RenumberDepth, RestoresTheRuleOverASubtree) {
    Position root;
    Line(&root, {u"e4", u"e5", u"Nf3"});
    Position* e4 = root.firstMove->after.get();
    Line(e4, {u"c5", u"Nf3", u"d6"});
    Line(e4, {u"e6", u"d4"});
    Line(e4->firstMove->next->after.get(), {u"Nc3"});
    std::vector<Coup*> all;
    ListOrder(&root, all);
    for (Coup* move : all) {
        move->depth = 99;
    }
    RenumberDepth(*root.firstMove, 0);
    ExpectConsistent(&root);
    EXPECT_EQ(e4->firstMove->next->after->firstMove->next->depth, 2);
}

} // namespace
