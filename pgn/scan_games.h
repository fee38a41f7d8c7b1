// The index of a multi-game PGN file: one GameListEntry per game, read from the tag sections.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "pgn/infos_partie.h"
// A File is the source most callers pass.
#include "platform/file.h"
#include "platform/text.h"

namespace pawnlet {

// Called once per game, in file order, with the new entry (the callee owns it from then on) and
// the file offset just after the game's first movetext line. A game is delivered once its text
// has been read to its end (where the next game's tags begin, or the end of the file), which
// its encoding depends on.
using GameFoundCallback = std::function<void(std::unique_ptr<GameListEntry>, std::uint64_t)>;

// Reads `file` from its start (a stream: from where it stands, which is taken to be its start)
// and delivers every game whose White, Black and Result tags were
// seen; `gameCount` grows by one per game (it is not reset). A game without one of those tags
// is passed over, and the game after it is delivered with its own start offset and its own
// tags only. A read failure ends the scan like the end of the file; false then (the games found
// up to there have been delivered).
bool ScanGames(platform::ByteSource& file, std::int32_t& gameCount, const GameFoundCallback& found);

// One game of a scan as the bytes of the file, in the game's encoding, for readers that need no
// UTF-16 texts: the tag values with their escapes resolved, the fields ScanGames would give
// their texts, set the same way.
struct ScannedGame {
    std::uint64_t startOffset = 0;
    // Decided from the bytes of the game's tag lines and of its text up to the next game's
    // tags, as the loader decides it; the first game of a file that begins with a UTF-8
    // byte-order mark is UTF-8 unless its bytes are not.
    platform::TextEncoding encoding = platform::TextEncoding::Ascii;
    std::string white;
    std::string black;
    std::string event;
    std::string date;
    std::string round;
    std::string site;
    std::string eco;
    bool hasEco = false;
    GameResult result = NoResult;
    // At most the first 30 bytes of the first movetext line (no UTF-8 sequence cut), or
    // "(Position)" for a set-up game.
    std::string firstMoves;
};

// The same scan as ScanGames, giving each game as bytes; the record is reused from one game to
// the next (its strings keep their room), so a game costs no allocation.
using GameScannedCallback = std::function<void(const ScannedGame&, std::uint64_t)>;
bool ScanGameBytes(platform::ByteSource& file, std::int32_t& gameCount,
                   const GameScannedCallback& found);

} // namespace pawnlet
