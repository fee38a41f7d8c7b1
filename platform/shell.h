// The services the core asks of the user interface.
//
// The core never talks to a toolkit. Whatever needs a person (a message box, the promotion
// choice, the game list, the game properties, the save-file dialog) goes through the Shell that
// is installed at start: the Qt program installs its own, tests install a scripted fake, the
// command-line companion a non-interactive one. When nothing is installed, a silent default
// answers every question with "cancel" and writes messages to the debug output.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pawnlet {

class Partie;

namespace platform {

class File;

// An owner window, opaque to the core. Null means "no owner".
using Window = void*;

enum class Icon { None, Stop, Exclamation, Information };
enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

// Dialog results, as every dialog returns them.
inline constexpr int DialogOk = 1;
inline constexpr int DialogCancel = 2;
inline constexpr int DialogFailed = -1;

struct FileFilter {
    std::u16string description; // "PGN files"
    std::u16string pattern;     // "*.pgn"
};

class Shell {
public:
    virtual ~Shell() = default;

    virtual Answer MessageBox(Window owner, const std::u16string& text,
                              const std::u16string& caption, Icon icon, Buttons buttons) = 0;

    // The piece a pawn promotes to: 5 queen, 2 rook, 3 knight, 4 bishop; 0 when the user
    // declined to choose.
    virtual int ChoosePromotionPiece() = 0;

    // Runs the game list over `file` (open for reading). On OK, `offset` is the chosen game's
    // start offset and `gamesInFile` the number of games found. Returns a dialog result.
    virtual int ShowGameList(Window owner, File& file, std::uint64_t& offset,
                             std::int32_t& gamesInFile) = 0;

    // The game properties and other-tags dialogs over `partie`. Return a dialog result.
    virtual int EditProperties(Window owner, Partie& partie) = 0;
    virtual int EditOtherTags(Window owner, Partie& partie) = 0;

    // The save-file dialog: the chosen path, or none when the user did not confirm.
    virtual std::optional<std::u16string> SaveFileName(Window owner,
                                                       const std::u16string& initialPath,
                                                       const std::vector<FileFilter>& filters) = 0;
};

// The installed shell (the silent default until SetShell is called). Not owned.
Shell& CurrentShell();
// Installs `shell` (null restores the silent default) and returns the previous one.
Shell* SetShell(Shell* shell);

} // namespace platform

} // namespace pawnlet
