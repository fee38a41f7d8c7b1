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

std::u16string Quoted(std::string_view rest) {
    return ExtractQuotedWide(rest);
}

// Tag names are ASCII, so the prefixes compare on the file's bytes; only values are converted.
void ApplyTag(GameListEntry& entry, std::string_view line, bool& setUp) {
    switch (line.size() > 1 ? line[1] : 0) {
    case 'W':
        if (StartsWith(line, "[White ")) {
            entry.SetWhite(Quoted(line.substr(7)));
        }
        break;
    case 'B':
        if (StartsWith(line, "[Black ")) {
            entry.SetBlack(Quoted(line.substr(7)));
        }
        break;
    case 'R':
        if (StartsWith(line, "[Result ")) {
            entry.SetResultText(Quoted(line.substr(8)));
        } else if (StartsWith(line, "[Round ")) {
            entry.SetRound(Quoted(line.substr(7)));
        }
        break;
    case 'E':
        if (StartsWith(line, "[Event ")) {
            entry.SetEvent(Quoted(line.substr(7)));
        } else if (StartsWith(line, "[ECO ")) {
            entry.SetEco(Quoted(line.substr(5)));
        }
        break;
    case 'D':
        if (StartsWith(line, "[Date ")) {
            entry.SetDate(Quoted(line.substr(6)));
        }
        break;
    case 'S':
        if (StartsWith(line, "[Site ")) {
            entry.SetSite(Quoted(line.substr(6)));
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

} // namespace

bool ScanGames(platform::File& file, std::int32_t& gameCount, const GameFoundCallback& found) {
    if (!file.Seek(0)) {
        return false;
    }
    LineReader reader(file, 0);
    std::unique_ptr<GameListEntry> entry;
    bool collecting = false;
    bool setUp = false;
    std::string_view line;
    while (reader.Next(line)) {
        if (reader.Offset() > std::numeric_limits<std::uint32_t>::max()) {
            break;
        }
        if (!line.empty() && line[0] == '[') {
            if (!collecting) {
                if (!entry) {
                    entry = std::make_unique<GameListEntry>();
                }
                entry->ResetForScan();
                entry->SetEco(std::nullopt);
                entry->startOffset = static_cast<std::uint32_t>(reader.LineOffset());
                collecting = true;
                setUp = false;
            }
            ApplyTag(*entry, UpToNul(line), setUp);
        } else if (collecting && entry->IsComplete()) {
            if (setUp) {
                entry->SetFirstMoves(std::u16string_view(u"(Position)"));
            } else {
                std::string_view head = UpToNul(line).substr(0, GameListEntry::FirstMovesLength);
                entry->SetFirstMoves(platform::AnsiToWide(head));
            }
            ++gameCount;
            found(std::move(entry), reader.Offset());
            entry = std::make_unique<GameListEntry>();
            collecting = false;
            setUp = false;
        } else if (collecting) {
            // The movetext of a game without White, Black or Result: the game is passed over,
            // and the next tag line starts a game of its own.
            collecting = false;
        }
    }
    return !reader.Failed();
}
