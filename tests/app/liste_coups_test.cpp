// The move list: row texts (indentation, "(", closings, comment marks), rows inserted one at a
// time agreeing with a full rebuild, selection sync and the tap on a row.
#include "app/globals.h"
#include "app/liste_coups.h"
#include "chess/position.h"
#include "chess/san.h"
#include "dialogs/echiquier.h"
#include "dialogs/settings_store.h"
#include "gametree/coup.h"
#include "gametree/move_text.h"
#include "gametree/tree_ops.h"
#include "pgn/partie.h"
#include "tests/gui_test_support.h"

#include <QFontMetrics>
#include <QListView>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QRegularExpression>
#include <QTest>
#include <QTextItem>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>

using namespace pawnlet;

namespace {

// Plays a line of SAN moves from `position`; returns the last position reached.
Position* Line(Position* position, std::initializer_list<const char16_t*> moves) {
    for (const char16_t* san : moves) {
        Position* next = ReadSan(*position, san);
        EXPECT_NE(next, nullptr) << "move refused: " << QString::fromUtf16(san).toStdString();
        if (!next) {
            return position;
        }
        position = next;
    }
    return position;
}

QStringList Rows(const ListeCoups& list) {
    QStringList rows;
    for (int i = 0; i < list.RowCount(); ++i) {
        rows << list.RowText(i);
    }
    return rows;
}

// A paint device that keeps the texts drawn on it, as they are drawn: what a widget shows.
class TextRecorder : public QPaintDevice {
public:
    explicit TextRecorder(QSize size) : size(size) {}
    QPaintEngine* paintEngine() const override { return &engine; }
    QStringList Texts() const { return engine.texts; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return size.width();
        case PdmHeight:
            return size.height();
        case PdmWidthMM:
            return size.width() * 254 / 960;
        case PdmHeightMM:
            return size.height() * 254 / 960;
        case PdmNumColors:
            return 0x7fffffff;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { texts << item.text(); }
        Type type() const override { return User; }
        QStringList texts;
    };
    QSize size;
    mutable Engine engine;
};

class MoveListTest : public ::testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        IndicateComment = 1;
        window = std::make_unique<QWidget>();
        window->resize(240, 268);
        list = std::make_unique<ListeCoups>();
        ASSERT_TRUE(list->CreateControl(window.get(), 101, QRect(158, 3, 82, 265), QFont()));
        partie = std::make_unique<Partie>();
    }
    void TearDown() override {
        IndicateComment = DefaultIndicateComment;
        Session::Instance().Release();
        partie.reset();
        list.reset();
        window.reset();
    }

    Position& Start() { return partie ? partie->startPosition : CurrentPartie->startPosition; }
    // Hands the game to the session, which a tap on a row moves along, at its start position.
    void ShowInSession() { Session::Instance().InstallGame(std::move(partie)); }
    QStringList Rebuilt() {
        list->RebuildList(*partie);
        return Rows(*list);
    }

    std::unique_ptr<QWidget> window;
    std::unique_ptr<ListeCoups> list;
    std::unique_ptr<Partie> partie;
};

TEST_F(MoveListTest, GameWithoutMovesShowsNoRows) {
    EXPECT_TRUE(Rebuilt().isEmpty());
    EXPECT_EQ(list->SelectedMove(), nullptr);
}

TEST_F(MoveListTest, AlternativeIsIndentedOpenedAndClosed) {
    Position* afterE4 = Line(&Start(), {u"e4", u"e5"})->PreviousPosition();
    Line(&Start(), {u"d4", u"d5"});
    ASSERT_NE(afterE4, nullptr);
    EXPECT_EQ(Rebuilt(), QStringList({"1. e4", "  (1. d4", "  1... d5)", "1... e5"}));
}

TEST_F(MoveListTest, NestedAlternativesEndingTogetherCloseTwice) {
    // 1.e4 e5 (1...c5 2.Nf3 (2.Nc3)) 2.Nf3
    Position* afterE4 = Line(&Start(), {u"e4"});
    Line(afterE4, {u"e5", u"Nf3"});
    Position* afterC5 = Line(afterE4, {u"c5"});
    Line(afterC5, {u"Nf3"});
    Line(afterC5, {u"Nc3"});
    EXPECT_EQ(Rebuilt(), QStringList({"1. e4", "1... e5", "  (1... c5", "  2. Nf3", "    (2. Nc3))",
                                      "2. Nf3"}));
}

