// Move text, disambiguation hints, annotation glyphs and the annotation tables.
#include <gtest/gtest.h>

#include "chess/chess_test_support.h"
#include "gametree/annotations.h"
#include "gametree/move_text.h"

using namespace pawnlet;

namespace {

struct MoveTextCase {
    const char* name;
    const char* fen;
    const char* from;
    const char* to;
    int promotion;
    int nag;
    bool withNumber;
    bool numeric;
    const char* expected;
};

class MoveTextTest : public testing::TestWithParam<MoveTextCase> {};

TEST_P(MoveTextTest, WritesTheMove) {
    const MoveTextCase& c = GetParam();
    auto root = FromFen(c.fen);
    Position* after = root->PlayMove(Sq(c.from), Sq(c.to), nullptr, c.promotion);
    ASSERT_NE(after, nullptr);
    Coup& move = *after->previousMove;
    move.nag = static_cast<std::uint8_t>(c.nag);
    char16_t buffer[MoveTextCapacity];
    const int length = MoveText(move, buffer, c.withNumber, c.numeric);
    EXPECT_EQ(Narrow(std::u16string(buffer)), c.expected);
    EXPECT_EQ(length, static_cast<int>(std::string(c.expected).size()));
    EXPECT_EQ(MoveText(move, c.withNumber, c.numeric), std::u16string(buffer));
}

constexpr const char* startFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* afterE4Fen = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1";

INSTANTIATE_TEST_SUITE_P(
    Moves, MoveTextTest,
    testing::Values(
        MoveTextCase{"white_with_number", startFen, "e2", "e4", 0, 0, true, false, "1. e4"},
        MoveTextCase{"black_with_number", afterE4Fen, "e7", "e5", 0, 0, true, false, "1... e5"},
        MoveTextCase{"knight_without_number", startFen, "g1", "f3", 0, 0, false, false, "Nf3"},
        MoveTextCase{"pawn_capture", "4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "e4", "d5", 0, 0, false,
                     false, "exd5"},
        MoveTextCase{"en_passant", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5", "d6", 0, 0, false,
                     false, "exd6"},
        MoveTextCase{"promotion_capture_check", "3r3k/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7", "d8",
                     Queen, 0, false, false, "exd8=Q+"},
        MoveTextCase{"promotion_to_knight", "7k/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7", "e8", Knight, 0,
                     false, false, "e8=N"},
        MoveTextCase{"castle_king_side", "4k3/8/8/8/8/8/8/4K2R w K - 0 1", "e1", "g1", 0, 0, false,
                     false, "O-O"},
        MoveTextCase{"castle_queen_side", "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", "e1", "c1", 0, 0, false,
                     false, "O-O-O"},
        MoveTextCase{"castle_with_check", "5k2/8/8/8/8/8/8/4K2R w K - 0 1", "e1", "g1", 0, 0, false,
                     false, "O-O+"},
        MoveTextCase{"king_capture", "4k3/8/8/8/8/8/3r4/4K3 w - - 0 1", "e1", "d2", 0, 0, false,
                     false, "Kxd2"},
        MoveTextCase{"king_beside_a_second_king", "4k3/8/8/8/8/8/8/3K1K2 w - - 0 1", "d1", "e2", 0,
                     0, false, false, "Kde2"},
        MoveTextCase{"king_next_to_unreachable_second_king", "4k3/8/8/8/8/8/8/K3K3 w - - 0 1", "e1",
                     "e2", 0, 0, false, false, "Ke2"},
        MoveTextCase{"knight_hint_file_b", "4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "b1", "d2", 0, 0,
                     false, false, "Nbd2"},
        MoveTextCase{"knight_hint_file_f", "4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "f3", "d2", 0, 0,
                     false, false, "Nfd2"},
        MoveTextCase{"rook_hint_rank_1", "4k3/8/8/8/8/R7/8/R3K3 w - - 0 1", "a1", "a2", 0, 0, false,
                     false, "R1a2"},
        MoveTextCase{"rook_hint_rank_3", "4k3/8/8/8/8/R7/8/R3K3 w - - 0 1", "a3", "a2", 0, 0, false,
                     false, "R3a2"},
        MoveTextCase{"queen_full_origin", "4k3/8/8/8/8/Q7/8/Q1Q1K3 w - - 0 1", "a1", "b2", 0, 0,
                     false, false, "Qa1b2"},
        MoveTextCase{"pinned_knight_counts", "4k3/8/8/3b4/8/5N2/8/1N5K w - - 0 1", "b1", "d2", 0, 0,
                     false, false, "Nbd2"},
        MoveTextCase{"bishop_capture_hint", "4k3/8/8/3r4/8/1B3B2/8/4K3 w - - 0 1", "b3", "d5", 0, 0,
                     false, false, "Bbxd5"},
        MoveTextCase{"glyph_on_screen", startFen, "e2", "e4", 0, 1, false, false, "e4!"},
        MoveTextCase{"numeric_in_pgn", startFen, "e2", "e4", 0, 1, false, true, "e4 $1"},
        MoveTextCase{"two_glyph", startFen, "e2", "e4", 0, 5, false, false, "e4!?"},
        MoveTextCase{"no_glyph_for_7", startFen, "e2", "e4", 0, 7, false, false, "e4"},
        MoveTextCase{"numeric_7", startFen, "e2", "e4", 0, 7, false, true, "e4 $7"},
        MoveTextCase{"numeric_255_after_check", "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", "a1", "a8", 0,
                     255, true, true, "1. Ra8+ $255"},
        MoveTextCase{"move_number_past_255", "4k3/8/8/8/8/8/8/4K3 b - - 0 300", "e8", "d7", 0, 0,
                     true, false, "300... Kd7"},
        MoveTextCase{"longest_text", "4k3/8/8/8/8/Q7/8/Q1Q1K3 b - - 0 999999", "e8", "d7", 0, 0,
                     true, true, "999999... Kd7"}),
    [](const testing::TestParamInfo<MoveTextCase>& info) { return std::string(info.param.name); });

TEST(MoveText, LongestTextFitsTheBuffer) {
    // The longest move number a FEN may give, a black queen move with the full origin, a
    // capture, check and the largest numeric annotation.
    auto root = FromFen("4K3/8/8/8/8/q7/1R6/q1q1k3 b - - 0 1000000");
    Position* after = root->PlayMove(Sq("a1"), Sq("b2"), nullptr, 0);
    ASSERT_NE(after, nullptr);
    after->previousMove->nag = 255;
    char16_t buffer[MoveTextCapacity + 8];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    const int length = MoveText(*after->previousMove, buffer, true, true);
    EXPECT_EQ(Narrow(std::u16string(buffer)), "1000000... Qa1xb2 $255");
    EXPECT_LT(length, MoveTextCapacity);
    EXPECT_EQ(buffer[MoveTextCapacity], u'#');
}

TEST(GlyphToNag, RewritesTheSixGlyphsOnly) {
    const std::pair<const char16_t*, const char16_t*> rows[] = {
        {u"!", u"$1"},  {u"?", u"$2"},    {u"!!", u"$3"}, {u"??", u"$4"}, {u"!?", u"$5"},
        {u"?!", u"$6"}, {u"!!!", u"!!!"}, {u"$3", u"$3"}, {u"", u""},     {u"!?!", u"!?!"},
    };
    for (const auto& [token, expected] : rows) {
        std::u16string text = token;
        EXPECT_EQ(GlyphToNag(text), std::u16string(token) != expected) << Narrow(token);
        EXPECT_EQ(text, expected);
    }
}

TEST(Annotations, MenusAndTheirValues) {
    const char16_t* menuOrder[] = {u"(none)", u"!", u"!!", u"!?", u"?!", u"?", u"??"};
    for (std::size_t i = 0; i < MoveAnnotationMenu.size(); ++i) {
        const AnnotationItem& item = MoveAnnotationMenu[i];
        EXPECT_EQ(std::u16string(item.menuText), menuOrder[i]);
        EXPECT_EQ(item.value, item.command - FirstAnnotationCommand);
        EXPECT_EQ(AnnotationCommandToNag(item.command), item.value);
        if (item.value != 0) {
            EXPECT_EQ(std::u16string(NagGlyph(item.value)), item.menuText);
        }
    }
    EXPECT_EQ(NagGlyph(0), nullptr);
    EXPECT_EQ(NagGlyph(7), nullptr);
    EXPECT_EQ(AnnotationCommandToNag(40011), -1);

    const int evaluations[] = {0, 12, 13, 14, 15, 16, 17, 18, 19};
    for (std::size_t i = 0; i < PositionAssessmentMenu.size(); ++i) {
        EXPECT_EQ(PositionAssessmentMenu[i].command, FirstAssessmentCommand + static_cast<int>(i));
        EXPECT_EQ(AssessmentCommandToEvaluation(PositionAssessmentMenu[i].command), evaluations[i]);
    }
    EXPECT_EQ(std::u16string(PositionAssessmentMenu[3].menuText), u"White better");
    EXPECT_EQ(AssessmentCommandToEvaluation(40027), -1);
}

TEST(Annotations, AssessmentImages) {
    const std::pair<int, int> rows[] = {{0, -1}, {9, -1}, {10, 0},  {11, 0},  {12, 0},
                                        {15, 3}, {19, 7}, {20, -1}, {255, -1}};
    for (const auto& [evaluation, image] : rows) {
        EXPECT_EQ(AssessmentImageIndex(evaluation), image) << evaluation;
    }
}

} // namespace
