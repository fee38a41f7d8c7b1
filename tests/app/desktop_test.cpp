// The desktop program around the handheld's commands: one action per command, the keys, the
// clipboard, dropped and recent files, the title, and the session whose one setter keeps the
// board, the move list and the status line on the same position.
#include "app/command_actions.h"
#include "app/command_line.h"
#include "app/menu_bar.h"
#include "app/recent_files.h"
#include "app/window_test_support.h"
#include "chess/fen.h"
#include "gametree/tree_ops.h"

#include <QAction>
#include <QClipboard>
#include <QDirIterator>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <QWindow>

#include <map>

#include "pawnlet_version.h"

using namespace pawnlet;

namespace {

class DesktopTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        QSettings store(QStringLiteral("quorvex"), QStringLiteral("Pawnlet"));
        store.remove(QStringLiteral("RecentFiles"));
    }

    // The first game of TwoGamesPgn, its list of ten rows:
    //   0 1. e4   1 1... e5   2 (1... c5   3 2. Nf3   4 (2. Nc3   5 2... Nc6)   6 2... d6)
    //   7 2. Nf3  8 2... Nc6 [...]   9 3. Bb5
    void OpenFirstGame() {
        path = WriteFile("two.pgn", TwoGamesPgn);
        OpenThroughGameList(path, 0);
        ASSERT_EQ(MoveList->RowCount(), 10);
    }

    // The window as a user has it: shown, active, its keys installed.
    void ShowWithKeys() {
        ASSERT_TRUE(window->InstallAccelerators());
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->setFocus();
    }

    // A key pressed where the focus is, as the keyboard would deliver it. A modal dialog that
    // just closed may have left the window inactive, which a user's next key would not find.
    void Press(Qt::Key key) {
        if (!window->isActiveWindow()) {
            window->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        }
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target ? target : window.get(), key);
    }

    int SelectedRow() const {
        const Coup* selected = MoveList->SelectedMove();
        return selected ? MoveList->RowOf(selected) : -1;
    }

    // The board, the move list and the status line tell the same position: the list's row is
    // the move that led to it (at the start the list keeps its row), the board holds no stale
    // selection, the status line shows that move, and the title's mark follows the game.
    void ExpectViewsAgree(const char* step) {
        SCOPED_TRACE(step);
        ASSERT_NE(CurrentPosition, nullptr);
        if (CurrentPosition->previousMove) {
            EXPECT_EQ(MoveList->SelectedMove(), CurrentPosition->previousMove);
            EXPECT_EQ(MoveList->RowOf(CurrentPosition->previousMove), SelectedRow());
        }
        EXPECT_FALSE(Board->HasSelection());
        EXPECT_EQ(window->isWindowModified(), CurrentPartie->changed);
        // The status line is painted from the session: its move text must be the list's.
        if (MoveList->SelectedMove() && CurrentPosition->previousMove) {
            const QString shown =
                QString::fromStdU16String(MoveText(*CurrentPosition->previousMove, true, false));
            EXPECT_TRUE(MoveList->RowText(SelectedRow()).contains(shown));
        }
    }

    // The centre of a square of the main window's board (standard board, White below).
    static QPoint SquareCentre(const char* name) {
        return QPoint(3 + 19 * (name[0] - 'a') + 9, 3 + 19 * (7 - (name[1] - '1')) + 9);
    }

    QString path;
};

