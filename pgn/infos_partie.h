// The header record of one game, and one row of the game list.
//
// InfosPartie holds the texts of the seven-tag roster except Result, the result as a small code,
// and the byte range the game occupies in its PGN file. Partie (the game document) and
// GameListEntry (a row of the game list, made by ScanGames) derive from it. A text that is
// "none" (no value at all) differs from an empty text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/live_count.h"

namespace pawnlet {

enum GameResult : std::int32_t {
    NoResult = -1, // no result set: the writer writes neither a Result tag nor a marker
    WhiteWins = 0,
    Draw = 1,
    BlackWins = 2,
    Unfinished = 3,
};

class InfosPartie {
public:
    // White "White", Black "Black", Round "?", no Event, Date or Site, result NoResult.
    InfosPartie();
    virtual ~InfosPartie();
    InfosPartie(const InfosPartie&) = delete;
    InfosPartie& operator=(const InfosPartie&) = delete;

    void SetWhite(std::optional<std::u16string> text) { white = std::move(text); }
    void SetBlack(std::optional<std::u16string> text) { black = std::move(text); }
    void SetEvent(std::optional<std::u16string> text) { event = std::move(text); }
    void SetDate(std::optional<std::u16string> text) { date = std::move(text); }
    void SetRound(std::optional<std::u16string> text) { round = std::move(text); }
    void SetSite(std::optional<std::u16string> text) { site = std::move(text); }

    // Stores the low 8 bits of `code` (the properties dialog passes 0..3).
    void SetResult(int code);
    // "1-0", "1/2-1/2" ("½-½" in display form), "0-1"; "*" for every other code.
    const char16_t* ResultText(bool display) const;

    std::optional<std::u16string> white;
    std::optional<std::u16string> black;
    std::optional<std::u16string> event;
    std::optional<std::u16string> date;
    std::optional<std::u16string> round;
    std::optional<std::u16string> site;
    std::int32_t result = NoResult;
    // Byte offset of the first line of the game's tag section.
    std::uint64_t startOffset = 0;
    // Byte offset just past the game's text.
    std::uint64_t endOffset = 0;

private:
    LiveCount<InfosPartie> counter;
};

// One row of the game list: the header record plus the ECO code and the beginning of the
// game's movetext. Counts under "InfosPartie".
class GameListEntry : public InfosPartie {
public:
    static constexpr std::size_t FirstMovesLength = 30;

    GameListEntry() = default;

    void SetEco(std::optional<std::u16string> text) { eco = std::move(text); }
    // Keeps at most the first 30 characters.
    void SetFirstMoves(std::optional<std::u16string_view> text);

    std::optional<std::u16string> eco;
    // The first movetext line cut to 30 characters, or "(Position)" for a set-up game.
    std::optional<std::u16string> firstMoves;
};

} // namespace pawnlet
