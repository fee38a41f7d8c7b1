// The setup-position dialog: every verdict of ValidateSetup with its exact text, the castling
// summary, the move number both ways, taps that place and remove pieces, "Clear", "Copy board",
// the program-long selected piece, and the New Position command installing the game.
#include "app/commands.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/qt_shell.h"
#include "chess/position.h"
#include "chess/san.h"
#include "dialogs/setup_dialog.h"
#include "pgn/partie.h"
#include "resources/dialog_builder.h"
#include "resources/dialog_script.h"
#include "resources/menus.h"
#include "tests/gui_test_support.h"

#include <QAbstractButton>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace pawnlet;

namespace {

constexpr int ClearButton = 1012;
constexpr int CopyBoardButton = 1061;
constexpr int WhiteToPlay = 1024;
constexpr int BlackToPlay = 1030;
constexpr int WhiteShort = 1025;
constexpr int WhiteLong = 1026;
constexpr int BlackShort = 1027;
constexpr int BlackLong = 1028;
constexpr int MoveNumberEdit = 1042;
constexpr int WhiteQueenButton = 1038;
constexpr int BlackRookButton = 1033;

Square Sq(const char* name) {
    return MakeSquare(name[0] - 'a', name[1] - '1');
}

// A position with only the pieces given, as "Ke1", "kd8" (upper case White, lower case Black).
void Place(Position& position, std::initializer_list<const char*> pieces) {
    for (int square = 0; square < 64; ++square)
        position.SetPiece(Square(square), Empty);
    for (const char* piece : pieces) {
        const char letter = piece[0];
        const bool black = letter >= 'a' && letter <= 'z';
        const char upper = black ? char(letter - 'a' + 'A') : letter;
        PieceCode type = Empty;
        switch (upper) {
        case 'P':
            type = Pawn;
            break;
        case 'R':
            type = Rook;
            break;
        case 'N':
            type = Knight;
            break;
        case 'B':
            type = Bishop;
            break;
        case 'Q':
            type = Queen;
            break;
        case 'K':
            type = King;
            break;
        default:
            ADD_FAILURE() << "bad piece " << piece;
        }
        position.SetPiece(Sq(piece + 1), PieceCode((black ? Black : White) + type));
    }
}

// --- ValidateSetup

struct VerdictRow {
    const char* name;
    std::initializer_list<const char*> pieces;
    bool whiteToPlay;
    std::u16string moveNumber;
    bool accepted;
    std::optional<std::u16string> failure;
};

TEST(ValidateSetup, Verdicts) {
    const VerdictRow rows[] = {
        {"empty board", {}, true, u"1", false, u"I need a white king !"},
        {"no black king", {"Ke1"}, true, u"1", false, u"I need a black king !"},
        {"no white king", {"ke8"}, true, u"1", false, u"I need a white king !"},
        {"two white kings",
         {"Ke1", "Kh1", "ke8"},
         true,
         u"1",
         false,
         u"Only one white king please"},
        {"two black kings",
         {"Ke1", "ke8", "kh8"},
         true,
         u"1",
         false,
         u"Only one black king please"},
        // The second White king (g8, 62) comes before the second Black king (h8, 63).
        {"two of each: the first second king found",
         {"Kb1", "Kg8", "ka8", "kh8"},
         true,
         u"1",
         false,
         u"Only one white king please"},
        {"two of each, black second king first",
         {"Kb1", "Kh8", "ka8", "kg8"},
         true,
         u"1",
         false,
         u"Only one black king please"},
        {"black in check with white to play",
         {"Ke1", "Re7", "ke8"},
         true,
         u"1",
         false,
         u"Black in check incompatible with white to move"},
        {"white in check with black to play",
         {"Ke1", "ke8", "re2"},
         false,
         u"1",
         false,
         u"White in check incompatible with black to move"},
        {"black in check with black to play",
         {"Ke1", "Re7", "ke8"},
         false,
         u"1",
         true,
         std::nullopt},
        {"pawns on the last rank are accepted",
         {"Ke1", "ke8", "Pa8", "ph1"},
         true,
         u"1",
         true,
         std::nullopt},
        {"move number zero",
         {"Ke1", "ke8"},
         true,
         u"0",
         false,
         u"The move number must be a whole number from 1 to 9999"},
        {"move number not a number",
         {"Ke1", "ke8"},
         true,
         u"abc",
         false,
         u"The move number must be a whole number from 1 to 9999"},
        {"move number too large",
         {"Ke1", "ke8"},
         true,
         u"10000",
         false,
         u"The move number must be a whole number from 1 to 9999"},
        {"move number with trailing text",
         {"Ke1", "ke8"},
         true,
         u"12b",
         false,
         u"The move number must be a whole number from 1 to 9999"},
    };
    for (const VerdictRow& row : rows) {
        SCOPED_TRACE(row.name);
        Position position;
        Place(position, row.pieces);
        SetupChoices choices;
        choices.castling = {false, false, false, false};
        choices.whiteToPlay = row.whiteToPlay;
        choices.moveNumber = row.moveNumber;
        const SetupVerdict verdict = ValidateSetup(position, choices);
        EXPECT_EQ(verdict.accepted, row.accepted);
        EXPECT_EQ(verdict.failure, row.failure);
        EXPECT_EQ(verdict.warning, std::nullopt);
    }
}

TEST(ValidateSetup, StartPositionUnchanged) {
    Position position;
    SetupChoices choices;
    const SetupVerdict verdict = ValidateSetup(position, choices);
    EXPECT_TRUE(verdict.accepted);
    EXPECT_EQ(verdict.warning, std::nullopt);
    EXPECT_EQ(position.sideToMove, White);
    EXPECT_EQ(position.moveNumber, 0);
    EXPECT_EQ(position.castleWhiteKing, 1);
    EXPECT_EQ(position.castleWhiteQueen, 1);
    EXPECT_EQ(position.castleBlackKing, 1);
    EXPECT_EQ(position.castleBlackQueen, 1);
    EXPECT_EQ(choices.castling, (std::array<bool, 4>{true, true, true, true}));
}

struct CastlingRow {
    const char* name;
    std::initializer_list<const char*> pieces;
    std::array<bool, 4> boxes;
    std::optional<std::u16string> warning;
    std::array<bool, 4> boxesAfter;
    std::array<int, 4> rights;
};

TEST(ValidateSetup, CastlingRights) {
    const CastlingRow rows[] = {
        {"kings off their squares: all four listed in order",
         {"Kd1", "kd8", "Ra1", "Rh1", "ra8", "rh8"},
         {true, true, true, true},
         u"White O-O,White O-O-O,Black O-O,Black O-O-O disabled",
         {false, false, false, false},
         {0, 0, 0, 0}},
        {"only the queen-side rook missing",
         {"Ke1", "Rh1", "kd8"},
         {true, true, false, false},
         u"White O-O-O disabled",
         {true, false, false, false},
         {1, 0, 0, 0}},
        {"unchecked boxes are not listed",
         {"Ke1", "ke8"},
         {false, false, true, false},
         u"Black O-O disabled",
         {false, false, false, false},
         {0, 0, 0, 0}},
        {"a rook of the wrong colour does not count",
         {"Ke1", "rh1", "Ra1", "ke8", "bf8", "Rh8", "ra8"},
         {true, true, true, true},
         u"White O-O,Black O-O disabled",
         {false, true, false, true},
         {0, 1, 0, 1}},
        {"all in place, boxes unchecked: no rights, no warning",
         {"Ke1", "Ra1", "Rh1", "ke8", "ra8", "rh8"},
         {false, false, false, false},
         std::nullopt,
         {false, false, false, false},
         {0, 0, 0, 0}},
    };
    for (const CastlingRow& row : rows) {
        SCOPED_TRACE(row.name);
        Position position;
        Place(position, row.pieces);
        SetupChoices choices;
        choices.castling = row.boxes;
        const SetupVerdict verdict = ValidateSetup(position, choices);
        EXPECT_TRUE(verdict.accepted);
        EXPECT_EQ(verdict.warning, row.warning);
        EXPECT_EQ(choices.castling, row.boxesAfter);
        EXPECT_EQ(position.castleWhiteKing, row.rights[0]);
        EXPECT_EQ(position.castleWhiteQueen, row.rights[1]);
        EXPECT_EQ(position.castleBlackKing, row.rights[2]);
        EXPECT_EQ(position.castleBlackQueen, row.rights[3]);
    }
}

TEST(ValidateSetup, WarningAndFailureTogether) {
    // The castling boxes are corrected and listed even when the position is then refused.
    Position position;
    Place(position, {"Kd1", "kd8", "Rd7"});
    SetupChoices choices;
    const SetupVerdict verdict = ValidateSetup(position, choices);
    EXPECT_FALSE(verdict.accepted);
    EXPECT_EQ(verdict.warning, u"White O-O,White O-O-O,Black O-O,Black O-O-O disabled");
    EXPECT_EQ(verdict.failure, u"Black in check incompatible with white to move");
    EXPECT_EQ(choices.castling, (std::array<bool, 4>{false, false, false, false}));
}

TEST(ValidateSetup, MoveNumberAndSideToMove) {
    struct Row {
        const char* name;
        std::u16string typed;
        bool whiteToPlay;
        Colour side;
        int moveNumber;
    };
    const Row rows[] = {
        {"20 with black to play", u"20", false, Black, 20},
        {"20 with white to play", u"20", true, White, 19},
        {"1 with white to play", u"1", true, White, 0},
        {"beyond 255 is kept whole", u"300", true, White, 299},
        {"blanks around the number", u" 7 ", false, Black, 7},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Position position;
        SetupChoices choices;
        choices.whiteToPlay = row.whiteToPlay;
        choices.moveNumber = row.typed;
        ASSERT_TRUE(ValidateSetup(position, choices).accepted);
        EXPECT_EQ(position.sideToMove, row.side);
        EXPECT_EQ(position.moveNumber, row.moveNumber);
    }
}

TEST(SetupTaps, PlaceReplaceRemove) {
    EXPECT_EQ(TappedSquarePiece(Empty, White + Queen), White + Queen);
    EXPECT_EQ(TappedSquarePiece(White + Queen, White + Queen), Empty);
    EXPECT_EQ(TappedSquarePiece(Black + Rook, White + Queen), White + Queen);
    EXPECT_EQ(TappedSquarePiece(Black + Rook, Empty), Empty);
    EXPECT_EQ(SetupButtonPiece(1029), White + Pawn);
    EXPECT_EQ(SetupButtonPiece(1031), Black + Pawn);
    EXPECT_EQ(SetupButtonPiece(1041), Black + King);
    EXPECT_EQ(SetupButtonPiece(1030), Empty); // "Black to play", not a piece button
}

// --- The dialog itself, inside the program's window

class SetupDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        ClearDialogScripts();
        previousShell = platform::SetShell(&shell);
        SetMessageBoxHook([this](const MessageBoxRequest& request) {
            messages.push_back(request);
            return platform::Answer::Ok;
        });
        window = std::make_unique<MainWindow>();
        SelectedSetupPiece = Empty;
    }
    void TearDown() override {
        window.reset();
        SetMessageBoxHook({});
        platform::SetShell(previousShell);
        ClearDialogScripts();
        SelectedSetupPiece = Empty;
    }

    // Runs the dialog with `script`; the new game or null.
    std::unique_ptr<Partie> Run(DialogScript script) {
        QueueDialogScript(std::move(script));
        std::unique_ptr<Partie> partie = ShowSetupPositionDialog(window.get(), CurrentPosition);
        EXPECT_EQ(UnfinishedScriptedDialogs(), 0);
        return partie;
    }

    // The client point at the centre of a square of the setup board (19-pixel squares from
    // (3, 3), White at the bottom).
    static QPoint SquareCentre(const char* name) {
        const int file = name[0] - 'a';
        const int rank = name[1] - '1';
        return QPoint(3 + 19 * file + 9, 3 + 19 * (7 - rank) + 9);
    }
    static void Tap(TemplateDialog& dialog, const char* square) {
        QTest::mouseClick(dialog.Client(), Qt::LeftButton, Qt::NoModifier, SquareCentre(square));
    }

    QtShell shell;
    platform::Shell* previousShell = nullptr;
    std::vector<MessageBoxRequest> messages;
    std::unique_ptr<MainWindow> window;
};

