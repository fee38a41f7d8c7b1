// The setup-position dialog (template 141), through which the "New Pos&ition" command
// (app/commands.h) starts a new game from a position set up by hand.
//
// The dialog works on the start position of a new Partie: it opens with the standard start, the
// user places pieces by tapping squares with one of twelve piece buttons selected (a second tap
// with the same piece empties the square), sets the castling rights, the side to move and the
// number of the next move, may clear the board or copy the position shown in the main window, and
// on OK the position is checked (ValidateSetup). The piece selected last stays selected for the
// program's whole run.
#pragma once

#include "chess/types.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

namespace pawnlet {
class Partie;
class Position;
} // namespace pawnlet
class QWidget;

// The piece the next tap on the setup board puts down (0: a tap empties the square). Kept from one
// showing of the dialog to the next.
extern pawnlet::PieceCode SelectedSetupPiece;

// The piece code of a piece button (1029, 1031 .. 1041), 0 for any other control.
[[nodiscard]] pawnlet::PieceCode SetupButtonPiece(int controlId);

// What a tap on a square holding `onSquare` leaves there when `selected` is the chosen piece.
[[nodiscard]] constexpr pawnlet::PieceCode TappedSquarePiece(pawnlet::PieceCode onSquare,
                                                             pawnlet::PieceCode selected) {
    return onSquare == selected ? pawnlet::Empty : selected;
}

// The number of the next move to play in `position`, as the move edit shows it.
[[nodiscard]] int NextMoveNumber(const pawnlet::Position& position);

// The highest move number the setup accepts.
inline constexpr int MaxSetupMoveNumber = 9999;

// The state of the dialog's controls that validation reads (and partly writes back).
struct SetupChoices {
    // The castling boxes in the order White O-O, White O-O-O, Black O-O, Black O-O-O. Validation
    // unchecks a box whose king or rook is not in place.
    std::array<bool, 4> castling{true, true, true, true};
    bool whiteToPlay = true;
    std::u16string moveNumber = u"1";
};

// The outcome of ValidateSetup: accepted, or the first failure's text (shown in a stop box
// titled "Invalid position"); and, either way, the castling warning ("... disabled", shown in an
// exclamation box titled "Setup board") when boxes had to be unchecked.
struct SetupVerdict {
    bool accepted = false;
    std::optional<std::u16string> warning;
    std::optional<std::u16string> failure;
};

// Checks the set-up position and writes the castling rights, the side to move and the move
// number into it: exactly one king of each colour; castling only with king and rook in place (the
// others are disabled with a warning, not refused); the side not to move must not be in check;
// the move number a whole number from 1 to MaxSetupMoveNumber. An accepted position also loses
// the legality test cached for a copied board and an en-passant square that no longer fits (the
// pawn that made the double step is not there, or the side to move changed).
[[nodiscard]] SetupVerdict ValidateSetup(pawnlet::Position& position, SetupChoices& choices);

// Runs the dialog over the main window; "Copy board" copies `shown` (null: it does nothing).
// Returns the new game on OK, null otherwise (after saying so when the dialog could not be shown).
[[nodiscard]] std::unique_ptr<pawnlet::Partie>
ShowSetupPositionDialog(QWidget* mainWindow, const pawnlet::Position* shown);
