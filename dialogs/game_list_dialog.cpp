#include "dialogs/game_list_dialog.h"

#include "pgn/parse_moves.h"
#include "pgn/scan_games.h"
#include "platform/file.h"
#include "resources/dialog_builder.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTreeView>

#include <algorithm>

using namespace pawnlet;

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

} // namespace

GameListSortState& GameListSort() {
    static GameListSortState state;
    return state;
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
    // The list keeps its texts as bytes: the scan that gives them so costs no allocation a game.
    const bool scanned = ScanGameBytes(
        *record.file, record.gameCount, [&](const ScannedGame& game, std::uint64_t position) {
            model.Append(game);
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

// Keys typed in the filter field that belong to the list: Enter picks the game, the arrows and
// page keys move through the rows, so that the hands need not leave the keyboard.
class FilterKeys final : public QObject {
public:
    FilterKeys(TemplateDialog& dialog, QTreeView& list)
        : QObject(&dialog), dialog(dialog), list(list) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return QObject::eventFilter(watched, event);
        }
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            dialog.SendCommand(1);
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(&list, &copy);
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    TemplateDialog& dialog;
    QTreeView& list;
};

// The title: every game found, or with a filter the games it leaves of them.
void ShowCount(TemplateDialog& dialog, const GameListModel& model) {
    dialog.SetCaption(model.Filter().isEmpty() ? QStringLiteral("%1 games found").arg(model.Count())
                                               : model.CountText());
}

void ApplyFilter(TemplateDialog& dialog, GameListRecord& record, const QString& text) {
    QTreeView* list = ListOf(dialog);
    if (!list || !record.model) {
        return;
    }
    record.model->SetFilter(text);
    ShowCount(dialog, *record.model);
    // The best match is the first row: Enter takes it, the arrows go on from it.
    if (record.model->rowCount() > 0) {
        const QModelIndex first = record.model->index(0, 0);
        list->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
        list->scrollToTop();
    }
}

void InitList(TemplateDialog& dialog, GameListRecord& record) {
    QTreeView* list = ListOf(dialog);
    if (!list) {
        return;
    }
    // The filter field takes the top of the area under the check boxes, the list the rest.
    const QRect eco = dialog.ControlRect(1005);
    const QRect client = dialog.Client()->rect();
    const int x = eco.left();
    auto* filter = new QLineEdit(dialog.Client());
    filter->setObjectName(QStringLiteral("filter"));
    filter->setPlaceholderText(QStringLiteral("Filter"));
    filter->setClearButtonEnabled(true);
    filter->setFont(list->font());
    const int filterTop = eco.bottom() + 1 + 3;
    filter->setGeometry(x, filterTop, client.width() - 2 * x, filter->sizeHint().height());
    filter->show();
    const int y = filter->geometry().bottom() + 1 + 3;
    list->setGeometry(x, y, client.width() - 2 * x, client.height() - 3 - y);
    QWidget::setTabOrder(filter, list);

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
    for (int column = EcoColumn; column < GameListColumnCount; ++column) {
        list->setColumnWidth(column, 0);
    }

    FillList(dialog, record);
    ShowCount(dialog, *record.model);
    for (int column : {WhiteColumn, BlackColumn, ResultColumn}) {
        list->resizeColumnToContents(column);
    }
    // One tap on a row picks it.
    QObject::connect(list, &QTreeView::clicked, &dialog, [&dialog](const QModelIndex& index) {
        dialog.Notify(ListId, ListNotification::ItemActivate, index.row());
    });
    QObject::connect(
        filter, &QLineEdit::textChanged, &dialog,
        [&dialog, &record](const QString& text) { ApplyFilter(dialog, record, text); });
    filter->installEventFilter(new FilterKeys(dialog, *list));
    filter->setFocus();
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
    for (const QModelIndex& index : rows) {
        first = std::min(first, index.row());
    }
    record.chosenOffset = std::int64_t(record.model->StartOffsetAt(first).value_or(0));
    dialog.End(1);
    return true;
}

void ShowColumn(TemplateDialog& dialog, int boxId, int column) {
    QTreeView* list = ListOf(dialog);
    if (!list) {
        return;
    }
    if (dialog.IsChecked(boxId)) {
        list->resizeColumnToContents(column);
    } else {
        list->setColumnWidth(column, 0);
    }
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
        if (list->columnWidth(column) > 0) {
            list->setColumnWidth(
                column, std::max(list->columnWidth(column), header->sectionSizeHint(column)));
        }
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
        if (id == 1) {
            return ChooseGame(dialog, record);
        }
        if (id == 2) {
            dialog.End(2);
            return true;
        }
        for (const ColumnBox& box : ColumnBoxes) {
            if (box.id == id) {
                ShowColumn(dialog, box.id, box.column);
                return true;
            }
        }
        return false;
    };
    procedure.onNotify = [&record](TemplateDialog& dialog, int id, ListNotification notification,
                                   int index) {
        if (id != ListId || !record.model) {
            return false;
        }
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
    const int result = RunDialog(GameListTemplate, parent, procedure);
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