TEST_F(SetupDialogTest, OkWithoutChangesGivesTheStandardStart) {
    std::unique_ptr<Partie> partie = Run([](TemplateDialog& dialog) {
        EXPECT_EQ(dialog.Caption(), QStringLiteral("Setup position"));
        EXPECT_TRUE(dialog.IsChecked(WhiteToPlay));
        EXPECT_FALSE(dialog.IsChecked(BlackToPlay));
        for (int box : {WhiteShort, WhiteLong, BlackShort, BlackLong})
            EXPECT_TRUE(dialog.IsChecked(box));
        EXPECT_EQ(dialog.Text(MoveNumberEdit), QStringLiteral("1"));
        dialog.Click(1);
    });
    ASSERT_NE(partie, nullptr);
    const Position& start = partie->startPosition;
    const Position standard;
    EXPECT_EQ(start.board, standard.board);
    EXPECT_EQ(start.sideToMove, White);
    EXPECT_EQ(start.moveNumber, 0);
    EXPECT_EQ(start.setUp, 1);
    EXPECT_EQ(start.castleWhiteKing + start.castleWhiteQueen + start.castleBlackKing +
                  start.castleBlackQueen,
              4);
    EXPECT_TRUE(messages.empty());
}

// The piece cell covers nearly all of its button, so a sunken frame alone left the selected piece
// looking like the others: the cell itself must look different when its piece is the one a tap
// places.
TEST_F(SetupDialogTest, TheSelectedPieceButtonStandsOut) {
    const struct {
        const char* name;
        int button;
        PieceCode piece;
        int other; // tapped to move the selection away
    } rows[] = {
        {"white knight", 1034, White + Knight, 1036},
        {"black rook", 1033, Black + Rook, 1041},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SelectedSetupPiece = row.piece;
        QImage selected;
        QImage unselected;
        Run([&](TemplateDialog& dialog) {
            QWidget* button = dialog.Control(row.button);
            ASSERT_NE(button, nullptr);
            selected = button->grab().toImage();
            dialog.Click(row.other);
            EXPECT_FALSE(dialog.IsChecked(row.button));
            unselected = button->grab().toImage();
            dialog.Click(2);
        });
        ASSERT_FALSE(selected.isNull());
        ASSERT_EQ(selected.size(), unselected.size());
        const QRect cell = QRect(2, 2, 19, 19) & selected.rect();
        int differing = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                differing += selected.pixel(x, y) != unselected.pixel(x, y);
        EXPECT_GE(differing, cell.width() * cell.height() / 4);
    }
    SelectedSetupPiece = Empty;
}

