// The game list: sorting rules, the count in the title, column boxes, and picking a game.
#include "dialogs/game_list_dialog.h"
#include "platform/file.h"
#include "resources/dialog_builder.h"
#include "resources/dialog_script.h"
#include "tests/gui_test_support.h"

#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

using namespace pawnlet;

namespace {

std::unique_ptr<GameListEntry> Entry(const char16_t* white, const char16_t* black, int result,
                                     const char16_t* round, const char16_t* date,
                                     std::uint64_t offset = 0) {
    auto entry = std::make_unique<GameListEntry>();
    entry->SetWhite(std::u16string(white));
    entry->SetBlack(std::u16string(black));
    entry->SetResult(result);
    entry->SetRound(std::u16string(round));
    entry->SetDate(std::u16string(date));
    entry->startOffset = offset;
    return entry;
}

// The White names of the model's rows, top to bottom.
QStringList Whites(const GameListModel& model) {
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row)
        out << model.data(model.index(row, WhiteColumn), Qt::DisplayRole).toString();
    return out;
}

class GameListSorting : public ::testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        model.Append(Entry(u"Carl", u"Zoe", WhiteWins, u"10", u"2001.05.01", 100));
        model.Append(Entry(u"anna", u"Yves", Unfinished, u"9", u"1999.01.01", 200));
        model.Append(Entry(u"Bert", u"Xena", Draw, u"?", u"2003.??.??", 300));
        model.Append(Entry(u"Dora", u"Will", BlackWins, u"3.1", u"1999.12.31", 400));
        model.EndAppend();
    }
    GameListModel model;
};