TEST_F(DesktopTest, EveryDispatchCommandHasOneActionSharedByMenusButtonsAndKeys) {
    ShowWithKeys();
    std::map<int, int> named;
    for (QAction* action : window->findChildren<QAction*>()) {
        const QString name = action->objectName();
        if (name.startsWith(QStringLiteral("command-")))
            ++named[name.mid(8).toInt()];
    }
    for (const CommandRoute& route : CommandTable()) {
        for (int command = route.first; command <= route.last; ++command) {
            if (command == Cmd::MoveList)
                continue;
            SCOPED_TRACE(command);
            EXPECT_EQ(named[command], 1);
            QAction* action = window->Actions().For(command);
            ASSERT_NE(action, nullptr);
            EXPECT_EQ(action->data().toInt(), command);
            // The menu's item is the action itself, with the resource's text.
            if (!MenuItemText(command).empty()) {
                EXPECT_EQ(FindMenuAction(MenuBarMenu, command)
                              ? FindMenuAction(MenuBarMenu, command)
                              : FindMenuAction(AnnotationMenu, command),
                          action);
            }
        }
    }
    // The accelerator table's keys and the desktop keys are the actions' own.
    for (const Accelerator& accelerator : LoadAccelerators(AcceleratorTableId))
        EXPECT_TRUE(
            window->Actions().For(accelerator.command)->shortcuts().contains(accelerator.keys))
            << accelerator.command;
    EXPECT_EQ(FindMenuAction(MenuBarMenu, Cmd::Open)->text(), QStringLiteral("&Open\tCtrl-O"));
    EXPECT_TRUE(window->Actions()
                    .For(Cmd::SaveAs)
                    ->shortcuts()
                    .contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
    EXPECT_TRUE(
        window->Actions().For(Cmd::Exit)->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Q)));
    EXPECT_EQ(window->Actions().For(Cmd::MoveForward)->toolTip(),
              QStringLiteral("Move Forward (Ctrl+F, Right)"));
    EXPECT_EQ(window->Bar()->ToolButtonFor(Cmd::Save)->toolTip(), QStringLiteral("Save (Ctrl+S)"));

    // The tool button, the menu item and DispatchCommand all reach the same code.
    OpenFirstGame();
    QTest::mouseClick(window->Bar()->ToolButtonFor(Cmd::MoveForward), Qt::LeftButton);
    EXPECT_EQ(ShownMove(), u"1. e4");
    FindMenuAction(MenuBarMenu, Cmd::MoveBackward)->trigger();
    EXPECT_EQ(CurrentPosition, &CurrentPartie->startPosition);
}

