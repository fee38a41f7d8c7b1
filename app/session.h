// The session: the one current game and the position shown in it.
//
// The session owns the current game. InstallGame is the only way to replace it and SetPosition
// the only way to move the position shown; both tell the views in one place: the board drops its
// selection, the move list selects the row of the move that led to the position, the main window
// repaints its board and status areas, and PositionChanged is emitted. The rest of the program
// reads the state through CurrentPartie and CurrentPosition, which cannot be assigned.
//
// The session also keeps the history of the current game's edits (app/undo_records.h): the
// game's changed flag follows the history's clean state, so that undoing back to what was last
// loaded or saved clears it. Installing a game starts a new history.
//
// The position is always a node of the current game's tree (null only before the first game is
// installed and after Release).
#pragma once

#include <QObject>
#include <QUndoStack>

#include <cstddef>
#include <memory>

namespace pawnlet {
class Partie;
class Position;
} // namespace pawnlet

class Session : public QObject {
    Q_OBJECT
public:
    static Session& Instance();

    pawnlet::Partie* Game() const { return game.get(); }
    pawnlet::Position* Shown() const { return shown; }

    // Makes `partie` the current game (a new empty game when null) at its start position and
    // rebuilds the move list. Never asks to save the game it replaces: callers ask ConfirmSave.
    void InstallGame(std::unique_ptr<pawnlet::Partie> partie);

    // How the move list learns of a new position.
    enum class ListUpdate {
        SelectRow, // the tree is as it was: the row of the move that led here is selected
        Rebuild,   // the tree was cut or reordered: the list is rebuilt, then the row selected
        RowAdded,  // the move that led here was just added to the tree: its row is inserted
        Followed,  // the user picked the row in the list itself: it is selected already
    };
    // Shows `position`, a node of the current game's tree. At the start position the list keeps
    // the row it had selected, as the list has no row for it.
    void SetPosition(pawnlet::Position* position, ListUpdate update = ListUpdate::SelectRow);

    // Sets the game's changed flag after an edit that kept the position, and says so.
    void MarkChanged();
    // Says that the game's file, tags or changed flag may have changed (a save, the properties).
    void GameStateTouched();

    // Keeps the record of an edit just carried out, so that it can be undone; the game counts as
    // changed from now on.
    void Record(std::unique_ptr<QUndoCommand> record);
    void Undo() { history.undo(); }
    void Redo() { history.redo(); }
    QUndoStack& History() { return history; }

    // Destroys the game at exit; the views are gone by then and are not told.
    void Release();

signals:
    // The position shown changed (and perhaps the game).
    void PositionChanged();
    // A game was installed, edited, saved or bound to another file.
    void GameChanged();

private:
    Session();
    ~Session() override;
    void TellViews(ListUpdate update);
    void FollowHistory();

    std::unique_ptr<pawnlet::Partie> game;
    pawnlet::Position* shown = nullptr;
    QUndoStack history;
};

// Read-only views of the session's state under the names the rest of the program has always
// used. Only the session assigns them.
struct CurrentPartieView {
    pawnlet::Partie* get() const { return Session::Instance().Game(); }
    pawnlet::Partie* operator->() const { return get(); }
    pawnlet::Partie& operator*() const { return *get(); }
    explicit operator bool() const { return get() != nullptr; }
    friend bool operator==(const CurrentPartieView& view, std::nullptr_t) {
        return view.get() == nullptr;
    }
};
struct CurrentPositionView {
    pawnlet::Position* get() const { return Session::Instance().Shown(); }
    operator pawnlet::Position*() const { return get(); }
    pawnlet::Position* operator->() const { return get(); }
    pawnlet::Position& operator*() const { return *get(); }
};
inline constexpr CurrentPartieView CurrentPartie;
inline constexpr CurrentPositionView CurrentPosition;
