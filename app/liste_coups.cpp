#include "app/liste_coups.h"

#include "app/globals.h"
#include "chess/position.h"
#include "dialogs/settings_store.h"
#include "gametree/coup.h"
#include "gametree/move_text.h"
#include "gametree/tree_ops.h"
#include "pgn/partie.h"

#include <QFont>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QWidget>

using namespace pawnlet;

// --- The model

int MoveRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows.size());
}

QVariant MoveRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows.size())) {
        return {};
    }
    // The column is narrow: the whole row also shows as a tooltip.
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return rows[index.row()].text;
    }
    return {};
}

void MoveRowModel::Reset(std::vector<Row> newRows) {
    beginResetModel();
    rows = std::move(newRows);
    endResetModel();
}

void MoveRowModel::Insert(int row, const QString& text, Coup* move) {
    beginInsertRows(QModelIndex(), row, row);
    rows.insert(rows.begin() + row, Row{text, move});
    endInsertRows();
}

void MoveRowModel::SetRow(int row, const QString& text, Coup* move) {
    rows[row] = Row{text, move};
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed);
}

int MoveRowModel::RowOf(const Coup* move) const {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].move == move) {
            return int(i);
        }
    }
    return -1;
}

// --- Row text

namespace {

// The row without its closing parentheses.
QString OpenRowText(const Coup& move) {
    QString text(2 * move.depth, QLatin1Char(' '));
    if (IsAlternative(move)) {
        text += QLatin1Char('(');
    }
    text += QString::fromStdU16String(MoveText(move, true, false));
    if (IndicateComment != 0 && move.after && move.after->comment) {
        text += QStringLiteral(" [...]");
    }
    return text;
}

} // namespace

QString ListeCoups::RowTextFor(const Coup& move, const Coup* following) {
    QString text = OpenRowText(move);
    // One ")" for every alternative line that ends on this row: the lines between this move's
    // depth and the next row's, plus the line the next row closes by opening a sibling.
    int closings = move.depth;
    if (following) {
        closings = move.depth - following->depth + (IsAlternative(*following) ? 1 : 0);
    }
    for (int i = 0; i < closings; ++i) {
        text += QLatin1Char(')');
    }
    return text;
}

// --- The list