TEST_F(DesktopTest, KeysWalkTheGameOnTheBoardAndInTheList) {
    OpenFirstGame();
    ShowWithKeys();
    const Position* start = &CurrentPartie->startPosition;
    struct Step {
        Qt::Key key;
        const char16_t* shown; // u"" at the start
        int row;
    };
    const Step steps[] = {
        {Qt::Key_Right, u"1. e4", 0}, {Qt::Key_End, u"3. Bb5", 9},
        {Qt::Key_Home, u"", 9},       {Qt::Key_PageDown, u"3. Bb5", 9},
        {Qt::Key_PageUp, u"", 9},     {Qt::Key_Right, u"1. e4", 0},
        {Qt::Key_Left, u"", 0},       {Qt::Key_Right, u"1. e4", 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(QKeySequence(step.key).toString().toStdString());
        Press(step.key);
        EXPECT_EQ(ShownMove(), step.shown);
        if (*step.shown == u'\0') {
            EXPECT_EQ(CurrentPosition, start);
        }
        EXPECT_EQ(SelectedRow(), step.row);
        ExpectViewsAgree("key");
    }
    // Right at a branch asks which move, as Ctrl+F does; Up and Down then go through the
    // alternatives and show which.
    QueueDialogScript([](TemplateDialog& dialog) { dialog.SelectRow(1000, 1); });
    Press(Qt::Key_Right);
    EXPECT_EQ(ShownMove(), u"1... c5");
    EXPECT_EQ(SelectedRow(), 2);
    Press(Qt::Key_Down); // c5 is the last alternative
    EXPECT_EQ(ShownMove(), u"1... c5");
    Press(Qt::Key_Up);
    EXPECT_EQ(ShownMove(), u"1... e5");
    EXPECT_EQ(SelectedRow(), 1);
    Press(Qt::Key_Down);
    EXPECT_EQ(SelectedRow(), 2);
    ExpectViewsAgree("alternatives");

    // Tab gives the list the keys; there Up, Down, Home and End walk its rows and the board
    // follows, while Left and Right stay the window's.
    Press(Qt::Key_Tab);
    QListView* list = MoveList->Control();
    ASSERT_TRUE(list->hasFocus());
    Press(Qt::Key_Down);
    EXPECT_EQ(ShownMove(), u"2. Nf3");
    EXPECT_EQ(SelectedRow(), 3);
    Press(Qt::Key_Down);
    EXPECT_EQ(ShownMove(), u"2. Nc3");
    Press(Qt::Key_Right);
    EXPECT_EQ(ShownMove(), u"2... Nc6");
    EXPECT_EQ(SelectedRow(), 5);
    Press(Qt::Key_End);
    EXPECT_EQ(ShownMove(), u"3. Bb5");
    Press(Qt::Key_Home);
    EXPECT_EQ(ShownMove(), u"1. e4");
    EXPECT_TRUE(list->hasFocus());
    ExpectViewsAgree("list keys");

    // A click on a row gives the list the focus too.
    window->setFocus();
    const QRect rowRect = list->visualRect(list->model()->index(7, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowRect.center());
    EXPECT_TRUE(list->hasFocus());
    EXPECT_EQ(ShownMove(), u"2. Nf3");
    EXPECT_FALSE(CurrentPartie->changed);
}

TEST_F(DesktopTest, BoardListAndStatusAgreeAfterEveryCommandOfAWalk) {
    OpenFirstGame();
    ShowWithKeys();
    QSignalSpy told(&Session::Instance(), &Session::PositionChanged);
    struct Step {
        const char* name;
        int command;
        const char16_t* shown;
        std::function<void(TemplateDialog&)> choose; // the "Choose" answer, when asked
    };
    const Step steps[] = {
        {"forward", Cmd::MoveForward, u"1. e4", {}},
        {"forward into the variation", Cmd::MoveForward, u"1... c5",
         [](TemplateDialog& dialog) { dialog.SelectRow(1000, 1); }},
        {"forward on its main move", Cmd::MoveForward, u"2. Nf3",
         [](TemplateDialog& dialog) { dialog.SendCommand(1); }},
        {"next alternative", Cmd::NextAlternative, u"2. Nc3", {}},
        {"previous alternative", Cmd::PreviousAlternative, u"2. Nf3", {}},
        {"end of this line", Cmd::GoToLineEnd, u"2... d6", {}},
        {"return from line", Cmd::ReturnFromLine, u"1... e5", {}},
        {"ten forward", Cmd::TenForward, u"3. Bb5", {}},
        {"ten back", Cmd::TenBackward, u"", {}},
        {"end of game", Cmd::GoToEnd, u"3. Bb5", {}},
        {"backward", Cmd::MoveBackward, u"2... Nc6", {}},
        {"delete after", Cmd::DeleteAfter, u"2. Nf3", {}},
        {"start", Cmd::GoToStart, u"", {}},
        {"forward again", Cmd::MoveForward, u"1. e4", {}},
        {"into the variation", Cmd::MoveForward, u"1... c5",
         [](TemplateDialog& dialog) { dialog.SelectRow(1000, 1); }},
        {"promote", Cmd::Promote, u"1... c5", {}},
        {"good move", Cmd::NagGood, u"1... c5!", {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const Position* before = CurrentPosition;
        const qsizetype toldBefore = told.count();
        if (step.choose)
            QueueDialogScript(step.choose);
        ASSERT_TRUE(DispatchCommand(step.command));
        EXPECT_EQ(UnfinishedScriptedDialogs(), 0);
        EXPECT_EQ(ShownMove(), step.shown);
        if (CurrentPosition != before) {
            EXPECT_GT(told.count(), toldBefore) << "the position moved without the views told";
        }
        ExpectViewsAgree(step.name);
    }
    EXPECT_EQ(CurrentPartie->startPosition.firstMove->after->firstMove->nag, 1);

    // A move played on the board at the end of a line gets its row, selected.
    DispatchCommand(Cmd::GoToLineEnd);
    const int rows = MoveList->RowCount();
    const Position* before = CurrentPosition;
    ASSERT_EQ(before->firstMove, nullptr);
    const bool whiteToMove = before->sideToMove == White;
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, SquareCentre(whiteToMove ? "a2" : "a7"));
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, SquareCentre(whiteToMove ? "a3" : "a6"));
    EXPECT_EQ(CurrentPosition->previousMove, before->firstMove.get());
    EXPECT_EQ(MoveList->RowCount(), rows + 1);
    ExpectViewsAgree("move played on the board");
}

TEST_F(DesktopTest, ClipboardCopiesAndPastesPositionsAndGames) {
    OpenFirstGame();
    QClipboard* clipboard = QGuiApplication::clipboard();
    DispatchCommand(Cmd::GoToEnd);
    DispatchCommand(Cmd::CopyFen);
    EXPECT_EQ(clipboard->text(),
              QStringLiteral("r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 0 3"));

    // Copy game is the text that Save puts into the file.
    DispatchCommand(Cmd::NagGood);
    DispatchCommand(Cmd::CopyGame);
    const QString copied = clipboard->text();
    DispatchCommand(Cmd::Save);
    ASSERT_FALSE(CurrentPartie->changed);
    const QByteArray file = ReadFile(path);
    EXPECT_EQ(copied,
              QString::fromUtf8(file.mid(CurrentPartie->startOffset,
                                         CurrentPartie->endOffset - CurrentPartie->startOffset)));
    EXPECT_TRUE(copied.contains(QRegularExpression(QStringLiteral("3\\. Bb5\\s+\\$1 1-0"))))
        << copied.toStdString();

    // Bad pastes are refused with the reader's reason, and nothing changes.
    Partie* shown = CurrentPartie.get();
    const Position* position = CurrentPosition;
    struct Bad {
        const char* name;
        QString text;
        std::u16string reason;
    };
    const Bad bads[] = {
        {"illegal move", QStringLiteral("[White \"X\"]\n[Black \"Y\"]\n\n1. e4 e5 2. Ke3 *"),
         u"Illegal move : Ke3"},
        {"bare movetext with a bad move", QStringLiteral("1. e4 Nf3"), u"Illegal move : Nf3"},
        {"position without kings", QStringLiteral("8/8/8/8/8/8/8/8 w - - 0 1"),
         u"I need a white king !"},
        {"nothing", QString(), u"No games"},
    };
    for (const Bad& bad : bads) {
        SCOPED_TRACE(bad.name);
        messages.clear();
        clipboard->setText(bad.text);
        DispatchCommand(Cmd::Paste);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, bad.reason);
        EXPECT_EQ(messages[0].icon, platform::Icon::Stop);
        EXPECT_EQ(CurrentPartie.get(), shown);
        EXPECT_EQ(CurrentPosition, position);
    }

    // A position pastes as a new game from it, after asking about the changed game.
    DispatchCommand(Cmd::NagBad);
    messages.clear();
    const QString fen = QStringLiteral("8/8/8/4k3/8/8/4P3/4K3 w - - 0 40");
    clipboard->setText(fen);
    answers = {platform::Answer::Cancel};
    DispatchCommand(Cmd::Paste);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, u"Do you want to save the game ?");
    EXPECT_EQ(CurrentPartie.get(), shown);
    answers = {platform::Answer::No};
    DispatchCommand(Cmd::Paste);
    EXPECT_NE(CurrentPartie.get(), shown);
    EXPECT_EQ(QString::fromStdU16String(WriteFen(*CurrentPosition)), fen);
    EXPECT_EQ(CurrentPosition, &CurrentPartie->startPosition);
    EXPECT_EQ(CurrentPosition->setUp, 1);
    EXPECT_TRUE(CurrentPartie->changed);
    EXPECT_FALSE(CurrentPartie->hasFile);
    EXPECT_EQ(MoveList->RowCount(), 0);

    // Several games paste as the first, a new game of no file.
    clipboard->setText(QString::fromLatin1(TwoGamesPgn));
    answers = {platform::Answer::No};
    DispatchCommand(Cmd::Paste);
    EXPECT_EQ(CurrentPartie->white, u"Alpha");
    EXPECT_FALSE(CurrentPartie->hasFile);
    EXPECT_TRUE(CurrentPartie->changed);
    EXPECT_EQ(MoveList->RowCount(), 10);
    EXPECT_EQ(MoveList->RowText(8), QStringLiteral("2... Nc6 [...]"));
}

