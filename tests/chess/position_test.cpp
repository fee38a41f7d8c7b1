// The Position record: the start, the position after a move, copying, comments, the links to
// the tree, and the live-instance counters.
#include <gtest/gtest.h>

#include "chess_test_support.h"

using namespace pawnlet;

namespace {

TEST(Encoding, ColourAndType) {
    EXPECT_EQ(ColourOf(0), White);
    EXPECT_EQ(ColourOf(6), White);
    EXPECT_EQ(ColourOf(32), White);
    EXPECT_EQ(TypeOf(32), 0);
    EXPECT_EQ(ColourOf(33), Black);
    EXPECT_EQ(TypeOf(38), King);
    EXPECT_EQ(Sq("a1"), 0);
    EXPECT_EQ(Sq("h1"), 7);
    EXPECT_EQ(Sq("e8"), 60);
    EXPECT_EQ(Sq("h8"), 63);
}

TEST(StartPosition, PiecesAndFields) {
    Position p;
    const PieceCode rank1[8] = {2, 3, 4, 5, 6, 4, 3, 2};
    for (int file = 0; file < 8; ++file) {
        EXPECT_EQ(p.PieceAtFileRank(file, 0), rank1[file]);
        EXPECT_EQ(p.PieceAtFileRank(file, 1), 1);
        for (int rank = 2; rank < 6; ++rank) {
            EXPECT_EQ(p.PieceAtFileRank(file, rank), 0);
        }
        EXPECT_EQ(p.PieceAtFileRank(file, 6), 33);
        EXPECT_EQ(p.PieceAtFileRank(file, 7), rank1[file] + 32);
    }
    EXPECT_EQ(p.sideToMove, White);
    EXPECT_EQ(p.moveNumber, 0);
    EXPECT_EQ(p.castleWhiteKing + p.castleWhiteQueen + p.castleBlackKing + p.castleBlackQueen, 4);
    EXPECT_EQ(p.enPassant, NoSquare);
    EXPECT_EQ(p.setUp, 0);
    EXPECT_EQ(p.previousMove, nullptr);
    EXPECT_EQ(p.PreviousPosition(), nullptr);
    EXPECT_EQ(p.VariationDepth(), 0);
    EXPECT_EQ(WriteFen(p), u"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
}

TEST(AfterMove, SideMoveNumberAndEnPassant) {
    Position root;
    Position* e4 = root.PlayMove(Sq("e2"), Sq("e4"), nullptr, 0);
    ASSERT_NE(e4, nullptr);
    EXPECT_EQ(e4->enPassant, 20);
    EXPECT_EQ(e4->sideToMove, Black);
    EXPECT_EQ(e4->moveNumber, 1);
    EXPECT_EQ(e4->PreviousPosition(), &root);
    EXPECT_EQ(e4->previousMove->moveNumber, 1);
    Position* nf6 = e4->PlayMove(Sq("g8"), Sq("f6"), nullptr, 0);
    ASSERT_NE(nf6, nullptr);
    EXPECT_EQ(nf6->enPassant, NoSquare);
    EXPECT_EQ(nf6->moveNumber, 1);
    EXPECT_EQ(nf6->sideToMove, White);
    Position* nf3 = nf6->PlayMove(Sq("g1"), Sq("f3"), nullptr, 0);
    ASSERT_NE(nf3, nullptr);
    EXPECT_EQ(nf3->moveNumber, 2);
    EXPECT_EQ(nf3->board[Sq("f3")], White + Knight);
    EXPECT_EQ(nf3->board[Sq("g1")], Empty);
    // The position before is untouched.
    EXPECT_EQ(nf6->board[Sq("g1")], White + Knight);
}

TEST(AfterMove, CaptureIsRecorded) {
    auto root = FromFen("4k3/8/8/3r4/4P3/8/8/4K3 w - - 0 1");
    Position* after = root->PlayMove(Sq("e4"), Sq("d5"), nullptr, 0);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->previousMove->isCapture, 1);
    EXPECT_EQ(after->previousMove->capturedPiece, Black + Rook);
    EXPECT_EQ(after->previousMove->enPassantSquare, 0);
    EXPECT_EQ(after->board[Sq("d5")], White + Pawn);
}

TEST(AfterMove, MoveNumbersGoPast255) {
    auto root = FromFen("4k3/8/8/8/8/8/8/4K3 b - - 0 300");
    Position* after = root->PlayMove(Sq("e8"), Sq("d8"), nullptr, 0);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->moveNumber, 300);
    after = after->PlayMove(Sq("e1"), Sq("d1"), nullptr, 0);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->moveNumber, 301);
    EXPECT_EQ(WriteFen(*after), u"3k4/8/8/8/8/8/8/3K4 b - - 0 301");
}

