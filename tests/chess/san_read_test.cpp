// Reading SAN: which move a text names, and which texts are refused.
#include <gtest/gtest.h>

#include "chess/san.h"
#include "chess_test_support.h"

using namespace pawnlet;

namespace {

constexpr const char* startFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

struct SanCase {
    const char* name;
    const char* fen;
    const char* san;
    // Expected move; an empty origin means the text is refused.
    const char* from;
    const char* to;
    int promotion;
};

class SanReadTest : public testing::TestWithParam<SanCase> {};

TEST_P(SanReadTest, ReadsTheNamedMove) {
    const SanCase& c = GetParam();
    ScriptedShell shell;
    auto root = FromFen(c.fen);
    const auto board = root->board;
    Position* after = ReadSan(*root, U16(c.san));
    EXPECT_EQ(shell.promotionQuestions, 0);
    if (*c.from == '\0') {
        EXPECT_EQ(after, nullptr);
        EXPECT_EQ(root->firstMove, nullptr);
        EXPECT_EQ(root->board, board);
        return;
    }
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->previousMove->from, Sq(c.from));
    EXPECT_EQ(after->previousMove->to, Sq(c.to));
    EXPECT_EQ(after->previousMove->promotion, c.promotion);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SanReadTest,
    testing::Values(
        SanCase{"pawn_double_step", startFen, "e4", "e2", "e4", 0},
        SanCase{"pawn_single_step", startFen, "e3", "e2", "e3", 0},
        SanCase{"knight", startFen, "Nf3", "g1", "f3", 0},
        SanCase{"castling_blocked", startFen, "O-O", "", "", 0},
        SanCase{"pawn_behind_pawn", "4k3/8/8/8/8/4P3/4P3/4K3 w - - 0 1", "e4", "e3", "e4", 0},
        SanCase{"piece_on_origin_is_not_a_pawn", "4k3/8/8/8/8/4K3/4P3/8 w - - 0 1", "e4", "", "",
                0},
        SanCase{"capture_with_x", "4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "exd5", "e4", "d5", 0},
        SanCase{"capture_without_x", "4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "ed5", "e4", "d5", 0},
        SanCase{"capture_form_on_same_file", "4k3/8/8/8/4P3/8/8/4K3 w - - 0 1", "ee5", "", "", 0},
        SanCase{"en_passant", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "exd6", "e5", "d6", 0},
        SanCase{"promotion_with_equals", "4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a8=Q", "a7", "a8",
                Queen},
        SanCase{"promotion_without_equals", "4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a8Q", "a7", "a8",
                Queen},
        SanCase{"promotion_to_knight", "4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a8=N", "a7", "a8",
                Knight},
        SanCase{"promotion_capture_check", "1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1", "axb8=R+", "a7",
                "b8", Rook},
        SanCase{"promotion_missing", "4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a8", "", "", 0},
        SanCase{"promotion_to_king", "4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a8=K", "", "", 0},
        SanCase{"black_promotion", "4k3/8/8/8/8/8/p7/4K3 b - - 0 1", "a1=B", "a2", "a1", Bishop},
        SanCase{"suffix_ignored_off_last_rank", startFen, "e4=Q", "e2", "e4", 0},
        SanCase{"file_hint", "4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "Nbd2", "b1", "d2", 0},
        SanCase{"rank_hint", "4k3/8/8/6N1/8/8/8/4K1N1 w - - 0 1", "N1f3", "g1", "f3", 0},
        SanCase{"no_hint_takes_first_in_square_order", "4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "Nd2",
                "b1", "d2", 0},
        SanCase{"no_hint_passes_over_pinned", "4k3/8/8/8/8/5N2/8/rN2K3 w - - 0 1", "Nd2", "f3",
                "d2", 0},
        SanCase{"hint_names_pinned_piece", "4k3/8/8/8/8/5N2/8/rN2K3 w - - 0 1", "Nbd2", "", "", 0},
        SanCase{"hint_and_capture", "4k3/8/8/8/8/5N2/3r4/1N2K3 w - - 0 1", "Nbxd2", "b1", "d2", 0},
        SanCase{"rank_hint_and_capture", "4k3/8/8/8/R7/r7/8/R3K3 w - - 0 1", "R1xa3", "a1", "a3",
                0},
        SanCase{"hint_matches_nothing", "4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "Ncd2", "", "", 0},
        SanCase{"full_origin", "4k3/8/8/8/8/Q1Q5/8/Q3K3 w - - 0 1", "Qa1b2", "a1", "b2", 0},
        SanCase{"full_origin_capture", "4k3/8/8/8/8/Q1Q5/1r6/Q3K3 w - - 0 1", "Qa3xb2", "a3", "b2",
                0},
        SanCase{"full_origin_single_piece", "4k3/8/8/8/7Q/8/8/4K3 w - - 0 1", "Qh4e1", "", "", 0},
        SanCase{"full_origin_single_piece_moves", "4k3/8/8/8/7Q/8/8/K7 w - - 0 1", "Qh4e1", "h4",
                "e1", 0},
        SanCase{"long_castling_check", "r3k3/8/8/8/8/8/8/4K3 b q - 0 1", "O-O-O+", "e8", "c8", 0},
        SanCase{"castling_with_zeros", "4k3/8/8/8/8/8/8/4K2R w K - 0 1", "0-0", "e1", "g1", 0},
        SanCase{"long_castling_with_zeros", "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", "0-0-0", "e1", "c1",
                0},
        SanCase{"black_castles", "4k2r/8/8/8/8/8/8/4K3 b k - 0 1", "O-O", "e8", "g8", 0},
        SanCase{"castling_needs_the_king", "4k3/8/8/8/8/8/8/4R2R w K - 0 1", "O-O", "", "", 0},
        SanCase{"mate_mark", "r1bqkbnr/pppp1ppp/2n5/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 0 1",
                "Qxf7#", "h5", "f7", 0},
        SanCase{"black_pawn", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", "e5",
                "e7", "e5", 0},
        SanCase{"black_pieces_only", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
                "Nf3", "", "", 0},
        SanCase{"illegal_king_move", "4k3/8/8/8/8/8/4r3/4K3 w - - 0 1", "Kd2", "", "", 0},
        SanCase{"unknown_piece_letter", startFen, "Xe4", "", "", 0},
        SanCase{"square_off_the_board", startFen, "Ni3", "", "", 0},
        SanCase{"rank_nine", startFen, "e9", "", "", 0},
        SanCase{"empty_text", startFen, "", "", "", 0},
        SanCase{"text_cut_short", startFen, "Nf", "", "", 0}),
    [](const testing::TestParamInfo<SanCase>& info) { return std::string(info.param.name); });

TEST(SanRead, SecondMoveBecomesAnAlternative) {
    Position root;
    Position* e4 = ReadSan(root, u"e4");
    Position* d4 = ReadSan(root, u"d4");
    Position* e4again = ReadSan(root, u"e4");
    ASSERT_TRUE(e4 && d4 && e4again);
    EXPECT_EQ(root.firstMove->after.get(), e4);
    EXPECT_EQ(root.firstMove->next->after.get(), d4);
    // Nothing is merged: the same move read twice is a separate alternative.
    EXPECT_EQ(root.firstMove->next->next->after.get(), e4again);
}

TEST(SanRead, NeverReadsPastTheEndOfTheText) {
    Position root;
    const std::u16string text = u"Nf3";
    // Views that stop inside the text: the rest must not be seen.
    EXPECT_EQ(ReadSan(root, std::u16string_view(text).substr(0, 2)), nullptr);
    EXPECT_EQ(ReadSan(root, std::u16string_view(u"N\0f3", 4)), nullptr);
    EXPECT_EQ(root.firstMove, nullptr);
}

TEST(SanRead, EveryPrefixOfAMoveIsHandled) {
    // Truncations either read a move or are refused, never more than the text says.
    const char* texts[] = {"Nbxd2+", "exd8=Q+", "O-O-O+", "Qa1xb2"};
    const char* fen = "3r1k2/4P3/8/8/8/Q1Q2N2/3r4/QN2K2R w K - 0 1";
    for (const char* full : texts) {
        const std::string text = full;
        for (std::size_t n = 0; n <= text.size(); ++n) {
            auto root = FromFen(fen);
            Position* after = ReadSan(*root, U16(text.substr(0, n)));
            if (after != nullptr) {
                EXPECT_TRUE(root->IsConsistent());
                EXPECT_EQ(root->firstMove->after.get(), after);
            } else {
                EXPECT_EQ(root->firstMove, nullptr) << text.substr(0, n);
            }
        }
    }
}

} // namespace
