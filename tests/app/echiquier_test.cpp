// The board view: hit-testing (flipped or not, taps in the margin), the mask/image drawing from
// the piece strips, and the tap-to-move flow in the main window, tapped at pixel coordinates.
#include "app/globals.h"
#include "app/liste_coups.h"
#include "app/main_window.h"
#include "app/qt_shell.h"
#include "chess/fen.h"
#include "chess/position.h"
#include "chess/san.h"
#include "dialogs/echiquier.h"
#include "dialogs/settings_store.h"
#include "gametree/coup.h"
#include "gametree/move_text.h"
#include "pgn/partie.h"
#include "resources/bitmaps.h"
#include "resources/dialog_builder.h"
#include "resources/dialog_script.h"
#include "tests/gui_test_support.h"

#include <QListWidget>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <initializer_list>

using namespace pawnlet;

namespace {

// --- Hit-testing

struct HitCase {
    const char* name;
    int flipped;
    int x, y;
    bool hit;
    int file, rank;
};

TEST(EchiquierHitTest, MapsClientPointsToSquares) {
    GuiTestApp();
    // Standard board: 19-pixel squares from (3, 3) to (155, 155).
    const HitCase cases[] = {
        {"top-left is a8", 0, 3, 3, true, 0, 7},
        {"bottom-right is h1", 0, 154, 154, true, 7, 0},
        {"e2", 0, 3 + 4 * 19 + 9, 3 + 6 * 19 + 9, true, 4, 1},
        {"flipped top-left is h1", 1, 3, 3, true, 7, 0},
        {"flipped bottom-right is a8", 1, 154, 154, true, 0, 7},
        {"flipped e2 lies at d7's place", 1, 3 + 3 * 19 + 9, 3 + 1 * 19 + 9, true, 4, 1},
        {"less than a square left counts as the first column", 0, 0, 3 + 19 * 3, true, 0, 4},
        {"less than a square above counts as the top row", 0, 50, 0, true, 2, 7},
        {"right of the board", 0, 155, 50, false, 0, 0},
        {"below the board", 0, 50, 155, false, 0, 0},
        {"far right", 0, 239, 10, false, 0, 0},
        {"a full square left", 0, -16, 10, false, 0, 0},
    };
    Echiquier board(nullptr, 19, 3, 3, 0);
    for (const HitCase& c : cases) {
        board.flipped = c.flipped;
        std::uint8_t file = 99;
        std::uint8_t rank = 99;
        EXPECT_EQ(board.HitTest(c.x, c.y, file, rank), c.hit) << c.name;
        EXPECT_EQ(file, c.file) << c.name;
        EXPECT_EQ(rank, c.rank) << c.name;
    }
}

TEST(EchiquierHitTest, LargeBoardUsesItsOwnSizeAndLeftEdge) {
    GuiTestApp();
    Echiquier board(nullptr, 19, 3, 3, 0);
    board.Resize(25, 20, 0);
    std::uint8_t file = 0;
    std::uint8_t rank = 0;
    ASSERT_TRUE(board.HitTest(20 + 7 * 25 + 24, 3 + 24, file, rank));
    EXPECT_EQ(file, 7);
    EXPECT_EQ(rank, 7);
    EXPECT_EQ(board.Top(), 3) << "resizing keeps the top edge";
    EXPECT_EQ(board.SquareRect(0, 0), QRect(20, 3 + 7 * 25, 25, 25));
}

TEST(EchiquierLiveCount, CountsEveryBoard) {
    GuiTestApp();
    const int before = LiveCount<Echiquier>::Live();
    {
        Echiquier one(nullptr, 19, 3, 3, 0);
        Echiquier two(nullptr, 25, 20, 3, 0);
        EXPECT_EQ(LiveCount<Echiquier>::Live(), before + 2);
    }
    EXPECT_EQ(LiveCount<Echiquier>::Live(), before);
}

// --- Drawing

// A strip whose every cell is recognisable: image cells are black with a coloured 5 x 5 centre
// of their own, mask cells white with a black centre, cell 0 plain white.
QImage RecognisableStrip(int size) {
    QImage strip(25 * size, size, QImage::Format_RGB32);
    strip.fill(Qt::white);
    QPainter painter(&strip);
    for (int cell = 1; cell < 25; ++cell) {
        const QRect rect(cell * size, 0, size, size);
        const QRect centre(rect.center() - QPoint(2, 2), QSize(5, 5));
        if (cell % 2 == 1) {
            painter.fillRect(rect, Qt::black);
            painter.fillRect(centre, QColor(10 * cell, 255 - 10 * cell, 100));
        } else {
            painter.fillRect(centre, Qt::black);
        }
    }
    return strip;
}

class BoardDrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        savedStrip = DefaultPieceStrip;
        CreateColourObjects();
    }
    void TearDown() override { DefaultPieceStrip = savedStrip; }

    QImage Paint(const Echiquier& board, const Position& position) {
        QImage surface(240, 268, QImage::Format_RGB32);
        surface.fill(Qt::magenta);
        QPainter painter(&surface);
        board.PaintBoard(painter, position, true);
        return surface;
    }

    QImage savedStrip;
};

