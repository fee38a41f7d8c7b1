#include "fuzz/fuzz_entries.h"

#include <algorithm>
#include <array>
#include <memory>
#include <sstream>
#include <vector>

#include "chess/fen.h"
#include "chess/position.h"
#include "chess/san.h"
#include "gametree/coup.h"
#include "gametree/move_text.h"
#include "hardening/recording_shell.h"
#include "hardening/tree_check.h"
#include "pgn/partie.h"
#include "pgn/scan_games.h"
#include "pgn/writer.h"
#include "platform/file.h"
#include "platform/text.h"

using namespace pawnlet;

namespace fuzz {

namespace {

using Fault = std::optional<std::string>;

std::string_view AsBytes(Input input) {
    return {reinterpret_cast<const char*>(input.data()), input.size()};
}

std::string Utf8(std::u16string_view text) {
    return platform::ToUtf8(text);
}

// Scratch files of this process, reused from input to input.
const TempDir& Scratch() {
    static const TempDir dir;
    return dir;
}

// Runs `body` and then checks that every object it made is gone again.
template <class Body> Fault WithoutLeaks(Body&& body) {
    const LiveCounts start = LiveCounts::Now();
    Fault fault = body();
    if (fault) {
        return fault;
    }
    const LiveCounts end = LiveCounts::Now();
    if (!(end == start)) {
        return "live counters did not return to their start: before " + start.Describe() +
               "; after " + end.Describe();
    }
    return std::nullopt;
}

// What a refusal must leave alone (the tested-move cache excepted).
struct Snapshot {
    explicit Snapshot(const Position& p)
        : board(p.board), rights{p.castleWhiteKing, p.castleWhiteQueen, p.castleBlackKing,
                                 p.castleBlackQueen},
          enPassant(p.enPassant), sideToMove(p.sideToMove), evaluation(p.evaluation),
          moveNumber(p.moveNumber), setUp(p.setUp), comment(p.comment) {
        for (const Coup* move = p.firstMove.get(); move; move = move->next.get()) {
            moves.push_back(move);
        }
    }
    bool operator==(const Snapshot&) const = default;

