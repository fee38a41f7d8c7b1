// The four user settings: dark-square colour, selection colour, comment marks in the move list,
// board size.
//
// They are process-wide variables that hold their defaults from the start. LoadSettings reads
// them once at start-up and SaveSettings writes all four once at exit, through
// QSettings("quorvex", "Pawnlet"); in between only the Options dialog changes them. A value that
// is missing or cannot be read leaves that one setting at its default; a write that fails is
// silent (the setting is simply not kept).
#pragma once

#include <cstdint>
#include <optional>

class QSettings;

// Colour references are 0x00BBGGRR, red in the low byte.
inline constexpr std::uint32_t DefaultBlackColor = 0x00C0C0C0;
inline constexpr std::uint32_t DefaultSelColor = 0x0080FFFF;
inline constexpr std::uint32_t DefaultIndicateComment = 1;
inline constexpr std::uint32_t DefaultStandardBoard = 1;

extern std::uint32_t BlackColor;      // "BlackColor": dark squares
extern std::uint32_t SelColor;        // "SelColor": selection highlight
extern std::uint32_t IndicateComment; // "Indicate comment": non-zero marks commented moves " [...]"
extern std::uint32_t StandardBoard;   // "Standard layout": non-zero 19-pixel squares, zero 25

// Reads one value of the program's settings; none when it is missing or unreadable.
[[nodiscard]] std::optional<std::uint32_t> ReadSettingDword(const char* name);
// Writes one value; false when the store could not be written.
[[nodiscard]] bool WriteSettingDword(const char* name, std::uint32_t value);

// Reads the four settings in the order BlackColor, SelColor, Indicate comment, Standard layout;
// each that cannot be read gets its default. Always returns 1.
int LoadSettings();
// Writes all four; returns whether the last write succeeded (callers may ignore it).
bool SaveSettings();