TEST(CopyFrom, CopiesTheRecordAndMarksItSetUp) {
    Position source;
    Position* after = source.PlayMove(Sq("e2"), Sq("e4"), nullptr, 0);
    ASSERT_NE(after, nullptr);
    after->evaluation = 14;
    after->SetComment(u"note");
    (void)after->IsLegalMove(Sq("e7"), Sq("e5"));
    Position copy;
    copy.CopyFrom(*after);
    EXPECT_EQ(copy.board, after->board);
    EXPECT_EQ(copy.enPassant, Sq("e3"));
    EXPECT_EQ(copy.sideToMove, Black);
    EXPECT_EQ(copy.moveNumber, 1);
    EXPECT_EQ(copy.evaluation, 14);
    EXPECT_EQ(copy.testedFrom, Sq("e7"));
    EXPECT_EQ(copy.testedLegal, 1);
    EXPECT_EQ(copy.setUp, 1);
    EXPECT_FALSE(copy.comment.has_value());
    EXPECT_EQ(copy.previousMove, nullptr);
    EXPECT_EQ(copy.firstMove, nullptr);
}

TEST(Comment, NoneAndEmptyDiffer) {
    Position p;
    EXPECT_FALSE(p.comment.has_value());
    p.SetComment(u"");
    ASSERT_TRUE(p.comment.has_value());
    EXPECT_TRUE(p.comment->empty());
    p.SetComment(u"Bon coup");
    EXPECT_EQ(*p.comment, u"Bon coup");
    p.SetComment(std::nullopt);
    EXPECT_FALSE(p.comment.has_value());
}

TEST(FindMove, FollowsTheListRegardlessOfPromotion) {
    auto root = FromFen("4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
    Position* queen = root->PlayMove(Sq("a7"), Sq("a8"), nullptr, Queen);
    Position* knight = root->PlayMove(Sq("a7"), Sq("a8"), nullptr, Knight);
    Position* king = root->PlayMove(Sq("e1"), Sq("d1"), nullptr, 0);
    ASSERT_NE(knight, nullptr);
    EXPECT_EQ(root->FindMove(Sq("a7"), Sq("a8")), queen);
    EXPECT_EQ(root->FindMove(Sq("e1"), Sq("d1")), king);
    EXPECT_EQ(root->FindMove(Sq("e1"), Sq("f1")), nullptr);
}

TEST(TrialPosition, DiscardedMoveLeavesThePositionAndCountersBalanced) {
    const int positions = LiveCount<Position>::Live();
    const int coups = LiveCount<Coup>::Live();
    {
        Position root;
        Position trial(root, Sq("e2"), Sq("e4"));
        ASSERT_NE(trial.previousMove, nullptr);
        EXPECT_EQ(trial.previousMove->after.get(), &trial);
        EXPECT_EQ(root.firstMove, nullptr);
        EXPECT_EQ(LiveCount<Coup>::Live(), coups + 1);
        DiscardTrial(trial.previousMove);
        trial.previousMove = nullptr;
        EXPECT_EQ(trial.board[Sq("e4")], White + Pawn);
        EXPECT_EQ(LiveCount<Coup>::Live(), coups);
    }
    EXPECT_EQ(LiveCount<Position>::Live(), positions);
}

TEST(Counters, BackToStartAfterAGameWithVariationsIsDestroyed) {
    const int positions = LiveCount<Position>::Live();
    const int coups = LiveCount<Coup>::Live();
    {
        Position root;
        Position* e4 = root.PlayMove(Sq("e2"), Sq("e4"), nullptr, 0);
        Position* d4 = root.PlayMove(Sq("d2"), Sq("d4"), nullptr, 0);
        Position* c4 = root.PlayMove(Sq("c2"), Sq("c4"), nullptr, 0);
        ASSERT_TRUE(e4 && d4 && c4);
        Position* line = e4;
        const char* moves[][2] = {{"e7", "e5"}, {"g1", "f3"}, {"b8", "c6"}, {"f1", "b5"}};
        for (auto& m : moves) {
            line = line->PlayMove(Sq(m[0]), Sq(m[1]), nullptr, 0);
            ASSERT_NE(line, nullptr);
        }
        ASSERT_NE(d4->PlayMove(Sq("d7"), Sq("d5"), nullptr, 0), nullptr);
        ASSERT_NE(d4->PlayMove(Sq("g8"), Sq("f6"), nullptr, 0), nullptr);
        EXPECT_EQ(LiveCount<Position>::Live(), positions + 1 + 3 + 4 + 2);
        EXPECT_EQ(LiveCount<Coup>::Live(), coups + 3 + 4 + 2);
    }
    EXPECT_EQ(LiveCount<Position>::Live(), positions);
    EXPECT_EQ(LiveCount<Coup>::Live(), coups);
}

} // namespace
