// The commands of the main window, dispatched by identifier as menus, tool buttons and
// accelerators send them.
#include "app/window_test_support.h"

#include "dialogs/echiquier.h"
#include "dialogs/settings_store.h"
#include "gametree/tree_ops.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

using namespace pawnlet;

namespace {

class CommandsTest : public WindowTest {
protected:
    void TearDown() override {
        StandardBoard = DefaultStandardBoard;
        WindowTest::TearDown();
    }

    // Opens the first game of TwoGamesPgn.
    void OpenFirstGame() {
        path = WriteFile("two.pgn", TwoGamesPgn);
        OpenThroughGameList(path, 0);
        ASSERT_TRUE(CurrentPartie->white);
        ASSERT_EQ(*CurrentPartie->white, u"Alpha");
    }

    // Positions of the first game's tree.
    Coup* E4() const { return CurrentPartie->startPosition.firstMove.get(); }
    Coup* E5() const { return E4()->after->firstMove.get(); }
    Coup* C5() const { return E5()->next.get(); }
    Coup* VariationNf3() const { return C5()->after->firstMove.get(); }
    Coup* Nc3() const { return VariationNf3()->next.get(); }
    Coup* D6() const { return VariationNf3()->after->firstMove.get(); }
    Coup* MainNf3() const { return E5()->after->firstMove.get(); }

    QString path;
};

// A game of `moves` moves, the knights going out and back, far more rows than the list shows.
QByteArray LongGame(const char* white, int moves) {
    QByteArray text = QByteArray("[Event \"Club\"]\n[White \"") + white +
                      "\"]\n[Black \"Omega\"]\n[Result \"*\"]\n\n";
    for (int move = 1; move <= moves; ++move)
        text += QByteArray::number(move) + (move % 2 ? ". Nf3 Nf6 " : ". Ng1 Ng8 ");
    return text + "*\n\n";
}

// The row at the top of the move list, once the pending layout has been done.
int TopRow() {
    QCoreApplication::processEvents();
    QListView* view = MoveList->Control();
    return view->indexAt(view->viewport()->rect().topLeft()).row();
}

// Sets an environment variable for the life of the object, then puts back what was there.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : name(name) {
        if (const char* was = std::getenv(name))
            previous = was;
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (previous)
            qputenv(name, QByteArray::fromStdString(*previous));
        else
            qunsetenv(name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name;
    std::optional<std::string> previous;
};

TEST_F(CommandsTest, OpenShowsTheGameListAndLoadsThePickedGame) {
    path = WriteFile("two.pgn", TwoGamesPgn);
    OpenThroughGameList(path, 1);
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_FALSE(fileRequests[0].save);
    EXPECT_EQ(fileRequests[0].filter, QStringLiteral("PGN files (*.pgn);;All files (*.*)"));
    // The documents folder when there is one; a name that is no folder would fill the name box.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    EXPECT_EQ(fileRequests[0].directory, QDir(documents).exists() ? documents : QDir::homePath());
    EXPECT_EQ(ShownDialogs(), std::vector<int>{GameListTemplate});
    ASSERT_TRUE(CurrentPartie->white);
    EXPECT_EQ(*CurrentPartie->white, u"Gamma");
    EXPECT_TRUE(CurrentPartie->hasFile);
    EXPECT_FALSE(CurrentPartie->changed);
    EXPECT_EQ(CurrentPosition, &CurrentPartie->startPosition);
    EXPECT_EQ(ListRows(), (std::vector<QString>{"1. d4", "1... d5", "2. c4"}));
    EXPECT_TRUE(messages.empty());
}

// Without a documents folder the real file dialog opens in the home folder, its name box empty
// (a folder that does not exist would be put there as a name to type over).
TEST_F(CommandsTest, OpenWithoutADocumentsFolderStartsInTheHomeFolder) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const ScopedEnv homeVariable("HOME", QFile::encodeName(home.path()));
    const ScopedEnv configVariable("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    ASSERT_FALSE(documents.isEmpty());
    ASSERT_FALSE(QDir(documents).exists()) << documents.toStdString();

    SetFileDialogHook({});
    bool shown = false;
    QString directory;
    QString name = QStringLiteral("(none)");
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shown = true;
        directory = dialog->directory().absolutePath();
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name = edit->text();
        dialog->reject();
    });
    const Partie* before = CurrentPartie.get();
    DispatchCommand(Cmd::Open);
    ASSERT_TRUE(shown);
    EXPECT_EQ(QDir(directory).canonicalPath(), QDir(home.path()).canonicalPath());
    EXPECT_EQ(name, QString()) << name.toStdString();
    EXPECT_EQ(CurrentPartie.get(), before);
    EXPECT_TRUE(messages.empty());
}

