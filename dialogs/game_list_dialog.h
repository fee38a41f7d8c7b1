// The game list: a full-screen list of every game of a PGN file, to pick the one to load.
//
// The file is scanned with ScanGames; each complete game becomes one row with up to eight
// columns (White, Black, Result, ECO, Event, Round, Date, Start). Check boxes show or hide five
// of the columns, a tap on a header sorts by that column (a second tap on the same column
// reverses the order; the sort state lasts for the program's run), and a tap on a row picks it.
// The rows live in a model that the list view only reads, so a file of a hundred thousand games
// stays responsive; a progress window shows how far a long scan has gone.
#pragma once

#include "pgn/infos_partie.h"

#include <QAbstractTableModel>
#include <QCollatorSortKey>

#include <cstdint>
#include <memory>
#include <vector>

class QWidget;
namespace platform {
class File;
}

// Runs the game list over `file` (open for reading, at any position).
// 1: a game was chosen; `offset` is its start offset and `gamesInFile` the number of games found.
// 2: cancelled; the outputs are untouched. -1: the dialog could not be shown (a message box
// "Unable to display dialog box" has said so); the outputs are untouched.
[[nodiscard]] int ShowGameListDialog(QWidget* parent, platform::File& file, std::uint64_t& offset,
                                     std::int32_t& gamesInFile);

// The program-long sort state: the last sorted column (-1 none) and its direction (0 or 1).
struct GameListSortState {
    int column = -1;
    int direction = 0;
};
GameListSortState& GameListSort();

// Columns of the list.
enum GameListColumn : int {
    WhiteColumn = 0,
    BlackColumn = 1,
    ResultColumn = 2,
    EcoColumn = 3,
    EventColumn = 4,
    RoundColumn = 5,
    DateColumn = 6,
    StartColumn = 7,
    GameListColumnCount = 8,
};

// Orders two entries for sort key column * 2 + direction: negative, 0 or positive. Texts compare
// locale-aware and case-sensitive (a text that is none as an empty one), Result by its code
// ("*" first in direction 0), Round by its leading number ("?" and empty as 0), Start by Date.
[[nodiscard]] int CompareGameEntries(const GameListEntry& a, const GameListEntry& b, int key);

// The number a Round text starts with: leading white space and a sign allowed, digits up to the
// first other character; 0 for none, an empty text, a text starting with "?" or without digits.
[[nodiscard]] long RoundNumber(const std::optional<std::u16string>& round);

// The rows of the game list. Owns the entries; shows them in the current sort order.
class GameListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GameListModel(QObject* parent = nullptr);
    ~GameListModel() override;

    // Appends entries; call EndAppend once a batch is in, to show them.
    void Append(std::unique_ptr<GameListEntry> entry);
    void EndAppend();
    // Sorts the rows by column * 2 + direction; rows that compare equal keep their order.
    void Sort(int key);

    // The entry shown in `row`, or null.
    const GameListEntry* EntryAt(int row) const;
    int Count() const { return int(entries_.size()); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The text of a cell, as the list shows it.
    static QString CellText(const GameListEntry& entry, int column);

private:
    std::vector<std::unique_ptr<GameListEntry>> entries_;
    std::vector<int> order_;                                      // row -> index into entries_
    std::vector<QCollatorSortKey> textKeys_[GameListColumnCount]; // by entry, filled on demand
    int shownRows_ = 0;
};
