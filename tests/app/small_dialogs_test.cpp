// The three small choice dialogs: "Promotion in", "New line" and "Choose", scripted by control id.
#include "app/choose_dialog.h"
#include "app/new_line_dialog.h"
#include "app/promotion_dialog.h"
#include "chess/position.h"
#include "chess/san.h"
#include "gametree/coup.h"
#include "gametree/move_text.h"
#include "gametree/tree_ops.h"
#include "resources/dialog_builder.h"
#include "resources/dialog_script.h"
#include "tests/gui_test_support.h"

#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace pawnlet;

namespace {

class SmallDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        ClearDialogScripts();
    }
    void TearDown() override {
        EXPECT_EQ(PendingDialogScripts(), 0u) << "a dialog that should have opened did not";
        EXPECT_EQ(UnfinishedScriptedDialogs(), 0) << "a dialog stayed open after its script";
        ClearDialogScripts();
    }
};

QStringList ListRows(TemplateDialog& dialog, int id) {
    QStringList rows;
    const auto* list = dialog.ControlAs<QListWidget>(id);
    for (int i = 0; list && i < list->count(); ++i) {
        rows << list->item(i)->text();
    }
    return rows;
}

std::vector<std::u16string> MovesFrom(const Position& position) {
    std::vector<std::u16string> moves;
    for (Coup* m = position.firstMove.get(); m; m = m->next.get()) {
        moves.push_back(MoveText(*m, false, false));
    }
    return moves;
}

// --- Promotion in

struct PromotionCase {
    const char* name;
    std::function<void(TemplateDialog&)> script;
    int piece;
};

TEST_F(SmallDialogTest, PromotionButtonsNameTheirPieces) {
    const PromotionCase cases[] = {
        {"Queen", [](TemplateDialog& d) { d.Click(1000); }, 5},
        {"Rook", [](TemplateDialog& d) { d.Click(1001); }, 2},
        {"Knight", [](TemplateDialog& d) { d.Click(1002); }, 3},
        {"Bishop", [](TemplateDialog& d) { d.Click(1003); }, 4},
        {"closed without a button", [](TemplateDialog& d) { d.close(); }, 0},
        {"another command", [](TemplateDialog& d) { d.SendCommand(1); }, 0},
    };
    for (const PromotionCase& c : cases) {
        QueueDialogScript(c.script);
        EXPECT_EQ(ChoosePromotionPiece(), c.piece) << c.name;
    }
    EXPECT_EQ(ShownDialogs(), std::vector<int>(6, 102));
}

TEST_F(SmallDialogTest, PromotionDialogShowsItsCaptionAndButtons) {
    QString caption;
    QStringList texts;
    QueueDialogScript([&](TemplateDialog& d) {
        caption = d.Caption();
        for (int id : {1000, 1001, 1002, 1003}) {
            texts << d.Text(id);
        }
        d.Click(1000);
    });
    EXPECT_EQ(ChoosePromotionPiece(), 5);
    EXPECT_EQ(caption, "Promotion in");
    EXPECT_EQ(texts, QStringList({"&Queen", "&Rook", "K&night", "&Bishop"}));
}

// --- New line

class NewLineTest : public SmallDialogTest {
protected:
    void SetUp() override {
        SmallDialogTest::SetUp();
        ASSERT_NE(ReadSan(start, u"e4"), nullptr);
        ASSERT_NE(ReadSan(start, u"d4"), nullptr);
        ASSERT_NE(ReadSan(start, u"c4"), nullptr);
        request.position = &start;
        request.from = MakeSquare(6, 0); // g1
        request.to = MakeSquare(5, 2);   // f3
    }
    Position start;
    NewLineRequest request;
};

TEST_F(NewLineTest, ListsTheExistingMovesMainMoveFirstWithoutNumbers) {
    QStringList rows;
    QString caption;
    QueueDialogScript([&](TemplateDialog& d) {
        rows = ListRows(d, 1000);
        caption = d.Caption();
        d.Click(2);
    });
    EXPECT_EQ(ShowNewLineDialog(nullptr, request), 2);
    EXPECT_EQ(rows, QStringList({"e4", "d4", "c4"}));
    EXPECT_EQ(caption, "New line");
    EXPECT_EQ(request.position, &start);
    EXPECT_EQ(MovesFrom(start), std::vector<std::u16string>({u"e4", u"d4", u"c4"}));
}

TEST_F(NewLineTest, AddMakesTheMoveTheLastAlternative) {
    QueueDialogScript([](TemplateDialog& d) { d.Click(3); });
    EXPECT_EQ(ShowNewLineDialog(nullptr, request), 1);
    EXPECT_EQ(MovesFrom(start), std::vector<std::u16string>({u"e4", u"d4", u"c4", u"Nf3"}));
    ASSERT_NE(request.position, &start);
    EXPECT_EQ(request.position->previousMove, LastAlternative(*start.firstMove));
    EXPECT_EQ(request.replaced, 0);
}