namespace {

// Claims the keys that walk the rows before the window's actions take them, while the list has
// the focus.
class RowKeys final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(event);
            switch (key->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
            case Qt::Key_Home:
            case Qt::Key_End:
                if (key->modifiers() == Qt::NoModifier) {
                    event->accept();
                    return true;
                }
                break;
            default:
                break;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

ListeCoups::ListeCoups() : receiver(std::make_unique<RowKeys>()) {}
ListeCoups::~ListeCoups() = default;

bool ListeCoups::CreateControl(QWidget* parent, int controlId, const QRect& rect,
                               const QFont& font) {
    if (!parent) {
        return false;
    }
    visible = true;
    rectangle = rect;
    control = new QListView(parent);
    control->setObjectName(QStringLiteral("control-%1").arg(controlId));
    control->setProperty("controlId", controlId);
    model = new MoveRowModel(control);
    control->setModel(model);
    control->setFrameShape(QFrame::NoFrame);
    control->setEditTriggers(QAbstractItemView::NoEditTriggers);
    control->setSelectionMode(QAbstractItemView::SingleSelection);
    control->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    control->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    control->setUniformItemSizes(true);
    // A row wider than the list loses letters from its middle, never its end: the closing
    // brackets of the variations and the comment mark stay in view.
    control->setTextElideMode(Qt::ElideMiddle);
    // A click or Tab gives the list the keys: Up, Down, Page Up, Page Down, Home and End then walk
    // its rows, and the board follows; the window's own keys (Left, Right, ...) still work.
    control->setFocusPolicy(Qt::StrongFocus);
    control->installEventFilter(receiver.get());
    control->setFont(font);
    control->setGeometry(rect);
    QObject::connect(control->selectionModel(), &QItemSelectionModel::currentChanged,
                     receiver.get(), [this](const QModelIndex&, const QModelIndex&) {
                         if (!selectingRow) {
                             FollowSelectedRow();
                         }
                     });
    // Tapping the row that is already selected (the list keeps its selection at the start
    // position) still shows that move.
    QObject::connect(control, &QListView::clicked, receiver.get(),
                     [this](const QModelIndex&) { FollowSelectedRow(); });
    control->show();
    return true;
}

void ListeCoups::MoveControl(const QRect& rect) {
    rectangle = rect;
    if (control) {
        control->setGeometry(rect);
        // A smaller list must still show where the game stands.
        if (control->currentIndex().isValid()) {
            control->scrollTo(control->currentIndex());
        }
    }
}

void ListeCoups::RebuildList(const Partie& partie) {
    if (!control) {
        return;
    }
    control->setUpdatesEnabled(false);
    selectingRow = true;
    control->selectionModel()->clear();
    std::vector<MoveRowModel::Row> rows;
    ListGame(partie.startPosition.firstMove.get(), rows);
    model->Reset(std::move(rows));
    // A new game starts at its first move, whatever part of the last one was in view.
    control->scrollToTop();
    selectingRow = false;
    control->setUpdatesEnabled(true);
}

// Lists the game in list order: each move; then, for a main move, each of its alternatives with
// its whole line, closed by a ")" on the last row that line produced; then the continuation.
// The walk keeps its own stack, so that no nesting of variations is too deep for it.
void ListeCoups::ListGame(Coup* first, std::vector<MoveRowModel::Row>& rows) {
    struct Work {
        Coup* line; // list the line starting here, or (null) close the last row
    };
    std::vector<Work> pending;
    if (first) {
        pending.push_back({first});
    }
    while (!pending.empty()) {
        const Work work = pending.back();
        pending.pop_back();
        if (!work.line) {
            rows.back().text += QLatin1Char(')');
            continue;
        }
        Coup* move = work.line;
        rows.push_back({OpenRowText(*move), move});
        if (Coup* next = move->after ? move->after->firstMove.get() : nullptr) {
            pending.push_back({next});
        }
        if (IsAlternative(*move)) {
            continue;
        }
        // Pushed last-first, so that the first alternative is listed first.
        std::vector<Coup*> alternatives;
        for (Coup* a = FirstAlternative(*move); a; a = NextAlternative(*a)) {
            alternatives.push_back(a);
        }
        for (auto a = alternatives.rbegin(); a != alternatives.rend(); ++a) {
            pending.push_back({nullptr});
            pending.push_back({*a});
        }
    }
}

void ListeCoups::InsertMoveRow(Coup* move) {
    if (!control || !move) {
        return;
    }
    Coup* previous = PreviousInListOrder(*move);
    const int previousRow = previous ? model->RowOf(previous) : -1;
    const int row = previousRow + 1;
    const Coup* following = row < model->Count() ? model->Move(row) : nullptr;
    model->Insert(row, RowTextFor(*move, following), move);
    if (previous && previousRow >= 0) {
        model->SetRow(previousRow, RowTextFor(*previous, move), previous);
    }
    selectingRow = true;
    control->setCurrentIndex(model->index(row));
    control->scrollTo(model->index(row));
    selectingRow = false;
}

void ListeCoups::RefreshMoveRow(Coup* move) {
    if (!control || !move) {
        return;
    }
    // The selected row is the current move's, which is the move whose annotation or comment the
    // commands change; without a selection the row is looked up.
    const QModelIndex current = control->currentIndex();
    int row = current.isValid() && model->Move(current.row()) == move ? current.row()
                                                                      : model->RowOf(move);
    if (row < 0) {
        return;
    }
    const Coup* following = row + 1 < model->Count() ? model->Move(row + 1) : nullptr;
    model->SetRow(row, RowTextFor(*move, following), move);
}

void ListeCoups::SelectMoveRow(const Coup* move) {
    if (!control || !move) {
        return;
    }
    const int row = model->RowOf(move);
    if (row < 0) {
        return;
    }
    selectingRow = true;
    control->setCurrentIndex(model->index(row));
    control->scrollTo(model->index(row));
    selectingRow = false;
}

Coup* ListeCoups::SelectedMove() const {
    if (!control) {
        return nullptr;
    }
    const QModelIndex current = control->currentIndex();
    if (!current.isValid() || !control->selectionModel()->isSelected(current)) {
        return nullptr;
    }
    return model->Move(current.row());
}

void ListeCoups::ToggleVisible() {
    visible = !visible;
    if (control) {
        control->setVisible(visible);
    }
}

int ListeCoups::RowOf(const Coup* move) const {
    return control ? model->RowOf(move) : -1;
}

int ListeCoups::RowCount() const {
    return control ? model->Count() : 0;
}

QString ListeCoups::RowText(int row) const {
    if (!control || row < 0 || row >= model->Count()) {
        return {};
    }
    return model->Text(row);
}

void ListeCoups::FollowSelectedRow() {
    Coup* move = SelectedMove();
    if (!move || !move->after) {
        return;
    }
    Session::Instance().SetPosition(move->after.get(), Session::ListUpdate::Followed);
}
