// Undo and redo of the game's edits: every kind of edit, then a long random run, each checked
// against the writer's text of the game.
#include "app/tap_board.h"
#include "dialogs/properties_dialog.h"
#include "gametree/annotations.h"
#include "pgn/writer.h"
#include "resources/dialog_controls.h"
#include "window_test_support.h"

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>

#include <functional>
#include <random>

using namespace pawnlet;

namespace {

using namespace PropertiesControl;

constexpr int CommentText = 1043;
constexpr int CommentClear = 1012;
constexpr int NewLineAdd = 3;
constexpr int NewLineReplace = 1001;
constexpr int NewLineMoves = 1000;

class UndoTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        OpenThroughGameList(WriteFile("two.pgn", TwoGamesPgn), 0);
        ASSERT_FALSE(CurrentPartie->changed);
    }

    static std::string Text() { return WriteGameText(*CurrentPartie); }

    static void Show(Position* position) { Session::Instance().SetPosition(position); }

    // Plays from -> to with two taps on the board; `newLine` answers the "New line" dialog when
    // the position has moves already.
    static void Tap(Square from, Square to, std::function<void(TemplateDialog&)> newLine = {}) {
        if (newLine)
            QueueDialogScript(std::move(newLine));
        for (Square square : {from, to}) {
            const QPoint at = Board->SquareRect(square % 8, square / 8).center();
            TapBoard(at.x(), at.y());
        }
    }

    static void EditComment(const QString& text) {
        QueueDialogScript([text](TemplateDialog& dialog) {
            if (text.isEmpty())
                dialog.Click(CommentClear);
            else
                dialog.SetText(CommentText, text);
            dialog.Click(1);
        });
        DispatchCommand(Cmd::Comment);
    }

    static Position* Start() { return &CurrentPartie->startPosition; }
    // The position after the main moves from `position`, `plies` deep.
    static Position* Main(Position* position, int plies) {
        for (; plies > 0; --plies)
            position = position->firstMove->after.get();
        return position;
    }
};

struct EditCase {
    const char* name;
    std::function<Position*()> place; // where the edit is made
    std::function<void()> edit;
};

void Dispatch(int command) {
    DispatchCommand(command);
}

TEST_F(UndoTest, EveryKindOfEditIsUndoneAndRedoneToTheExactText) {
    // 1. e4 e5 (1... c5 2. Nf3 (2. Nc3 Nc6) 2... d6) 2. Nf3 Nc6 {Knights out} 3. Bb5
    const auto C5 = [] { return Main(Start(), 1)->firstMove->next->after.get(); };
    const auto Nc3 = [&] { return C5()->firstMove->next->after.get(); };
    const auto Add = [](TemplateDialog& d) { d.Click(NewLineAdd); };
    const auto ReplaceRow = [](int row) {
        return [row](TemplateDialog& d) {
            d.SelectRow(NewLineMoves, row);
            d.Click(NewLineReplace);
        };
    };
    const std::vector<EditCase> cases = {
        {"a move played at the end", [] { return Main(Start(), 5); }, [] { Tap(48, 40); }},
        {"a move played as a new variation", Start, [&] { Tap(11, 27, Add); }},
        {"New line Replace of the main move", Start, [&] { Tap(11, 27, ReplaceRow(0)); }},
        {"New line Replace of an alternative", [] { return Main(Start(), 1); },
         [&] { Tap(50, 42, ReplaceRow(1)); }},
        {"Delete after a variation's first move", C5, [] { Dispatch(Cmd::DeleteAfter); }},
        {"Delete after a main move with alternatives", [] { return Main(Start(), 2); },
         [] { Dispatch(Cmd::DeleteAfter); }},
        {"Delete after inside a nested variation", [&] { return Nc3()->firstMove->after.get(); },
         [] { Dispatch(Cmd::DeleteAfter); }},
        {"Promote a nested variation", Nc3, [] { Dispatch(Cmd::Promote); }},
        {"Promote from deep in a variation",
         [&] { return C5()->firstMove->after->firstMove->after.get(); },
         [] { Dispatch(Cmd::Promote); }},
        {"a move annotation", [] { return Main(Start(), 3); },
         [] { Dispatch(FirstAnnotationCommand + 2); }},
        {"a position assessment", [] { return Main(Start(), 4); },
         [] { Dispatch(FirstAssessmentCommand + 3); }},
        {"a comment set", [] { return Main(Start(), 2); },
         [] { EditComment(QStringLiteral("Open game")); }},
        {"a comment changed", [] { return Main(Start(), 4); },
         [] { EditComment(QStringLiteral("Both")); }},
        {"a comment cleared", [] { return Main(Start(), 4); }, [] { EditComment(QString()); }},
        {"the game properties and the Date text", [] { return Main(Start(), 3); },
         [] {
             QueueDialogScript([](TemplateDialog& d) {
                 d.SetText(WhiteEdit, QStringLiteral("Omega"));
                 d.SetChecked(WhiteWinsRadio, false);
                 d.SetChecked(BlackWinsRadio, true);
                 auto* picker = d.ControlAs<DatePicker>(DatePickerId);
                 picker->HasDate()->setChecked(true);
                 picker->Edit()->setDate(QDate(1999, 12, 31));
                 d.Click(1);
             });
             Dispatch(Cmd::Properties);
         }},
    };
    const std::string original = Text();
    const std::vector<QString> originalRows = ListRows();
    for (const EditCase& edit : cases) {
        SCOPED_TRACE(edit.name);
        Position* at = edit.place();
        Show(at);
        edit.edit();
        ASSERT_EQ(PendingDialogScripts(), 0u);
        const std::string edited = Text();
        ASSERT_NE(edited, original);
        EXPECT_TRUE(CurrentPartie->changed);
        Position* reached = CurrentPosition;
        const std::vector<QString> editedRows = ListRows();
        for (int round = 0; round < 2; ++round) {
            Dispatch(Cmd::Undo);
            EXPECT_EQ(Text(), original);
            EXPECT_EQ(ListRows(), originalRows);
            EXPECT_EQ(CurrentPosition.get(), at);
            EXPECT_FALSE(CurrentPartie->changed);
            Dispatch(Cmd::Redo);
            EXPECT_EQ(Text(), edited);
            EXPECT_EQ(ListRows(), editedRows);
            EXPECT_EQ(CurrentPosition.get(), reached);
            EXPECT_TRUE(CurrentPartie->changed);
        }
        // Back to the loaded game for the next case; the record goes with the next edit.
        Dispatch(Cmd::Undo);
        ASSERT_EQ(Text(), original);
    }
}