TEST_F(CommandsTest, OpenCancelledKeepsTheCurrentGame) {
    const Partie* before = CurrentPartie.get();
    // The user cancels the file dialog.
    DispatchCommand(Cmd::Open);
    EXPECT_EQ(CurrentPartie.get(), before);
    // The user cancels the game list: nothing is said.
    chosenFile = WriteFile("two.pgn", TwoGamesPgn);
    QueueDialogScript([](TemplateDialog& dialog) { dialog.End(2); });
    DispatchCommand(Cmd::Open);
    EXPECT_EQ(CurrentPartie.get(), before);
    EXPECT_TRUE(messages.empty());
}

TEST_F(CommandsTest, OpenOfAMissingFileSaysSoAndKeepsTheGame) {
    const Partie* before = CurrentPartie.get();
    chosenFile = folder.filePath("missing.pgn");
    DispatchCommand(Cmd::Open);
    EXPECT_EQ(CurrentPartie.get(), before);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, u"Unable to load game");
    EXPECT_EQ(messages[0].icon, platform::Icon::Stop);
}

TEST_F(CommandsTest, ForwardAsksChooseOnlyWhenThereAreAlternatives) {
    OpenFirstGame();
    DispatchCommand(Cmd::MoveForward);
    EXPECT_EQ(ShownMove(), u"1. e4");
    EXPECT_EQ(ShownDialogs(), std::vector<int>{GameListTemplate});

    // A tap on the second row chooses the variation.
    QueueDialogScript([](TemplateDialog& dialog) { dialog.SelectRow(1000, 1); });
    DispatchCommand(Cmd::MoveForward);
    EXPECT_EQ(ShownMove(), u"1... c5");
    EXPECT_EQ(ShownDialogs().back(), ChooseTemplate);
    EXPECT_EQ(MoveList->SelectedMove(), C5());

    DispatchCommand(Cmd::MoveBackward);
    EXPECT_EQ(ShownMove(), u"1. e4");

    // Cancel stays; Done without a choice follows the main move.
    QueueDialogScript([](TemplateDialog& dialog) { dialog.End(2); });
    DispatchCommand(Cmd::MoveForward);
    EXPECT_EQ(ShownMove(), u"1. e4");
    QueueDialogScript([](TemplateDialog& dialog) { dialog.SendCommand(1); });
    DispatchCommand(Cmd::MoveForward);
    EXPECT_EQ(ShownMove(), u"1... e5");
    EXPECT_FALSE(CurrentPartie->changed);
}

TEST_F(CommandsTest, NavigationStopsAtTheEndsOfTheTree) {
    OpenFirstGame();
    DispatchCommand(Cmd::MoveBackward);
    EXPECT_EQ(CurrentPosition, &CurrentPartie->startPosition);
    DispatchCommand(Cmd::GoToEnd);
    EXPECT_EQ(ShownMove(), u"3. Bb5");
    DispatchCommand(Cmd::MoveForward);
    EXPECT_EQ(ShownMove(), u"3. Bb5");
    EXPECT_EQ(ShownDialogs(), std::vector<int>{GameListTemplate});
}

TEST_F(CommandsTest, GoToEndLeavesAVariationForTheEndOfTheMainLine) {
    OpenFirstGame();
    Session::Instance().SetPosition(Nc3()->after.get());
    DispatchCommand(Cmd::GoToEnd);
    EXPECT_EQ(ShownMove(), u"3. Bb5");
    EXPECT_EQ(MoveList->SelectedMove(), CurrentPosition->previousMove);
}