TEST_F(BoardDrawingTest, EachPieceShowsItsOwnImageCellOnItsSquareColour) {
    DefaultPieceStrip = RecognisableStrip(19);
    Echiquier board(nullptr, 19, 3, 3, 0);
    Position position; // the standard start holds every piece code
    const QImage surface = Paint(board, position);
    const QRgb dark = ColorFromRef(BlackColor).rgb();
    const QRgb light = QColor(Qt::white).rgb();
    for (int rank = 0; rank < 8; ++rank) {
        for (int file = 0; file < 8; ++file) {
            const QRect square = board.SquareRect(file, rank);
            const QRgb background = file % 2 == rank % 2 ? dark : light;
            const PieceCode piece = position.PieceAtFileRank(file, rank);
            EXPECT_EQ(surface.pixel(square.topLeft()), background) << file << rank;
            if (piece == Empty) {
                EXPECT_EQ(surface.pixel(square.center()), background) << file << rank;
                continue;
            }
            const int type = TypeOf(piece);
            const int cell = ColourOf(piece) == Black ? 4 * type - 1 : 4 * type - 3;
            EXPECT_EQ(surface.pixel(square.center()), QColor(10 * cell, 255 - 10 * cell, 100).rgb())
                << "piece " << int(piece) << " on " << file << rank;
        }
    }
}

TEST_F(BoardDrawingTest, FrameSelectionAndFlipping) {
    DefaultPieceStrip = RecognisableStrip(19);
    Echiquier board(nullptr, 19, 3, 3, 0);
    Position position;
    board.SetSelection(4, 1);
    QImage surface = Paint(board, position);
    const QRgb frame = ColorFromRef(BlackColor).rgb();
    EXPECT_EQ(surface.pixel(2, 2), frame);
    EXPECT_EQ(surface.pixel(3 + 152, 3 + 152), frame);
    EXPECT_EQ(surface.pixel(3 + 153, 50), QColor(Qt::magenta).rgb()) << "nothing outside the frame";
    EXPECT_EQ(surface.pixel(board.SquareRect(4, 1).topLeft()), ColorFromRef(SelColor).rgb());

    board.flipped = 1;
    board.ClearSelection();
    surface = Paint(board, position);
    // Flipped, the White king (e1) is drawn in the top row, fourth square from the left.
    const QRect e1 = board.SquareRect(4, 0);
    EXPECT_EQ(e1, QRect(3 + 3 * 19, 3, 19, 19));
    EXPECT_EQ(surface.pixel(e1.center()), QColor(10 * 21, 255 - 10 * 21, 100).rgb());
    EXPECT_EQ(surface.pixel(e1.topLeft()), frame) << "e1 is a dark square";
}