TEST_F(MoveListTest, SiblingAlternativesEachCloseTheirOwnLine) {
    Position* afterE4 = Line(&Start(), {u"e4"});
    Line(afterE4, {u"e5", u"Nf3"});
    Line(afterE4, {u"c5"});
    Line(afterE4, {u"e6", u"d4"});
    EXPECT_EQ(Rebuilt(),
              QStringList({"1. e4", "1... e5", "  (1... c5)", "  (1... e6", "  2. d4)", "2. Nf3"}));
}

TEST_F(MoveListTest, CommentMarksFollowTheSetting) {
    Position* afterE5 = Line(&Start(), {u"e4", u"e5"});
    afterE5->SetComment(u"The open game");
    Start().SetComment(u"An opening comment has no row");
    EXPECT_EQ(Rebuilt(), QStringList({"1. e4", "1... e5 [...]"}));
    IndicateComment = 0;
    EXPECT_EQ(Rebuilt(), QStringList({"1. e4", "1... e5"}));
}

TEST_F(MoveListTest, CommentMarkComesBeforeTheClosings) {
    Position* afterD5 = Line(Line(&Start(), {u"e4"})->PreviousPosition(), {u"d4", u"d5"});
    afterD5->SetComment(u"symmetry");
    EXPECT_EQ(Rebuilt(), QStringList({"1. e4", "  (1. d4", "  1... d5 [...])"}));
}

TEST_F(MoveListTest, DeepRowsAreNotCut) {
    // Knights out and back, each reply an alternative one level deeper than the last.
    Position* position = &Start();
    const char16_t* mains[4] = {u"Nf3", u"Nf6", u"Nf3", u"Nf6"};
    const char16_t* alternatives[4] = {u"Nc3", u"Nc6", u"Nb1", u"Nb8"};
    for (int ply = 0; ply < 32; ++ply) {
        Line(position, {mains[ply % 4]});
        position = Line(position, {alternatives[ply % 4]});
    }
    ASSERT_EQ(position->VariationDepth(), 32);
    const QStringList rows = Rebuilt();
    ASSERT_FALSE(rows.isEmpty());
    const QString deepest = rows[rows.indexOf(QRegularExpression("^ {64}\\(.*"))];
    EXPECT_GT(deepest.size(), 64);
    EXPECT_TRUE(deepest.startsWith(QString(64, ' ') + "(16... Nb8")) << deepest.toStdString();
    EXPECT_TRUE(deepest.endsWith(QString(32, ')'))) << deepest.toStdString();
}

TEST_F(MoveListTest, ARowTooWideLosesTheMiddleOfItsMoveAndKeepsItsEnds) {
    // 1.e4 e5 (1...c5 2.Nf3 (2.Nc3 Nc6 {comment})) 2.Nf3: the row of 2...Nc6 ends in the
    // comment mark and two closings.
    Position* afterE4 = Line(&Start(), {u"e4"});
    Line(afterE4, {u"e5", u"Nf3"});
    Position* afterC5 = Line(afterE4, {u"c5"});
    Line(afterC5, {u"Nf3"});
    Line(afterC5, {u"Nc3", u"Nc6"})->SetComment(u"Both knights out");
    const QStringList rows = Rebuilt();
    const QString wide = QStringLiteral("    2... Nc6 [...]))");
    ASSERT_TRUE(rows.contains(wide)) << rows.join('|').toStdString();

    window->show();
    QListView* view = list->Control();
    const QFontMetrics metrics(view->font());
    ASSERT_GT(metrics.horizontalAdvance(wide), view->viewport()->width())
        << "the row must be too wide for the list";
    TextRecorder shown(view->viewport()->size());
    view->viewport()->render(&shown);

    // The row as painted: shortened in its middle, its last characters all there.
    const QStringList texts = shown.Texts();
    const QString tail = QStringLiteral("[...]))");
    const auto painted = std::find_if(texts.begin(), texts.end(), [&](const QString& text) {
        return text.endsWith(tail) || text.contains(QChar(0x2026));
    });
    ASSERT_NE(painted, texts.end()) << texts.join('|').toStdString();
    const QString row = *painted;
    EXPECT_TRUE(row.contains(QChar(0x2026))) << row.toStdString();
    EXPECT_TRUE(row.endsWith(tail)) << row.toStdString();
    EXPECT_TRUE(row.startsWith(QStringLiteral("  "))) << row.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(row), view->viewport()->width()) << row.toStdString();
    // The short rows are painted whole, and no row's text was changed for the painting.
    EXPECT_TRUE(texts.contains(QStringLiteral("1... e5"))) << texts.join('|').toStdString();
    EXPECT_EQ(Rows(*list), rows);
}