TEST_F(CommandsTest, ReturnFromLine) {
    OpenFirstGame();
    struct Case {
        const char* name;
        Coup* from;
        Coup* expected; // null: the position stays
    };
    const Case cases[] = {
        {"nested variation returns to the enclosing one", Nc3(), VariationNf3()},
        {"deep in a variation returns to the replaced main move", D6(), E5()},
        {"first move of a variation", C5(), E5()},
        {"main line stays", MainNf3(), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session::Instance().SetPosition(c.from->after.get());
        DispatchCommand(Cmd::ReturnFromLine);
        EXPECT_EQ(CurrentPosition->previousMove, c.expected ? c.expected : c.from);
    }
    Session::Instance().SetPosition(&CurrentPartie->startPosition);
    DispatchCommand(Cmd::ReturnFromLine);
    EXPECT_EQ(CurrentPosition, &CurrentPartie->startPosition);
    EXPECT_FALSE(CurrentPartie->changed);
}

TEST_F(CommandsTest, DeleteAfterCutsTheLineAndMarksTheGameChanged) {
    OpenFirstGame();
    DispatchCommand(Cmd::DeleteAfter); // at the start: nothing to delete
    EXPECT_FALSE(CurrentPartie->changed);
    EXPECT_EQ(MoveList->RowCount(), 10);

    Session::Instance().SetPosition(MainNf3()->after.get());
    DispatchCommand(Cmd::DeleteAfter);
    EXPECT_EQ(ShownMove(), u"1... e5");
    EXPECT_EQ(E5()->after->firstMove, nullptr);
    EXPECT_TRUE(CurrentPartie->changed);
    EXPECT_EQ(ListRows(), (std::vector<QString>{"1. e4", "1... e5", "  (1... c5", "  2. Nf3",
                                                "    (2. Nc3", "    2... Nc6)", "  2... d6)"}));
}

TEST_F(CommandsTest, DeleteAfterOnAVariationKeepsTheMainLine) {
    OpenFirstGame();
    Session::Instance().SetPosition(Nc3()->after.get());
    DispatchCommand(Cmd::DeleteAfter);
    EXPECT_EQ(ShownMove(), u"1... c5");
    EXPECT_EQ(FirstAlternative(*VariationNf3()), nullptr);
    EXPECT_EQ(MoveList->RowCount(), 8);
}

TEST_F(CommandsTest, PromoteMakesTheVariationTheMainLine) {
    OpenFirstGame();
    Session::Instance().SetPosition(D6()->after.get());
    Coup* promoted = CurrentPosition->previousMove;
    Coup* c5 = C5();
    DispatchCommand(Cmd::Promote);
    EXPECT_TRUE(CurrentPartie->changed);
    EXPECT_EQ(E4()->after->firstMove.get(), c5);
    EXPECT_EQ(MoveList->RowText(1), QStringLiteral("1... c5"));
    EXPECT_EQ(MoveList->SelectedMove(), promoted);
    EXPECT_EQ(CurrentPosition, promoted->after.get());
}

TEST_F(CommandsTest, AnnotationCommandsRewriteTheRow) {
    OpenFirstGame();
    DispatchCommand(Cmd::NagGood); // at the start there is no move to annotate
    EXPECT_FALSE(CurrentPartie->changed);

    DispatchCommand(Cmd::MoveForward);
    const struct {
        int command;
        const char* row;
        int nag;
    } cases[] = {
        {Cmd::NagGood, "1. e4!", 1},         {Cmd::NagBad, "1. e4?", 2},
        {Cmd::NagVeryGood, "1. e4!!", 3},    {Cmd::NagVeryBad, "1. e4??", 4},
        {Cmd::NagInteresting, "1. e4!?", 5}, {Cmd::NagDubious, "1. e4?!", 6},
        {Cmd::NagNone, "1. e4", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        DispatchCommand(c.command);
        EXPECT_EQ(E4()->nag, c.nag);
        EXPECT_EQ(MoveList->RowText(0), QString::fromLatin1(c.row));
    }
    EXPECT_TRUE(CurrentPartie->changed);
}

TEST_F(CommandsTest, AnnotationPopupSendsTheChosenAnnotation) {
    OpenFirstGame();
    DispatchCommand(Cmd::MoveForward);
    DispatchCommand(Cmd::AnnotationPopup);
    ASSERT_NE(AnnotationMenu, nullptr);
    EXPECT_TRUE(AnnotationMenu->isVisible());
    QAction* veryGood = FindMenuAction(AnnotationMenu, Cmd::NagVeryGood);
    ASSERT_NE(veryGood, nullptr);
    veryGood->trigger();
    AnnotationMenu->hide();
    EXPECT_EQ(E4()->nag, 3);
    EXPECT_EQ(MoveList->RowText(0), QStringLiteral("1. e4!!"));
}

TEST_F(CommandsTest, AssessmentCommandsSetTheEvaluation) {
    OpenFirstGame();
    DispatchCommand(Cmd::EvalFirst + 2); // White better
    EXPECT_EQ(CurrentPosition->evaluation, 14);
    EXPECT_TRUE(CurrentPartie->changed);
    DispatchCommand(Cmd::EvalLast);
    EXPECT_EQ(CurrentPosition->evaluation, 19);
    DispatchCommand(Cmd::EvalNone);
    EXPECT_EQ(CurrentPosition->evaluation, 0);
}

TEST_F(CommandsTest, HideAndShowTheListRetitleTheMenuItem) {
    QAction* item = FindMenuAction(MenuBarMenu, Cmd::HideList);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text().section('\t', 0, 0), QStringLiteral("&Hide list"));
    const Rect comment = CommentRect;
    DispatchCommand(Cmd::HideList);
    EXPECT_FALSE(MoveList->IsVisible());
    EXPECT_EQ(item->text(), QStringLiteral("S&how move list"));
    EXPECT_EQ(CommentRect, comment); // the standard board keeps its layout
    DispatchCommand(Cmd::HideList);
    EXPECT_TRUE(MoveList->IsVisible());
    EXPECT_EQ(item->text(), QStringLiteral("&Hide move list"));
}

TEST_F(CommandsTest, HidingTheListWidensTheCommentOfTheLargeBoard) {
    StandardBoard = 0;
    ApplyBoardSettings();
    EXPECT_EQ(SquareSize, 25);
    EXPECT_EQ(CommentRect.right, 147);
    DispatchCommand(Cmd::HideList);
    EXPECT_EQ(CommentRect.right, 240);
    DispatchCommand(Cmd::HideList);
    EXPECT_EQ(CommentRect.right, 147);
}

TEST_F(CommandsTest, RevertBoardFlipsTheBoard) {
    EXPECT_EQ(Board->flipped, 0);
    DispatchCommand(Cmd::RevertBoard);
    EXPECT_NE(Board->flipped, 0);
    DispatchCommand(Cmd::RevertBoard);
    EXPECT_EQ(Board->flipped, 0);
}

TEST_F(CommandsTest, OpenNextGameWalksThroughTheFile) {
    OpenFirstGame();
    DispatchCommand(Cmd::OpenNextGame);
    ASSERT_TRUE(CurrentPartie->white);
    EXPECT_EQ(*CurrentPartie->white, u"Gamma");
    EXPECT_TRUE(messages.empty());

    const Partie* last = CurrentPartie.get();
    DispatchCommand(Cmd::OpenNextGame);
    EXPECT_EQ(CurrentPartie.get(), last);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, u"No more games");
    EXPECT_EQ(messages[0].caption, u"Unable to load game");
    EXPECT_EQ(messages[0].icon, platform::Icon::None);
}

