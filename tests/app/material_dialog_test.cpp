// The material balance: the counts per colour and type, the fixed slots (K Q R R B B N N over the
// pawns), the second queen in the first rook slot where a rook covers it, and the painting of
// each slot from the strip's mask cells.
#include "app/commands.h"
#include "app/globals.h"
#include "app/layout.h"
#include "app/main_window.h"
#include "app/material_dialog.h"
#include "chess/position.h"
#include "pgn/partie.h"
#include "resources/dialog_builder.h"
#include "resources/dialog_script.h"
#include "resources/menus.h"
#include "tests/gui_test_support.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pawnlet;

namespace {

void EmptyBoard(Position& position) {
    for (int square = 0; square < 64; ++square)
        position.SetPiece(Square(square), Empty);
}

TEST(MaterialCount, StartPositionAndEdits) {
    Position position;
    const MaterialCount start = CountMaterial(position);
    const std::array<int, 6> full{8, 2, 2, 2, 1, 1};
    EXPECT_EQ(start.white, full);
    EXPECT_EQ(start.black, full);

    position.SetPiece(MakeSquare(3, 6), White + Queen); // d7 becomes a White queen
    position.SetPiece(MakeSquare(7, 7), Empty);         // Black's h8 rook is gone
    const MaterialCount edited = CountMaterial(position);
    EXPECT_EQ(edited.white, (std::array<int, 6>{8, 2, 2, 2, 2, 1}));
    EXPECT_EQ(edited.black, (std::array<int, 6>{7, 1, 2, 2, 1, 1}));

    EmptyBoard(position);
    EXPECT_EQ(CountMaterial(position).white, (std::array<int, 6>{}));
}

std::vector<std::pair<int, int>> Pairs(const std::vector<MaterialSlot>& placed) {
    std::vector<std::pair<int, int>> pairs;
    for (const MaterialSlot& slot : placed)
        pairs.emplace_back(slot.type, slot.slot);
    return pairs;
}

TEST(MaterialSlots, PlacesAndDrawingOrder) {
    struct Row {
        const char* name;
        std::array<int, 6> counts;              // pawn, rook, knight, bishop, queen, king
        std::vector<std::pair<int, int>> drawn; // type, slot in drawing order
    };
    const Row rows[] = {
        {"full set",
         {8, 2, 2, 2, 1, 1},
         {{King, 0},
          {Queen, 1},
          {Rook, 2},
          {Rook, 3},
          {Bishop, 4},
          {Bishop, 5},
          {Knight, 6},
          {Knight, 7},
          {Pawn, 8},
          {Pawn, 9},
          {Pawn, 10},
          {Pawn, 11},
          {Pawn, 12},
          {Pawn, 13},
          {Pawn, 14},
          {Pawn, 15}}},
        {"bare king", {0, 0, 0, 0, 0, 1}, {{King, 0}}},
        {"second queen in the first rook slot, drawn before the rook",
         {0, 1, 0, 0, 2, 1},
         {{King, 0}, {Queen, 1}, {Queen, 2}, {Rook, 2}}},
        {"one knight, one bishop: gaps stay",
         {1, 0, 1, 1, 0, 1},
         {{King, 0}, {Bishop, 4}, {Knight, 6}, {Pawn, 8}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Pairs(MaterialSlots(row.counts)), row.drawn);
    }
}

class MaterialDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        ClearDialogScripts();
        window = std::make_unique<MainWindow>();
    }
    void TearDown() override {
        window.reset();
        ClearDialogScripts();
    }

    // Renders the dialog for `position`: its client area and the line height it used.
    QImage Render(const Position& position, int& lineHeight) {
        QImage shot;
        QueueDialogScript([&](TemplateDialog& dialog) {
            EXPECT_EQ(dialog.Caption(), QStringLiteral("Still on board"));
            lineHeight = LineHeight(dialog.Client()->font());
            shot = dialog.Client()->grab().toImage().convertToFormat(QImage::Format_RGB32);
            dialog.Click(1);
        });
        EXPECT_EQ(ShowMaterialBalance(window.get(), position), 2);
        return shot;
    }