// Moves are added one at a time, each row inserted on its own; after every step the list must
// read exactly as a list rebuilt from the tree.
struct InsertStep {
    const char* name;
    // Where to play from: a path of SAN moves from the start, each taken through FindMove of
    // the move already in the tree, then the new move.
    std::initializer_list<const char16_t*> path;
    const char16_t* move;
};

class IncrementalInsertTest : public MoveListTest {
protected:
    void Play(const InsertStep& step) {
        Position* position = &Start();
        for (const char16_t* san : step.path) {
            Position* next = nullptr;
            for (Coup* m = position->firstMove.get(); m && !next; m = m->next.get()) {
                if (MoveText(*m, false, false) == san) {
                    next = m->after.get();
                }
            }
            ASSERT_NE(next, nullptr) << step.name;
            position = next;
        }
        Position* after = ReadSan(*position, step.move);
        ASSERT_NE(after, nullptr) << step.name;
        list->InsertMoveRow(after->previousMove);
        const QStringList inserted = Rows(*list);
        EXPECT_EQ(list->SelectedMove(), after->previousMove) << step.name;
        EXPECT_EQ(inserted, Rebuilt()) << step.name;
    }
};

TEST_F(IncrementalInsertTest, EveryInsertionMatchesARebuild) {
    // Builds 1.e4 e5 (1...c5 2.Nf3 (2.Nc3) 2...d6 (2...Nc6)) (1...e6) 2.Nf3 (2.d4) Nc6 in an
    // order that exercises each case of where a new row goes.
    const InsertStep steps[] = {
        {"first move of the game", {}, u"e4"},
        {"main move at the end of the line", {u"e4"}, u"e5"},
        {"alternative to a main move", {u"e4"}, u"c5"},
        {"move after an alternative", {u"e4", u"c5"}, u"Nf3"},
        {"nested alternative", {u"e4", u"c5"}, u"Nc3"},
        {"continuation inside a variation after a nested one", {u"e4", u"c5", u"Nf3"}, u"d6"},
        {"alternative at the end of a variation", {u"e4", u"c5", u"Nf3"}, u"Nc6"},
        {"second alternative after a whole variation", {u"e4"}, u"e6"},
        {"main line continues after the variations", {u"e4", u"e5"}, u"Nf3"},
        {"alternative on the main line", {u"e4", u"e5"}, u"d4"},
        {"main line reply", {u"e4", u"e5", u"Nf3"}, u"Nc6"},
        {"first move gets an alternative", {}, u"d4"},
    };
    for (const InsertStep& step : steps) {
        Play(step);
    }
    EXPECT_EQ(Rows(*list), QStringList({"1. e4", "  (1. d4)", "1... e5", "  (1... c5", "  2. Nf3",
                                        "    (2. Nc3)", "  2... d6", "    (2... Nc6))",
                                        "  (1... e6)", "2. Nf3", "  (2. d4)", "2... Nc6"}));
}

