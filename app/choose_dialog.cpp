#include "app/choose_dialog.h"

#include "gametree/coup.h"
#include "gametree/move_text.h"
#include "gametree/tree_ops.h"
#include "resources/dialog_builder.h"

#include <QListWidget>

using namespace pawnlet;

namespace {

constexpr int MovesList = 1000;

// The move of the selected row of the dialog's list, or null when no row is selected.
Coup* SelectedRowMove(const TemplateDialog& dialog) {
    const auto* list = dialog.ControlAs<QListWidget>(MovesList);
    if (!list || list->selectedItems().isEmpty()) {
        return nullptr;
    }
    return MoveOfRow(list, list->currentRow());
}

} // namespace

void FillMoveList(QListWidget* list, Coup* mainMove) {
    if (!list || !mainMove) {
        return;
    }
    for (Coup* move = mainMove; move;
         move = move == mainMove ? FirstAlternative(*move) : NextAlternative(*move)) {
        auto* item = new QListWidgetItem(QString::fromStdU16String(MoveText(*move, false, false)));
        item->setData(Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(move)));
        list->addItem(item);
    }
}

Coup* MoveOfRow(const QListWidget* list, int row) {
    if (!list || row < 0 || row >= list->count()) {
        return nullptr;
    }
    return reinterpret_cast<Coup*>(list->item(row)->data(Qt::UserRole).value<quintptr>());
}

int ShowChooseDialog(QWidget* owner, Coup*& move) {
    Coup* chosen = move;
    DialogProcedure procedure;
    procedure.onInit = [&chosen](TemplateDialog& dialog) {
        FillMoveList(dialog.ControlAs<QListWidget>(MovesList), chosen);
    };
    procedure.onCommand = [&chosen](TemplateDialog& dialog, int id, int code) {
        // One tap on a move decides; Done without a selection keeps the main move.
        if (id == 1 || (id == MovesList && code == LbnSelChange)) {
            if (Coup* selected = SelectedRowMove(dialog)) {
                chosen = selected;
            } else if (id == MovesList) {
                return true;
            }
            dialog.End(1);
            return true;
        }
        if (id == 2) {
            dialog.End(2);
            return true;
        }
        return false;
    };
    const int result = RunDialog(ChooseTemplate, owner, procedure);
    if (result != 2 && result != -1) {
        move = chosen;
    }
    return result;
}