// The arrows beside the move number reach every number the dialog accepts (1 to 9999), not only
// the 255 of a default range.
TEST_F(SetupDialogTest, TheMoveNumberArrowsReachEveryAcceptedNumber) {
    const struct {
        const char* name;
        const char* typed;
        int key;
        const char* shown;
    } rows[] = {
        {"up past 255", "300", Qt::Key_Up, "301"},
        {"down from a large number", "5000", Qt::Key_Down, "4999"},
        {"up stops at the largest", "9999", Qt::Key_Up, "9999"},
        {"down stops at one", "1", Qt::Key_Down, "1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<Partie> partie = Run([&](TemplateDialog& dialog) {
            dialog.SetText(MoveNumberEdit, QString::fromLatin1(row.typed));
            QTest::keyClick(dialog.Control(MoveNumberEdit), Qt::Key(row.key));
            EXPECT_EQ(dialog.Text(MoveNumberEdit), QString::fromLatin1(row.shown));
            dialog.Click(1);
        });
        ASSERT_NE(partie, nullptr);
        EXPECT_EQ(NextMoveNumber(partie->startPosition), QString::fromLatin1(row.shown).toInt());
    }
}

TEST_F(SetupDialogTest, CancelReturnsNoGame) {
    EXPECT_EQ(Run([](TemplateDialog& dialog) { dialog.Click(2); }), nullptr);
}

