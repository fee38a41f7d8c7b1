// Helpers shared by the chess and game-tree tests: square names, positions from FEN, a scripted
// Shell for the promotion choice, and the perft walk over every origin/target pair.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "chess/fen.h"
#include "chess/position.h"
#include "gametree/tree_ops.h"
#include "platform/shell.h"

using namespace pawnlet;

inline Square Sq(std::string_view name) {
    return MakeSquare(name[0] - 'a', name[1] - '1');
}

inline std::u16string U16(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

inline std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        out += static_cast<char>(c);
    }
    return out;
}

// A root position read from FEN; the test fails when the text is refused.
inline std::unique_ptr<Position> FromFen(std::string_view fen) {
    auto position = std::make_unique<Position>();
    EXPECT_EQ(ReadFen(*position, U16(fen)), 1) << fen;
    return position;
}

// Answers the promotion choice from a script and counts the questions; every other service
// answers "cancel". Installed for its lifetime.
class ScriptedShell final : public platform::Shell {
public:
    ScriptedShell() { previous = platform::SetShell(this); }
    ~ScriptedShell() override { platform::SetShell(previous); }

    std::deque<int> promotionAnswers;
    int promotionQuestions = 0;

    platform::Answer MessageBox(platform::Window, const std::u16string&, const std::u16string&,
                                platform::Icon, platform::Buttons) override {
        return platform::Answer::Cancel;
    }
    int ChoosePromotionPiece() override {
        ++promotionQuestions;
        if (promotionAnswers.empty()) {
            return 0;
        }
        const int answer = promotionAnswers.front();
        promotionAnswers.pop_front();
        return answer;
    }
    int ShowGameList(platform::Window, platform::File&, std::uint64_t&, std::int32_t&) override {
        return platform::DialogCancel;
    }
    int EditProperties(platform::Window, Partie&) override { return platform::DialogCancel; }
    int EditOtherTags(platform::Window, Partie&) override { return platform::DialogCancel; }
    std::optional<std::u16string> SaveFileName(platform::Window, const std::u16string&,
                                               const std::vector<platform::FileFilter>&) override {
        return std::nullopt;
    }

private:
    platform::Shell* previous = nullptr;
};

inline bool IsPromotionMove(const Position& position, Square from, Square to) {
    const PieceCode mover = position.board[from];
    return TypeOf(mover) == Pawn && RankOf(to) == (ColourOf(mover) == White ? 7 : 0);
}

// Removes the last move added to `position`'s list (and everything below it).
inline void TakeBack(Position& added) {
    std::unique_ptr<Coup> gone = Unlink(*added.previousMove);
    ASSERT_NE(gone, nullptr);
}

// Calls visit(position, from, to, promotion) for every legal move of the side to move, found
// by trying every origin/target pair with IsLegalMove (and every promotion piece).
template <class Visit> void ForEachLegalMove(Position& position, Visit&& visit) {
    static constexpr int promotionPieces[4] = {Queen, Rook, Bishop, Knight};
    for (int from = 0; from < 64; ++from) {
        const PieceCode code = position.board[from];
        if (code == Empty || ColourOf(code) != position.sideToMove) {
            continue;
        }
        for (int to = 0; to < 64; ++to) {
            const auto f = static_cast<Square>(from);
            const auto t = static_cast<Square>(to);
            if (!position.IsLegalMove(f, t)) {
                continue;
            }
            if (IsPromotionMove(position, f, t)) {
                for (int piece : promotionPieces) {
                    visit(position, f, t, piece);
                }
            } else {
                visit(position, f, t, 0);
            }
        }
    }
}

// Leaf count of the legal-move tree to `depth`, every inner move played with PlayMove into the
// game tree and taken back afterwards.
inline long long Perft(Position& position, int depth) {
    long long nodes = 0;
    ForEachLegalMove(position, [&](Position& p, Square from, Square to, int promotion) {
        if (depth == 1) {
            ++nodes;
            return;
        }
        Position* after = p.PlayMove(from, to, nullptr, promotion);
        if (after == nullptr) {
            ADD_FAILURE() << "PlayMove refused a move IsLegalMove accepted";
            return;
        }
        nodes += Perft(*after, depth - 1);
        TakeBack(*after);
    });
    return nodes;
}
