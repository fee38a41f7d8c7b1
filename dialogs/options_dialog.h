// The Options dialog (template 111): the dark-square and selection colours with a live preview of
// a board corner, the comment marks of the move list, and the board size; and the "&Options..."
// command that runs it.
//
// Nothing is written to the settings store here: OK changes the four settings variables, which are
// saved when the program ends. Cancel changes nothing.
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

// Runs the dialog over the main window. On OK `boardSizeChanged` is 1 when the board size setting
// changed (the caller then lays the window out again), else 0. Returns 1 (OK), 2 (Cancel) or -1.
int ShowOptionsDialog(QWidget* mainWindow, int& boardSizeChanged);

// The "&Options..." command (40108): runs the dialog; after OK lays the window out again when the
// board size changed, and repaints it.
void OptionsCommand();