TEST_F(SetupDialogTest, ClearThenOkAsksForAWhiteKingAndStaysOpen) {
    bool stillOpen = false;
    std::unique_ptr<Partie> partie = Run([&](TemplateDialog& dialog) {
        dialog.Click(ClearButton);
        dialog.Click(1);
        stillOpen = dialog.isVisible();
        dialog.Click(2);
    });
    EXPECT_EQ(partie, nullptr);
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, u"I need a white king !");
    EXPECT_EQ(messages[0].caption, u"Invalid position");
    EXPECT_EQ(messages[0].icon, platform::Icon::Stop);
}

TEST_F(SetupDialogTest, CastlingWarningUnchecksTheBoxesAndAccepts) {
    std::unique_ptr<Partie> partie = Run([&](TemplateDialog& dialog) {
        dialog.Click(ClearButton);
        dialog.Click(1040); // White king
        Tap(dialog, "d1");
        dialog.Click(1041); // Black king
        Tap(dialog, "d8");
        dialog.Click(1);
    });
    ASSERT_NE(partie, nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, u"White O-O,White O-O-O,Black O-O,Black O-O-O disabled");
    EXPECT_EQ(messages[0].caption, u"Setup board");
    EXPECT_EQ(messages[0].icon, platform::Icon::Exclamation);
    const Position& start = partie->startPosition;
    EXPECT_EQ(start.PieceAt(Sq("d1")), White + King);
    EXPECT_EQ(start.PieceAt(Sq("d8")), Black + King);
    EXPECT_EQ(start.castleWhiteKing + start.castleWhiteQueen + start.castleBlackKing +
                  start.castleBlackQueen,
              0);
}

