// The rows of the game list: every game of a file, sorted by a column, narrowed by a filter.
//
// A file of a hundred and fifty thousand games must list, sort and filter at the speed of
// typing without holding a hundred bytes of bookkeeping per text: the model keeps no
// GameListEntry and no QString per row. Each game's texts go, as UTF-8, into large shared blocks
// (a row holds only where its texts start and how long each is), and beside them the same texts
// folded for the filter (lower case, accents dropped), so that a keystroke is a plain byte
// search. A text column is sorted through one rank per row, made once per column by ordering
// its distinct texts with the collator; a second tap only reorders.
#pragma once

#include "pgn/infos_partie.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pawnlet {
struct ScannedGame;
} // namespace pawnlet

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
// locale-aware and case-insensitive (a text that is none as an empty one), Result by its code
// ("*" first in direction 0), Round by its leading number ("?" and empty as 0), Start by Date.
[[nodiscard]] int CompareGameEntries(const pawnlet::GameListEntry& a,
                                     const pawnlet::GameListEntry& b, int key);

// The number a Round text starts with: leading white space and a sign allowed, digits up to the
// first other character; 0 for none, an empty text, a text starting with "?" or without digits.
[[nodiscard]] long RoundNumber(const std::optional<std::u16string>& round);
[[nodiscard]] long RoundNumber(std::u16string_view round);

class GameListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GameListModel(QObject* parent = nullptr);
    ~GameListModel() override;

    // Appends a game (the entry's texts are copied; a null entry is ignored). Call EndAppend once
    // a batch is in, to show the new rows.
    void Append(std::unique_ptr<pawnlet::GameListEntry> entry);
    void Append(const pawnlet::ScannedGame& game);
    void EndAppend();

    // Sorts every game by column * 2 + direction; games that compare equal keep their order.
    // The filter stays.
    void Sort(int key);

    // Shows only the games whose White, Black, Event, Site, Round, Date, ECO or result contains
    // `text`, compared folded; an empty text shows every game. The rows keep the current sort.
    void SetFilter(const QString& text);
    const QString& Filter() const { return filter; }

    // "N of M games": the rows shown and the games in the list.
    QString CountText() const;

    // The game shown in `row`, rebuilt from the list's texts; null for no such row.
    std::unique_ptr<pawnlet::GameListEntry> EntryAt(int row) const;
    // The start offset of the game shown in `row`; none for no such row.
    std::optional<std::uint64_t> StartOffsetAt(int row) const;
    // Every game of the list, shown or not.
    int Count() const { return int(games.size()); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The text of a cell, as the list shows it.
    static QString CellText(const pawnlet::GameListEntry& entry, int column);

private:
    // The texts a row keeps, in the order they are stored.
    enum Slot : int { White, Black, Eco, Event, Round, Date, Start, Site, SlotCount };
    struct Game {
        std::uint64_t startOffset = 0;
        std::uint32_t text = 0;   // position of its texts in textBlocks
        std::uint32_t folded = 0; // position of its folded texts in foldedBlocks
        std::uint16_t length[SlotCount] = {};
        std::uint16_t foldedLength = 0;
        std::uint8_t none = 0; // one bit per slot: the text is none, not just empty
        std::int8_t result = pawnlet::NoResult;
    };

    // Byte blocks that never move once written, so that a growing list never copies its texts.
    class Blocks {
    public:
        std::uint32_t Add(std::string_view bytes);
        std::string_view At(std::uint32_t position, std::size_t length) const;

    private:
        static constexpr std::size_t BlockSize = std::size_t(1) << 20;
        std::vector<std::unique_ptr<char[]>> blocks;
        std::size_t used = BlockSize; // in the last block
    };

    void AddGame(Game game, const std::string_view (&texts)[SlotCount]);
    std::string_view TextOf(const Game& game, int slot) const;
    bool Matches(const Game& game) const;
    // The rows for the current order and filter.
    void Refilter(bool narrowing);
    const std::vector<std::uint32_t>& TextRanks(int slot);

    std::vector<Game> games;
    std::vector<int> order;                          // every game, in the sort order
    std::vector<int> shown;                          // row -> index into games
    std::vector<std::uint32_t> textRanks[SlotCount]; // by game, made on the first sort
    Blocks textBlocks;
    Blocks foldedBlocks;
    std::vector<char> matching; // by game: it contains the filter
    QString filter;
    std::string foldedFilter;
    std::string scratch;
    int appended = 0; // games already in order
};
