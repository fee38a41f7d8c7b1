// The "Choose" dialog: which of several continuations to follow, and the list filler that it
// shares with the "New line" dialog.
#pragma once

namespace pawnlet {
class Coup;
} // namespace pawnlet
class QListWidget;
class QWidget;

// Runs the dialog over the main move held by `move` and its alternatives. Returns 1 with the
// chosen move stored in `move` (the main move when the user confirmed without choosing), 2 for
// Cancel, -1 when the dialog could not be shown.
[[nodiscard]] int ShowChooseDialog(QWidget* owner, pawnlet::Coup*& move);

// Fills `list` with `mainMove` and its alternatives in list order, each as its plain move text
// (no number), each row carrying its move.
void FillMoveList(QListWidget* list, pawnlet::Coup* mainMove);
// The move of row `row` of a list filled by FillMoveList, or null.
[[nodiscard]] pawnlet::Coup* MoveOfRow(const QListWidget* list, int row);