TEST_F(SetupDialogTest, TapsPlaceReplaceAndRemove) {
    std::unique_ptr<Partie> partie = Run([&](TemplateDialog& dialog) {
        dialog.Click(WhiteQueenButton);
        Tap(dialog, "d4"); // empty: a White queen appears
        Tap(dialog, "e4");
        Tap(dialog, "e4"); // the same piece again empties it
        Tap(dialog, "a8"); // a Black rook there is replaced
        dialog.Click(BlackRookButton);
        Tap(dialog, "h7"); // a Black pawn replaced by a rook
        Tap(dialog, "a1"); // a White rook replaced by a Black one
        Tap(dialog, "h9"); // below the board: nothing
        dialog.Click(1);
    });
    ASSERT_NE(partie, nullptr);
    const Position& start = partie->startPosition;
    EXPECT_EQ(start.PieceAt(Sq("d4")), White + Queen);
    EXPECT_EQ(start.PieceAt(Sq("e4")), Empty);
    EXPECT_EQ(start.PieceAt(Sq("a8")), White + Queen);
    EXPECT_EQ(start.PieceAt(Sq("h7")), Black + Rook);
    EXPECT_EQ(start.PieceAt(Sq("a1")), Black + Rook);
    // The piece chosen last stays chosen for the next showing.
    EXPECT_EQ(SelectedSetupPiece, Black + Rook);
    Run([](TemplateDialog& dialog) {
        EXPECT_TRUE(dialog.IsChecked(BlackRookButton));
        EXPECT_FALSE(dialog.IsChecked(WhiteQueenButton));
        dialog.Click(2);
    });
}

TEST_F(SetupDialogTest, MoveNumberFromTheEdit) {
    std::unique_ptr<Partie> partie = Run([](TemplateDialog& dialog) {
        dialog.SetText(MoveNumberEdit, QStringLiteral("20"));
        dialog.Click(BlackToPlay);
        dialog.Click(1);
    });
    ASSERT_NE(partie, nullptr);
    EXPECT_EQ(partie->startPosition.sideToMove, Black);
    EXPECT_EQ(partie->startPosition.moveNumber, 20);
}

TEST_F(SetupDialogTest, BadMoveNumberIsRefusedAndNothingIsLost) {
    bool stillOpen = false;
    std::unique_ptr<Partie> partie = Run([&](TemplateDialog& dialog) {
        dialog.SetText(MoveNumberEdit, QStringLiteral("0"));
        dialog.Click(1);
        stillOpen = dialog.isVisible();
        dialog.SetText(MoveNumberEdit, QStringLiteral("5"));
        dialog.Click(1);
    });
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, u"Invalid position");
    ASSERT_NE(partie, nullptr);
    EXPECT_EQ(partie->startPosition.moveNumber, 4);
}

struct CopyRow {
    const char* name;
    std::vector<const char16_t*> moves;
    QString shown;
    Colour side;
    int moveNumber;
};

TEST_F(SetupDialogTest, CopyBoardShowsTheNextMoveNumber) {
    const CopyRow rows[] = {
        {"white to move after 1...e5", {u"e4", u"e5"}, QStringLiteral("2"), White, 1},
        {"black to move after 1.e4", {u"e4"}, QStringLiteral("1"), Black, 1},
        {"black to move after 2.Nf3", {u"e4", u"e5", u"Nf3"}, QStringLiteral("2"), Black, 2},
    };
    for (const CopyRow& row : rows) {
        SCOPED_TRACE(row.name);
        InstallGame(nullptr);
        Position* position = CurrentPosition;
        for (const char16_t* san : row.moves) {
            position = ReadSan(*position, san);
            ASSERT_NE(position, nullptr);
        }
        Session::Instance().SetPosition(position);
        std::unique_ptr<Partie> partie = Run([&](TemplateDialog& dialog) {
            dialog.Click(CopyBoardButton);
            EXPECT_EQ(dialog.Text(MoveNumberEdit), row.shown);
            EXPECT_EQ(dialog.IsChecked(WhiteToPlay), row.side == White);
            EXPECT_EQ(dialog.IsChecked(BlackToPlay), row.side == Black);
            dialog.Click(1);
        });
        ASSERT_NE(partie, nullptr);
        EXPECT_EQ(partie->startPosition.board, position->board);
        EXPECT_EQ(partie->startPosition.sideToMove, row.side);
        EXPECT_EQ(partie->startPosition.moveNumber, row.moveNumber);
        EXPECT_EQ(partie->startPosition.enPassant, position->enPassant);
    }
}