TEST_F(DesktopTest, DroppedPgnFileOpensThroughTheGameList) {
    window->show();
    const QString pgn = WriteFile("dropped.pgn", TwoGamesPgn);
    const QString text = WriteFile("notes.txt", "not a game");
    auto drop = [&](const QString& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &dropped);
        QCoreApplication::processEvents();
        return true;
    };
    EXPECT_FALSE(drop(text));
    EXPECT_TRUE(ShownDialogs().empty());

    QueueDialogScript([](TemplateDialog& dialog) { dialog.ActivateRow(1000, 1); });
    ASSERT_TRUE(drop(pgn));
    EXPECT_EQ(UnfinishedScriptedDialogs(), 0);
    EXPECT_EQ(ShownDialogs(), std::vector<int>{GameListTemplate});
    EXPECT_EQ(CurrentPartie->white, u"Gamma");
    EXPECT_EQ(QString::fromStdU16String(CurrentPartie->path), pgn);
    EXPECT_EQ(RecentFiles().value(0), pgn);

    // Over a changed game the drop asks first, and Cancel keeps it.
    DispatchCommand(Cmd::MoveForward);
    DispatchCommand(Cmd::NagGood);
    Partie* changed = CurrentPartie.get();
    answers = {platform::Answer::Cancel};
    ASSERT_TRUE(drop(pgn));
    EXPECT_EQ(CurrentPartie.get(), changed);
    EXPECT_EQ(messages.back().text, u"Do you want to save the game ?");
}

