// Moving along the game tree and editing its lines.
#include "app/choose_dialog.h"
#include "app/command_actions.h"
#include "app/commands.h"
#include "app/globals.h"
#include "app/liste_coups.h"
#include "app/undo_records.h"
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

using namespace pawnlet;

namespace {

void ShowPosition(Position* position) {
    Session::Instance().SetPosition(position);
}

void MarkChanged() {
    Session::Instance().MarkChanged();
}

} // namespace

void MoveBackward() {
    if (!CurrentPosition || !CurrentPosition->previousMove) {
        return;
    }
    ShowPosition(CurrentPosition->PreviousPosition());
}

void MoveForward() {
    if (!CurrentPosition || !CurrentPosition->firstMove) {
        return;
    }
    Coup* next = CurrentPosition->firstMove.get();
    if (FirstAlternative(*next)) {
        Coup* chosen = next;
        if (ShowChooseDialog(MainWindowWidget, chosen) == 2) {
            return;
        }
        // A dialog that could not be shown leaves the main move chosen.
        if (chosen) {
            next = chosen;
        }
    }
    ShowPosition(next->after.get());
}

void GoToEnd() {
    if (!CurrentPartie) {
        return;
    }
    Position* position = &CurrentPartie->startPosition;
    while (position->firstMove) {
        position = position->firstMove->after.get();
    }
    ShowPosition(position);
}

void ReturnFromLine() {
    if (!CurrentPosition || !CurrentPosition->previousMove) {
        return;
    }
    Coup* mainMove = BranchMainMove(*CurrentPosition->previousMove);
    if (!mainMove) {
        return;
    }
    ShowPosition(mainMove->after.get());
}

void GoToStart() {
    if (CurrentPartie) {
        ShowPosition(&CurrentPartie->startPosition);
    }
}

void GoToLineEnd() {
    if (!CurrentPosition) {
        return;
    }
    Position* position = CurrentPosition;
    while (position->firstMove) {
        position = position->firstMove->after.get();
    }
    ShowPosition(position);
}

void StepAlternative(int step) {
    if (!CurrentPosition || !CurrentPosition->previousMove) {
        return;
    }
    const Coup* move = CurrentPosition->previousMove;
    // The moves from the same position in list order: the main move, then its alternatives.
    Coup* mainMove = move->before->firstMove.get();
    std::vector<Coup*> moves{mainMove};
    for (Coup* a = FirstAlternative(*mainMove); a; a = NextAlternative(*a)) {
        moves.push_back(a);
    }
    const auto at = std::find(moves.begin(), moves.end(), move);
    if (at == moves.end()) {
        return;
    }
    const auto index = (at - moves.begin()) + step;
    if (index < 0 || index >= std::ssize(moves)) {
        return;
    }
    ShowPosition(moves[std::size_t(index)]->after.get());
}

void StepMoves(int count) {
    if (!CurrentPosition) {
        return;
    }
    Position* position = CurrentPosition;
    for (; count < 0 && position->previousMove; ++count) {
        position = position->PreviousPosition();
    }
    for (; count > 0 && position->firstMove; --count) {
        position = position->firstMove->after.get();
    }
    ShowPosition(position);
}

void DeleteAfter() {
    if (!CurrentPosition || !CurrentPosition->previousMove) {
        return;
    }
    Coup* move = CurrentPosition->previousMove;
    Position* before = move->before;
    Position& shown = *CurrentPosition;
    Coup* previous = move->prev;
    std::unique_ptr<Coup> removed = Unlink(*move);
    if (!removed) {
        return;
    }
    // The cut line lives on in the undo record, so no row of the list ever names a destroyed
    // move.
    Session::Instance().Record(LineDeletedRecord(*before, previous, std::move(removed), shown));
    Session::Instance().SetPosition(before, Session::ListUpdate::Rebuild);
}

void PromoteLine() {
    if (!CurrentPosition || !CurrentPosition->previousMove) {
        return;
    }
    Coup* alternative = VariationStart(*CurrentPosition->previousMove);
    if (!alternative) {
        return;
    }
    Coup& previous = *alternative->prev;
    Promote(*alternative);
    Session::Instance().Record(LinePromotedRecord(*alternative, previous, *CurrentPosition));
    Session::Instance().SetPosition(CurrentPosition, Session::ListUpdate::Rebuild);
}

void SetMoveAnnotation(int nag) {
    if (!CurrentPosition || !CurrentPosition->previousMove) {
        return;
    }
    Coup* move = CurrentPosition->previousMove;
    const std::uint8_t oldNag = move->nag;
    move->nag = static_cast<std::uint8_t>(nag);
    if (move->nag != oldNag) {
        Session::Instance().Record(AnnotationRecord(*move, oldNag));
    }
    MarkChanged();
    InvalidateMainWindow();
    if (MoveList) {
        MoveList->RefreshMoveRow(move);
    }
}

void SetPositionAssessment(int evaluation) {
    if (!CurrentPosition) {
        return;
    }
    const std::uint8_t oldEvaluation = CurrentPosition->evaluation;
    CurrentPosition->evaluation = static_cast<std::uint8_t>(evaluation);
    if (CurrentPosition->evaluation != oldEvaluation) {
        Session::Instance().Record(AssessmentRecord(*CurrentPosition, oldEvaluation));
    }
    MarkChanged();
    InvalidateMainWindow();
}

void ShowAnnotationPopup() {
    if (!AnnotationMenu) {
        return;
    }
    // The popup opens where the stylus tapped the tool button, its top-left corner there.
    AnnotationMenu->popup(QCursor::pos());
}

void ToggleMoveList() {
    if (!MoveList) {
        return;
    }
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
    if (StandardBoard != 0) {
        return;
    }
    CommentRect.right = shown ? MoveListRect.left - 3 : MoveListRect.right;
    InvalidateMainWindow();
}

void RevertBoard() {
    if (!Board) {
        return;
    }
    Board->flipped = !Board->flipped;
    InvalidateMainWindow();
}
