// Turning the movetext of one game into its move tree, and the load error codes with their
// texts and message boxes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/shell.h"

namespace pawnlet {

class Parser;
class Position;

// Why a game could not be read; also the exit code of pawnlet-cli for that failure.
enum class ParseError : int {
    NoError = 0,
    Cancelled = 1,            // the user closed the game list: no failure, nothing to show
    NoGame = 2,               // no game at the requested place
    OpenFailed = 3,           // the file cannot be opened (or read)
    BadStartPosition = 4,     // the FEN tag is not a valid position
    BadHeaders = 5,           // FEN without "[SetUp "1"]", or SetUp without FEN
    UnknownToken = 6,         // a character that starts no token
    BadVariation = 7,         // a variation where no move has been played yet
    IllegalMove = 8,          // a move that cannot be read or played
    IllegalVariationMove = 9, // the first move of a variation cannot be read or played
    CommentTooLong = 10,      // a comment's text could not be stored
};

// What a caller of LoadGame does next: install the game, stop silently, say that there is no
// game there, say that the file cannot be opened, or show why the game's text was refused.
enum class LoadOutcome { Loaded, Cancelled, NoGame, OpenFailed, Refused };
[[nodiscard]] LoadOutcome OutcomeOf(ParseError code);

// The result of ParseMoves, ReadGame and LoadGame: the code, and for UnknownToken and IllegalMove
// the token that was refused, which the code's text names. The token travels with the code so
// that a game read on one thread cannot change the text of a failure on another.
struct ParseResult {
    ParseResult() = default;
    // A code whose text names no token.
    ParseResult(ParseError code) : code(code) {} // NOLINT(google-explicit-constructor)
    ParseResult(ParseError code, std::u16string_view token);

    // A result is its code as far as comparisons go: the token only explains it.
    friend bool operator==(const ParseResult& result, ParseError code) {
        return result.code == code;
    }

    ParseError code = ParseError::NoError;
    std::u16string token;
};

// Variations nest at most this deep; deeper text is refused as BadVariation rather than
// exhausting the stack.
inline constexpr int MaxVariationDepth = 512;

// Reads tokens until the game (or, for a variation, the variation) ends, playing each move from
// `position` with ReadSan. `inVariation` says that the call reads a variation whose first move
// has not been played yet. On an error the caller discards the whole game.
[[nodiscard]] ParseResult ParseMoves(Parser& parser, Position& position, bool inVariation);

// The text for a result ("Illegal move : Ke2" for IllegalMove, with the token it carries).
std::u16string ErrorText(const ParseResult& result);

// A message box with ErrorText(result), `caption` and the stop icon.
void ShowLoadError(const ParseResult& result, const std::u16string& caption,
                   platform::Window owner);
// A message box with the system's text for `systemCode`, `caption` and the stop icon.
void ShowSystemError(int systemCode, const std::u16string& caption, platform::Window owner);

} // namespace pawnlet