// Every position of the game's tree.
std::vector<Position*> AllPositions(Position& root) {
    std::vector<Position*> positions;
    std::vector<Position*> pending{&root};
    while (!pending.empty()) {
        Position* position = pending.back();
        pending.pop_back();
        positions.push_back(position);
        for (Coup* move = position->firstMove.get(); move; move = move->next.get())
            pending.push_back(move->after.get());
    }
    return positions;
}

// The legal moves of the side to move that the tree does not hold yet, promotions left out
// (they would ask for the piece).
std::vector<std::pair<Square, Square>> NewMoves(Position& position) {
    std::vector<std::pair<Square, Square>> moves;
    for (Square from = 0; from < 64; ++from) {
        const PieceCode piece = position.PieceAt(from);
        if (piece == Empty || ColourOf(piece) != position.sideToMove)
            continue;
        for (Square to = 0; to < 64; ++to) {
            const bool promoting = TypeOf(piece) == Pawn && (to / 8 == 0 || to / 8 == 7);
            if (from != to && !promoting && position.IsLegalMove(from, to) &&
                !position.FindMove(from, to))
                moves.emplace_back(from, to);
        }
    }
    return moves;
}

TEST_F(UndoTest, ARandomRunOfEditsUndoesToTheLoadedGameAndRedoesToItsEnd) {
    std::mt19937 random(20261208);
    const auto Pick = [&random](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    QUndoStack& history = Session::Instance().History();
    const std::string original = Text();
    const std::vector<QString> originalRows = ListRows();
    int edits = 0;
    while (edits < 200) {
        const std::vector<Position*> positions = AllPositions(*Start());
        Position* at = positions[Pick(positions.size())];
        Show(at);
        const int before = history.index();
        switch (Pick(8)) {
        case 0:
        case 1: {
            const auto moves = NewMoves(*at);
            if (moves.empty())
                break;
            const auto [from, to] = moves[Pick(moves.size())];
            int count = 0;
            for (Coup* move = at->firstMove.get(); move; move = move->next.get())
                ++count;
            const int row = count == 0 ? -1 : int(Pick(std::size_t(count) + 1)) - 1;
            if (count == 0)
                Tap(from, to);
            else if (row < 0)
                Tap(from, to, [](TemplateDialog& d) { d.Click(NewLineAdd); });
            else
                Tap(from, to, [row](TemplateDialog& d) {
                    d.SelectRow(NewLineMoves, row);
                    d.Click(NewLineReplace);
                });
            break;
        }
        case 2:
            Dispatch(Cmd::DeleteAfter);
            break;
        case 3:
            Dispatch(Cmd::Promote);
            break;
        case 4:
            Dispatch(FirstAnnotationCommand + int(Pick(7)));
            Dispatch(FirstAssessmentCommand + int(Pick(9)));
            break;
        case 5:
            EditComment(Pick(3) == 0 ? QString() : QStringLiteral("c%1").arg(edits));
            break;
        case 6:
            QueueDialogScript([edits](TemplateDialog& d) {
                d.SetText(WhiteEdit, QStringLiteral("W%1").arg(edits));
                d.Click(1);
            });
            Dispatch(Cmd::Properties);
            break;
        case 7:
            // Undoing, then editing, drops the records undone with what they hold.
            for (std::size_t steps = Pick(3) + 1; steps > 0; --steps)
                Dispatch(Cmd::Undo);
            continue;
        }
        ASSERT_EQ(PendingDialogScripts(), 0u);
        edits += history.index() - before;
    }
    const std::string final = Text();
    const std::vector<QString> finalRows = ListRows();
    ASSERT_NE(final, original);
    while (history.canUndo())
        Dispatch(Cmd::Undo);
    EXPECT_EQ(Text(), original);
    EXPECT_EQ(ListRows(), originalRows);
    EXPECT_TRUE(history.isClean());
    EXPECT_FALSE(CurrentPartie->changed);
    while (history.canRedo())
        Dispatch(Cmd::Redo);
    EXPECT_EQ(Text(), final);
    EXPECT_EQ(ListRows(), finalRows);
    EXPECT_TRUE(CurrentPartie->changed);
}

TEST_F(UndoTest, TheSavedStateIsUnchangedAndAnotherGameStartsAFreshHistory) {
    QUndoStack& history = Session::Instance().History();
    Show(Main(Start(), 3));
    Dispatch(FirstAnnotationCommand + 1);
    Dispatch(FirstAssessmentCommand + 1);
    CurrentPartie->propertiesConfirmed = true;
    Dispatch(Cmd::Save);
    ASSERT_FALSE(CurrentPartie->changed);
    const std::string saved = Text();

    Dispatch(Cmd::Undo);
    EXPECT_TRUE(CurrentPartie->changed);
    Dispatch(Cmd::Redo);
    EXPECT_FALSE(CurrentPartie->changed);
    // Back at what is on disk, closing asks nothing.
    EXPECT_TRUE(AskToClose());
    EXPECT_TRUE(messages.empty());
    Dispatch(Cmd::Redo);
    EXPECT_EQ(Text(), saved);

    Dispatch(Cmd::Undo);
    answers.push_back(platform::Answer::No); // do not save before opening the other game
    OpenThroughGameList(folder.filePath("two.pgn"), 1);
    EXPECT_FALSE(history.canUndo());
    EXPECT_FALSE(history.canRedo());
    EXPECT_FALSE(CurrentPartie->changed);
    Dispatch(Cmd::Undo);
    EXPECT_FALSE(CurrentPartie->changed);

    // The menu items follow the history; the keys are those the desktop expects.
    ASSERT_TRUE(window->InstallAccelerators());
    const QAction* undo = window->findChild<QAction*>(QStringLiteral("command-%1").arg(Cmd::Undo));
    const QAction* redo = window->findChild<QAction*>(QStringLiteral("command-%1").arg(Cmd::Redo));
    ASSERT_NE(undo, nullptr);
    ASSERT_NE(redo, nullptr);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(undo->shortcuts(), QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Z"))});
    EXPECT_EQ(redo->shortcuts(), (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Shift+Z")),
                                                      QKeySequence(QStringLiteral("Ctrl+Y"))}));

    // A new game is a fresh history as well.
    Show(Main(Start(), 1));
    Dispatch(FirstAnnotationCommand + 1);
    ASSERT_TRUE(history.canUndo());
    EXPECT_TRUE(undo->isEnabled());
    CurrentPartie->propertiesConfirmed = true;
    Dispatch(Cmd::Save);
    Dispatch(Cmd::New);
    EXPECT_FALSE(history.canUndo());
}

} // namespace
