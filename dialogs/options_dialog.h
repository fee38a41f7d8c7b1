// The Options dialog (template 111): the dark-square and selection colours with a live preview of
// a board corner, the comment marks of the move list, and the board size.
//
// The dialog takes the four settings as values and gives back the ones chosen; the "&Options..."
// command (app/commands.h) applies them. Nothing is written to the settings store here.
#pragma once

#include <QString>

#include <cstdint>

class QWidget;

// One colour channel as an edit holds it: an unsigned decimal number of which only the low 8 bits
// count (300 gives 44); text that is not such a number counts as 0.
[[nodiscard]] std::uint8_t ChannelFromText(const QString& text);

// The colour reference 0x00BBGGRR made of three channel texts.
[[nodiscard]] std::uint32_t ColourFromTexts(const QString& red, const QString& green,
                                            const QString& blue);

// The preview's place in the dialog's client area: three squares of 19 pixels each way.
inline constexpr int PreviewLeft = 160;
inline constexpr int PreviewTop = 50;
inline constexpr int PreviewSquare = 19;

// The four settings as the dialog shows and returns them (dialogs/settings_store.h names them).
struct OptionsValues {
    std::uint32_t blackColor = 0;
    std::uint32_t selColor = 0;
    std::uint32_t indicateComment = 0;
    std::uint32_t standardBoard = 0;
    friend bool operator==(const OptionsValues&, const OptionsValues&) = default;
};

// The four settings as they are now.
[[nodiscard]] OptionsValues CurrentOptions();

// Runs the dialog over `owner`, showing `values`; on OK `values` holds the choices. Returns 1
// (OK), 2 (Cancel; `values` untouched) or -1.
int ShowOptionsDialog(QWidget* owner, OptionsValues& values);
