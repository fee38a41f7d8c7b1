// Moving along the game tree and editing its lines.
#include "app/choose_dialog.h"
#include "app/commands.h"
#include "app/echiquier.h"
#include "app/globals.h"
#include "app/liste_coups.h"
#include "chess/position.h"
#include "dialogs/settings_store.h"
#include "gametree/tree_ops.h"
#include "pgn/partie.h"
#include "resources/menus.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QWidget>

namespace {

void ShowPosition(Position* position) {
    CurrentPosition = position;
    InvalidateMainWindow(false);
    OnPositionChanged();
}

void MarkChanged() {
    CurrentPartie->changed = true;
}

} // namespace

void MoveBackward() {
    if (!CurrentPosition || !CurrentPosition->previousMove)
        return;
    ShowPosition(CurrentPosition->PreviousPosition());
}

void MoveForward() {
    if (!CurrentPosition || !CurrentPosition->firstMove)
        return;
    Coup* next = CurrentPosition->firstMove.get();
    if (FirstAlternative(*next)) {
        Coup* chosen = next;
        if (ShowChooseDialog(MainWindowWidget, chosen) == 2)
            return;
        // A dialog that could not be shown leaves the main move chosen.
        if (chosen)
            next = chosen;
    }
    ShowPosition(next->after.get());
}

void GoToEnd() {
    if (!CurrentPartie)
        return;
    Position* position = &CurrentPartie->startPosition;
    while (position->firstMove)
        position = position->firstMove->after.get();
    ShowPosition(position);
}

void ReturnFromLine() {
    if (!CurrentPosition || !CurrentPosition->previousMove)
        return;
    Coup* mainMove = BranchMainMove(*CurrentPosition->previousMove);
    if (!mainMove)
        return;
    ShowPosition(mainMove->after.get());
}

void DeleteAfter() {
    if (!CurrentPosition || !CurrentPosition->previousMove)
        return;
    Coup* move = CurrentPosition->previousMove;
    Position* before = move->before;
    CurrentPosition = before;
    std::unique_ptr<Coup> removed = Unlink(*move);
    removed.reset();
    MarkChanged();
    if (MoveList)
        MoveList->RebuildList(*CurrentPartie);
    if (Board)
        Board->ClearSelection();
    InvalidateMainWindow(true);
}

void PromoteLine() {
    if (!CurrentPosition || !CurrentPosition->previousMove)
        return;
    Coup* move = CurrentPosition->previousMove;
    Promote(*move);
    MarkChanged();
    if (MoveList) {
        MoveList->RebuildList(*CurrentPartie);
        MoveList->SelectMoveRow(move);
    }
    if (Board)
        Board->ClearSelection();
    InvalidateMainWindow(true);
}

void SetMoveAnnotation(int nag) {
    if (!CurrentPosition || !CurrentPosition->previousMove)
        return;
    Coup* move = CurrentPosition->previousMove;
    move->nag = static_cast<std::uint8_t>(nag);
    MarkChanged();
    InvalidateMainWindow(false);
    if (MoveList)
        MoveList->RefreshMoveRow(move);
}

void SetPositionAssessment(int evaluation) {
    if (!CurrentPosition)
        return;
    CurrentPosition->evaluation = static_cast<std::uint8_t>(evaluation);
    MarkChanged();
    InvalidateMainWindow(false);
}

void ShowAnnotationPopup() {
    if (!AnnotationMenu)
        return;
    // The popup opens where the stylus tapped the tool button, its top-left corner there.
    AnnotationMenu->popup(QCursor::pos());
}

void ToggleMoveList() {
    if (!MoveList)
        return;
    MoveList->ToggleVisible();
    const bool shown = MoveList->IsVisible();
    if (MenuBarMenu) {
        if (QAction* item = FindMenuAction(MenuBarMenu, Cmd::HideList))
            item->setText(shown ? QStringLiteral("&Hide move list")
                                : QStringLiteral("S&how move list"));
    }
    // Only the large board gives the list's room to the comment; the standard board leaves the
    // area blank while the list is hidden.
    if (StandardBoard != 0)
        return;
    CommentRect.right = shown ? MoveListRect.left - 3 : MoveListRect.right;
    InvalidateMainWindow(shown);
}

void RevertBoard() {
    if (!Board)
        return;
    Board->flipped = !Board->flipped;
    InvalidateMainWindow(true);
}
