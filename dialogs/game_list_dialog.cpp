#include "dialogs/game_list_dialog.h"

#include "pgn/parse_moves.h"
#include "pgn/scan_games.h"
#include "platform/file.h"
#include "resources/dialog_builder.h"

#include <QCheckBox>
#include <QCollator>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QProgressDialog>
#include <QTreeView>

#include <algorithm>
#include <climits>
#include <numeric>

namespace {

constexpr int ListId = 1000;

// Check box -> the column it shows.
struct ColumnBox {
    int id;
    int column;
};
constexpr ColumnBox ColumnBoxes[] = {
    {1001, ResultColumn}, {1005, EcoColumn},  {1003, EventColumn},
    {1004, RoundColumn},  {1002, DateColumn}, {1056, StartColumn},
};

QString Text(const std::optional<std::u16string>& text) {
    if (!text)
        return {};
    return QString::fromUtf16(text->data(), qsizetype(text->size()));
}

// Names sort as a reader of the list expects: "émile" with the E's and "anna" with "Anna",
// whatever the file's encoding. The "C" locale compares code points, which would put every
// accented name after "Z": a language's rules stand in for it.
QCollator& TextCollator() {
    static QCollator collator = [] {
        const QLocale system = QLocale::system();
        QCollator c(system.language() == QLocale::C ? QLocale(QLocale::English) : system);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

const std::optional<std::u16string>& TextOf(const GameListEntry& entry, int column) {
    switch (column) {
    case WhiteColumn:
        return entry.white;
    case BlackColumn:
        return entry.black;
    case EcoColumn:
        return entry.eco;
    case EventColumn:
        return entry.event;
    default: // Date and Start both sort by the date
        return entry.date;
    }
}

int Sign(long value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

} // namespace

GameListSortState& GameListSort() {
    static GameListSortState state;
    return state;
}

long RoundNumber(const std::optional<std::u16string>& round) {
    if (!round || round->empty() || round->front() == u'?')
        return 0;
    std::size_t i = 0;
    const std::u16string& text = *round;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Too many digits saturate, as the standard conversion does.
    long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        const long digit = text[i] - u'0';
        value = value > (LONG_MAX - digit) / 10 ? LONG_MAX : value * 10 + digit;
    }
    return negative ? -value : value;
}

int CompareGameEntries(const GameListEntry& a, const GameListEntry& b, int key) {
    const int direction = key % 2;
    const int column = key / 2;
    const int sign = direction == 0 ? 1 : -1;
    switch (column) {
    case WhiteColumn:
    case BlackColumn:
    case EcoColumn:
    case EventColumn:
    case DateColumn:
    case StartColumn:
        return sign *
               Sign(TextCollator().compare(Text(TextOf(a, column)), Text(TextOf(b, column))));
    case ResultColumn:
        if (a.result < b.result)
            return sign;
        if (a.result > b.result)
            return -sign;
        return 0;
    case RoundColumn: {
        const long ra = RoundNumber(a.round), rb = RoundNumber(b.round);
        return sign * (ra < rb ? -1 : (ra > rb ? 1 : 0));
    }
    default:
        return 0;
    }
}

// Model

GameListModel::GameListModel(QObject* parent) : QAbstractTableModel(parent) {}

GameListModel::~GameListModel() = default;

void GameListModel::Append(std::unique_ptr<GameListEntry> entry) {
    if (!entry)
        return;
    order_.push_back(int(entries_.size()));
    entries_.push_back(std::move(entry));
}

void GameListModel::EndAppend() {
    const int total = int(entries_.size());
    if (total == shownRows_)
        return;
    beginInsertRows(QModelIndex(), shownRows_, total - 1);
    shownRows_ = total;
    endInsertRows();
}

void GameListModel::Sort(int key) {
    const int column = key / 2;
    if (column < 0 || column >= GameListColumnCount)
        return;
    const bool ascending = key % 2 == 0;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    const std::vector<int> oldOrder = order_;

    if (column == ResultColumn || column == RoundColumn) {
        // Result: "*" (the highest code) comes first in direction 0, so the key is the negated
        // code; Round: its leading number.
        std::vector<long> keys(entries_.size());
        for (std::size_t i = 0; i < entries_.size(); ++i)
            keys[i] = column == ResultColumn ? -long(entries_[i]->result)
                                             : RoundNumber(entries_[i]->round);
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
            const long ka = keys[std::size_t(a)], kb = keys[std::size_t(b)];
            return ascending ? ka < kb : kb < ka;
        });
    } else {
        // Sort keys once per entry: the locale-aware comparison of a hundred thousand rows would
        // otherwise dominate a tap on a header.
        // Kept per column, so that a second tap on a header only reorders.
        std::vector<QCollatorSortKey>& keys = textKeys_[std::size_t(column)];
        for (std::size_t i = keys.size(); i < entries_.size(); ++i)
            keys.push_back(TextCollator().sortKey(Text(TextOf(*entries_[i], column))));
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
            const int c = keys[std::size_t(a)].compare(keys[std::size_t(b)]);
            return ascending ? c < 0 : c > 0;
        });
    }

    // Selections and the current row follow their entries to the new rows.
    std::vector<int> newRowOf(entries_.size());
    for (int row = 0; row < int(order_.size()); ++row)
        newRowOf[std::size_t(order_[std::size_t(row)])] = row;
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        const int entry = oldOrder[std::size_t(index.row())];
        after.push_back(this->index(newRowOf[std::size_t(entry)], index.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

const GameListEntry* GameListModel::EntryAt(int row) const {
    if (row < 0 || row >= shownRows_)
        return nullptr;
    return entries_[std::size_t(order_[std::size_t(row)])].get();
}

int GameListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows_;
}

int GameListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : GameListColumnCount;
}

