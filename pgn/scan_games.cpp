#include "pgn/scan_games.h"

#include <cstring>
#include <limits>

#include "pgn/game_bounds.h"
#include "pgn/line_reader.h"
#include "platform/file.h"
#include "platform/text.h"

namespace {

// Tag names are ASCII, so the prefixes compare on the file's bytes.
void ApplyTag(ScannedGame& game, std::string_view line, bool& hasWhite, bool& hasBlack,
              bool& setUp, std::string& scratch) {
    std::size_t at = 0;
    switch (NameOfTag(line, at)) {
    case TagName::White:
        ExtractQuotedTo(line.substr(at), game.white);
        hasWhite = true;
        break;
    case TagName::Black:
        ExtractQuotedTo(line.substr(at), game.black);
        hasBlack = true;
        break;
    case TagName::Result:
        ExtractQuotedTo(line.substr(at), scratch);
        game.result = ResultOfTag(scratch);
        break;
    case TagName::Round:
        ExtractQuotedTo(line.substr(at), game.round);
        break;
    case TagName::Event:
        ExtractQuotedTo(line.substr(at), game.event);
        break;
    case TagName::Eco:
        ExtractQuotedTo(line.substr(at), game.eco);
        game.hasEco = true;
        break;
    case TagName::Date:
        ExtractQuotedTo(line.substr(at), game.date);
        break;
    case TagName::Site:
        ExtractQuotedTo(line.substr(at), game.site);
        break;
    case TagName::SetUp:
        setUp = true;
        break;
    case TagName::Fen:
    case TagName::Other:
        break;
    }
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
    GameBounds bounds;
    ScannedGame game;
    std::string scratch;
    std::string none;
    bool collecting = false;
    bool hasWhite = false;
    bool hasBlack = false;
    bool setUp = false;
    std::string_view line;
    while (reader.Next(line)) {
        if (reader.Offset() > std::numeric_limits<std::uint32_t>::max()) {
            break;
        }
        switch (bounds.FeedFrom(reader, line)) {
        case LineRole::SectionStart:
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
            [[fallthrough]];
        case LineRole::Tag:
            ApplyTag(game, UpToNul(line), hasWhite, hasBlack, setUp, scratch);
            // The rest of a tag line longer than the reader's lines is no movetext.
            if (reader.CutForLength()) {
                ReadRestOfLine(reader, none, 0);
            }
            break;
        case LineRole::FirstMovetext:
            if (collecting && hasWhite && hasBlack && game.result != NoResult) {
                if (setUp) {
                    game.firstMoves = "(Position)";
                } else {
                    game.firstMoves = UpToNul(line).substr(0, GameListEntry::FirstMovesLength);
                }
                ++gameCount;
                found(game, reader.Offset());
            }
            // A game without White, Black or Result is passed over, and the next tag section
            // starts a game of its own.
            collecting = false;
            break;
        case LineRole::Movetext:
        case LineRole::Escape:
        case LineRole::Empty:
            break;
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