TEST_F(NewLineTest, ReplaceTakesThePlaceOfTheSelectedMove) {
    const int coups = LiveCount<Coup>::Live();
    QueueDialogScript([](TemplateDialog& d) {
        d.SelectRow(1000, 1); // d4
        d.Click(1001);
    });
    EXPECT_EQ(ShowNewLineDialog(nullptr, request), 1);
    EXPECT_EQ(MovesFrom(start), std::vector<std::u16string>({u"e4", u"Nf3", u"c4"}));
    EXPECT_EQ(request.replaced, 1);
    EXPECT_EQ(request.position, start.firstMove->next->after.get());
    EXPECT_EQ(request.position->previousMove->depth, 1);
    // The replaced move is handed back out of the tree, for the caller to keep or destroy.
    ASSERT_NE(request.replacedMove, nullptr);
    EXPECT_EQ(MoveText(*request.replacedMove, false, false), u"d4");
    EXPECT_EQ(request.replacedMove->prev, nullptr);
    request.replacedMove.reset();
    EXPECT_EQ(LiveCount<Coup>::Live(), coups);
}

TEST_F(NewLineTest, ReplacingTheMainMoveMakesTheNewMoveMain) {
    QueueDialogScript([](TemplateDialog& d) {
        d.SelectRow(1000, 0);
        d.Click(1001);
    });
    EXPECT_EQ(ShowNewLineDialog(nullptr, request), 1);
    EXPECT_EQ(MovesFrom(start), std::vector<std::u16string>({u"Nf3", u"d4", u"c4"}));
    EXPECT_EQ(request.position, start.firstMove->after.get());
    EXPECT_EQ(request.replaced, 1);
}

TEST_F(NewLineTest, ReplaceWithoutASelectionAdds) {
    QueueDialogScript([](TemplateDialog& d) { d.Click(1001); });
    EXPECT_EQ(ShowNewLineDialog(nullptr, request), 1);
    EXPECT_EQ(MovesFrom(start), std::vector<std::u16string>({u"e4", u"d4", u"c4", u"Nf3"}));
    EXPECT_EQ(request.replaced, 0);
}

// --- Choose

class ChooseTest : public SmallDialogTest {
protected:
    void SetUp() override {
        SmallDialogTest::SetUp();
        ASSERT_NE(ReadSan(start, u"e4"), nullptr);
        ASSERT_NE(ReadSan(start, u"d4"), nullptr);
        ASSERT_NE(ReadSan(start, u"Nf3"), nullptr);
        main = start.firstMove.get();
    }
    Position start;
    Coup* main = nullptr;
};

TEST_F(ChooseTest, OneTapOnAMoveClosesTheDialogWithIt) {
    QStringList rows;
    QString caption;
    QueueDialogScript([&](TemplateDialog& d) {
        rows = ListRows(d, 1000);
        caption = d.Caption();
        d.SelectRow(1000, 2); // nothing else: the tap alone must end the dialog
    });
    Coup* chosen = main;
    EXPECT_EQ(ShowChooseDialog(nullptr, chosen), 1);
    EXPECT_EQ(rows, QStringList({"e4", "d4", "Nf3"}));
    EXPECT_EQ(caption, "Choose");
    EXPECT_EQ(chosen, main->next->next.get());
}

TEST_F(ChooseTest, TheKeyboardMovesInTheListAndEnterPicks) {
    QueueDialogScript([](TemplateDialog& d) {
        QWidget* list = d.Control(1000);
        list->setFocus();
        QCoreApplication::processEvents(); // the list lays its rows out first, as on screen
        QTest::keyClick(list, Qt::Key_End);
        QTest::keyClick(list, Qt::Key_Return);
    });
    Coup* chosen = main;
    EXPECT_EQ(ShowChooseDialog(nullptr, chosen), 1);
    EXPECT_EQ(chosen, main->next->next.get());
}

TEST_F(ChooseTest, DoneWithoutAChoiceKeepsTheMainMove) {
    QueueDialogScript([](TemplateDialog& d) { d.SendCommand(1); });
    Coup* chosen = main;
    EXPECT_EQ(ShowChooseDialog(nullptr, chosen), 1);
    EXPECT_EQ(chosen, main);
}

TEST_F(ChooseTest, CancelLeavesTheAnswerAlone) {
    QueueDialogScript([](TemplateDialog& d) { d.SendCommand(2); });
    Coup* chosen = main;
    EXPECT_EQ(ShowChooseDialog(nullptr, chosen), 2);
    EXPECT_EQ(chosen, main);
}

TEST(FillMoveList, RowsCarryTheirMoves) {
    GuiTestApp();
    Position start;
    ASSERT_NE(ReadSan(start, u"e4"), nullptr);
    ASSERT_NE(ReadSan(start, u"Nc3"), nullptr);
    QListWidget list;
    FillMoveList(&list, start.firstMove.get());
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(MoveOfRow(&list, 0), start.firstMove.get());
    EXPECT_EQ(MoveOfRow(&list, 1), start.firstMove->next.get());
    EXPECT_EQ(MoveOfRow(&list, 2), nullptr);
    EXPECT_EQ(list.item(1)->text(), "Nc3");
}

} // namespace
