// The Shell of the Qt program: message boxes, the promotion choice, the game list, the game
// properties and other-tags dialogs, and the platform's open-file and save-file dialogs.
//
// Message boxes and file dialogs can be answered by a test hook instead of a person: with a hook
// installed, nothing modal is shown and the hook's answer is returned as the user's.
#pragma once

#include "platform/shell.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

class QtShell final : public pawnlet::platform::Shell {
public:
    pawnlet::platform::Answer MessageBox(pawnlet::platform::Window owner,
                                         const std::u16string& text, const std::u16string& caption,
                                         pawnlet::platform::Icon icon,
                                         pawnlet::platform::Buttons buttons) override;
    int ChoosePromotionPiece() override;
    int ShowGameList(pawnlet::platform::Window owner, pawnlet::platform::File& file,
                     std::uint64_t& offset, std::int32_t& gamesInFile) override;
    int EditProperties(pawnlet::platform::Window owner, pawnlet::Partie& partie) override;
    int EditOtherTags(pawnlet::platform::Window owner, pawnlet::Partie& partie) override;
    std::optional<std::u16string>
    SaveFileName(pawnlet::platform::Window owner, const std::u16string& initialPath,
                 const std::vector<pawnlet::platform::FileFilter>& filters) override;
};

// The owner window a Shell call carries, as a widget (null for none).
inline QWidget* OwnerWidget(pawnlet::platform::Window owner) {
    return static_cast<QWidget*>(owner);
}
inline pawnlet::platform::Window ShellOwner(QWidget* widget) {
    return static_cast<pawnlet::platform::Window>(widget);
}

// The filters of the program's file dialogs: "PGN files" (*.pgn) and "All files" (*.*).
std::vector<pawnlet::platform::FileFilter> PgnFileFilters();

// The platform's open-file dialog over the user's documents folder with the PGN filters: the
// chosen path, or none when the user cancelled.
std::optional<std::u16string> AskOpenFileName(QWidget* owner);

// Test hooks (none installed by the program itself)

struct MessageBoxRequest {
    std::u16string text;
    std::u16string caption;
    pawnlet::platform::Icon icon;
    pawnlet::platform::Buttons buttons;
};
using MessageBoxHook = std::function<pawnlet::platform::Answer(const MessageBoxRequest&)>;
// Installs `hook` (an empty function removes it).
void SetMessageBoxHook(MessageBoxHook hook);

struct FileDialogRequest {
    bool save = false; // save-file dialog, else open-file
    QString directory; // initial folder
    QString fileName;  // initial name (save only)
    QString filter;    // Qt filter string, "PGN files (*.pgn);;All files (*.*)"
};
using FileDialogHook = std::function<std::optional<QString>(const FileDialogRequest&)>;
void SetFileDialogHook(FileDialogHook hook);

// Reports that a step of setting up the window failed: a stop box whose caption names the step
// ("AddBitmap", "AddButtons", ...). The program goes on.
void ShowFailure(std::u16string_view caption, QWidget* owner);