QString GameListModel::CellText(const GameListEntry& entry, int column) {
    switch (column) {
    case WhiteColumn:
        return Text(entry.white);
    case BlackColumn:
        return Text(entry.black);
    case ResultColumn:
        return QString::fromUtf16(entry.ResultText(true));
    case EcoColumn:
        return Text(entry.eco);
    case EventColumn:
        return Text(entry.event);
    case RoundColumn:
        return Text(entry.round);
    case DateColumn:
        return Text(entry.date);
    case StartColumn:
        return Text(entry.firstMoves);
    default:
        return {};
    }
}

QVariant GameListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const GameListEntry* entry = EntryAt(index.row());
    if (!entry)
        return {};
    return CellText(*entry, index.column());
}

QVariant GameListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const headers[GameListColumnCount] = {"White", "Black", "Result", "ECO",
                                                             "Event", "Round", "Date",   "Start"};
    if (section < 0 || section >= GameListColumnCount)
        return {};
    return QString::fromLatin1(headers[section]);
}

// The dialog

namespace {

struct GameListRecord {
    platform::File* file = nullptr;
    std::int64_t chosenOffset = 0;
    std::int32_t gameCount = 0;
    GameListModel* model = nullptr;
};

QTreeView* ListOf(TemplateDialog& dialog) {
    return dialog.ControlAs<QTreeView>(ListId);
}

// Scans the file into the model. Long scans show their progress; the window stays painted.
void FillList(TemplateDialog& dialog, GameListRecord& record) {
    record.gameCount = 0;
    QProgressDialog progress(dialog.parentWidget());
    progress.setWindowModality(Qt::WindowModal);
    progress.setCancelButton(nullptr);
    progress.setMinimumDuration(400);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    const std::uint64_t size = record.file->Size().value_or(0);
    progress.setRange(0, 1000);
    QElapsedTimer sinceUpdate;
    sinceUpdate.start();
    GameListModel& model = *record.model;
    const bool scanned = ScanGames(
        *record.file, record.gameCount,
        [&](std::unique_ptr<GameListEntry> entry, std::uint64_t position) {
            model.Append(std::move(entry));
            if (sinceUpdate.elapsed() >= 100) {
                sinceUpdate.restart();
                progress.setLabelText(QStringLiteral("%1 games found").arg(record.gameCount));
                progress.setValue(size ? int(std::min<std::uint64_t>(position * 1000 / size, 999))
                                       : 0);
            }
        });
    (void)scanned; // a read failure ends the list where it stopped, like the end of the file
    model.EndAppend();
}

void InitList(TemplateDialog& dialog, GameListRecord& record) {
    QTreeView* list = ListOf(dialog);
    if (!list)
        return;
    // The list fills the dialog under the check boxes.
    const QRect eco = dialog.ControlRect(1005);
    const QRect client = dialog.Client()->rect();
    const int x = eco.left();
    const int y = eco.bottom() + 1 + 3;
    list->setGeometry(x, y, client.width() - 2 * x, client.height() - (eco.bottom() + 1) - 6);

    record.model = new GameListModel(list);
    list->setModel(record.model);
    QHeaderView* header = list->header();
    header->setSortIndicatorShown(false);
    const int resultWidth = list->fontMetrics().horizontalAdvance(QStringLiteral("½½-½½"));
    const int clientWidth = list->viewport()->width();
    const int nameWidth = (clientWidth - resultWidth) / 2;
    list->setColumnWidth(WhiteColumn, nameWidth);
    list->setColumnWidth(BlackColumn, nameWidth);
    list->setColumnWidth(ResultColumn, resultWidth);
    for (int column = EcoColumn; column < GameListColumnCount; ++column)
        list->setColumnWidth(column, 0);

    FillList(dialog, record);
    dialog.SetCaption(QStringLiteral("%1 games found").arg(record.model->rowCount()));
    for (int column : {WhiteColumn, BlackColumn, ResultColumn})
        list->resizeColumnToContents(column);
    // One tap on a row picks it.
    QObject::connect(list, &QTreeView::clicked, &dialog, [&dialog](const QModelIndex& index) {
        dialog.Notify(ListId, ListNotification::ItemActivate, index.row());
    });
    dialog.SetChecked(1001, true);
}

// The first selected row in list order picks the game.
bool ChooseGame(TemplateDialog& dialog, GameListRecord& record) {
    QTreeView* list = ListOf(dialog);
    const QModelIndexList rows = list ? list->selectionModel()->selectedRows() : QModelIndexList();
    if (rows.isEmpty()) {
        record.chosenOffset = -1;
        return true; // handled: the dialog stays open
    }
    int first = rows.front().row();
    for (const QModelIndex& index : rows)
        first = std::min(first, index.row());
    const GameListEntry* entry = record.model->EntryAt(first);
    record.chosenOffset = entry ? entry->startOffset : 0;
    dialog.End(1);
    return true;
}

void ShowColumn(TemplateDialog& dialog, int boxId, int column) {
    QTreeView* list = ListOf(dialog);
    if (!list)
        return;
    if (dialog.IsChecked(boxId))
        list->resizeColumnToContents(column);
    else
        list->setColumnWidth(column, 0);
}

void SortByColumn(TemplateDialog& dialog, GameListRecord& record, int column) {
    GameListSortState& sort = GameListSort();
    if (column == sort.column) {
        sort.direction = 1 - sort.direction;
    } else {
        sort.column = column;
        sort.direction = 0;
    }
    record.model->Sort(column * 2 + sort.direction);
    if (QTreeView* list = ListOf(dialog)) {
        QHeaderView* header = list->header();
        header->setSortIndicatorShown(true);
        header->setSortIndicator(column,
                                 sort.direction == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
        // The columns were sized without an arrow: a narrow one widens so that the arrow stands
        // beside its title rather than over it. A hidden column stays hidden.
        if (list->columnWidth(column) > 0)
            list->setColumnWidth(
                column, std::max(list->columnWidth(column), header->sectionSizeHint(column)));
    }
}

} // namespace

int ShowGameListDialog(QWidget* parent, platform::File& file, std::uint64_t& offset,
                       std::int32_t& gamesInFile) {
    GameListRecord record;
    record.file = &file;
    DialogProcedure procedure;
    procedure.onInit = [&record](TemplateDialog& dialog) { InitList(dialog, record); };
    procedure.onCommand = [&record](TemplateDialog& dialog, int id, int) {
        if (id == 1)
            return ChooseGame(dialog, record);
        if (id == 2) {
            dialog.End(2);
            return true;
        }
        for (const ColumnBox& box : ColumnBoxes)
            if (box.id == id) {
                ShowColumn(dialog, box.id, box.column);
                return true;
            }
        return false;
    };
    procedure.onNotify = [&record](TemplateDialog& dialog, int id, ListNotification notification,
                                   int index) {
        if (id != ListId || !record.model)
            return false;
        switch (notification) {
        case ListNotification::ColumnClick:
            SortByColumn(dialog, record, index);
            return true;
        case ListNotification::ItemActivate:
        case ListNotification::DoubleClick:
            return ChooseGame(dialog, record);
        }
        return false;
    };
    const int result = RunDialog(GameListTemplate, parent, procedure, &record);
    if (result == -1) {
        ShowSystemError(platform::LastError(), u"Unable to display dialog box", parent);
        return -1;
    }
    if (result == 1) {
        offset = std::uint64_t(record.chosenOffset);
        gamesInFile = record.gameCount;
    }
    return result;
}