// With the program's own strips, every pixel of a piece's square is the mask ANDed with the
// square's colour, ORed with the image.
TEST_F(BoardDrawingTest, ProgramStripsAreCutAtTheirCellSize) {
    for (int stripId : {StandardPieceStrip, LargePieceStrip}) {
        const int size = PieceStripCellSize(stripId);
        const QImage strip = LoadBitmap(stripId);
        ASSERT_FALSE(strip.isNull()) << stripId;
        ASSERT_EQ(strip.width(), 25 * size);
        Echiquier board(nullptr, size, 20, 3, stripId);
        EXPECT_TRUE(board.HasOwnStrip());
        Position position;
        const QImage surface = Paint(board, position);
        const QRgb squareColour = ColorFromRef(BlackColor).rgb() & 0xFFFFFF; // d8 is dark
        const QRect d8 = board.SquareRect(3, 7);
        const int image = 4 * Queen - 1;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QRgb mask = strip.pixel((image + 1) * size + x, y) & 0xFFFFFF;
                const QRgb piece = strip.pixel(image * size + x, y) & 0xFFFFFF;
                const QRgb expected = ((mask & squareColour) | piece) & 0xFFFFFF;
                ASSERT_EQ(surface.pixel(d8.left() + x, d8.top() + y) & 0xFFFFFF, expected)
                    << "strip " << stripId << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(BoardDrawingTest, ABoardWithoutItsOwnStripUsesTheDefault) {
    DefaultPieceStrip = RecognisableStrip(19);
    Echiquier board(nullptr, 19, 3, 3, 0);
    EXPECT_FALSE(board.HasOwnStrip());
    EXPECT_EQ(board.Strip().cacheKey(), DefaultPieceStrip.cacheKey());
    Echiquier missing(nullptr, 19, 3, 3, 9999);
    EXPECT_FALSE(missing.HasOwnStrip()) << "a strip that cannot be loaded stays null";
}

// --- Tap-to-move in the main window

QPoint SquareCentre(int file, int rank) {
    return Board->SquareRect(file, rank).center();
}

// Squares by name: "e2".
QPoint At(const char* square) {
    return SquareCentre(square[0] - 'a', square[1] - '1');
}

class TapToMoveTest : public ::testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        ClearDialogScripts();
        previousShell = platform::SetShell(&shell);
        window = std::make_unique<MainWindow>();
        window->show();
    }
    void TearDown() override {
        window.reset();
        platform::SetShell(previousShell);
        ClearDialogScripts();
    }

    // Installs a game made of SAN lines, each played from the start: moves already in the tree
    // are followed, the others added (as alternatives where the position has moves).
    void InstallLines(std::initializer_list<std::initializer_list<const char16_t*>> lines) {
        auto partie = std::make_unique<Partie>();
        for (const auto& line : lines) {
            Position* position = &partie->startPosition;
            for (const char16_t* san : line) {
                Position* next = nullptr;
                for (Coup* m = position->firstMove.get(); m && !next; m = m->next.get()) {
                    if (MoveText(*m, false, false) == san) {
                        next = m->after.get();
                    }
                }
                if (!next) {
                    next = ReadSan(*position, san);
                }
                ASSERT_NE(next, nullptr);
                position = next;
            }
        }
        InstallGame(std::move(partie));
    }

    void Tap(const char* square) {
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, At(square));
    }

    std::vector<std::u16string> MovesFrom(const Position& position) {
        std::vector<std::u16string> moves;
        for (Coup* m = position.firstMove.get(); m; m = m->next.get()) {
            moves.push_back(MoveText(*m, false, false));
        }
        return moves;
    }

    QStringList Rows() {
        QStringList rows;
        for (int i = 0; i < MoveList->RowCount(); ++i) {
            rows << MoveList->RowText(i);
        }
        return rows;
    }

    QtShell shell;
    platform::Shell* previousShell = nullptr;
    std::unique_ptr<MainWindow> window;
};

TEST_F(TapToMoveTest, SelectsOnlyAPieceOfTheSideToMove) {
    Tap("e7");
    EXPECT_FALSE(Board->HasSelection()) << "Black piece, White to move";
    Tap("e4");
    EXPECT_FALSE(Board->HasSelection()) << "empty square";
    Tap("e2");
    ASSERT_TRUE(Board->HasSelection());
    EXPECT_EQ(Board->SelectedFile(), 4);
    EXPECT_EQ(Board->SelectedRank(), 1);
    const QImage shown = window->Render();
    EXPECT_EQ(shown.pixel(Board->SquareRect(4, 1).topLeft()), ColorFromRef(SelColor).rgb())
        << "the selected square is drawn in the selection colour";
}

