// Legality of moves and what PlayMove does with them: castling, en passant, pins, promotion,
// the check flag, the castling rights and the tested-move cache.
#include <gtest/gtest.h>

#include "chess/san.h"
#include "chess_test_support.h"

using namespace pawnlet;

namespace {

struct LegalityCase {
    const char* name;
    const char* fen;
    const char* from;
    const char* to;
    bool legal;
};

class LegalityTest : public testing::TestWithParam<LegalityCase> {};

TEST_P(LegalityTest, IsLegalMoveAndPlayMoveAgree) {
    const LegalityCase& c = GetParam();
    auto position = FromFen(c.fen);
    const auto boardBefore = position->board;
    EXPECT_EQ(position->IsLegalMove(Sq(c.from), Sq(c.to)), c.legal);
    EXPECT_EQ(position->testedFrom, Sq(c.from));
    EXPECT_EQ(position->testedTo, Sq(c.to));
    EXPECT_EQ(position->testedLegal, c.legal ? 1 : 0);
    // The test leaves the position as it found it (en passant puts a pawn on the target and
    // takes it away again).
    EXPECT_EQ(position->board, boardBefore);

    Position* after = position->PlayMove(Sq(c.from), Sq(c.to), nullptr, Queen);
    EXPECT_EQ(after != nullptr, c.legal);
    EXPECT_EQ(position->firstMove != nullptr, c.legal);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, LegalityTest,
    testing::Values(
        LegalityCase{"knight_from_start",
                     "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "g1", "f3", true},
        LegalityCase{"knight_onto_own_pawn",
                     "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "b1", "d2", false},
        LegalityCase{"bishop_blocked", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
                     "f1", "c4", false},
        LegalityCase{"king_onto_own_queen",
                     "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e1", "d1", false},
        LegalityCase{"pawn_double_step", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
                     "e2", "e4", true},
        LegalityCase{"pawn_triple_step", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
                     "e2", "e5", false},
        LegalityCase{"pawn_backwards", "4k3/8/8/8/4P3/8/8/4K3 w - - 0 1", "e4", "e3", false},
        LegalityCase{"pawn_double_step_over_piece", "4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1", "e2", "e4",
                     false},
        LegalityCase{"pawn_step_onto_piece", "4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1", "e2", "e3",
                     false},
        LegalityCase{"pawn_captures_diagonally", "4k3/8/8/8/8/3n4/4P3/4K3 w - - 0 1", "e2", "d3",
                     true},
        LegalityCase{"pawn_diagonal_to_empty", "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", "e2", "d3",
                     false},
        LegalityCase{"black_pawn_double_step", "4k3/4p3/8/8/8/8/8/4K3 b - - 0 1", "e7", "e5", true},
        LegalityCase{"castle_king_side", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1", "g1", true},
        LegalityCase{"castle_queen_side", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1", "c1", true},
        LegalityCase{"black_castle_king_side", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8", "g8",
                     true},
        LegalityCase{"black_castle_queen_side", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8", "c8",
                     true},
        LegalityCase{"castle_out_of_check", "4k3/8/8/8/8/8/4r3/4K2R w K - 0 1", "e1", "g1", false},
        LegalityCase{"castle_through_attacked_f1", "4kr2/8/8/8/8/8/8/4K2R w K - 0 1", "e1", "g1",
                     false},
        LegalityCase{"castle_into_attacked_g1", "4k1r1/8/8/8/8/8/8/4K2R w K - 0 1", "e1", "g1",
                     false},
        LegalityCase{"castle_queen_side_b1_attacked", "1r2k3/8/8/8/8/8/8/R3K3 w Q - 0 1", "e1",
                     "c1", true},
        LegalityCase{"castle_queen_side_d1_attacked", "3rk3/8/8/8/8/8/8/R3K3 w Q - 0 1", "e1", "c1",
                     false},
        LegalityCase{"black_pawn_e2_guards_f1", "4k3/8/8/8/8/8/4p3/4K2R w K - 0 1", "e1", "g1",
                     false},
        LegalityCase{"black_pawn_g2_guards_f1", "4k3/8/8/8/8/8/6p1/4K2R w K - 0 1", "e1", "g1",
                     false},
        LegalityCase{"castle_without_right", "4k3/8/8/8/8/8/8/4K2R w - - 0 1", "e1", "g1", false},
        LegalityCase{"castle_through_piece", "4k3/8/8/8/8/8/8/4KB1R w K - 0 1", "e1", "g1", false},
        LegalityCase{"castle_queen_side_b1_occupied", "4k3/8/8/8/8/8/8/RN2K3 w Q - 0 1", "e1", "c1",
                     false},
        LegalityCase{"castle_without_rook", "4k3/8/8/8/8/8/8/4K3 w K - 0 1", "e1", "g1", false},
        LegalityCase{"castle_with_knight_on_corner", "4k3/8/8/8/8/8/8/4K2N w K - 0 1", "e1", "g1",
                     false},
        LegalityCase{"en_passant_right_after", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5", "d6",
                     true},
        LegalityCase{"en_passant_without_square", "4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1", "e5", "d6",
                     false},
        LegalityCase{"en_passant_exposes_king_on_rank", "8/8/8/K2pP2r/8/8/8/7k w - d6 0 1", "e5",
                     "d6", false},
        LegalityCase{"black_en_passant", "4k3/8/8/8/4pP2/8/8/4K3 b - f3 0 1", "e4", "f3", true},
        LegalityCase{"pinned_knight", "4k3/4r3/8/8/8/8/4N3/4K3 w - - 0 1", "e2", "c3", false},
        LegalityCase{"pinned_rook_along_pin", "4k3/4r3/8/8/8/8/4R3/4K3 w - - 0 1", "e2", "e7",
                     true},
        LegalityCase{"king_next_to_king", "8/8/8/3k4/8/3K4/8/8 w - - 0 1", "d3", "d4", false},
        LegalityCase{"king_step_away", "8/8/8/3k4/8/3K4/8/8 w - - 0 1", "d3", "c2", true},
        LegalityCase{"king_takes_defended_piece", "4k3/8/8/8/8/3r4/3r4/4K3 w - - 0 1", "e1", "d2",
                     false},
        LegalityCase{"no_king_rook_anywhere_open", "r7/8/8/8/8/8/8/R7 w - - 0 1", "a1", "h1", true},
        LegalityCase{"no_king_still_geometric", "8/8/8/8/8/8/8/R7 w - - 0 1", "a1", "b2", false},
        LegalityCase{"empty_origin", "4k3/8/8/8/8/8/8/4K3 w - - 0 1", "d4", "d5", false},
        LegalityCase{"same_square", "4k3/8/8/8/8/8/8/4K3 w - - 0 1", "e1", "e1", false}),
    [](const testing::TestParamInfo<LegalityCase>& info) { return std::string(info.param.name); });

struct AttackCase {
    const char* name;
    const char* fen;
    Colour colour;
    const char* square;
    bool attacked;
};

class AttackTest : public testing::TestWithParam<AttackCase> {};

TEST_P(AttackTest, IsAttacked) {
    const AttackCase& c = GetParam();
    auto position = FromFen(c.fen);
    EXPECT_EQ(position->IsAttacked(c.colour, Sq(c.square)), c.attacked);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, AttackTest,
    testing::Values(
        AttackCase{"black_pawn_f2_not_f1", "4k3/8/8/8/8/8/5p2/4K2R w K - 0 1", White, "f1", false},
        AttackCase{"black_pawn_f2_attacks_e1", "4k3/8/8/8/8/8/5p2/4K2R w K - 0 1", White, "e1",
                   true},
        AttackCase{"pawn_attacks_own_piece_square", "4k3/8/8/8/8/8/5p2/6Q1 w - - 0 1", White, "g1",
                   true},
        AttackCase{"pawn_does_not_wrap_files", "4k3/8/8/8/8/8/p7/7K w - - 0 1", White, "h1", false},
        AttackCase{"white_pawn_up", "4k3/8/8/8/8/8/3P4/4K3 b - - 0 1", Black, "e3", true},
        AttackCase{"knight_jump", "4k3/8/8/8/8/5n2/8/4K3 w - - 0 1", White, "e1", true},
        AttackCase{"rook_ray_blocked", "4k3/4r3/8/8/4P3/8/8/4K3 w - - 0 1", White, "e1", false},
        AttackCase{"queen_not_a_knight_jump", "4k3/8/8/8/q7/8/8/4K3 w - - 0 1", White, "c5", false},
        AttackCase{"queen_diagonal_hits", "4k3/8/8/8/q7/8/8/4K3 w - - 0 1", White, "d1", true},
        AttackCase{"bishop_not_orthogonal", "4k3/8/8/8/8/8/8/b3K3 w - - 0 1", White, "e1", false},
        AttackCase{"own_pieces_do_not_attack", "4k3/8/8/8/8/8/8/R3K3 w - - 0 1", White, "a5",
                   false},
        AttackCase{"king_neighbour", "8/8/8/8/8/3k4/8/4K3 w - - 0 1", White, "e2", true},
        // A side that is neither White nor Black has no enemy: the rook a knight's jump away
        // must not pass for a knight of some other "side".
        AttackCase{"no_such_side", "4k3/8/8/8/8/5r2/8/4K3 w - - 0 1", 1, "e1", false}),
    [](const testing::TestParamInfo<AttackCase>& info) { return std::string(info.param.name); });

TEST(Castling, MovesTheRookAndMarksTheMove) {
    struct Row {
        const char* from;
        const char* to;
        const char* rookFrom;
        const char* rookTo;
        int castle;
    };
    const Row rows[] = {{"e1", "g1", "h1", "f1", 1},
                        {"e1", "c1", "a1", "d1", 2},
                        {"e8", "g8", "h8", "f8", 1},
                        {"e8", "c8", "a8", "d8", 2}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.to);
        auto root = FromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
        Position* after = root->PlayMove(Sq(row.from), Sq(row.to), nullptr, 0);
        ASSERT_NE(after, nullptr);
        const PieceCode side = ColourOf(root->board[Sq(row.from)]);
        EXPECT_EQ(after->board[Sq(row.to)], side + King);
        EXPECT_EQ(after->board[Sq(row.rookTo)], side + Rook);
        EXPECT_EQ(after->board[Sq(row.rookFrom)], Empty);
        EXPECT_EQ(after->board[Sq(row.from)], Empty);
        EXPECT_EQ(after->previousMove->castle, row.castle);
    }
}

struct RightsCase {
    const char* name;
    const char* fen;
    const char* from;
    const char* to;
    const char* rightsAfter;
};

class CastlingRightsTest : public testing::TestWithParam<RightsCase> {};

TEST_P(CastlingRightsTest, ClearedByHomeSquares) {
    const RightsCase& c = GetParam();
    auto root = FromFen(c.fen);
    Position* after = root->PlayMove(Sq(c.from), Sq(c.to), nullptr, 0);
    ASSERT_NE(after, nullptr);
    const std::string fen = Narrow(WriteFen(*after));
    const std::size_t start = fen.find(' ', fen.find(' ') + 1) + 1;
    EXPECT_EQ(fen.substr(start, fen.find(' ', start) - start), c.rightsAfter) << fen;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CastlingRightsTest,
    testing::Values(
        RightsCase{"king_moves", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1", "e2", "kq"},
        RightsCase{"queen_rook_moves", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "a1", "b1", "Kkq"},
        RightsCase{"king_rook_moves", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "h1", "h5", "Qkq"},
        RightsCase{"black_king_moves", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8", "d8", "KQ"},
        RightsCase{"rook_takes_rook", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "a1", "a8", "Kk"},
        RightsCase{"bishop_takes_corner_rook", "r3k2r/8/8/8/8/8/1B6/4K3 w kq - 0 1", "b2", "h8",
                   "q"},
        RightsCase{"queen_leaves_e1", "r3k2r/8/8/8/8/8/8/4Q3 w KQkq - 0 1", "e1", "e5", "kq"},
        RightsCase{"other_move_keeps_rights", "r3k2r/8/8/8/8/8/P7/R3K2R w KQkq - 0 1", "a2", "a3",
                   "KQkq"}),
    [](const testing::TestParamInfo<RightsCase>& info) { return std::string(info.param.name); });

TEST(EnPassant, CaptureEmptiesThePassedPawnsSquare) {
    auto root = FromFen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
    Position* after = root->PlayMove(Sq("e5"), Sq("d6"), nullptr, 0);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->board[Sq("d6")], White + Pawn);
    EXPECT_EQ(after->board[Sq("d5")], Empty);
    EXPECT_EQ(after->board[Sq("e5")], Empty);
    const Coup& move = *after->previousMove;
    EXPECT_EQ(move.isCapture, 1);
    EXPECT_EQ(move.capturedPiece, 0);
    EXPECT_EQ(move.enPassantSquare, Sq("d6"));
}

TEST(EnPassant, OnlyRightAfterTheDoubleStep) {
    Position root;
    Position* p = root.PlayMove(Sq("e2"), Sq("e4"), nullptr, 0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->enPassant, Sq("e3"));
    p = p->PlayMove(Sq("a7"), Sq("a6"), nullptr, 0);
    p = p->PlayMove(Sq("e4"), Sq("e5"), nullptr, 0);
    p = p->PlayMove(Sq("d7"), Sq("d5"), nullptr, 0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->enPassant, Sq("d6"));
    Position* waited = p->PlayMove(Sq("g1"), Sq("f3"), nullptr, 0);
    ASSERT_NE(waited, nullptr);
    Position* reply = waited->PlayMove(Sq("h7"), Sq("h6"), nullptr, 0);
    ASSERT_NE(reply, nullptr);
    EXPECT_FALSE(reply->IsLegalMove(Sq("e5"), Sq("d6")));
    EXPECT_TRUE(p->IsLegalMove(Sq("e5"), Sq("d6")));
}

TEST(Promotion, GivenPieceIsNeverAskedFor) {
    ScriptedShell shell;
    auto root = FromFen("4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
    Position* after = root->PlayMove(Sq("a7"), Sq("a8"), nullptr, Knight);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(shell.promotionQuestions, 0);
    EXPECT_EQ(after->board[Sq("a8")], White + Knight);
    EXPECT_EQ(after->previousMove->promotion, Knight);
}

TEST(Promotion, ZeroAsksTheShell) {
    ScriptedShell shell;
    shell.promotionAnswers = {Queen};
    auto root = FromFen("4k3/8/8/8/8/8/p7/4K3 b - - 0 1");
    Position* after = root->PlayMove(Sq("a2"), Sq("a1"), nullptr, 0);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(shell.promotionQuestions, 1);
    EXPECT_EQ(after->board[Sq("a1")], Black + Queen);
    // The new queen gives check along the first rank.
    EXPECT_EQ(after->previousMove->givesCheck, 1);
}

TEST(Promotion, DeclinedChoicePlaysNothing) {
    ScriptedShell shell;
    shell.promotionAnswers = {0, 7};
    auto root = FromFen("4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
    const auto board = root->board;
    const int positions = LiveCount<Position>::Live();
    const int coups = LiveCount<Coup>::Live();
    EXPECT_EQ(root->PlayMove(Sq("a7"), Sq("a8"), nullptr, 0), nullptr);
    // An answer that is no promotion piece is a refusal too.
    EXPECT_EQ(root->PlayMove(Sq("a7"), Sq("a8"), nullptr, 0), nullptr);
    EXPECT_EQ(shell.promotionQuestions, 2);
    EXPECT_EQ(root->firstMove, nullptr);
    EXPECT_EQ(root->board, board);
    EXPECT_EQ(LiveCount<Position>::Live(), positions);
    EXPECT_EQ(LiveCount<Coup>::Live(), coups);
}

TEST(Promotion, InvalidPieceFromCallerIsRefused) {
    ScriptedShell shell;
    auto root = FromFen("4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
    for (int piece : {1, 6, 9, -1}) {
        EXPECT_EQ(root->PlayMove(Sq("a7"), Sq("a8"), nullptr, piece), nullptr) << piece;
    }
    EXPECT_EQ(shell.promotionQuestions, 0);
    EXPECT_EQ(root->firstMove, nullptr);
}

TEST(Promotion, PieceIgnoredForOtherMoves) {
    Position root;
    Position* after = root.PlayMove(Sq("e2"), Sq("e4"), nullptr, Queen);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->board[Sq("e4")], White + Pawn);
    EXPECT_EQ(after->previousMove->promotion, 0);
}

struct CheckCase {
    const char* name;
    const char* fen;
    const char* from;
    const char* to;
    int promotion;
    int givesCheck;
};

class CheckFlagTest : public testing::TestWithParam<CheckCase> {};

TEST_P(CheckFlagTest, MarksMovesThatAttackTheKing) {
    const CheckCase& c = GetParam();
    auto root = FromFen(c.fen);
    Position* after = root->PlayMove(Sq(c.from), Sq(c.to), nullptr, c.promotion);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->previousMove->givesCheck, c.givesCheck);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CheckFlagTest,
    testing::Values(
        CheckCase{"quiet_opening", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e2",
                  "e4", 0, 0},
        CheckCase{"rook_check", "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", "a1", "a8", 0, 1},
        CheckCase{"discovered_check", "4k3/8/8/8/4N3/8/8/4R2K w - - 0 1", "e4", "c5", 0, 1},
        CheckCase{"promotion_to_queen_checks", "4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7", "a8", Queen,
                  1},
        CheckCase{"promotion_to_knight_does_not", "4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7", "a8",
                  Knight, 0},
        CheckCase{"castling_rook_checks", "5k2/8/8/8/8/8/8/4K2R w K - 0 1", "e1", "g1", 0, 1},
        CheckCase{"mate_is_just_check", "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "a1", "a8", 0, 1}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(TestedMoveCache, RecordsTheLastPairAndIsReset) {
    Position root;
    EXPECT_EQ(root.testedFrom, NoSquare);
    EXPECT_TRUE(root.IsLegalMove(Sq("e2"), Sq("e4")));
    EXPECT_FALSE(root.IsLegalMove(Sq("e2"), Sq("e5")));
    EXPECT_EQ(root.testedTo, Sq("e5"));
    EXPECT_EQ(root.testedLegal, 0);
    // A refused PlayMove leaves its pair in the cache and nothing in the tree.
    EXPECT_EQ(root.PlayMove(Sq("d2"), Sq("d5"), nullptr, 0), nullptr);
    EXPECT_EQ(root.testedFrom, Sq("d2"));
    EXPECT_EQ(root.firstMove, nullptr);
    // A different pair is tested afresh.
    Position* after = root.PlayMove(Sq("g1"), Sq("f3"), nullptr, 0);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(root.testedFrom, Sq("g1"));
    EXPECT_EQ(root.testedLegal, 1);
    EXPECT_EQ(after->testedFrom, NoSquare);
    EXPECT_EQ(after->testedTo, NoSquare);
    EXPECT_EQ(after->testedLegal, 0);
}

TEST(TestedMoveCache, PlayMoveReusesTheResultForTheSamePair) {
    Position root;
    ASSERT_TRUE(root.IsLegalMove(Sq("e2"), Sq("e4")));
    // The board view tests on the second tap and plays right after; the cached verdict stands
    // for that pair.
    root.SetPiece(Sq("e3"), White + Knight);
    EXPECT_NE(root.PlayMove(Sq("e2"), Sq("e4"), nullptr, 0), nullptr);
}

TEST(PlayMove, RefusesSquaresOffTheBoard) {
    Position root;
    EXPECT_EQ(root.PlayMove(64, Sq("e4"), nullptr, 0), nullptr);
    EXPECT_EQ(root.PlayMove(Sq("e2"), NoSquare, nullptr, 0), nullptr);
    EXPECT_FALSE(root.IsLegalMove(NoSquare, Sq("e4")));
    EXPECT_EQ(root.firstMove, nullptr);
}

TEST(ListMovers, FindsEveryPieceReachingTheTargetInSquareOrder) {
    auto root = FromFen("4k3/8/8/1N3N2/8/Q1Q5/8/Q3K2N w - - 0 1");
    const SquareList queens = root->ListMovers(White + Queen, NoSquare, Sq("b2"));
    ASSERT_EQ(queens.count, 3);
    EXPECT_EQ(queens.squares[0], Sq("a1"));
    EXPECT_EQ(queens.squares[1], Sq("a3"));
    EXPECT_EQ(queens.squares[2], Sq("c3"));
    // Code 0 stands for the piece on the excluded square.
    const SquareList others = root->ListMovers(0, Sq("a3"), Sq("b2"));
    ASSERT_EQ(others.count, 2);
    EXPECT_EQ(others.squares[0], Sq("a1"));
    EXPECT_EQ(others.squares[1], Sq("c3"));
    const SquareList knights = root->ListMovers(White + Knight, NoSquare, Sq("d4"));
    ASSERT_EQ(knights.count, 2);
    EXPECT_EQ(knights.squares[0], Sq("b5"));
    EXPECT_EQ(knights.squares[1], Sq("f5"));
    // A blocked ray does not count; neither does the other colour.
    EXPECT_EQ(root->ListMovers(White + Queen, NoSquare, Sq("a4")).count, 1);
    EXPECT_EQ(root->ListMovers(Black + Queen, NoSquare, Sq("b2")).count, 0);
}

TEST(ListMovers, AgreesWithCanMoveEverywhere) {
    auto root = FromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    for (int code : {1, 2, 3, 4, 5, 6, 33, 34, 35, 36, 37, 38}) {
        for (int target = 0; target < 64; ++target) {
            SquareList expected;
            for (int from = 0; from < 64; ++from) {
                if (root->board[from] == code &&
                    root->CanMove(static_cast<Square>(from), static_cast<Square>(target))) {
                    expected.squares[expected.count++] = static_cast<Square>(from);
                }
            }
            const SquareList found = root->ListMovers(static_cast<PieceCode>(code), NoSquare,
                                                      static_cast<Square>(target));
            ASSERT_EQ(found.count, expected.count) << code << " to " << target;
            for (int i = 0; i < found.count; ++i) {
                EXPECT_EQ(found.squares[i], expected.squares[i]);
            }
        }
    }
}

// The search for movers and the legality test remember what they found on the last board; a
// board changed since, by a move or by a direct write, is never answered from that memory.
TEST(ListMovers, AnswersFollowTheBoardAsItIsNow) {
    auto root = FromFen("4k3/8/8/8/8/8/8/R3K1N1 w - - 0 1");
    ASSERT_EQ(root->ListMovers(White + Knight, NoSquare, Sq("f3")).count, 1);
    Position* after = ReadSan(*root, u"Nf3");
    ASSERT_NE(after, nullptr);
    // The knight's old square is empty now: nothing moves from it.
    EXPECT_FALSE(after->IsLegalMove(Sq("g1"), Sq("f3")));
    EXPECT_EQ(after->ListMovers(White + Knight, NoSquare, Sq("f3")).count, 0);

    ASSERT_EQ(root->ListMovers(White + Rook, NoSquare, Sq("a5")).count, 1);
    root->board[Sq("a3")] = Black + Pawn;
    EXPECT_EQ(root->ListMovers(White + Rook, NoSquare, Sq("a5")).count, 0);
    EXPECT_FALSE(root->IsLegalMove(Sq("a1"), Sq("a5")));
    root->board[Sq("a3")] = Empty;
    EXPECT_TRUE(root->IsLegalMove(Sq("a1"), Sq("a5")));

    ASSERT_EQ(root->ListMovers(White + Knight, NoSquare, Sq("f3")).count, 1);
    root->board[Sq("g1")] = Empty;
    EXPECT_FALSE(root->IsLegalMove(Sq("g1"), Sq("f3")));
    // Another piece on the searched piece's square is tested by its own rules.
    root->board[Sq("g1")] = White + Bishop;
    EXPECT_FALSE(root->IsLegalMove(Sq("g1"), Sq("f3")));
    EXPECT_TRUE(root->IsLegalMove(Sq("g1"), Sq("f2")));
}

} // namespace
