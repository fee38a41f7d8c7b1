// The "Promotion in" dialog: which piece a pawn reaching the last rank becomes.
#pragma once

// Asks the user and returns the piece type: Queen 5, Rook 2, Knight 3, Bishop 4; 0 when the
// dialog was closed without one of the four buttons (or could not be shown).
[[nodiscard]] int ChoosePromotionPiece();
