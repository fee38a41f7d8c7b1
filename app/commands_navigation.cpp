// Moving along the game tree and editing its lines.
#include "app/choose_dialog.h"
#include "app/command_actions.h"
#include "app/commands.h"
#include "app/globals.h"
#include "app/liste_coups.h"
#include "chess/position.h"
#include "dialogs/echiquier.h"
#include "dialogs/settings_store.h"
#include "gametree/tree_ops.h"
#include "pgn/partie.h"
#include "resources/menus.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace {

void ShowPosition(Position* position) {
    Session::Instance().SetPosition(position);
}

void MarkChanged() {
    Session::Instance().MarkChanged();
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

void GoToStart() {
    if (CurrentPartie)
        ShowPosition(&CurrentPartie->startPosition);
}

void GoToLineEnd() {
    if (!CurrentPosition)
        return;
    Position* position = CurrentPosition;
    while (position->firstMove)
        position = position->firstMove->after.get();
    ShowPosition(position);
}

void StepAlternative(int step) {
    if (!CurrentPosition || !CurrentPosition->previousMove)
        return;
    const Coup* move = CurrentPosition->previousMove;
    // The moves from the same position in list order: the main move, then its alternatives.
    Coup* mainMove = move->before->firstMove.get();
    std::vector<Coup*> moves{mainMove};
    for (Coup* a = FirstAlternative(*mainMove); a; a = NextAlternative(*a))
        moves.push_back(a);
    const auto at = std::find(moves.begin(), moves.end(), move);
    if (at == moves.end())
        return;
    const auto index = (at - moves.begin()) + step;
    if (index < 0 || index >= std::ssize(moves))
        return;
    ShowPosition(moves[std::size_t(index)]->after.get());
}

void StepMoves(int count) {
    if (!CurrentPosition)
        return;
    Position* position = CurrentPosition;
    for (; count < 0 && position->previousMove; ++count)
        position = position->PreviousPosition();
    for (; count > 0 && position->firstMove; --count)
        position = position->firstMove->after.get();
    ShowPosition(position);
}

void DeleteAfter() {
    if (!CurrentPosition || !CurrentPosition->previousMove)
        return;
    Coup* move = CurrentPosition->previousMove;
    Position* before = move->before;
    std::unique_ptr<Coup> removed = Unlink(*move);
    MarkChanged();
    // The list is rebuilt while the cut line still exists, so that no row ever names a
    // destroyed move.
    Session::Instance().SetPosition(before, Session::ListUpdate::Rebuild);
    removed.reset();
}

void PromoteLine() {
    if (!CurrentPosition || !CurrentPosition->previousMove)
        return;
    Promote(*CurrentPosition->previousMove);
    MarkChanged();
    Session::Instance().SetPosition(CurrentPosition, Session::ListUpdate::Rebuild);
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
        if (QAction* item = FindMenuAction(MenuBarMenu, Cmd::HideList)) {
            item->setText(shown ? QStringLiteral("&Hide move list")
                                : QStringLiteral("S&how move list"));
            item->setToolTip(CommandToolTip(*item));
        }
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
