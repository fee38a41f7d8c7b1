// Operations on the lists of moves and on the game tree.
//
// The list of a position is its main move followed by the alternatives in the order they were
// added. Walk it as: main move, FirstAlternative(main), then NextAlternative repeatedly.
// Nothing here recurses per move: trees of any depth and length are safe.
#pragma once

#include "gametree/coup.h"

namespace pawnlet {

class Position;

// `next` of a main move, null for an alternative.
Coup* FirstAlternative(const Coup& move);
// `next` of an alternative, null for a main move.
Coup* NextAlternative(const Coup& move);
// The last entry of the list from `move` on (the move itself when it is the last).
Coup* LastAlternative(Coup& move);
// Is the move an alternative (not the main move of its position).
bool IsAlternative(const Coup& move);

// Links `node` after the last entry of the list that starts with `mainMove` and gives it
// depth parentDepth + 1. Takes ownership of `node`.
void AppendAlternative(Coup& mainMove, std::unique_ptr<Coup> node, int parentDepth);
// Puts `node` where `old` is in its list (as the position's firstMove when `old` is the main
// move), handing the entries after `old` over to it, and returns `old`, now out of the tree but
// still owning its position and what lies below it (the caller destroys it).
[[nodiscard]] std::unique_ptr<Coup> ReplaceIn(std::unique_ptr<Coup> node, Coup& old);
// Takes the move out of the tree and returns it (the caller destroys it). An alternative
// leaves alone, with what lies below it; the main move takes the whole list of its position
// with it. Null when the move is not linked in a list.
[[nodiscard]] std::unique_ptr<Coup> Unlink(Coup& move);
// Puts back a chain that Unlink took out: `node` (with the entries it still owns through
// `next`) goes after `previous` in the list of `before`, or at its head when `previous` is null,
// and the entries that followed there come after the chain's last entry. Depths are kept as the
// chain has them.
void Reattach(Position& before, Coup* previous, std::unique_ptr<Coup> node);
// Makes the variation holding `move` the main line at its branch point: the alternative found
// by walking up main moves goes to the front of its list, the former main move becomes the
// first alternative, depths are renumbered. Nothing changes on the main line.
void Promote(Coup& move);
// Undoes Promote(alternative): the main move `alternative` goes back behind `previous` (an entry
// of the same list), the entry after it becomes the main move again, depths are renumbered.
void Demote(Coup& alternative, Coup& previous);
// Sets the depth of `move` to `depth` and recomputes the depths of the entries after it in its
// list and of everything below them.
void RenumberDepth(Coup& move, int depth);
// The nearest move at or above `move` that is an alternative, walking up through main moves:
// the move Promote brings to the front. Null when `move` lies on the main line.
Coup* VariationStart(Coup& move);
// The main move at the point where the variation holding `move` branches off, or null when
// `move` lies on the main line.
Coup* BranchMainMove(Coup& move);

// List order (the order of the move list and of PGN text): a move, then each of its
// alternatives followed by its whole line, then the continuation of the move.
// The last entry listed for `move` and the line that follows it.
Coup* LastInSubtree(Coup& move);
// The entry listed just before `move`, or null for the first move of the game.
Coup* PreviousInListOrder(Coup& move);

// Destroys the Coup of a trial position built on the stack, leaving the position alive.
void DiscardTrial(Coup* move);

} // namespace pawnlet
