#include "pgn/scan_games.h"

#include <cstring>

#include "pgn/game_bounds.h"
#include "pgn/line_reader.h"
#include "platform/byte_source.h"
#include "platform/text.h"

namespace pawnlet {

namespace {

// Tag names are ASCII, so the prefixes compare on the file's bytes.
// The value of the tag line `line` (its text after the first NUL byte ignored) whose name ends
// at `at`. Most values are a quote, plain text and a quote: those are taken in one look at the
// line, without the general reader's searches; any other goes through it.
void TagValue(std::string_view line, std::size_t at, std::string& value) {
    if (at < line.size() && line[at] == '"') {
        const std::string_view body = line.substr(at + 1);
        const std::size_t stop = FindAny<'"', '\\', '\0'>(body);
        if (stop < body.size() && body[stop] == '"') {
            value.assign(body.data(), stop);
            return;
        }
    }
    // The tag's name holds no NUL byte, so the line keeps at least `at` bytes.
    ExtractQuotedTo(UpToNul(line).substr(at), value);
}

void ApplyTag(ScannedGame& game, std::string_view line, bool& hasWhite, bool& hasBlack, bool& setUp,
              std::string& scratch) {
    std::size_t at = 0;
    switch (NameOfTag(line, at)) {
    case TagName::White:
        TagValue(line, at, game.white);
        hasWhite = true;
        break;
    case TagName::Black:
        TagValue(line, at, game.black);
        hasBlack = true;
        break;
    case TagName::Result:
        TagValue(line, at, scratch);
        game.result = ResultOfTag(scratch);
        break;
    case TagName::Round:
        TagValue(line, at, game.round);
        break;
    case TagName::Event:
        TagValue(line, at, game.event);
        break;
    case TagName::Eco:
        TagValue(line, at, game.eco);
        game.hasEco = true;
        break;
    case TagName::Date:
        TagValue(line, at, game.date);
        break;
    case TagName::Site:
        TagValue(line, at, game.site);
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

// At most `length` bytes of `text`, shortened so that no UTF-8 sequence is cut.
std::string_view Head(std::string_view text, std::size_t length, platform::TextEncoding encoding) {
    if (text.size() <= length) {
        return text;
    }
    std::size_t cut = length;
    if (encoding == platform::TextEncoding::Utf8) {
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
            --cut;
        }
    }
    return text.substr(0, cut);
}

} // namespace

bool ScanGameBytes(platform::ByteSource& file, std::int32_t& gameCount,
                   const GameScannedCallback& found) {
    if (!file.Seek(0)) {
        return false;
    }
    LineReader reader(file, 0);
    GameBounds bounds;
    ScannedGame game;
    std::string scratch;
    bool collecting = false;
    bool hasWhite = false;
    bool hasBlack = false;
    bool setUp = false;
    // A complete game whose text is still being read; `after` is where its first movetext
    // line ends.
    bool pending = false;
    std::uint64_t after = 0;
    // The pending game's tags are the first of the file; have any been seen yet.
    bool firstSection = false;
    bool sectionSeen = false;
    platform::Utf8Check text;
    auto deliver = [&] {
        if (!pending) {
            return;
        }
        pending = false;
        game.encoding = text.Encoding();
        if (firstSection && game.encoding == platform::TextEncoding::Ascii &&
            reader.SkippedByteOrderMark()) {
            game.encoding = platform::TextEncoding::Utf8;
        }
        if (!setUp) {
            game.firstMoves.resize(
                Head(game.firstMoves, GameListEntry::FirstMovesLength, game.encoding).size());
        }
        ++gameCount;
        found(game, after);
    };
    std::string_view line;
    while (reader.Next(line)) {
        switch (bounds.FeedFrom(reader, line)) {
        case LineRole::SectionStart:
            deliver();
            firstSection = !sectionSeen;
            sectionSeen = true;
            text = {};
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
            game.startOffset = reader.LineOffset();
            collecting = true;
            [[fallthrough]];
        case LineRole::Tag:
            ApplyTag(game, line, hasWhite, hasBlack, setUp, scratch);
            if (reader.MayHoldHighByte() || text.Pending()) {
                text.Feed(line, true);
            }
            // The rest of a tag line longer than the reader's lines is no movetext.
            if (reader.CutForLength()) {
                std::string_view piece;
                while (reader.CutForLength() && reader.Next(piece)) {
                    text.Feed(piece, false);
                }
            }
            break;
        case LineRole::FirstMovetext:
            text.Feed(line, reader.StartsLine());
            if (collecting && hasWhite && hasBlack && game.result != NoResult) {
                if (setUp) {
                    SetTo(game.firstMoves, "(Position)");
                } else {
                    // Kept whole for now: where it may be cut depends on the encoding.
                    SetTo(game.firstMoves,
                          UpToNul(line).substr(0, GameListEntry::FirstMovesLength + 3));
                }
                pending = true;
                after = reader.Offset();
            }
            // A game without White, Black or Result is passed over, and the next tag section
            // starts a game of its own.
            collecting = false;
            break;
        case LineRole::Movetext:
            if (reader.MayHoldHighByte() || text.Pending()) {
                text.Feed(line, reader.StartsLine());
            }
            break;
        case LineRole::Escape:
        case LineRole::Empty:
            break;
        }
    }
    deliver();
    return !reader.Failed();
}

bool ScanGames(platform::ByteSource& file, std::int32_t& gameCount,
               const GameFoundCallback& found) {
    return ScanGameBytes(file, gameCount, [&](const ScannedGame& game, std::uint64_t next) {
        auto entry = std::make_unique<GameListEntry>();
        entry->startOffset = game.startOffset;
        auto wide = [&](const std::string& bytes) {
            return platform::Decode(bytes, game.encoding);
        };
        entry->white = wide(game.white);
        entry->black = wide(game.black);
        entry->result = game.result;
        entry->event = wide(game.event);
        entry->date = wide(game.date);
        entry->round = wide(game.round);
        entry->site = wide(game.site);
        if (game.hasEco) {
            entry->eco = wide(game.eco);
        }
        entry->SetFirstMoves(wide(game.firstMoves));
        found(std::move(entry), next);
    });
}

} // namespace pawnlet
