#include "app/new_line_dialog.h"

#include "app/choose_dialog.h"
#include "chess/position.h"
#include "gametree/coup.h"
#include "gametree/tree_ops.h"
#include "resources/dialog_builder.h"

#include <QListWidget>

using namespace pawnlet;

namespace {

constexpr int AddButton = 3;
constexpr int ReplaceButton = 1001;
constexpr int OtherMovesList = 1000;

} // namespace

int ShowNewLineDialog(QWidget* owner, NewLineRequest& request) {
    if (!request.position) {
        return 2;
    }
    DialogProcedure procedure;
    procedure.onInit = [&request](TemplateDialog& dialog) {
        FillMoveList(dialog.ControlAs<QListWidget>(OtherMovesList),
                     request.position->firstMove.get());
    };
    procedure.onCommand = [&request](TemplateDialog& dialog, int id, int) {
        if (id == AddButton || id == ReplaceButton) {
            // "Replace" with no move selected adds, as "Add" does.
            Coup* replaced = nullptr;
            const auto* list = dialog.ControlAs<QListWidget>(OtherMovesList);
            if (id == ReplaceButton && list && !list->selectedItems().isEmpty()) {
                replaced = MoveOfRow(list, list->currentRow());
            }
            // A pawn reaching the last rank asks for its piece here, while this dialog is open.
            // Declining it plays nothing, and nothing is handed back.
            // The move is added, then put in the replaced move's place, so that the replaced
            // line survives for the undo record instead of being destroyed with PlayMove.
            Position* after = request.position->PlayMove(request.from, request.to, nullptr, 0);
            if (!after) {
                dialog.End(2);
                return true;
            }
            if (replaced) {
                std::unique_ptr<Coup> added = Unlink(*after->previousMove);
                added->depth = replaced->depth;
                request.replacedMove = ReplaceIn(std::move(added), *replaced);
            }
            request.position = after;
            request.replaced = replaced ? 1 : 0;
            dialog.End(1);
            return true;
        }
        if (id == 2) {
            dialog.End(2);
            return true;
        }
        // Nothing else ends the dialog: it has no OK of its own.
        return true;
    };
    return RunDialog(NewLineTemplate, owner, procedure);
}
