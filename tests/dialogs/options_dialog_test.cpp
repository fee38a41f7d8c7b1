// The Options dialog: colour channels as typed (300 gives 44), the live preview, Restore defaults
// that commits nothing before OK, the spin arrows' limits, the board size change that lays the
// window out again, and the comment marks that rebuild the move list only when they change.
#include "app/commands.h"
#include "app/globals.h"
#include "app/liste_coups.h"
#include "app/main_window.h"
#include "chess/position.h"
#include "chess/san.h"
#include "dialogs/echiquier.h"
#include "dialogs/options_dialog.h"
#include "dialogs/settings_store.h"
#include "pgn/partie.h"
#include "resources/dialog_builder.h"
#include "resources/dialog_controls.h"
#include "resources/dialog_script.h"
#include "resources/menus.h"
#include "tests/gui_test_support.h"

#include <gtest/gtest.h>

using namespace pawnlet;

namespace {

constexpr int DarkRed = 1045;
constexpr int DarkGreen = 1046;
constexpr int DarkBlue = 1047;
constexpr int SelRed = 1049;
constexpr int SelGreen = 1051;
constexpr int SelBlue = 1053;
constexpr int DarkRedUpDown = 1043;
constexpr int SelBlueUpDown = 1054;
constexpr int RestoreDefaults = 1012;
constexpr int CommentMarks = 1055;
constexpr int StandardRadio = 1024;
constexpr int LargeRadio = 1025;

TEST(OptionsChannels, TextToChannel) {
    struct Row {
        const char* name;
        QString text;
        int channel;
    };
    const Row rows[] = {
        {"plain", QStringLiteral("192"), 192},
        {"zero", QStringLiteral("0"), 0},
        {"top", QStringLiteral("255"), 255},
        {"300 keeps its low 8 bits", QStringLiteral("300"), 44},
        {"256 wraps to 0", QStringLiteral("256"), 0},
        {"long number", QStringLiteral("4294967297"), 1},
        {"blanks around", QStringLiteral(" 12 "), 12},
        {"empty", QString(), 0},
        {"letters", QStringLiteral("abc"), 0},
        {"digits then letters", QStringLiteral("12a"), 0},
        {"negative", QStringLiteral("-5"), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ChannelFromText(row.text), row.channel);
    }
    EXPECT_EQ(ColourFromTexts(QStringLiteral("255"), QStringLiteral("128"), QStringLiteral("1")),
              0x000180FFu);
}

class OptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        ClearDialogScripts();
        ResetSettings();
        window = std::make_unique<MainWindow>();
    }
    void TearDown() override {
        window.reset();
        ClearDialogScripts();
        ResetSettings();
    }
    static void ResetSettings() {
        BlackColor = DefaultBlackColor;
        SelColor = DefaultSelColor;
        IndicateComment = DefaultIndicateComment;
        StandardBoard = DefaultStandardBoard;
    }

    // Runs the dialog on the settings as they are and, on OK, applies what it returns as the
    // "&Options..." command does; `flag` tells whether the board size changed.
    int Run(DialogScript script, int& flag) {
        QueueDialogScript(std::move(script));
        const OptionsValues before = CurrentOptions();
        OptionsValues values = before;
        const int result = ShowOptionsDialog(window.get(), values);
        EXPECT_EQ(UnfinishedScriptedDialogs(), 0);
        if (result == 1) {
            flag = values.standardBoard != before.standardBoard ? 1 : 0;
            ApplyOptions(values);
        } else {
            EXPECT_EQ(values, before) << "Cancel returns nothing";
        }
        return result;
    }

    // The colour shown at a client pixel of the dialog.
    static QColor ShownAt(TemplateDialog& dialog, QPoint at) {
        return dialog.Client()->grab().toImage().pixelColor(at);
    }
    // A point inside a7, an empty dark square of the preview, and one in a corner of a8, a
    // selection square whose pawn leaves its corners free.
    static QPoint DarkPoint() { return QPoint(PreviewLeft + 9, PreviewTop + 19 + 9); }
    static QPoint SelectionPoint() { return QPoint(PreviewLeft + 1, PreviewTop + 1); }

    std::unique_ptr<MainWindow> window;
};