TEST_F(TapToMoveTest, TappingTheSelectedSquareAgainDeselects) {
    Tap("g1");
    ASSERT_TRUE(Board->HasSelection());
    Tap("g1");
    EXPECT_FALSE(Board->HasSelection());
    EXPECT_EQ(window->Render().pixel(Board->SquareRect(6, 0).topLeft()),
              ColorFromRef(BlackColor).rgb())
        << "g1 is dark again";
}

TEST_F(TapToMoveTest, IllegalDestinationKeepsTheSelection) {
    const int coups = LiveCount<Coup>::Live();
    Tap("e2");
    Tap("e5");
    EXPECT_TRUE(Board->HasSelection());
    EXPECT_EQ(CurrentPosition, &CurrentPartie->startPosition);
    EXPECT_EQ(LiveCount<Coup>::Live(), coups);
    Tap("e4"); // another destination still works
    ASSERT_NE(CurrentPosition->previousMove, nullptr);
    EXPECT_EQ(MoveText(*CurrentPosition->previousMove, true, false), u"1. e4");
}

TEST_F(TapToMoveTest, PlaysANewMoveWithoutAskingAndMarksTheGameChanged) {
    Tap("g1");
    Tap("f3");
    ASSERT_NE(CurrentPosition->previousMove, nullptr);
    EXPECT_EQ(MoveText(*CurrentPosition->previousMove, true, false), u"1. Nf3");
    EXPECT_TRUE(CurrentPartie->changed);
    EXPECT_FALSE(Board->HasSelection());
    EXPECT_TRUE(ShownDialogs().empty());
    EXPECT_EQ(Rows(), QStringList({"1. Nf3"}));
    EXPECT_EQ(MoveList->SelectedMove(), CurrentPosition->previousMove);
    Tap("d7");
    Tap("d5");
    EXPECT_EQ(Rows(), QStringList({"1. Nf3", "1... d5"}));
    EXPECT_EQ(MoveList->SelectedMove(), CurrentPosition->previousMove);
}

TEST_F(TapToMoveTest, FollowsMovesAlreadyInTheTreeWithoutChangingTheGame) {
    InstallLines({{u"e4", u"e5"}, {u"d4"}});
    const int coups = LiveCount<Coup>::Live();
    Tap("d2");
    Tap("d4"); // the alternative
    ASSERT_NE(CurrentPosition->previousMove, nullptr);
    EXPECT_EQ(MoveText(*CurrentPosition->previousMove, false, false), u"d4");
    EXPECT_EQ(MoveList->SelectedMove(), CurrentPosition->previousMove);

    InstallLines({{u"e4", u"e5"}, {u"d4"}});
    Tap("e2");
    Tap("e4"); // the main move
    Tap("e7");
    Tap("e5");
    EXPECT_EQ(MoveText(*CurrentPosition->previousMove, true, false), u"1... e5");
    EXPECT_FALSE(CurrentPartie->changed);
    EXPECT_EQ(LiveCount<Coup>::Live(), coups);
    EXPECT_TRUE(ShownDialogs().empty());
}

TEST_F(TapToMoveTest, NewLineAddAppendsAnAlternative) {
    InstallLines({{u"e4", u"e5"}});
    QStringList offered;
    QueueDialogScript([&offered](TemplateDialog& dialog) {
        const auto* list = dialog.ControlAs<QListWidget>(1000);
        for (int i = 0; list && i < list->count(); ++i) {
            offered << list->item(i)->text();
        }
        dialog.Click(3);
    });
    Tap("d2");
    Tap("d4");
    EXPECT_EQ(ShownDialogs(), std::vector<int>({133}));
    EXPECT_EQ(offered, QStringList({"e4"}));
    const Position& start = CurrentPartie->startPosition;
    EXPECT_EQ(MovesFrom(start), std::vector<std::u16string>({u"e4", u"d4"}));
    EXPECT_EQ(CurrentPosition->previousMove, start.firstMove->next.get());
    EXPECT_TRUE(CurrentPartie->changed);
    EXPECT_FALSE(Board->HasSelection());
    EXPECT_EQ(Rows(), QStringList({"1. e4", "  (1. d4)", "1... e5"}));
    EXPECT_EQ(MoveList->SelectedMove(), CurrentPosition->previousMove);
}

