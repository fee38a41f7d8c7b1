// The comment editor (template 107) and the "&Comment..." command that runs it on the position
// shown.
#pragma once

#include <optional>
#include <string>

class QWidget;

// Runs the comment editor over `owner` on `comment`. Done (1) replaces `comment` with the edit's
// text, or with none when the edit is empty; Cancel (2) leaves it untouched; "&Clear" empties the
// edit and keeps the dialog open. Returns 1, 2, or -1 when the dialog could not be shown (after
// saying so).
int ShowCommentDialog(QWidget* owner, std::optional<std::u16string>& comment);

// The "&Comment..." command (40021, also a tool button): edits the comment of CurrentPosition.
// On Done the game is marked changed; when the comment appears or disappears, the move list row
// of the move that led here is rewritten (its " [...]" mark).
void EditComment();