TEST_F(DesktopTest, RecentFilesSurviveARestartAndLeaveTheSettingsValuesAlone) {
    const QString first = WriteFile("first.pgn", TwoGamesPgn);
    const QString second = WriteFile("second & more.pgn", TwoGamesPgn);
    OpenThroughGameList(first, 0);
    OpenThroughGameList(second, 0);
    OpenThroughGameList(first, 1);

    // A restart: a new window reads the list from the settings store.
    window.reset();
    MoveList = std::make_unique<ListeCoups>();
    window = std::make_unique<MainWindow>();
    auto* recent = window->findChild<QMenu*>(QStringLiteral("recent-files"));
    ASSERT_NE(recent, nullptr);
    auto shownEntries = [&] {
        FillRecentMenu(recent);
        QStringList texts;
        for (QAction* action : recent->actions())
            if (action->isVisible())
                texts << action->text();
        return texts;
    };
    EXPECT_EQ(shownEntries(), (QStringList{"&1 first.pgn", "&2 second && more.pgn"}));
    EXPECT_TRUE(recent->isEnabled());

    // The entry opens through its game list.
    QueueDialogScript([](TemplateDialog& dialog) { dialog.ActivateRow(1000, 1); });
    window->Actions().For(Cmd::RecentFirst + 1)->trigger();
    EXPECT_EQ(UnfinishedScriptedDialogs(), 0);
    EXPECT_EQ(QString::fromStdU16String(CurrentPartie->path), second);
    EXPECT_EQ(CurrentPartie->white, u"Gamma");
    EXPECT_EQ(shownEntries(), (QStringList{"&1 second && more.pgn", "&2 first.pgn"}));

    // A file gone is dropped; the list holds eight at most, newest first.
    ASSERT_TRUE(QFile::remove(first));
    EXPECT_EQ(shownEntries(), QStringList{"&1 second && more.pgn"});
    for (int i = 0; i < 9; ++i)
        NoteRecentFile(WriteFile(QStringLiteral("game%1.pgn").arg(i), TwoGamesPgn));
    const QStringList files = RecentFiles();
    ASSERT_EQ(files.size(), MaxRecentFiles);
    EXPECT_TRUE(files.front().endsWith(QStringLiteral("game8.pgn")));
    EXPECT_TRUE(files.back().endsWith(QStringLiteral("game1.pgn")));

    // The list lives in a group of its own: the four values are all there is outside it.
    QSettings store(QStringLiteral("quorvex"), QStringLiteral("Pawnlet"));
    for (const QString& key : store.childKeys())
        EXPECT_TRUE(QStringList({"BlackColor", "SelColor", "Indicate comment", "Standard layout"})
                        .contains(key))
            << key.toStdString();
    EXPECT_EQ(store.childGroups(), QStringList{"RecentFiles"});
}