TEST_F(CommandsTest, ReopenShowsTheGameListOfTheSameFile) {
    // A game that never had a file: nothing happens.
    DispatchCommand(Cmd::Reopen);
    EXPECT_TRUE(ShownDialogs().empty());

    OpenFirstGame();
    QueueDialogScript([](TemplateDialog& dialog) { dialog.ActivateRow(1000, 1); });
    DispatchCommand(Cmd::Reopen);
    EXPECT_EQ(*CurrentPartie->white, u"Gamma");
    EXPECT_EQ(fileRequests.size(), 1u); // no second file dialog
}

TEST_F(CommandsTest, AnotherGameOfTheFileShowsItsFirstRows) {
    window->show();
    path = WriteFile("long.pgn", LongGame("Alpha", 40) + LongGame("Gamma", 40));
    OpenThroughGameList(path, 0);
    ASSERT_EQ(MoveList->RowCount(), 80);
    EXPECT_EQ(TopRow(), 0);

    DispatchCommand(Cmd::GoToEnd);
    ASSERT_GT(TopRow(), 40) << "the end of the game is far down the list";
    DispatchCommand(Cmd::OpenNextGame);
    ASSERT_TRUE(CurrentPartie->white);
    ASSERT_EQ(*CurrentPartie->white, u"Gamma");
    ASSERT_EQ(CurrentPosition, &CurrentPartie->startPosition);
    EXPECT_EQ(TopRow(), 0) << MoveList->RowText(std::max(TopRow(), 0)).toStdString();

    DispatchCommand(Cmd::GoToEnd);
    ASSERT_GT(TopRow(), 40);
    QueueDialogScript([](TemplateDialog& dialog) { dialog.ActivateRow(1000, 0); });
    DispatchCommand(Cmd::Reopen);
    ASSERT_EQ(*CurrentPartie->white, u"Alpha");
    ASSERT_EQ(CurrentPosition, &CurrentPartie->startPosition);
    EXPECT_EQ(TopRow(), 0) << MoveList->RowText(std::max(TopRow(), 0)).toStdString();
    EXPECT_TRUE(messages.empty());
}

