#include "app/promotion_dialog.h"

#include "app/globals.h"
#include "chess/types.h"
#include "resources/dialog_builder.h"

using namespace pawnlet;

namespace {

// The four buttons of the dialog.
constexpr int QueenButton = 1000;
constexpr int RookButton = 1001;
constexpr int KnightButton = 1002;
constexpr int BishopButton = 1003;

} // namespace

int ChoosePromotionPiece() {
    DialogProcedure procedure;
    // Every command ends the dialog with its identifier; only the four buttons name a piece.
    procedure.onCommand = [](TemplateDialog& dialog, int id, int) {
        dialog.End(id);
        return true;
    };
    // The dialog has no owner of its own; it is placed over the main window when there is one.
    const int result = RunDialog(PromotionTemplate, MainWindowWidget, procedure);
    switch (result) {
    case QueenButton:
        return Queen;
    case RookButton:
        return Rook;
    case KnightButton:
        return Knight;
    case BishopButton:
        return Bishop;
    }
    return 0;
}
