// The file commands: new game, open, open the next game, reopen, save, save as, exit.
#include "app/commands.h"
#include "app/globals.h"
#include "app/qt_shell.h"
#include "app/recent_files.h"
#include "pgn/parse_moves.h"
#include "pgn/partie.h"
#include "platform/paths.h"

#include <QWidget>

using namespace pawnlet;

namespace {

const std::u16string LoadCaption = u"Unable to load game";

platform::Window Owner() {
    return ShellOwner(MainWindowWidget);
}

} // namespace

void NewGame() {
    if (AskToClose()) {
        InstallGame(nullptr);
    }
}

namespace {

// The part of Open after the file was chosen: the game list, then the game picked.
bool LoadChosenFile(const std::u16string& path) {
    auto partie = std::make_unique<Partie>();
    const ParseResult result =
        LoadGame(*partie, Owner(), platform::DropDoubledBackslash(path), 0, 0);
    if (result.code == ParseError::NoError) {
        NoteRecentFile(QString::fromStdU16String(partie->path));
        InstallGame(std::move(partie));
        return true;
    }
    partie.reset();
    if (result.code != ParseError::Cancelled) {
        ShowLoadError(result, LoadCaption, Owner());
    }
    return false;
}

} // namespace

void OpenGameFile() {
    std::optional<std::u16string> chosen = AskOpenFileName(MainWindowWidget);
    if (!chosen) {
        return;
    }
    (void)LoadChosenFile(*chosen);
}

bool OpenPath(const std::u16string& path) {
    if (!AskToClose()) {
        return false;
    }
    return LoadChosenFile(path);
}

void LoadFromCurrentFile(std::uint64_t offset, std::int32_t count) {
    if (!CurrentPartie || !CurrentPartie->hasFile) {
        return;
    }
    const std::u16string path = platform::DropDoubledBackslash(CurrentPartie->path);
    auto partie = std::make_unique<Partie>();
    const ParseResult result = LoadGame(*partie, Owner(), path, offset, count);
    switch (OutcomeOf(result.code)) {
    case LoadOutcome::Loaded:
        InstallGame(std::move(partie));
        return;
    case LoadOutcome::Cancelled:
        return;
    case LoadOutcome::NoGame:
        if (offset != 0) {
            platform::CurrentShell().MessageBox(Owner(), u"No more games", LoadCaption,
                                                platform::Icon::None, platform::Buttons::Ok);
        } else {
            platform::CurrentShell().MessageBox(Owner(), u"No games", LoadCaption,
                                                platform::Icon::Stop, platform::Buttons::Ok);
        }
        return;
    case LoadOutcome::OpenFailed:
    case LoadOutcome::Refused:
        ShowLoadError(result, LoadCaption, Owner());
        return;
    }
}

void SaveCurrentGame() {
    if (CurrentPartie) {
        (void)SaveCommand(*CurrentPartie, Owner());
    }
}

void SaveCurrentGameAs() {
    if (CurrentPartie) {
        (void)SaveAsCommand(*CurrentPartie, Owner());
    }
}

void CloseMainWindow() {
    // The window asks ConfirmSave itself before it goes.
    if (MainWindowWidget) {
        MainWindowWidget->close();
    }
}
