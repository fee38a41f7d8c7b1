// The undo records of the game's edits, one kind per edit, kept on the session's history.
//
// An edit is carried out by its command as it always was; then the command hands the session a
// record of it (Session::Record), which keeps what the edit took out of the tree or overwrote:
// the move it added, the subtree it cut or replaced, the order of alternatives it changed, a
// previous annotation, comment or set of tags. A record never holds a copy of the game. Records
// point at positions and moves of the game; the history is linear and is cleared whenever
// another game is installed, so every node a record names exists (in the tree, or in a subtree
// held by a later record) whenever that record is undone or redone.
//
// Undo and redo put the tree back exactly and show the position where the edit was made.
#pragma once

#include <QUndoCommand>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/text.h"

namespace pawnlet {
class Coup;
struct GameTags;
class Partie;
class Position;
} // namespace pawnlet

// A move played that added a move to its position's list (as main move or as alternative).
std::unique_ptr<QUndoCommand> MoveAddedRecord(pawnlet::Coup& added);
// "New line" Replace: `added` stands where `replaced` (held by the record from now on) stood.
std::unique_ptr<QUndoCommand> MoveReplacedRecord(pawnlet::Coup& added,
                                                 std::unique_ptr<pawnlet::Coup> replaced);
// Line → Delete after: `removed` was taken out of the list of `before` behind `previous` (null
// when it was the main move, which took its whole list with it); `shown` is where it was done.
std::unique_ptr<QUndoCommand> LineDeletedRecord(pawnlet::Position& before, pawnlet::Coup* previous,
                                                std::unique_ptr<pawnlet::Coup> removed,
                                                pawnlet::Position& shown);
// Line → Promote: `alternative` was brought to the front of its list from behind `previous`.
std::unique_ptr<QUndoCommand> LinePromotedRecord(pawnlet::Coup& alternative,
                                                 pawnlet::Coup& previous, pawnlet::Position& shown);
// A move annotation changed from `oldNag` (the move's new one is read when the record is made).
std::unique_ptr<QUndoCommand> AnnotationRecord(pawnlet::Coup& move, std::uint8_t oldNag);
// A position assessment changed from `oldEvaluation`.
std::unique_ptr<QUndoCommand> AssessmentRecord(pawnlet::Position& position,
                                               std::uint8_t oldEvaluation);
// A comment set, changed or cleared; the position holds the new one.
std::unique_ptr<QUndoCommand> CommentRecord(pawnlet::Position& position,
                                            std::optional<std::u16string> oldComment);

// The properties or other tags changed from `before` to `after` (Partie::Tags of each).
std::unique_ptr<QUndoCommand> HeaderRecord(pawnlet::GameTags before, pawnlet::GameTags after,
                                           pawnlet::Position& shown);