TEST_F(OptionsDialogTest, OpensWithTheSettings) {
    BlackColor = 0x00332211;
    IndicateComment = 0;
    StandardBoard = 0;
    int flag = 7;
    Run(
        [](TemplateDialog& dialog) {
            EXPECT_EQ(dialog.Text(DarkRed), QStringLiteral("17"));
            EXPECT_EQ(dialog.Text(DarkGreen), QStringLiteral("34"));
            EXPECT_EQ(dialog.Text(DarkBlue), QStringLiteral("51"));
            EXPECT_EQ(dialog.Text(SelRed), QStringLiteral("255"));
            EXPECT_EQ(dialog.Text(SelGreen), QStringLiteral("255"));
            EXPECT_EQ(dialog.Text(SelBlue), QStringLiteral("128"));
            EXPECT_FALSE(dialog.IsChecked(CommentMarks));
            EXPECT_FALSE(dialog.IsChecked(StandardRadio));
            EXPECT_TRUE(dialog.IsChecked(LargeRadio));
            EXPECT_EQ(ShownAt(dialog, DarkPoint()), QColor(0x11, 0x22, 0x33));
            EXPECT_EQ(ShownAt(dialog, SelectionPoint()), QColor(255, 255, 128));
            dialog.Click(2);
        },
        flag);
}

TEST_F(OptionsDialogTest, ThreeHundredGivesFortyFourInPreviewAndOnOk) {
    int flag = 7;
    const int result = Run(
        [](TemplateDialog& dialog) {
            dialog.SetText(DarkGreen, QStringLiteral("300"));
            dialog.SetText(SelRed, QStringLiteral("x"));
            EXPECT_EQ(ShownAt(dialog, DarkPoint()), QColor(192, 44, 192));
            EXPECT_EQ(ShownAt(dialog, SelectionPoint()), QColor(0, 255, 128));
            dialog.Click(1);
        },
        flag);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(BlackColor, 0x00C02CC0u);
    EXPECT_EQ(SelColor, 0x0080FF00u);
    // The drawing objects follow the new colours.
    EXPECT_EQ(DarkSquareBrush.color(), QColor(192, 44, 192));
    EXPECT_EQ(DarkSquarePen.color(), QColor(192, 44, 192));
    EXPECT_EQ(SelectionBrush.color(), QColor(0, 255, 128));
}

TEST_F(OptionsDialogTest, RestoreDefaultsThenCancelChangesNothing) {
    BlackColor = 0x00102030;
    SelColor = 0x00405060;
    CreateColourObjects();
    int flag = 7;
    const int result = Run(
        [](TemplateDialog& dialog) {
            dialog.Click(RestoreDefaults);
            EXPECT_EQ(dialog.Text(DarkRed), QStringLiteral("192"));
            EXPECT_EQ(dialog.Text(DarkBlue), QStringLiteral("192"));
            EXPECT_EQ(dialog.Text(SelRed), QStringLiteral("255"));
            EXPECT_EQ(dialog.Text(SelBlue), QStringLiteral("128"));
            EXPECT_EQ(ShownAt(dialog, DarkPoint()), QColor(192, 192, 192));
            dialog.Click(2);
        },
        flag);
    EXPECT_EQ(result, 2);
    EXPECT_EQ(BlackColor, 0x00102030u);
    EXPECT_EQ(SelColor, 0x00405060u);
    EXPECT_EQ(DarkSquareBrush.color(), ColorFromRef(0x00102030));
}

TEST_F(OptionsDialogTest, RestoreDefaultsLeavesTheOtherChoicesAlone) {
    int flag = 7;
    Run(
        [](TemplateDialog& dialog) {
            dialog.Click(CommentMarks);
            dialog.Click(LargeRadio);
            dialog.Click(RestoreDefaults);
            EXPECT_FALSE(dialog.IsChecked(CommentMarks));
            EXPECT_TRUE(dialog.IsChecked(LargeRadio));
            dialog.Click(2);
        },
        flag);
    EXPECT_EQ(IndicateComment, 1u);
    EXPECT_EQ(StandardBoard, 1u);
}

TEST_F(OptionsDialogTest, SpinArrowsStepByOneAndStopAtTheEnds) {
    int flag = 7;
    Run(
        [](TemplateDialog& dialog) {
            auto* red = dialog.ControlAs<UpDownControl>(DarkRedUpDown);
            auto* blue = dialog.ControlAs<UpDownControl>(SelBlueUpDown);
            ASSERT_NE(red, nullptr);
            ASSERT_NE(blue, nullptr);
            EXPECT_EQ(red->Lower(), 0);
            EXPECT_EQ(red->Upper(), 255);
            red->StepBy(1);
            EXPECT_EQ(dialog.Text(DarkRed), QStringLiteral("193"));
            EXPECT_EQ(ShownAt(dialog, DarkPoint()), QColor(193, 192, 192));
            red->StepBy(100);
            EXPECT_EQ(dialog.Text(DarkRed), QStringLiteral("255"));
            blue->StepBy(-200);
            EXPECT_EQ(dialog.Text(SelBlue), QStringLiteral("0"));
            EXPECT_EQ(ShownAt(dialog, SelectionPoint()), QColor(255, 255, 0));
            dialog.Click(1);
        },
        flag);
    EXPECT_EQ(BlackColor, 0x00C0C0FFu);
    EXPECT_EQ(SelColor, 0x0000FFFFu);
}

