// The "New line" dialog: a move tapped on the board differs from every move already played from
// the position; the user adds it as a new alternative or lets it replace one of the moves listed
// under "Other moves".
#pragma once

#include "chess/types.h"
#include "gametree/coup.h"

#include <memory>

namespace pawnlet {
class Position;
} // namespace pawnlet
class QWidget;

struct NewLineRequest {
    pawnlet::Position* position = nullptr;    // in: the position the move is played in; out: the
                                              // position after the added or replacing move
    pawnlet::Square from = pawnlet::NoSquare; // the tapped move
    pawnlet::Square to = pawnlet::NoSquare;
    int replaced = 0; // out: 1 when an existing move was replaced, 0 when the move was added
    // out: the move replaced, out of the tree with everything below it, for the caller to keep
    // (the undo record of the edit) or destroy
    std::unique_ptr<pawnlet::Coup> replacedMove;
};

// Runs the dialog. Returns 1 when the move was added or replaced (request updated), 2 when
// nothing was played (Cancel, a cancelled promotion), -1 when the dialog could not be shown.
[[nodiscard]] int ShowNewLineDialog(QWidget* owner, NewLineRequest& request);
