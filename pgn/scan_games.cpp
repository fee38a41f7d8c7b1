#include "pgn/scan_games.h"

#include <cstring>
#include <limits>

#include "pgn/line_reader.h"
#include "platform/file.h"
#include "platform/text.h"

namespace {

bool StartsWith(std::string_view line, std::string_view prefix) {
    return line.size() >= prefix.size() &&
           std::memcmp(line.data(), prefix.data(), prefix.size()) == 0;
}

// The result code of a Result tag's value; only the exact texts count ("½" is 0xBD).
GameResult ResultOf(std::string_view value) {
    if (value == "1-0") {
        return WhiteWins;
    }
    if (value == "0-1") {
        return BlackWins;
    }
    if (value == "1/2-1/2" || value == "\xBD-\xBD") {
        return Draw;
    }
    return Unfinished;
}

// Tag names are ASCII, so the prefixes compare on the file's bytes.
void ApplyTag(ScannedGame& game, std::string_view line, bool& hasWhite, bool& hasBlack,
              bool& setUp, std::string& scratch) {
    switch (line.size() > 1 ? line[1] : 0) {
    case 'W':
        if (StartsWith(line, "[White ")) {
            ExtractQuotedTo(line.substr(7), game.white);
            hasWhite = true;
        }
        break;
    case 'B':
        if (StartsWith(line, "[Black ")) {
            ExtractQuotedTo(line.substr(7), game.black);
            hasBlack = true;
        }
        break;
    case 'R':
        if (StartsWith(line, "[Result ")) {
            ExtractQuotedTo(line.substr(8), scratch);
            game.result = ResultOf(scratch);
        } else if (StartsWith(line, "[Round ")) {
            ExtractQuotedTo(line.substr(7), game.round);
        }
        break;
    case 'E':
        if (StartsWith(line, "[Event ")) {
            ExtractQuotedTo(line.substr(7), game.event);
        } else if (StartsWith(line, "[ECO ")) {
            ExtractQuotedTo(line.substr(5), game.eco);
            game.hasEco = true;
        }
        break;
    case 'D':
        if (StartsWith(line, "[Date ")) {
            ExtractQuotedTo(line.substr(6), game.date);
        }
        break;
    case 'S':
        if (StartsWith(line, "[Site ")) {
            ExtractQuotedTo(line.substr(6), game.site);
        } else if (StartsWith(line, "[SetUp ")) {
            setUp = true;
        }
        break;
    default:
        break;
    }
}

std::string_view UpToNul(std::string_view line) {
    const void* nul = std::memchr(line.data(), 0, line.size());
    return nul == nullptr ? line : line.substr(0, static_cast<const char*>(nul) - line.data());
}

// Replaces the text of `text`, keeping its room.
void SetTo(std::string& text, std::string_view value) {
    text.clear();
    text.append(value.data(), value.size());
}

std::optional<std::u16string> WideOf(std::string_view bytes) {
    return platform::AnsiToWide(bytes);
}

} // namespace

bool ScanGameBytes(platform::File& file, std::int32_t& gameCount,
                   const GameScannedCallback& found) {
    if (!file.Seek(0)) {
        return false;
    }
    LineReader reader(file, 0);
    ScannedGame game;
    std::string scratch;
    bool collecting = false;
    bool hasWhite = false;
    bool hasBlack = false;
    bool setUp = false;
    std::string_view line;
    while (reader.Next(line)) {
        if (reader.Offset() > std::numeric_limits<std::uint32_t>::max()) {
            break;
        }
        if (!line.empty() && line[0] == '[') {
            if (!collecting) {
                // A new game: no White, Black or result yet, and the defaults of the others.
                hasWhite = false;
                hasBlack = false;
                setUp = false;
                game.result = NoResult;
                SetTo(game.date, "??\\??");
                SetTo(game.round, "?");
                SetTo(game.site, "?");
                SetTo(game.event, "?");
                game.hasEco = false;
                game.eco.clear();
                game.startOffset = static_cast<std::uint32_t>(reader.LineOffset());
                collecting = true;
            }
            ApplyTag(game, UpToNul(line), hasWhite, hasBlack, setUp, scratch);
            // The rest of a tag line longer than the reader's lines is no movetext.
            std::string none;
            ReadRestOfLine(reader, none, 0);
        } else if (line.empty()) {
            // The rest of a line break that the reader's length limit cut in two.
        } else if (collecting && hasWhite && hasBlack && game.result != NoResult) {
            if (setUp) {
                game.firstMoves = "(Position)";
            } else {
                game.firstMoves = UpToNul(line).substr(0, GameListEntry::FirstMovesLength);
            }
            ++gameCount;
            found(game, reader.Offset());
            collecting = false;
        } else if (collecting) {
            // The movetext of a game without White, Black or Result: the game is passed over,
            // and the next tag line starts a game of its own.
            collecting = false;
        }
    }
    return !reader.Failed();
}

bool ScanGames(platform::File& file, std::int32_t& gameCount, const GameFoundCallback& found) {
    return ScanGameBytes(file, gameCount, [&](const ScannedGame& game, std::uint64_t next) {
        auto entry = std::make_unique<GameListEntry>();
        entry->startOffset = game.startOffset;
        entry->white = WideOf(game.white);
        entry->black = WideOf(game.black);
        entry->result = game.result;
        entry->event = WideOf(game.event);
        entry->date = WideOf(game.date);
        entry->round = WideOf(game.round);
        entry->site = WideOf(game.site);
        if (game.hasEco) {
            entry->eco = WideOf(game.eco);
        }
        entry->SetFirstMoves(platform::AnsiToWide(game.firstMoves));
        found(std::move(entry), next);
    });
}
