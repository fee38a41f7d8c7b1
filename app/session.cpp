#include "app/session.h"

#include "app/globals.h"
#include "app/liste_coups.h"
#include "chess/position.h"
#include "pgn/partie.h"

Session::Session() = default;
Session::~Session() = default;

Session& Session::Instance() {
    static Session session;
    return session;
}

void Session::InstallGame(std::unique_ptr<Partie> partie) {
    if (Board)
        Board->ClearSelection();
    // The views must never see a position of the game being destroyed.
    shown = nullptr;
    game.reset();
    if (!partie)
        partie = std::make_unique<Partie>();
    game = std::move(partie);
    shown = &game->startPosition;
    if (MoveList)
        MoveList->RebuildList(*game);
    InvalidateMainWindow(false);
    emit GameChanged();
    emit PositionChanged();
}

void Session::SetPosition(Position* position, ListUpdate update) {
    if (!game || !position)
        return;
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
    if (Board)
        Board->ClearSelection();
    InvalidateMainWindow(false);
}

void Session::MarkChanged() {
    if (!game)
        return;
    game->changed = true;
    emit GameChanged();
}

void Session::Release() {
    shown = nullptr;
    game.reset();
}

void InstallGame(std::unique_ptr<Partie> partie) {
    Session::Instance().InstallGame(std::move(partie));
}
