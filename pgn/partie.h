// The game document: one game with its header, start position, move tree and extra tags,
// bound to a place in a PGN file.
//
// A save replaces only the game's own byte range [startOffset, endOffset), so that the other
// games of the file stay byte for byte as they were; a game alone in its file is the whole file.
// Loading never leaves a half-loaded game and saving never loses data: every failure returns its
// code, and a save either completes or leaves the file as it was, even when the process is
// killed halfway (platform/replace_range.h tells how).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "chess/position.h"
#include "pgn/infos_partie.h"
#include "pgn/parse_moves.h"
#include "pgn/pgn_header.h"
#include "platform/file.h"
#include "platform/live_count.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace pawnlet {

class LineReader;

// The failure code of the save operations (the platform's generic failure).
inline constexpr std::int32_t SaveFailed = static_cast<std::int32_t>(0x80004005u);

// The tag part of a game as one value: the roster texts, the result, the extra tags in file
// order and how the game's text is encoded. Partie::Tags and Partie::SetTags copy it whole, so
// that what keeps a game's tags aside (the undo of the properties dialogs) keeps a tag field
// added later without being told.
struct GameTags {
    std::optional<std::u16string> white, black, event, date, round, site;
    std::int32_t result = NoResult;
    platform::TextEncoding encoding = platform::TextEncoding::Ascii;
    std::vector<std::pair<std::u16string, std::u16string>> extraTags;

    bool operator==(const GameTags&) const = default;
};

class Partie : public InfosPartie {
public:
    // White "White", Black "Black", Round "?", no result, the standard start position, no file
    // ("Game1.pgn"), nothing changed.
    Partie();
    ~Partie() override;

    // Appends a pair to the extra tags (in constant time, however many there are).
    void AppendExtraTag(std::unique_ptr<PGNHeader> header);
    // Removes every extra tag.
    void ClearExtraTags();

    // The tag part of the game, and its replacement by another.
    [[nodiscard]] GameTags Tags() const;
    void SetTags(const GameTags& tags);

    // --- Fields

    // Root of the move tree; setUp marks a game with its own start position, its comment is
    // the game's opening comment.
    Position startPosition;
    // Loaded from or saved to `path`.
    bool hasFile = false;
    // The game properties dialog has been confirmed for this game.
    bool propertiesConfirmed = false;
    std::u16string path = u"Game1.pgn";
    // The extra tags in file order.
    std::unique_ptr<PGNHeader> extraTags;
    // Edited since loaded or saved.
    bool changed = false;
    // 0 no file yet, 1 the game alone in its file, 2 or more a file of several games.
    std::int32_t gamesInFile = 0;
    // The file as last loaded or saved (its inode, size, modification and change times): a save
    // refuses to write when another program changed or replaced the file since.
    std::optional<platform::FileStamp> fileStamp;
    // How the game's text is written in its file; see platform::TextEncoding.
    platform::TextEncoding encoding = platform::TextEncoding::Ascii;

private:
    PGNHeader* lastExtraTag = nullptr;
    LiveCount<Partie> counter;
};

// Loads into `partie` (freshly constructed) the game of `path` whose tag section begins at or
// after `offset`. Offset 0 asks the installed Shell for the game list, which chooses the offset
// and counts the games; another offset takes `count` as gamesInFile. A save of the file that was
// interrupted is undone first (RestoreInterruptedSave). On any result but NoError the caller
// destroys the Partie.
[[nodiscard]] ParseResult LoadGame(Partie& partie, platform::Window owner,
                                   const std::u16string& path, std::uint64_t offset,
                                   std::int32_t count);

// Reads into `partie` (freshly constructed) the game whose tag section begins at or after the
// reader's position, and sets its startOffset and endOffset. The file binding is not touched:
// LoadGame does that. Used by LoadGame and to go through every game of a file in one pass.
[[nodiscard]] ParseResult ReadGame(Partie& partie, LineReader& reader);

// Writes the game to its file, in place of its own byte range (a game never saved to a file gets
// a new one), after checking that no other program changed the file since it was loaded or
// saved; 0, or SaveFailed after a message box (text: the path and what went wrong, caption
// "Unable to save game"). A failed save leaves `changed` set and the file as it was.
[[nodiscard]] std::int32_t SaveGame(Partie& partie);
// Binds the game to `newPath` and saves it: appended to the file there when one exists, else
// as a new file. On failure the game keeps its former binding.
[[nodiscard]] std::int32_t SaveGameTo(Partie& partie, const std::u16string& newPath);
// When a save of the file at `path` was interrupted (the process was killed while it rewrote the
// file in place), puts the file back as it was before that save from the journal the save kept,
// and says so in a message box (caption "Pawnlet"). Called before anything reads a file.
void RestoreInterruptedSave(const std::u16string& path, platform::Window owner);
// The Save command: true when the game was saved.
bool SaveCommand(Partie& partie, platform::Window owner);
// The Save As command: true when the game was saved.
bool SaveAsCommand(Partie& partie, platform::Window owner);
// Asks whether to save a changed game; true when the caller may replace or close it.
bool ConfirmSave(Partie& partie, platform::Window owner);
// The game properties dialog; its result (2 for Cancel).
int EditProperties(Partie& partie, platform::Window owner);
// The other-tags dialog; its result.
int EditOtherTags(Partie& partie, platform::Window owner);

} // namespace pawnlet
