#include "app/tap_board.h"

#include "app/globals.h"
#include "app/new_line_dialog.h"
#include "app/undo_records.h"
#include "chess/position.h"
#include "gametree/coup.h"
#include "pgn/partie.h"

#include <QWidget>

using namespace pawnlet;

namespace {

void Deselect() {
    Board->RedrawSelection();
    Board->ClearSelection();
}

void BringMainWindowForward() {
    if (MainWindowWidget) {
        MainWindowWidget->raise();
        MainWindowWidget->activateWindow();
    }
}

} // namespace

void TapBoard(int x, int y) {
    if (!Board || !CurrentPosition || !CurrentPartie) {
        return;
    }
    std::uint8_t file = 0;
    std::uint8_t rank = 0;
    if (!Board->HitTest(x, y, file, rank)) {
        return;
    }
    Position& position = *CurrentPosition;

    if (!Board->HasSelection()) {
        const PieceCode piece = position.PieceAtFileRank(file, rank);
        if (piece == Empty || ColourOf(piece) != position.sideToMove) {
            return;
        }
        Board->SetSelection(file, rank);
        Board->RedrawSelection();
        return;
    }

    const Square from = MakeSquare(Board->SelectedFile(), Board->SelectedRank());
    const Square to = MakeSquare(file, rank);
    if (from == to) {
        Deselect();
        return;
    }
    // An illegal destination keeps the selection: the user may tap another square.
    if (!position.IsLegalMove(from, to)) {
        return;
    }

    // A move already in the tree is only followed: the game does not change.
    if (Position* known = position.FindMove(from, to)) {
        Session::Instance().SetPosition(known);
        return;
    }

    if (!position.firstMove) {
        // A pawn reaching the last rank asks for its piece inside PlayMove; declining it plays
        // nothing and drops the selection.
        Position* after = position.PlayMove(from, to, nullptr, 0);
        if (!after) {
            Deselect();
            return;
        }
        Session::Instance().Record(MoveAddedRecord(*after->previousMove));
        Session::Instance().SetPosition(after, Session::ListUpdate::RowAdded);
        return;
    }

    NewLineRequest request;
    request.position = &position;
    request.from = from;
    request.to = to;
    const int result = ShowNewLineDialog(MainWindowWidget, request);
    if (result == 1 && request.position && request.position != &position) {
        Coup& played = *request.position->previousMove;
        Session::Instance().Record(request.replacedMove
                                       ? MoveReplacedRecord(played, std::move(request.replacedMove))
                                       : MoveAddedRecord(played));
        Session::Instance().SetPosition(request.position, request.replaced
                                                              ? Session::ListUpdate::Rebuild
                                                              : Session::ListUpdate::RowAdded);
    } else {
        Deselect();
    }
    BringMainWindowForward();
}