    std::array<PieceCode, 64> board;
    std::array<std::uint8_t, 4> rights;
    Square enPassant;
    Colour sideToMove;
    std::uint8_t evaluation;
    int moveNumber;
    int setUp;
    std::optional<std::u16string> comment;
    std::vector<const Coup*> moves;
};

// The move just played from `before` (reaching `after`) must be linked in, and its text must
// read back, in a copy of `before` made through FEN, as the same move.
Fault CheckPlayed(Position& before, Position& after) {
    const Coup* move = after.previousMove;
    if (move == nullptr || move->before != &before || move->after.get() != &after) {
        return "a move played is not linked between its two positions";
    }
    bool listed = false;
    for (const Coup* m = before.firstMove.get(); m; m = m->next.get()) {
        listed = listed || m == move;
    }
    if (!listed) {
        return "a move played is missing from its position's list";
    }
    if (!before.IsConsistent() || !after.IsConsistent()) {
        return "a position is inconsistent after a move: " + Utf8(WriteFen(before));
    }
    const std::u16string text = MoveText(*move, false, true);
    const std::u16string fen = WriteFen(before);
    Position copy;
    if (ReadFen(copy, fen) == 0) {
        return "the FEN writer's text is refused by the reader: " + Utf8(fen);
    }
    Position* again = ReadSan(copy, text);
    if (again == nullptr) {
        return "the move text \"" + Utf8(text) + "\" does not read back in " + Utf8(fen);
    }
    const Coup& read = *again->previousMove;
    if (read.from != move->from || read.to != move->to || read.promotion != move->promotion) {
        return "the move text \"" + Utf8(text) + "\" reads back as another move in " + Utf8(fen);
    }
    return std::nullopt;
}

// Plays every move the legality test accepts for the side to move (a bounded number), each as
// an alternative of the position, and reads each one's text back.
Fault CheckEveryMove(Position& position) {
    int played = 0;
    for (int from = 0; from < 64; ++from) {
        const PieceCode code = position.board[from];
        if (code == Empty || ColourOf(code) != position.sideToMove) {
            continue;
        }
        for (int to = 0; to < 64 && played < 128; ++to) {
            const auto f = static_cast<Square>(from);
            const auto t = static_cast<Square>(to);
            if (!position.IsLegalMove(f, t)) {
                continue;
            }
            Position* after = position.PlayMove(f, t, nullptr, Queen);
            if (after == nullptr) {
                return "PlayMove refuses a move that IsLegalMove accepts in " +
                       Utf8(WriteFen(position));
            }
            ++played;
            if (Fault fault = CheckPlayed(position, *after)) {
                return fault;
            }
        }
    }
    return std::nullopt;
}

// Positions that the SAN target plays from: the start, and positions with castling, en passant,
// promotions, captures and pieces that need a hint to tell them apart.
constexpr std::array<const char16_t*, 8> SanPositions = {
    u"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    u"r3k2r/pPppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    u"r3k2r/pPppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1",
    u"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    u"n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    u"4k3/8/1N3N2/8/1N3N2/8/8/R3K2R w KQ - 0 1",
    u"r3k2r/8/8/3Q4/8/3Q1Q2/8/4K3 b kq - 0 20",
    u"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
};

Fault ReadFenBody(Input input) {
    const std::u16string text = platform::AnsiToWide(AsBytes(input));
    Position position;
    // A state of its own that no FEN text gives by accident, so that a refusal that touched the
    // position shows.
    position.moveNumber = 4321;
    position.enPassant = 19;
    const Snapshot before(position);
    if (ReadFen(position, text) == 0) {
        if (!(Snapshot(position) == before)) {
            return std::string("a refused FEN text changed the position");
        }
        return std::nullopt;
    }
    if (position.setUp != 1) {
        return std::string("an accepted FEN text leaves setUp clear");
    }
    if (!position.IsConsistent()) {
        return "an accepted FEN text gives an inconsistent position: " + Utf8(WriteFen(position));
    }
    const std::u16string written = WriteFen(position);
    Position again;
    if (ReadFen(again, written) == 0) {
        return "the FEN writer's text is refused by the reader: " + Utf8(written);
    }
    if (WriteFen(again) != written) {
        return "FEN text does not write back the same: " + Utf8(written) + " then " +
               Utf8(WriteFen(again));
    }
    return CheckEveryMove(position);
}

Fault ReadSanBody(Input input) {
    if (input.empty()) {
        return std::nullopt;
    }
    Position root;
    const char16_t* fen = SanPositions[input[0] % SanPositions.size()];
    if (ReadFen(root, fen) == 0) {
        return "the target's own position is refused: " + Utf8(fen);
    }
    const std::u16string text = platform::AnsiToWide(AsBytes(input.subspan(1)));
    Position* current = &root;
    std::size_t at = 0;
    for (int tokens = 0; tokens < 64 && at < text.size(); ++tokens) {
        const std::size_t end = std::min(text.find(u' ', at), text.size());
        const std::u16string token = text.substr(at, end - at);
        at = end + 1;
        const Snapshot before(*current);
        Position* after = ReadSan(*current, token);
        if (after == nullptr) {
            if (!(Snapshot(*current) == before)) {
                return "a refused move text \"" + Utf8(token) + "\" changed the tree";
            }
            continue;
        }
        if (Fault fault = CheckPlayed(*current, *after)) {
            return fault;
        }
        current = after;
    }
    return CheckTree(root);
}

std::string Describe(const ParseResult& result) {
    std::ostringstream out;
    out << "code " << static_cast<int>(result.code) << " (" << Utf8(ErrorText(result)) << ")";
    return out.str();
}

// What every successful load must give.
Fault CheckLoaded(const Partie& partie, const std::u16string& path, std::uint64_t size) {
    if (partie.startOffset > partie.endOffset || partie.endOffset > size) {
        std::ostringstream out;
        out << "a loaded game's byte range [" << partie.startOffset << ", " << partie.endOffset
            << ") does not lie in the file of " << size << " bytes";
        return out.str();
    }
    if (partie.changed || !partie.hasFile || partie.path != path) {
        return std::string("a loaded game is not bound to its file, unchanged");
    }
    return CheckTree(partie.startPosition);
}

// Loads one game, checks it, and gives back its end offset (0 when it did not load).
Fault LoadOne(const std::u16string& path, std::uint64_t size, std::uint32_t offset,
              std::int32_t count, std::uint32_t& endOffset) {
    endOffset = 0;
    auto partie = std::make_unique<Partie>();
    const ParseResult result = LoadGame(*partie, nullptr, path, offset, count);
    if (result.code < ParseError::NoError || result.code > ParseError::CommentTooLong) {
        return "LoadGame returns an unknown " + Describe(result);
    }
    if (result != ParseError::NoError) {
        return std::nullopt;
    }
    if (Fault fault = CheckLoaded(*partie, path, size)) {
        return fault;
    }
    endOffset = partie->endOffset;
    return std::nullopt;
}

Fault LoadBody(Input input) {
    const auto file = Scratch() / "load.pgn";
    WriteBytes(file, AsBytes(input));
    const std::u16string path = WidePath(file);
    RecordingShell shell;
    std::uint32_t end = 0;
    if (Fault fault = LoadOne(path, input.size(), 0, 0, end)) {
        return fault;
    }
    // Each game the list offers by its offset, then the next-game loads that follow it.
    const std::vector<std::uint32_t> offsets = shell.lastOffsets;
    const auto count = static_cast<std::int32_t>(offsets.size());
    int loads = 0;
    for (std::uint32_t offset : offsets) {
        while (offset != 0 && loads++ < 32) {
            if (Fault fault = LoadOne(path, input.size(), offset, count, end)) {
                return fault;
            }
            if (end <= offset || end >= input.size()) {
                break;
            }
            offset = end;
        }
    }
    return std::nullopt;
}

Fault ScanBody(Input input) {
    const auto file = Scratch() / "scan.pgn";
    WriteBytes(file, AsBytes(input));
    platform::File handle;
    if (!handle.Open(WidePath(file), platform::OpenMode::Read)) {
        return std::string("the scratch file does not open");
    }
    constexpr std::int32_t initial = 5;
    std::int32_t count = initial;
    int delivered = 0;
    Fault fault;
    std::int64_t lastStart = -1;
    const bool complete = ScanGames(
        handle, count, [&](std::unique_ptr<GameListEntry> entry, std::uint64_t afterFirstLine) {
            ++delivered;
            if (fault) {
                return;
            }
            const std::uint32_t start = entry->startOffset;
            if (static_cast<std::int64_t>(start) <= lastStart || start >= input.size() ||
                input[start] != '[') {
                fault = "a game's start offset is out of order or not on a tag line";
            } else if (afterFirstLine <= start || afterFirstLine > input.size()) {
                fault = "the offset after a game's first movetext line is out of its file";
            } else if (!entry->white || !entry->black || entry->result == NoResult) {
                fault = "a game was delivered without its White, Black and Result tags";
            } else if (entry->firstMoves &&
                       entry->firstMoves->size() > GameListEntry::FirstMovesLength) {
                fault = "a game's first moves are longer than the list keeps";
            }
            lastStart = start;
        });
    if (fault) {
        return fault;
    }
    if (!complete) {
        return std::string("the scan of an ordinary file reports a read failure");
    }
    if (count != initial + delivered) {
        return std::string("the game counter does not match the games delivered");
    }
    return std::nullopt;
}

// Where two texts first differ, for the report.
std::string FirstDifference(const std::string& a, const std::string& b) {
    const auto at = static_cast<std::size_t>(
        std::mismatch(a.begin(),
                      a.begin() + static_cast<std::ptrdiff_t>(std::min(a.size(), b.size())),
                      b.begin())
            .first -
        a.begin());
    std::ostringstream out;
    out << "byte " << at << ": \"" << a.substr(at > 20 ? at - 20 : 0, 60) << "\" then \""
        << b.substr(at > 20 ? at - 20 : 0, 60) << "\"";
    return out.str();
}

// The start offsets the game list gives for the file at `path`.
std::vector<std::uint32_t> ListedStarts(const std::filesystem::path& path) {
    std::vector<std::uint32_t> starts;
    platform::File file;
    std::int32_t count = 0;
    if (file.Open(WidePath(path), platform::OpenMode::Read)) {
        (void)ScanGames(file, count, [&](std::unique_ptr<GameListEntry> entry, std::uint64_t) {
            starts.push_back(entry->startOffset);
        });
    }
    return starts;
}

// Saves the loaded game back in place and checks that the rest of its file is untouched, and
// that the list still shows every other game, where it was but for the change in length.
Fault CheckSaveInPlace(Partie& partie, const std::string& original, const std::string& text,
                       const std::vector<std::uint32_t>& listed) {
    const std::size_t start = partie.startOffset;
    const std::size_t end = partie.endOffset;
    for (std::uint32_t other : listed) {
        if (other > start && other < end) {
            return std::string("a loaded game's range holds the start of another listed game");
        }
    }
    partie.changed = true;
    if (SaveGame(partie) != 0) {
        return std::string("saving a game back into its own file fails");
    }
    const std::string saved = ReadBytes(Scratch() / "roundtrip.pgn");
    // The game's range is replaced and the rest kept; a game alone in its file may instead be
    // written as the whole file.
    const std::string inPlace = original.substr(0, start) + text + original.substr(end);
    const bool whole = partie.gamesInFile <= 1 && saved == text;
    if (saved != inPlace && !whole) {
        return "a save changed the text around the game: " + FirstDifference(inPlace, saved);
    }
    if (!whole && partie.endOffset != start + text.size()) {
        return std::string("after an in-place save the game's end offset is wrong");
    }
    if (partie.changed) {
        return std::string("a saved game is still marked changed");
    }
    if (platform::FileExists(WidePath(Scratch() / "roundtrip.pgn.bak"))) {
        return std::string("a save that succeeded left its .bak copy behind");
    }
    // Only a game the list offers has a place among the others to keep (the harness's list may
    // load a game from the start of a file that lists none). Every other game stays listed, where
    // it was but for the change in length; the list may gain one, where the saved game's text no
    // longer leaves a comment open after it.
    const bool listedGame = std::find(listed.begin(), listed.end(), start) != listed.end();
    if (!whole && listedGame) {
        const std::vector<std::uint32_t> now = ListedStarts(Scratch() / "roundtrip.pgn");
        for (std::uint32_t other : listed) {
            const auto expected = static_cast<std::uint32_t>(
                other <= start ? other : other + text.size() - (end - start));
            if (std::find(now.begin(), now.end(), expected) == now.end()) {
                return std::string("after a save the list shows the other games elsewhere");
            }
        }
    }
    return std::nullopt;
}

Fault RoundTripBody(Input input) {
    const auto first = Scratch() / "roundtrip.pgn";
    const auto second = Scratch() / "written.pgn";
    WriteBytes(first, AsBytes(input));
    RecordingShell shell;
    auto partie = std::make_unique<Partie>();
    if (LoadGame(*partie, nullptr, WidePath(first), 0, 0) != ParseError::NoError) {
        return std::nullopt;
    }
    const std::vector<std::uint32_t> listed = shell.lastOffsets;
    if (Fault fault = CheckLoaded(*partie, WidePath(first), input.size())) {
        return fault;
    }
    const std::string text = WriteGameText(*partie);
    {
        platform::File out;
        if (!out.Open(WidePath(second), platform::OpenMode::Create) || !out.SetEnd() ||
            !WriteGame(*partie, out) || !out.Close()) {
            return std::string("writing the game to a scratch file fails");
        }
    }
    if (ReadBytes(second) != text) {
        return std::string("WriteGame and WriteGameText write different bytes");
    }
    auto again = std::make_unique<Partie>();
    const ParseResult result = LoadGame(*again, nullptr, WidePath(second), 0, 0);
    if (result != ParseError::NoError) {
        return "a written game does not load again: " + Describe(result);
    }
    const std::string rewritten = WriteGameText(*again);
    if (rewritten != text) {
        return "a game written, loaded and written again changes: " +
               FirstDifference(text, rewritten);
    }
    if (CountMoves(again->startPosition) != CountMoves(partie->startPosition)) {
        return std::string("a game written and loaded again has another number of moves");
    }
    return CheckSaveInPlace(*partie, std::string(AsBytes(input)), text, listed);
}

} // namespace

std::optional<std::string> ReadFenEntry(Input input) {
    return WithoutLeaks([&] { return ReadFenBody(input); });
}
std::optional<std::string> ReadSanEntry(Input input) {
    return WithoutLeaks([&] { return ReadSanBody(input); });
}
std::optional<std::string> LoadEntry(Input input) {
    return WithoutLeaks([&] { return LoadBody(input); });
}
std::optional<std::string> ScanEntry(Input input) {
    return WithoutLeaks([&] { return ScanBody(input); });
}
std::optional<std::string> RoundTripEntry(Input input) {
    return WithoutLeaks([&] { return RoundTripBody(input); });
}

Entry FindEntry(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, Entry>, 5> entries = {{
        {"fen", ReadFenEntry},
        {"san", ReadSanEntry},
        {"load", LoadEntry},
        {"scan", ScanEntry},
        {"roundtrip", RoundTripEntry},
    }};
    for (const auto& [entryName, entry] : entries) {
        if (entryName == name) {
            return entry;
        }
    }
    return nullptr;
}

} // namespace fuzz