TEST_F(SetupDialogTest, CopyBoardTakesTheCastlingRights) {
    InstallGame(nullptr);
    CurrentPosition->castleWhiteQueen = 0;
    CurrentPosition->castleBlackKing = 0;
    Run([](TemplateDialog& dialog) {
        dialog.Click(CopyBoardButton);
        EXPECT_TRUE(dialog.IsChecked(WhiteShort));
        EXPECT_FALSE(dialog.IsChecked(WhiteLong));
        EXPECT_FALSE(dialog.IsChecked(BlackShort));
        EXPECT_TRUE(dialog.IsChecked(BlackLong));
        dialog.Click(2);
    });
}

TEST_F(SetupDialogTest, NewPositionCommandInstallsTheGame) {
    QueueDialogScript([](TemplateDialog& dialog) {
        dialog.Click(ClearButton);
        dialog.Click(1040);
        Tap(dialog, "e1");
        dialog.Click(1041);
        Tap(dialog, "e8");
        for (int box : {WhiteShort, WhiteLong, BlackShort, BlackLong})
            dialog.SetChecked(box, false);
        dialog.Click(1);
    });
    EXPECT_TRUE(DispatchCommand(Cmd::NewPosition));
    ASSERT_NE(CurrentPartie, nullptr);
    EXPECT_EQ(CurrentPosition, &CurrentPartie->startPosition);
    EXPECT_EQ(CurrentPosition->setUp, 1);
    EXPECT_EQ(CurrentPosition->PieceAt(Sq("e1")), White + King);
    EXPECT_EQ(CurrentPosition->PieceAt(Sq("d1")), Empty);
    EXPECT_TRUE(messages.empty());
}

TEST_F(SetupDialogTest, NewPositionAsksToSaveAChangedGameFirst) {
    CurrentPartie->changed = true;
    Partie* before = CurrentPartie.get();
    // Cancel in the save question: no dialog, the game stays.
    SetMessageBoxHook([this](const MessageBoxRequest& request) {
        messages.push_back(request);
        return platform::Answer::Cancel;
    });
    DispatchCommand(Cmd::NewPosition);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, u"Do you want to save the game ?");
    EXPECT_EQ(CurrentPartie.get(), before);
    EXPECT_TRUE(ShownDialogs().empty());
}

} // namespace

namespace {

// A copied board keeps its en-passant square only while it still fits the position.
TEST(ValidateSetup, StaleEnPassantSquareAndLegalityCacheAreDropped) {
    struct Row {
        const char* name;
        bool whiteToPlay;
        bool removePawn;
        Square expected;
    };
    const Row rows[] = {
        {"unchanged copy keeps e3", false, false, 20},
        {"side to move switched", true, false, NoSquare},
        {"the pawn that stepped is gone", false, true, NoSquare},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Position game;
        Position* afterE4 = ReadSan(game, u"e4");
        ASSERT_NE(afterE4, nullptr);
        ASSERT_EQ(afterE4->enPassant, 20);
        Position working;
        working.CopyFrom(*afterE4);
        ASSERT_TRUE(working.IsLegalMove(Sq("d7"), Sq("d5")));
        if (row.removePawn)
            working.SetPiece(Sq("e4"), Empty);
        SetupChoices choices;
        choices.whiteToPlay = row.whiteToPlay;
        ASSERT_TRUE(ValidateSetup(working, choices).accepted);
        EXPECT_EQ(working.enPassant, row.expected);
        EXPECT_EQ(working.testedFrom, NoSquare);
        EXPECT_EQ(working.testedTo, NoSquare);
    }
}

} // namespace