    // The mask cell of a piece type, as the strip holds it.
    static QImage Mask(int type, bool black) {
        const int cell = 4 * type - 2 + (black ? 2 : 0);
        return DefaultPieceStrip.copy(cell * 19, 0, 19, 19).convertToFormat(QImage::Format_RGB32);
    }
    static QImage Slot(const QImage& shot, int top, int slot) {
        return shot.copy(3 + 19 * (slot % 8), top + 19 * (slot / 8), 19, 19);
    }

    std::unique_ptr<MainWindow> window;
};

TEST_F(MaterialDialogTest, SlotsShowTheMaskCells) {
    ASSERT_FALSE(DefaultPieceStrip.isNull());
    Position position;
    position.SetPiece(MakeSquare(3, 6), White + Queen); // a second White queen on d7
    position.SetPiece(MakeSquare(0, 0), Empty);         // White's a1 rook gone
    int t = 0;
    const QImage shot = Render(position, t);
    ASSERT_FALSE(shot.isNull());
    const int whiteTop = t + 6;
    const int blackTop = 2 * t + 56;
    EXPECT_EQ(Slot(shot, whiteTop, 0), Mask(King, false));
    EXPECT_EQ(Slot(shot, whiteTop, 1), Mask(Queen, false));
    // The second queen went to slot 2 and the remaining rook covers it.
    EXPECT_EQ(Slot(shot, whiteTop, 2), Mask(Rook, false));
    EXPECT_EQ(Slot(shot, whiteTop, 4), Mask(Bishop, false));
    EXPECT_EQ(Slot(shot, whiteTop, 7), Mask(Knight, false));
    EXPECT_EQ(Slot(shot, whiteTop, 15), Mask(Pawn, false));
    EXPECT_EQ(Slot(shot, blackTop, 0), Mask(King, true));
    EXPECT_EQ(Slot(shot, blackTop, 3), Mask(Rook, true));
    EXPECT_EQ(Slot(shot, blackTop, 8), Mask(Pawn, true));

    // Slot 3 is empty: plain white.
    QImage white(19, 19, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(Slot(shot, whiteTop, 3), white);
}

TEST_F(MaterialDialogTest, SecondQueenShowsWhenNoRookCoversIt) {
    Position position;
    EmptyBoard(position);
    position.SetPiece(4, White + King);
    position.SetPiece(60, Black + King);
    position.SetPiece(3, White + Queen);
    position.SetPiece(20, White + Queen);
    int t = 0;
    const QImage shot = Render(position, t);
    EXPECT_EQ(Slot(shot, t + 6, 2), Mask(Queen, false));
    EXPECT_EQ(Slot(shot, 2 * t + 56, 0), Mask(King, true));
}

TEST_F(MaterialDialogTest, MenuCommandCountsThePositionShown) {
    // After 1.e4 d5 2.exd5 Black has seven pawns: slot 15 of Black's row stays white.
    Position* position = &CurrentPartie->startPosition;
    for (const auto& [from, to] : {std::pair{12, 28}, std::pair{51, 35}, std::pair{28, 35}}) {
        position = position->PlayMove(Square(from), Square(to), nullptr, 0);
        ASSERT_NE(position, nullptr);
    }
    Session::Instance().SetPosition(position);
    QImage shot;
    int t = 0;
    QueueDialogScript([&](TemplateDialog& dialog) {
        t = LineHeight(dialog.Client()->font());
        shot = dialog.Client()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        dialog.Click(1);
    });
    EXPECT_TRUE(DispatchCommand(Cmd::MaterialBalance));
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(Slot(shot, 2 * t + 56, 14), Mask(Pawn, true));
    QImage white(19, 19, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(Slot(shot, 2 * t + 56, 15), white);
    EXPECT_EQ(Slot(shot, t + 6, 15), Mask(Pawn, false));
}

} // namespace
