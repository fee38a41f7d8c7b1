// The material balance ("Still on board", template 109): the pieces of each colour that are still
// on the board, drawn from the piece strip in fixed slots.
//
// Each colour's pieces fill slots of 19 x 19 pixels, eight to a row. The types go in the order
// king, queen, rook, bishop, knight, pawn from the slots 0, 1, 2, 4, 6 and 8, so that a full set
// shows K Q R R B B N N on the first row and the pawns on the second. The pieces of one type take
// consecutive slots from the type's first one; an extra piece (a second queen) therefore lands in
// the next type's slot, where that type, drawn later, covers it.
#pragma once

#include <array>
#include <vector>

namespace pawnlet {
class Position;
} // namespace pawnlet
class QWidget;

// How many pieces of each type, indexed by type - 1 (pawn, rook, knight, bishop, queen, king).
struct MaterialCount {
    std::array<int, 6> white{};
    std::array<int, 6> black{};
};

[[nodiscard]] MaterialCount CountMaterial(const pawnlet::Position& position);

// One piece to draw: its piece type (1 pawn .. 6 king) and its slot.
struct MaterialSlot {
    int type = 0;
    int slot = 0;
};

// The pieces of one colour in drawing order (king first, pawns last): later ones cover earlier
// ones in the same slot.
[[nodiscard]] std::vector<MaterialSlot> MaterialSlots(const std::array<int, 6>& counts);

// Side of a slot in pixels; slot s of a colour lies at (x + 19 (s mod 8), y + 19 (s div 8)).
inline constexpr int MaterialSlotSize = 19;

// Counts the material of `position` and shows it over `owner`. Ends with 2 (or -1 when the dialog
// could not be shown).
int ShowMaterialBalance(QWidget* owner, const pawnlet::Position& position);
