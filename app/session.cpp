#include "app/session.h"

#include "app/globals.h"
#include "app/liste_coups.h"
#include "chess/position.h"
#include "pgn/partie.h"

using namespace pawnlet;

Session::Session() {
    connect(&history, &QUndoStack::indexChanged, this, [this] { FollowHistory(); });
}
Session::~Session() = default;

Session& Session::Instance() {
    static Session session;
    return session;
}

void Session::InstallGame(std::unique_ptr<Partie> partie) {
    if (Board) {
        Board->ClearSelection();
    }
    // The views must never see a position of the game being destroyed.
    shown = nullptr;
    game.reset();
    // The records name nodes of the game that is gone.
    history.clear();
    if (!partie) {
        partie = std::make_unique<Partie>();
    }
    game = std::move(partie);
    // A game that exists only in the program (a pasted one) is changed from the start: no state
    // of its history matches a file.
    if (game->changed) {
        history.resetClean();
    } else {
        history.setClean();
    }
    shown = &game->startPosition;
    if (MoveList) {
        MoveList->RebuildList(*game);
    }
    InvalidateMainWindow();
    emit GameChanged();
    emit PositionChanged();
}

void Session::SetPosition(Position* position, ListUpdate update) {
    if (!game || !position) {
        return;
    }
    shown = position;
    TellViews(update);
    emit PositionChanged();
}

void Session::TellViews(ListUpdate update) {
    if (MoveList) {
        switch (update) {
        case ListUpdate::SelectRow:
            MoveList->SelectMoveRow(shown->previousMove);
            break;
        case ListUpdate::Rebuild:
            MoveList->RebuildList(*game);
            MoveList->SelectMoveRow(shown->previousMove);
            break;
        case ListUpdate::RowAdded:
            MoveList->InsertMoveRow(shown->previousMove);
            break;
        case ListUpdate::Followed:
            break;
        }
    }
    if (Board) {
        Board->ClearSelection();
    }
    InvalidateMainWindow();
}

void Session::MarkChanged() {
    if (!game) {
        return;
    }
    game->changed = true;
    emit GameChanged();
}

void Session::Record(std::unique_ptr<QUndoCommand> record) {
    if (!game || !record) {
        return;
    }
    history.push(record.release());
}

void Session::FollowHistory() {
    if (!game) {
        return;
    }
    game->changed = !history.isClean();
    emit GameChanged();
}

void Session::GameStateTouched() {
    // A save clears the flag: the state it wrote is the one that undoing back to is unchanged.
    if (game && !game->changed && !history.isClean()) {
        history.setClean();
    }
    emit GameChanged();
}

void Session::Release() {
    history.clear();
    shown = nullptr;
    game.reset();
}

void InstallGame(std::unique_ptr<Partie> partie) {
    Session::Instance().InstallGame(std::move(partie));
}
