// The commands that run a dialog of dialogs/ and apply what it returns: the dialogs take values
// and return values, and only the commands touch the window's state.
#include "app/commands.h"
#include "app/globals.h"
#include "app/liste_coups.h"
#include "app/qt_shell.h"
#include "chess/position.h"
#include "dialogs/options_dialog.h"
#include "dialogs/settings_store.h"
#include "dialogs/setup_dialog.h"
#include "pgn/partie.h"

using namespace pawnlet;

void OptionsCommand() {
    OptionsValues values = CurrentOptions();
    if (ShowOptionsDialog(MainWindowWidget, values) != 1) {
        InvalidateMainWindow();
        return;
    }
    ApplyOptions(values);
}

void ApplyOptions(const OptionsValues& values) {
    const OptionsValues before = CurrentOptions();
    BlackColor = values.blackColor;
    SelColor = values.selColor;
    CreateColourObjects();
    if (values.indicateComment != before.indicateComment) {
        IndicateComment = values.indicateComment;
        if (MoveList && CurrentPartie) {
            MoveList->RebuildList(*CurrentPartie);
            // The rebuilt list has no selection; the row of the position shown keeps it.
            if (CurrentPosition) {
                MoveList->SelectMoveRow(CurrentPosition->previousMove);
            }
        }
    }
    if (values.standardBoard != before.standardBoard) {
        StandardBoard = values.standardBoard;
        ApplyBoardSettings();
    }
    InvalidateMainWindow();
}

void NewPositionCommand() {
    if (!AskToClose()) {
        return;
    }
    if (std::unique_ptr<Partie> partie =
            ShowSetupPositionDialog(MainWindowWidget, CurrentPosition)) {
        InstallGame(std::move(partie));
    }
}
