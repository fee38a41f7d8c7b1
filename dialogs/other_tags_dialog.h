// The other-tags dialog (template 140): a read-only list of a game's extra tags, the ones beyond
// the roster that the game properties edit, in the order they stood in the file.
#pragma once

namespace pawnlet {
class Partie;
} // namespace pawnlet
class QWidget;

// The list view's column texts.
inline constexpr char16_t OtherTagsTagColumn[] = u"Tag";
inline constexpr char16_t OtherTagsValueColumn[] = u"Value";

// Runs the dialog over `owner` for `partie`. It only shows, so it always ends with 2; -1 when it
// could not be shown.
int ShowOtherTagsDialog(QWidget* owner, pawnlet::Partie& partie);