TEST_F(MoveListTest, RefreshRewritesOneRowKeepingItsClosings) {
    Position* afterE4 = Line(&Start(), {u"e4"});
    Line(afterE4, {u"e5"});
    Position* afterC5 = Line(afterE4, {u"c5"});
    Rebuilt();
    Coup* c5 = afterC5->previousMove;
    c5->nag = 5;
    afterC5->SetComment(u"Sicilian");
    list->RefreshMoveRow(c5);
    EXPECT_EQ(Rows(*list), QStringList({"1. e4", "1... e5", "  (1... c5!? [...])"}));
    // Without a selection the row is found by its move; with one, the same row is rewritten.
    list->SelectMoveRow(c5);
    c5->nag = 0;
    list->RefreshMoveRow(c5);
    EXPECT_EQ(list->RowText(2), "  (1... c5 [...])");
    EXPECT_EQ(list->SelectedMove(), c5);
}

TEST_F(MoveListTest, SelectionFollowsTheProgramWithoutMovingThePosition) {
    Position* afterE5 = Line(&Start(), {u"e4", u"e5"});
    Rebuilt();
    EXPECT_EQ(list->SelectedMove(), nullptr);
    ShowInSession();
    list->SelectMoveRow(afterE5->previousMove);
    EXPECT_EQ(list->SelectedMove(), afterE5->previousMove);
    EXPECT_EQ(CurrentPosition, &Start()) << "a selection by the program is not a tap";
    list->SelectMoveRow(nullptr);
    EXPECT_EQ(list->SelectedMove(), afterE5->previousMove) << "null leaves the selection";
}

TEST_F(MoveListTest, TapOnARowShowsThePositionAfterThatMove) {
    Position* afterE4 = Line(&Start(), {u"e4", u"e5"})->PreviousPosition();
    Position* afterD5 = Line(afterE4, {u"c5", u"Nf3", u"d6"});
    Rebuilt();
    window->show();
    Board = std::make_unique<Echiquier>(window.get(), 19, 3, 3, 0);
    Board->SetSelection(4, 1);
    ShowInSession();

    const int row = list->RowOf(afterD5->previousMove);
    ASSERT_EQ(row, 4);
    QListView* view = list->Control();
    const QRect rowRect = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rowRect.center());

    EXPECT_EQ(CurrentPosition, afterD5);
    EXPECT_FALSE(Board->HasSelection());
    Board.reset();
}

TEST_F(MoveListTest, ToggleVisibleHidesAndShowsTheControl) {
    window->show();
    EXPECT_TRUE(list->IsVisible());
    list->ToggleVisible();
    EXPECT_FALSE(list->IsVisible());
    EXPECT_FALSE(list->Control()->isVisible());
    list->ToggleVisible();
    EXPECT_TRUE(list->Control()->isVisible());
}

TEST_F(MoveListTest, AControlGoneWithItsWindowLeavesTheListInert) {
    Position* afterE4 = Line(&Start(), {u"e4"});
    Rebuilt();
    window.reset();
    EXPECT_EQ(list->Control(), nullptr);
    list->InsertMoveRow(Line(afterE4, {u"e5"})->previousMove);
    list->SelectMoveRow(afterE4->previousMove);
    EXPECT_EQ(list->RowCount(), 0);
    EXPECT_EQ(list->SelectedMove(), nullptr);
}

TEST_F(MoveListTest, AControlOutlivingTheListNoLongerCallsIt) {
    Position* afterE5 = Line(&Start(), {u"e4", u"e5"});
    Rebuilt();
    window->show();
    QListView* view = list->Control();
    const QRect rowRect = view->visualRect(view->model()->index(1, 0));
    list.reset();
    ShowInSession();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rowRect.center());
    EXPECT_EQ(CurrentPosition, &Start());
    EXPECT_NE(CurrentPosition, afterE5);
}

TEST(MoveListWithoutControl, EveryOperationDoesNothing) {
    GuiTestApp();
    ListeCoups list;
    Partie partie;
    Position* after = ReadSan(partie.startPosition, u"e4");
    ASSERT_NE(after, nullptr);
    list.RebuildList(partie);
    list.InsertMoveRow(after->previousMove);
    list.RefreshMoveRow(after->previousMove);
    list.SelectMoveRow(after->previousMove);
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(list.SelectedMove(), nullptr);
    EXPECT_EQ(list.RowOf(after->previousMove), -1);
}

} // namespace