TEST_F(DesktopTest, TitleNamesTheFileAndTheGameAndMarksUnsavedChanges) {
    window->show();
    auto shownTitle = [&] { return window->windowHandle()->title(); };
    EXPECT_EQ(shownTitle(), QStringLiteral("Pawnlet"));
    EXPECT_FALSE(window->isWindowModified());

    OpenFirstGame();
    EXPECT_EQ(shownTitle(), QStringLiteral("two.pgn \u2014 Alpha \u2013 Beta"));
    DispatchCommand(Cmd::MoveForward);
    EXPECT_FALSE(window->isWindowModified());
    DispatchCommand(Cmd::NagGood);
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(shownTitle(), QStringLiteral("two.pgn \u2014 Alpha \u2013 Beta*"));
    DispatchCommand(Cmd::Save);
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_EQ(shownTitle(), QStringLiteral("two.pgn \u2014 Alpha \u2013 Beta"));

    // A move played on the board is an edit too.
    DispatchCommand(Cmd::GoToEnd);
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, SquareCentre("g8"));
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, SquareCentre("f6"));
    ASSERT_EQ(ShownMove(), u"3... Nf6");
    EXPECT_TRUE(window->isWindowModified());
    DispatchCommand(Cmd::New);
    EXPECT_EQ(messages.back().text, u"Do you want to save the game ?");
}

// The dialogs take values and return values: none of them reaches into the main window.
TEST(Layers, NoDialogIncludesAnAppHeader) {
    const QString dialogs = QStringLiteral(PAWNLET_TEST_DATA_DIR "/../../dialogs");
    const QRegularExpression appInclude(QStringLiteral("#\\s*include\\s*[\"<]app/"));
    int files = 0;
    for (QDirIterator it(dialogs, {"*.h", "*.cpp"}, QDir::Files); it.hasNext();) {
        const QString file = it.next();
        ++files;
        QFile source(file);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly)) << file.toStdString();
        EXPECT_FALSE(appInclude.match(QString::fromUtf8(source.readAll())).hasMatch())
            << file.toStdString();
    }
    EXPECT_GE(files, 10);
}

} // namespace

namespace {

// The command line is read before any window or display: --help and --version answer and leave,
// the screenshot options keep their meaning, and the words left over are one path.
TEST(CommandLine, HelpVersionScreenshotAndAPathWithBlanks) {
    const StartOptions help = ReadStartOptions({"pawnlet", "--help"});
    EXPECT_TRUE(help.printed.startsWith(QStringLiteral("Usage: pawnlet [options] [FILE]")))
        << help.printed.toStdString();
    EXPECT_TRUE(help.printed.contains(QStringLiteral("--screenshot <OUT.png>")));
    EXPECT_EQ(ReadStartOptions({"pawnlet", "My", "Games/x.pgn", "--version"}).printed,
              QStringLiteral("pawnlet " PAWNLET_VERSION_TEXT "\n"));

    const StartOptions path = ReadStartOptions({"pawnlet", "My", "Games/classics", "2024.pgn"});
    EXPECT_TRUE(path.printed.isEmpty());
    EXPECT_TRUE(path.error.isEmpty());
    EXPECT_FALSE(path.screenshot);
    EXPECT_EQ(path.file, QStringLiteral("My Games/classics 2024.pgn"));

    const StartOptions shot =
        ReadStartOptions({"pawnlet", "--screenshot", "out.png", "--large-board", "a", "b.pgn"});
    EXPECT_TRUE(shot.screenshot);
    EXPECT_EQ(shot.screenshotPath, QStringLiteral("out.png"));
    EXPECT_TRUE(shot.largeBoard);
    EXPECT_FALSE(shot.landscape);
    EXPECT_EQ(shot.file, QStringLiteral("a b.pgn"));

    EXPECT_FALSE(ReadStartOptions({"pawnlet", "--frobnicate"}).error.isEmpty());
    EXPECT_FALSE(ReadStartOptions({"pawnlet", "--landscape", "x.pgn"}).error.isEmpty());
    EXPECT_FALSE(ReadStartOptions({"pawnlet", "--screenshot"}).error.isEmpty());
}

} // namespace
