// The comment editor and the "&Comment..." command: Done with an empty edit clears the comment
// to none, "&Clear" alone changes nothing, Cancel keeps the comment, and the move list row gains
// or loses its " [...]" mark when the comment appears or disappears.
#include "app/commands.h"
#include "app/comment_dialog.h"
#include "app/globals.h"
#include "app/liste_coups.h"
#include "app/main_window.h"
#include "chess/position.h"
#include "chess/san.h"
#include "dialogs/settings_store.h"
#include "pgn/partie.h"
#include "resources/dialog_builder.h"
#include "resources/dialog_script.h"
#include "resources/menus.h"
#include "tests/gui_test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace pawnlet;

namespace {

constexpr int CommentEdit = 1043;
constexpr int ClearButton = 1012;

struct CommentRow {
    const char* name;
    std::optional<std::u16string> before;
    std::function<void(TemplateDialog&)> script;
    int result;
    std::optional<std::u16string> after;
};

TEST(CommentDialog, DoneCancelAndClear) {
    GuiTestApp();
    const CommentRow rows[] = {
        {"done with new text", std::nullopt,
         [](TemplateDialog& d) {
             d.SetText(CommentEdit, QStringLiteral("A fine move"));
             d.Click(1);
         },
         1, u"A fine move"},
        {"done with the edit emptied clears to none", u"old",
         [](TemplateDialog& d) {
             d.SetText(CommentEdit, QString());
             d.Click(1);
         },
         1, std::nullopt},
        {"clear then done clears to none", u"old",
         [](TemplateDialog& d) {
             d.Click(ClearButton);
             d.Click(1);
         },
         1, std::nullopt},
        {"clear then cancel keeps the comment", u"old",
         [](TemplateDialog& d) {
             d.Click(ClearButton);
             EXPECT_TRUE(d.isVisible());
             EXPECT_EQ(d.Text(CommentEdit), QString());
             d.Click(2);
         },
         2, u"old"},
        {"cancel after typing keeps none", std::nullopt,
         [](TemplateDialog& d) {
             d.SetText(CommentEdit, QStringLiteral("typed"));
             d.Click(2);
         },
         2, std::nullopt},
        {"done unchanged keeps the text, line breaks included", u"line one\nline two",
         [](TemplateDialog& d) {
             EXPECT_EQ(d.Text(CommentEdit), QStringLiteral("line one\nline two"));
             d.Click(1);
         },
         1, u"line one\nline two"},
    };
    for (const CommentRow& row : rows) {
        SCOPED_TRACE(row.name);
        ClearDialogScripts();
        QueueDialogScript([&](TemplateDialog& dialog) {
            EXPECT_EQ(dialog.Caption(), QStringLiteral("Comment"));
            row.script(dialog);
        });
        std::optional<std::u16string> comment = row.before;
        EXPECT_EQ(ShowCommentDialog(nullptr, comment), row.result);
        EXPECT_EQ(comment, row.after);
        EXPECT_EQ(UnfinishedScriptedDialogs(), 0);
    }
    ClearDialogScripts();
}

class EditCommentTest : public ::testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        ClearDialogScripts();
        IndicateComment = 1;
        window = std::make_unique<MainWindow>();
        afterE4 = ReadSan(CurrentPartie->startPosition, u"e4");
        ASSERT_NE(afterE4, nullptr);
        MoveList->RebuildList(*CurrentPartie);
        Session::Instance().SetPosition(afterE4);
        CurrentPartie->changed = false;
    }
    void TearDown() override {
        window.reset();
        ClearDialogScripts();
        IndicateComment = DefaultIndicateComment;
    }

    void Comment(DialogScript script) {
        QueueDialogScript(std::move(script));
        EXPECT_TRUE(DispatchCommand(Cmd::Comment));
        EXPECT_EQ(UnfinishedScriptedDialogs(), 0);
    }

    std::unique_ptr<MainWindow> window;
    Position* afterE4 = nullptr;
};

TEST_F(EditCommentTest, AddingAndRemovingRewritesTheRow) {
    ASSERT_EQ(MoveList->RowCount(), 1);
    const QString plain = MoveList->RowText(0);
    Comment([](TemplateDialog& dialog) {
        dialog.SetText(CommentEdit, QStringLiteral("best by test"));
        dialog.Click(1);
    });
    EXPECT_EQ(afterE4->comment, u"best by test");
    EXPECT_EQ(MoveList->RowText(0), plain + QStringLiteral(" [...]"));
    EXPECT_TRUE(CurrentPartie->changed);

    CurrentPartie->changed = false;
    Comment([](TemplateDialog& dialog) {
        EXPECT_EQ(dialog.Text(CommentEdit), QStringLiteral("best by test"));
        dialog.Click(ClearButton);
        dialog.Click(1);
    });
    EXPECT_EQ(afterE4->comment, std::nullopt);
    EXPECT_EQ(MoveList->RowText(0), plain);
    EXPECT_TRUE(CurrentPartie->changed);
}

TEST_F(EditCommentTest, CancelChangesNothing) {
    Comment([](TemplateDialog& dialog) {
        dialog.SetText(CommentEdit, QStringLiteral("never stored"));
        dialog.Click(2);
    });
    EXPECT_EQ(afterE4->comment, std::nullopt);
    EXPECT_FALSE(CurrentPartie->changed);
    EXPECT_FALSE(MoveList->RowText(0).contains(QStringLiteral("[...]")));
}

TEST_F(EditCommentTest, CommentOfTheStartPosition) {
    Session::Instance().SetPosition(&CurrentPartie->startPosition);
    Comment([](TemplateDialog& dialog) {
        dialog.SetText(CommentEdit, QStringLiteral("An opening comment"));
        dialog.Click(1);
    });
    EXPECT_EQ(CurrentPartie->startPosition.comment, u"An opening comment");
    EXPECT_TRUE(CurrentPartie->changed);
    EXPECT_FALSE(MoveList->RowText(0).contains(QStringLiteral("[...]")));
}

} // namespace