TEST_F(TapToMoveTest, NewLineReplaceDeletesTheChosenMoveAndItsLine) {
    InstallLines({{u"e4", u"e5", u"Nf3"}, {u"d4", u"d5"}});
    const int coups = LiveCount<Coup>::Live();
    QueueDialogScript([](TemplateDialog& dialog) {
        dialog.SelectRow(1000, 0); // e4
        dialog.Click(1001);
    });
    Tap("c2");
    Tap("c4");
    const Position& start = CurrentPartie->startPosition;
    EXPECT_EQ(MovesFrom(start), std::vector<std::u16string>({u"c4", u"d4"}));
    // The replaced line lives on in the undo record until the history lets it go.
    EXPECT_EQ(LiveCount<Coup>::Live(), coups + 1);
    EXPECT_EQ(CurrentPosition, start.firstMove->after.get());
    EXPECT_TRUE(CurrentPartie->changed);
    EXPECT_EQ(Rows(), QStringList({"1. c4", "  (1. d4", "  1... d5)"}));
    Session::Instance().History().clear();
    EXPECT_EQ(LiveCount<Coup>::Live(), coups - 3 + 1);
}

TEST_F(TapToMoveTest, NewLineCancelPlaysNothingAndDropsTheSelection) {
    InstallLines({{u"e4"}});
    const int coups = LiveCount<Coup>::Live();
    QueueDialogScript([](TemplateDialog& dialog) { dialog.Click(2); });
    Tap("d2");
    Tap("d4");
    EXPECT_EQ(ShownDialogs(), std::vector<int>({133}));
    EXPECT_EQ(LiveCount<Coup>::Live(), coups);
    EXPECT_EQ(CurrentPosition, &CurrentPartie->startPosition);
    EXPECT_FALSE(CurrentPartie->changed);
    EXPECT_FALSE(Board->HasSelection());
}

class PromotionTapTest : public TapToMoveTest {
protected:
    void SetUp() override {
        TapToMoveTest::SetUp();
        auto partie = std::make_unique<Partie>();
        ASSERT_EQ(ReadFen(partie->startPosition, u"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1"), 1);
        InstallGame(std::move(partie));
    }
};

TEST_F(PromotionTapTest, AsksForThePiece) {
    QueueDialogScript([](TemplateDialog& dialog) { dialog.Click(1002); });
    Tap("b7");
    Tap("b8");
    EXPECT_EQ(ShownDialogs(), std::vector<int>({102}));
    ASSERT_NE(CurrentPosition->previousMove, nullptr);
    EXPECT_EQ(CurrentPosition->PieceAt(MakeSquare(1, 7)), Knight);
    EXPECT_EQ(Rows(), QStringList({"1. b8=N"}));
    EXPECT_TRUE(CurrentPartie->changed);
}

TEST_F(PromotionTapTest, CancelPlaysNothing) {
    const int coups = LiveCount<Coup>::Live();
    QueueDialogScript([](TemplateDialog& dialog) { dialog.close(); });
    Tap("b7");
    Tap("b8");
    EXPECT_EQ(ShownDialogs(), std::vector<int>({102}));
    EXPECT_EQ(CurrentPosition, &CurrentPartie->startPosition);
    EXPECT_EQ(CurrentPartie->startPosition.firstMove, nullptr);
    EXPECT_EQ(LiveCount<Coup>::Live(), coups);
    EXPECT_FALSE(CurrentPartie->changed);
    EXPECT_TRUE(Rows().isEmpty());
}

TEST_F(TapToMoveTest, FlippedBoardMapsTapsToTheTurnedSquares) {
    Board->flipped = 1;
    // Flipped, e2 lies where d7 lies on the unflipped board.
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(3 + 3 * 19 + 9, 3 + 1 * 19 + 9));
    ASSERT_TRUE(Board->HasSelection());
    EXPECT_EQ(Board->SelectedFile(), 4);
    EXPECT_EQ(Board->SelectedRank(), 1);
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(3 + 3 * 19 + 9, 3 + 3 * 19 + 9));
    ASSERT_NE(CurrentPosition->previousMove, nullptr);
    EXPECT_EQ(MoveText(*CurrentPosition->previousMove, false, false), u"e4");
}

} // namespace