TEST_F(CommandsTest, ChangedGameIsOnlyReplacedWithTheUsersConsent) {
    OpenFirstGame();
    DispatchCommand(Cmd::MoveForward);
    DispatchCommand(Cmd::NagGood);
    const Partie* edited = CurrentPartie.get();

    answers = {platform::Answer::Cancel};
    DispatchCommand(Cmd::New);
    EXPECT_EQ(CurrentPartie.get(), edited);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, u"Do you want to save the game ?");
    EXPECT_EQ(messages[0].caption, u"The game has been changed");
    EXPECT_EQ(messages[0].buttons, platform::Buttons::YesNoCancel);

    answers = {platform::Answer::No};
    DispatchCommand(Cmd::New);
    EXPECT_EQ(CurrentPartie->startPosition.firstMove, nullptr);
    EXPECT_FALSE(CurrentPartie->changed);
    EXPECT_FALSE(CurrentPartie->hasFile);
    EXPECT_EQ(MoveList->RowCount(), 0);
}

TEST_F(CommandsTest, SaveReplacesOnlyItsOwnGameInTheFile) {
    path = WriteFile("two.pgn", TwoGamesPgn);
    OpenThroughGameList(path, 1);
    const std::uint64_t start = CurrentPartie->startOffset;
    ASSERT_GT(start, 0u);
    DispatchCommand(Cmd::MoveForward);
    DispatchCommand(Cmd::NagGood);
    ASSERT_TRUE(CurrentPartie->changed);

    DispatchCommand(Cmd::Save);
    EXPECT_FALSE(CurrentPartie->changed);
    EXPECT_TRUE(messages.empty());
    const QByteArray saved = ReadFile(path);
    EXPECT_EQ(saved.left(start), QByteArray(TwoGamesPgn).left(start));
    EXPECT_FALSE(QFile::exists(path + ".bak"));

    // Read back: the annotation is in the file.
    OpenThroughGameList(path, 1);
    ASSERT_NE(E4(), nullptr);
    EXPECT_EQ(E4()->nag, 1);
    EXPECT_EQ(MoveText(*E4(), true, false), u"1. d4!");
}

TEST_F(CommandsTest, SaveOfANewGameAsksForAName) {
    CurrentPartie->propertiesConfirmed = true; // the properties dialog is not part of this test
    DispatchCommand(Cmd::MoveBackward);
    const QString target = folder.filePath("new.pgn");
    chosenFile = target;
    DispatchCommand(Cmd::Save);
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_TRUE(fileRequests[0].save);
    EXPECT_EQ(fileRequests[0].fileName, QStringLiteral("Game1.pgn"));
    EXPECT_EQ(fileRequests[0].filter, QStringLiteral("PGN files (*.pgn);;All files (*.*)"));
    EXPECT_TRUE(QFile::exists(target));
    EXPECT_TRUE(CurrentPartie->hasFile);
}

TEST_F(CommandsTest, SaveAsAsksForThePropertiesFirst) {
    // Cancel in the properties dialog saves nothing and asks for no name.
    QueueDialogScript([](TemplateDialog& dialog) { dialog.End(2); });
    DispatchCommand(Cmd::SaveAs);
    EXPECT_EQ(ShownDialogs(), std::vector<int>{PropertiesTemplate});
    EXPECT_TRUE(fileRequests.empty());
    EXPECT_FALSE(CurrentPartie->hasFile);
}

TEST_F(CommandsTest, UnknownCommandsAreIgnored) {
    EXPECT_FALSE(DispatchCommand(12345));
    EXPECT_TRUE(DispatchCommand(Cmd::MoveBackward));
}

} // namespace