TEST_F(OptionsDialogTest, BoardSizeChangeLaysTheWindowOutAgain) {
    ASSERT_EQ(SquareSize, 19);
    const Rect listBefore = MoveListRect;
    QueueDialogScript([](TemplateDialog& dialog) {
        dialog.Click(LargeRadio);
        dialog.Click(1);
    });
    EXPECT_TRUE(DispatchCommand(Cmd::Options));
    EXPECT_EQ(StandardBoard, 0u);
    EXPECT_EQ(SquareSize, 25);
    ASSERT_NE(Board, nullptr);
    EXPECT_EQ(Board->SquareSize(), 25);
    EXPECT_EQ(Board->Strip().height(), 25);
    EXPECT_NE(MoveListRect, listBefore);
    EXPECT_EQ(MoveList->Rectangle(), MoveListRect.ToQRect());

    // And back, with the flag the caller reads.
    int flag = 7;
    Run(
        [](TemplateDialog& dialog) {
            EXPECT_TRUE(dialog.IsChecked(LargeRadio));
            dialog.Click(StandardRadio);
            dialog.Click(1);
        },
        flag);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(StandardBoard, 1u);
}

TEST_F(OptionsDialogTest, OkWithTheSameBoardSizeClearsTheFlag) {
    int flag = 7;
    EXPECT_EQ(Run([](TemplateDialog& dialog) { dialog.Click(1); }, flag), 1);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(SquareSize, 19);
}

TEST_F(OptionsDialogTest, CommentMarksRebuildTheListOnlyWhenChanged) {
    Position* afterE4 = ReadSan(CurrentPartie->startPosition, u"e4");
    ASSERT_NE(afterE4, nullptr);
    afterE4->SetComment(u"best by test");
    MoveList->RebuildList(*CurrentPartie);
    ASSERT_EQ(MoveList->RowCount(), 1);
    const QString marked = MoveList->RowText(0);
    ASSERT_TRUE(marked.endsWith(QStringLiteral(" [...]"))) << marked.toStdString();

    // Unchanged check box: the list is not rebuilt, so a comment removed behind its back still
    // shows its mark.
    afterE4->SetComment(std::nullopt);
    int flag = 0;
    Run([](TemplateDialog& dialog) { dialog.Click(1); }, flag);
    EXPECT_EQ(MoveList->RowText(0), marked);

    // Switching the marks off rebuilds the list from the game as it is.
    afterE4->SetComment(u"best by test");
    Run(
        [](TemplateDialog& dialog) {
            dialog.Click(CommentMarks);
            dialog.Click(1);
        },
        flag);
    EXPECT_EQ(IndicateComment, 0u);
    EXPECT_FALSE(MoveList->RowText(0).contains(QStringLiteral("[...]")));

    // And on again.
    Run(
        [](TemplateDialog& dialog) {
            dialog.Click(CommentMarks);
            dialog.Click(1);
        },
        flag);
    EXPECT_EQ(IndicateComment, 1u);
    EXPECT_EQ(MoveList->RowText(0), marked);
}

TEST_F(OptionsDialogTest, RebuiltListKeepsTheCurrentRowSelected) {
    Position* afterE4 = ReadSan(CurrentPartie->startPosition, u"e4");
    ASSERT_NE(afterE4, nullptr);
    Position* afterE5 = ReadSan(*afterE4, u"e5");
    ASSERT_NE(afterE5, nullptr);
    MoveList->RebuildList(*CurrentPartie);
    Session::Instance().SetPosition(afterE4);
    MoveList->SelectMoveRow(afterE4->previousMove);
    int flag = 0;
    Run(
        [](TemplateDialog& dialog) {
            dialog.Click(CommentMarks);
            dialog.Click(1);
        },
        flag);
    EXPECT_EQ(MoveList->SelectedMove(), afterE4->previousMove);
}

} // namespace
