// The game properties dialog (template 138): the game's White, Black, Site, Event, Round, Date and
// result, and its "&More..." button that lists the other tags (other_tags_dialog.h).
//
// The dialog changes the Partie only on OK, through the setters of InfosPartie, and then marks
// the properties as confirmed (Save As asks for them first until they are); when a value differs
// from the game's, the game is marked changed. Cancel stores nothing.
//
// The edits take at most 64 characters of typing; a longer tag read from a file is shown whole
// and kept whole unless the user edits it.
//
// The date picker knows only a full date or none. A game's Date text is kept exactly as it was
// unless the user touches the picker: a partly known date such as "2002.??.??", or a text that is
// no calendar date, shows no date and survives OK. A date the user picks is stored as
// "yyyy.MM.dd"; clearing the picker stores "????.??.??".
#pragma once

#include <QDate>

#include <optional>
#include <string>

namespace pawnlet {
class Partie;
} // namespace pawnlet
class QWidget;

// Control identifiers of template 138.
namespace PropertiesControl {
inline constexpr int WhiteEdit = 1002;
inline constexpr int BlackEdit = 1003;
inline constexpr int SiteEdit = 1004;
inline constexpr int EventEdit = 1005;
inline constexpr int RoundEdit = 1006;
inline constexpr int BlackWinsRadio = 1007;
inline constexpr int DatePickerId = 1008;
inline constexpr int DrawRadio = 1009;
inline constexpr int WhiteWinsRadio = 1010;
inline constexpr int UnfinishedRadio = 1011;
inline constexpr int MoreButton = 1012;
} // namespace PropertiesControl

// The date the picker shows for a Date text: the text is read as three decimal numbers separated
// by single dots (blanks before a number skipped, a sign allowed, anything after the third number
// ignored). None when the text is none, when three numbers cannot be read ("????.??.??",
// "2002.??.??") or when they form no calendar date the picker can hold.
[[nodiscard]] std::optional<QDate> PickerDateFromText(const std::optional<std::u16string>& text);

// The Date text for what the picker holds: "%04d.%02d.%02d", or "????.??.??" for no date.
[[nodiscard]] std::u16string TextFromPickerDate(const std::optional<QDate>& date);

// Runs the dialog over `owner` for `partie`. Returns 1 (OK) or 2 (Cancel); -1 when the dialog
// could not be shown.
int ShowGamePropertiesDialog(QWidget* owner, pawnlet::Partie& partie);