TEST_F(GameListSorting, EachColumnSortsByItsOwnKey) {
    struct Row {
        const char* name;
        int key;
        QStringList whites;
    };
    const Row rows[] = {
        // Round: by number, 10 after 9, "?" as 0, "3.1" as 3.
        {"round ascending", RoundColumn * 2, {"Bert", "Dora", "anna", "Carl"}},
        {"round descending", RoundColumn * 2 + 1, {"Carl", "anna", "Dora", "Bert"}},
        // Result: "*" first, then 0-1, draw, 1-0; the other way round on the second tap.
        {"result ascending", ResultColumn * 2, {"anna", "Dora", "Bert", "Carl"}},
        {"result descending", ResultColumn * 2 + 1, {"Carl", "Bert", "Dora", "anna"}},
        // Start sorts by date, exactly as Date does.
        {"date", DateColumn * 2, {"anna", "Dora", "Carl", "Bert"}},
        {"start", StartColumn * 2, {"anna", "Dora", "Carl", "Bert"}},
        {"black", BlackColumn * 2, {"Dora", "Bert", "anna", "Carl"}},
        {"black descending", BlackColumn * 2 + 1, {"Carl", "anna", "Bert", "Dora"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        model.Sort(row.key);
        EXPECT_EQ(Whites(model), row.whites);
    }
}

// Names sort by their letters, not their code points or their case: accented capitals with
// their letter, lower case among upper case.
TEST(GameListTextSort, AccentsAndCaseSortWithTheirLetter) {
    GuiTestApp();
    const struct {
        const char* name;
        std::vector<const char16_t*> whites;
        QStringList sorted;
    } rows[] = {
        {"accented capitals",
         {u"Zoltan", u"\u00C9mile", u"Eva", u"\u00C1bel"},
         {u8"\u00C1bel", u8"\u00C9mile", "Eva", "Zoltan"}},
        {"lower case", {u"bert", u"Carl", u"anna", u"Dora"}, {"anna", "bert", "Carl", "Dora"}},
        {"Cyrillic after Latin",
         {u"\u041A\u0430\u0440\u043F\u043E\u0432", u"Anand"},
         {"Anand", u8"\u041A\u0430\u0440\u043F\u043E\u0432"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        GameListModel model;
        for (const char16_t* white : row.whites)
            model.Append(Entry(white, u"B", Unfinished, u"1", u"2000.01.01"));
        model.EndAppend();
        model.Sort(WhiteColumn * 2);
        EXPECT_EQ(Whites(model), row.sorted);
    }
}

TEST_F(GameListSorting, CompareGameEntriesAgreesWithTheModelsOrder) {
    for (int key = 0; key < GameListColumnCount * 2; ++key) {
        model.Sort(key);
        for (int row = 0; row + 1 < model.rowCount(); ++row)
            EXPECT_LE(CompareGameEntries(*model.EntryAt(row), *model.EntryAt(row + 1), key), 0)
                << "key " << key << " row " << row;
    }
    const auto a = Entry(u"A", u"B", WhiteWins, u"1", u"2000.01.01");
    const auto b = Entry(u"A", u"B", Unfinished, u"1", u"2000.01.01");
    EXPECT_EQ(CompareGameEntries(*a, *b, ResultColumn * 2), 1);
    EXPECT_EQ(CompareGameEntries(*a, *b, ResultColumn * 2 + 1), -1);
    EXPECT_EQ(CompareGameEntries(*a, *a, WhiteColumn * 2), 0);
    EXPECT_EQ(CompareGameEntries(*a, *b, 99), 0);
}

TEST_F(GameListSorting, RoundNumbersReadTheirLeadingInteger) {
    struct Row {
        const char* name;
        std::optional<std::u16string> text;
        long number;
    };
    const Row rows[] = {
        {"plain", u"12", 12},       {"sub-round", u"3.1", 3},
        {"question mark", u"?", 0}, {"empty", u"", 0},
        {"none", std::nullopt, 0},  {"letters", u"final", 0},
        {"spaces", u"  7", 7},      {"sign", u"-2", -2},
        {"trailing", u"5b", 5},     {"huge", u"99999999999999999999999", LONG_MAX},
    };
    for (const Row& row : rows)
        EXPECT_EQ(RoundNumber(row.text), row.number) << row.name;
}

TEST_F(GameListSorting, CellsShowTheEntrysTexts) {
    auto entry = Entry(u"W", u"B", Draw, u"1", u"2000.01.01");
    EXPECT_EQ(GameListModel::CellText(*entry, ResultColumn), QString::fromUtf16(u"\u00BD-\u00BD"));
    EXPECT_EQ(GameListModel::CellText(*entry, EcoColumn), QString());
    entry->SetResult(Unfinished);
    EXPECT_EQ(GameListModel::CellText(*entry, ResultColumn), QStringLiteral("*"));
    entry->SetFirstMoves(std::u16string_view(u"(Position)"));
    EXPECT_EQ(GameListModel::CellText(*entry, StartColumn), QStringLiteral("(Position)"));
    EXPECT_EQ(model.headerData(StartColumn, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Start"));
}

// The filter on a list made here: every column it searches, accents and case either way, the
// columns it leaves alone, the count, and the sort it keeps.
TEST(GameListFilter, FindsTextInEveryNamedColumnWhateverItsAccentsAndCase) {
    GuiTestApp();
    struct Game {
        const char16_t *white, *black, *event, *site, *round, *date, *eco;
        int result;
    };
    const Game games[] = {
        {u"\u00C9mile Zola", u"Anna \u00D8rsted", u"Paris Open", u"Lyon", u"1", u"1999.01.01",
         u"B20", WhiteWins},
        {u"KARPOV, Anatoly", u"Stra\u00DFe, J\u00F6rg", u"Linares", u"M\u00E1laga", u"12",
         u"2001.05.01", u"C42", Draw},
        {u"anand", u"\u0141ukasz Nowak", u"Tata Steel", u"Wijk aan Zee", u"3.1", u"2010.??.??",
         nullptr, Unfinished},
        {u"Zoe", u"E\u0301mile Mu\u0308ller", u"CAF\u00C9 Cup", u"Reykjav\u00EDk", u"?",
         u"1985.12.31", u"A00", BlackWins},
    };
    GameListModel model;
    std::uint64_t offset = 7;
    for (const Game& game : games) {
        auto entry = Entry(game.white, game.black, game.result, game.round, game.date, offset);
        offset += 100;
        entry->SetEvent(std::u16string(game.event));
        entry->SetSite(std::u16string(game.site));
        if (game.eco)
            entry->SetEco(std::u16string(game.eco));
        entry->SetFirstMoves(std::u16string_view(u"1. e4 c5 2. Nf3"));
        model.Append(std::move(entry));
    }
    model.EndAppend();
    const QString emile = QString::fromUtf16(u"\u00C9mile Zola");
    const QString karpov = QStringLiteral("KARPOV, Anatoly");
    const struct {
        const char* name;
        const char16_t* typed;
        QStringList whites;
    } rows[] = {
        {"plain letters find accented ones, composed or not", u"emile", {emile, "Zoe"}},
        {"an accent typed finds the plain letter", u"\u00E9mile z", {emile}},
        {"lower case finds upper case", u"karpov", {karpov}},
        {"upper case finds lower case", u"ANAND", {"anand"}},
        {"letters without a base letter: \u00F8", u"orsted", {emile}},
        {"\u00DF as ss", u"STRASSE", {karpov}},
        {"\u0141 as l", u"lukasz", {"anand"}},
        {"umlaut dropped", u"muller", {"Zoe"}},
        {"event", u"cafe cup", {"Zoe"}},
        {"site", u"malaga", {karpov}},
        {"site, accent typed", u"REYKJAV\u00CDK", {"Zoe"}},
        {"round", u"3.1", {"anand"}},
        {"date", u"1985", {"Zoe"}},
        {"ECO", u"c42", {karpov}},
        {"result as shown", u"\u00BD", {karpov}},
        {"result as written", u"1/2-1/2", {karpov}},
        {"Black wins", u"0-1", {"Zoe"}},
        {"unfinished", u"*", {"anand"}},
        {"the first moves are not searched", u"nf3", {}},
        {"no match runs from one column into the next", u"zolaanna", {}},
        {"nothing", u"xyz", {}},
        {"empty shows every game", u"", {emile, karpov, "anand", "Zoe"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        model.SetFilter(QString::fromUtf16(row.typed));
        EXPECT_EQ(Whites(model), row.whites);
        EXPECT_EQ(model.CountText(), QStringLiteral("%1 of 4 games").arg(row.whites.size()));
    }

    // The rows keep the sort, both ways: one more letter narrows the rows left, one less
    // widens them again, and a sort under a filter sorts what is shown.
    model.Sort(WhiteColumn * 2 + 1);
    model.SetFilter(QStringLiteral("a"));
    EXPECT_EQ(Whites(model), QStringList({"Zoe", karpov, emile, "anand"}));
    model.SetFilter(QStringLiteral("an"));
    EXPECT_EQ(Whites(model), QStringList({karpov, emile, "anand"}));
    model.Sort(BlackColumn * 2);
    EXPECT_EQ(Whites(model), QStringList({emile, "anand", karpov}));
    EXPECT_EQ(model.StartOffsetAt(2), std::optional<std::uint64_t>(107));
    EXPECT_FALSE(model.StartOffsetAt(3));
    EXPECT_EQ(model.EntryAt(2)->eco, std::optional<std::u16string>(u"C42"));
    EXPECT_FALSE(model.EntryAt(1)->eco) << "an ECO that is none stays none";
    model.SetFilter(QString());
    EXPECT_EQ(Whites(model), QStringList({emile, "Zoe", "anand", karpov}));
    EXPECT_EQ(model.CountText(), QStringLiteral("4 of 4 games"));
}

// The dialog over a real file.
class GameListDialog : public ::testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        ClearDialogScripts();
        GameListSort() = {};
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override {
        ClearDialogScripts();
        GameListSort() = {};
    }

    // Writes games "White i" vs "Black i", round `rounds[i]`, and opens the file.
    platform::File& Open(const std::vector<const char*>& rounds) {
        QByteArray text;
        for (std::size_t i = 0; i < rounds.size(); ++i) {
            starts.push_back(std::uint32_t(text.size()));
            text += "[Event \"Test\"]\r\n[Site \"Here\"]\r\n[Date \"2001.01.0" +
                    QByteArray::number(int(i % 9) + 1) + "\"]\r\n[Round \"" + rounds[i] +
                    "\"]\r\n[White \"White " + QByteArray::number(int(i)) +
                    "\"]\r\n[Black \"Black " + QByteArray::number(int(i)) +
                    "\"]\r\n[Result \"1-0\"]\r\n[ECO \"C2" + QByteArray::number(int(i % 10)) +
                    "\"]\r\n\r\n1. e4 e5 2. Nf3 1-0\r\n\r\n";
        }
        const QString path = dir.filePath(QStringLiteral("games.pgn"));
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
        out.close();
        EXPECT_TRUE(file.Open(path.toStdU16String(), platform::OpenMode::Read));
        return file;
    }

    static QTreeView* List(TemplateDialog& dialog) { return dialog.ControlAs<QTreeView>(1000); }
    static QString WhiteAt(TemplateDialog& dialog, int row) {
        QAbstractItemModel* model = List(dialog)->model();
        return model->data(model->index(row, WhiteColumn)).toString();
    }

    QTemporaryDir dir;
    platform::File file;
    std::vector<std::uint32_t> starts;
};

TEST_F(GameListDialog, ATappedRowGivesItsOffsetAndTheCount) {
    platform::File& games = Open({"1", "2", "3"});
    QueueDialogScript([](TemplateDialog& dialog) {
        EXPECT_EQ(dialog.Caption(), QStringLiteral("3 games found"));
        EXPECT_EQ(WhiteAt(dialog, 1), QStringLiteral("White 1"));
        dialog.ActivateRow(1000, 1);
    });
    std::uint64_t offset = 77;
    std::int32_t count = 0;
    EXPECT_EQ(ShowGameListDialog(nullptr, games, offset, count), 1);
    EXPECT_EQ(offset, starts[1]);
    EXPECT_EQ(count, 3);
}

TEST_F(GameListDialog, CancelLeavesTheOutputsAlone) {
    platform::File& games = Open({"1", "2"});
    QueueDialogScript([](TemplateDialog& dialog) { dialog.Click(2); });
    std::uint64_t offset = 77;
    std::int32_t count = 5;
    EXPECT_EQ(ShowGameListDialog(nullptr, games, offset, count), 2);
    EXPECT_EQ(offset, 77u);
    EXPECT_EQ(count, 5);
}

TEST_F(GameListDialog, AnEmptyFileListsNothingAndOkDoesNothing) {
    platform::File& games = Open({});
    QueueDialogScript([](TemplateDialog& dialog) {
        EXPECT_EQ(dialog.Caption(), QStringLiteral("0 games found"));
        dialog.Click(1);
        EXPECT_FALSE(dialog.Ended());
        dialog.Click(2);
    });
    std::uint64_t offset = 0;
    std::int32_t count = 9;
    EXPECT_EQ(ShowGameListDialog(nullptr, games, offset, count), 2);
    EXPECT_EQ(count, 9);
}

TEST_F(GameListDialog, OkTakesTheFirstSelectedRowInListOrder) {
    platform::File& games = Open({"1", "2", "3", "4"});
    QueueDialogScript([](TemplateDialog& dialog) {
        QTreeView* list = List(dialog);
        QItemSelectionModel* selection = list->selectionModel();
        const auto rows = QItemSelectionModel::Select | QItemSelectionModel::Rows;
        selection->select(list->model()->index(3, 0), rows);
        selection->select(list->model()->index(2, 0), rows);
        dialog.Click(1);
    });
    std::uint64_t offset = 0;
    std::int32_t count = 0;
    EXPECT_EQ(ShowGameListDialog(nullptr, games, offset, count), 1);
    EXPECT_EQ(offset, starts[2]);
}

TEST_F(GameListDialog, HeaderTapsSortAndTheStateOutlivesTheDialog) {
    platform::File& games = Open({"10", "9", "?", "2"});
    QueueDialogScript([](TemplateDialog& dialog) {
        dialog.ClickHeader(1000, RoundColumn);
        EXPECT_EQ(WhiteAt(dialog, 0), QStringLiteral("White 2")); // "?" counts as 0
        EXPECT_EQ(WhiteAt(dialog, 3), QStringLiteral("White 0")); // 10 after 9
        dialog.ClickHeader(1000, RoundColumn);
        EXPECT_EQ(WhiteAt(dialog, 0), QStringLiteral("White 0"));
        // The row picked is the one shown, wherever the sort put it.
        dialog.ActivateRow(1000, 1);
    });
    std::uint64_t offset = 0;
    std::int32_t count = 0;
    EXPECT_EQ(ShowGameListDialog(nullptr, games, offset, count), 1);
    EXPECT_EQ(offset, starts[1]);
    EXPECT_EQ(GameListSort().column, RoundColumn);
    EXPECT_EQ(GameListSort().direction, 1);

    // The next showing starts unsorted, and a tap on the same column reverses the last direction.
    QueueDialogScript([](TemplateDialog& dialog) {
        EXPECT_EQ(WhiteAt(dialog, 0), QStringLiteral("White 0"));
        dialog.ClickHeader(1000, RoundColumn);
        EXPECT_EQ(WhiteAt(dialog, 0), QStringLiteral("White 2"));
        dialog.ClickHeader(1000, WhiteColumn);
        EXPECT_EQ(WhiteAt(dialog, 0), QStringLiteral("White 0"));
        dialog.Click(2);
    });
    EXPECT_EQ(ShowGameListDialog(nullptr, games, offset, count), 2);
    EXPECT_EQ(GameListSort().column, WhiteColumn);
    EXPECT_EQ(GameListSort().direction, 0);
}

// Columns are sized before any sort; the arrow a tap adds takes room from the title, and the
// narrow ones lost letters to it ("Resu" under the arrow).
TEST_F(GameListDialog, TheSortArrowLeavesTheHeaderTitleWhole) {
    platform::File& games = Open({"1", "2"});
    QueueDialogScript([](TemplateDialog& dialog) {
        dialog.Click(1005); // the ECO column shown as well: narrow title, narrow cells
        QHeaderView* header = List(dialog)->header();
        const struct {
            const char* name;
            int column;
        } rows[] = {{"Result", ResultColumn}, {"ECO", EcoColumn}, {"White", WhiteColumn}};
        for (const auto& row : rows) {
            SCOPED_TRACE(row.name);
            for (int tap = 0; tap < 2; ++tap) { // both directions
                dialog.ClickHeader(1000, row.column);
                QStyleOptionHeader option;
                option.initFrom(header);
                option.state |= QStyle::State_Horizontal;
                option.orientation = Qt::Horizontal;
                option.section = row.column;
                option.text = header->model()->headerData(row.column, Qt::Horizontal).toString();
                option.rect = QRect(0, 0, header->sectionSize(row.column), header->height());
                option.sortIndicator = header->sortIndicatorOrder() == Qt::AscendingOrder
                                           ? QStyleOptionHeader::SortDown
                                           : QStyleOptionHeader::SortUp;
                const QRect label =
                    header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
                EXPECT_GT(header->sectionSize(row.column), 0);
                EXPECT_LE(header->fontMetrics().horizontalAdvance(option.text), label.width())
                    << option.text.toStdString();
            }
        }
        dialog.Click(2);
    });
    std::uint64_t offset = 0;
    std::int32_t count = 0;
    EXPECT_EQ(ShowGameListDialog(nullptr, games, offset, count), 2);
}

TEST_F(GameListDialog, ColumnBoxesShowAndHideTheirColumns) {
    platform::File& games = Open({"1", "2"});
    QueueDialogScript([](TemplateDialog& dialog) {
        QTreeView* list = List(dialog);
        // Result shown from the start, the five others hidden.
        EXPECT_TRUE(dialog.IsChecked(1001));
        EXPECT_GT(list->columnWidth(ResultColumn), 0);
        for (int column : {EcoColumn, EventColumn, RoundColumn, DateColumn, StartColumn})
            EXPECT_EQ(list->columnWidth(column), 0) << column;
        EXPECT_GT(list->columnWidth(WhiteColumn), 0);
        dialog.Click(1001);
        EXPECT_EQ(list->columnWidth(ResultColumn), 0);
        dialog.Click(1001);
        EXPECT_GT(list->columnWidth(ResultColumn), 0);
        const std::pair<int, int> boxes[] = {{1005, EcoColumn},
                                             {1003, EventColumn},
                                             {1004, RoundColumn},
                                             {1002, DateColumn},
                                             {1056, StartColumn}};
        for (auto [box, column] : boxes) {
            dialog.Click(box);
            EXPECT_GT(list->columnWidth(column), 0) << box;
        }
        dialog.Click(2);
    });
    std::uint64_t offset = 0;
    std::int32_t count = 0;
    EXPECT_EQ(ShowGameListDialog(nullptr, games, offset, count), 2);
}

TEST_F(GameListDialog, TheFilterFieldAndTheListShareTheAreaUnderTheCheckBoxes) {
    platform::File& games = Open({"1"});
    QueueDialogScript([](TemplateDialog& dialog) {
        const QRect eco = dialog.ControlRect(1005);
        const QRect list = dialog.ControlRect(1000);
        const QRect client = dialog.Client()->rect();
        auto* filter = dialog.findChild<QLineEdit*>(QStringLiteral("filter"));
        ASSERT_NE(filter, nullptr);
        EXPECT_EQ(filter->geometry().left(), eco.left());
        EXPECT_EQ(filter->geometry().top(), eco.bottom() + 1 + 3);
        EXPECT_EQ(filter->geometry().width(), client.width() - 2 * eco.left());
        EXPECT_GT(filter->height(), 0);
        EXPECT_EQ(list.left(), eco.left());
        EXPECT_EQ(list.top(), filter->geometry().bottom() + 1 + 3);
        EXPECT_EQ(list.width(), client.width() - 2 * eco.left());
        // The list ends where it did without the field: 3 pixels above the client's bottom.
        EXPECT_EQ(list.bottom() + 1, client.height() - 3);
        dialog.Click(2);
    });
    std::uint64_t offset = 0;
    std::int32_t count = 0;
    EXPECT_EQ(ShowGameListDialog(nullptr, games, offset, count), 2);
}

TEST_F(GameListDialog, TypingNarrowsTheSortedRowsAndEnterPicksTheFirst) {
    platform::File& games = Open({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"});
    QueueDialogScript([](TemplateDialog& dialog) {
        auto* filter = dialog.findChild<QLineEdit*>(QStringLiteral("filter"));
        ASSERT_NE(filter, nullptr);
        EXPECT_TRUE(filter->text().isEmpty());
        dialog.ClickHeader(1000, RoundColumn);
        dialog.ClickHeader(1000, RoundColumn); // round 12 first
        QTest::keyClicks(filter, QStringLiteral("WHITE 1"));
        EXPECT_EQ(dialog.Caption(), QStringLiteral("3 of 12 games"));
        ASSERT_EQ(List(dialog)->model()->rowCount(), 3);
        EXPECT_EQ(WhiteAt(dialog, 0), QStringLiteral("White 11"));
        EXPECT_EQ(WhiteAt(dialog, 1), QStringLiteral("White 10"));
        EXPECT_EQ(WhiteAt(dialog, 2), QStringLiteral("White 1"));
        QTest::keyClick(filter, Qt::Key_Backspace);
        QTest::keyClick(filter, Qt::Key_Backspace);
        EXPECT_EQ(dialog.Caption(), QStringLiteral("12 of 12 games")) << "\"white\"";
        QTest::keyClicks(filter, QStringLiteral(" 1"));
        // Down goes from the first row to the second; Enter in the field picks it.
        QTest::keyClick(filter, Qt::Key_Down);
        QTest::keyClick(filter, Qt::Key_Return);
    });
    std::uint64_t offset = 0;
    std::int32_t count = 0;
    ASSERT_EQ(ShowGameListDialog(nullptr, games, offset, count), 1);
    EXPECT_EQ(offset, starts[10]);
    EXPECT_EQ(count, 12);

    // The next opening starts with an empty filter and every game.
    QueueDialogScript([](TemplateDialog& dialog) {
        auto* filter = dialog.findChild<QLineEdit*>(QStringLiteral("filter"));
        ASSERT_NE(filter, nullptr);
        EXPECT_TRUE(filter->text().isEmpty());
        EXPECT_EQ(dialog.Caption(), QStringLiteral("12 games found"));
        EXPECT_EQ(List(dialog)->model()->rowCount(), 12);
        dialog.Click(2);
    });
    EXPECT_EQ(ShowGameListDialog(nullptr, games, offset, count), 2);
}

} // namespace
