// The file commands: new game, open, open the next game, reopen, save, save as, exit.
#include "app/commands.h"
#include "app/globals.h"
#include "app/qt_shell.h"
#include "app/recent_files.h"
#include "pgn/parse_moves.h"
#include "pgn/partie.h"

#include <QWidget>

namespace {

const std::u16string LoadCaption = u"Unable to load game";

// A path typed as "\\server\share" in a field that already supplies one backslash arrives with
// two; the loader wants one.
std::u16string CleanPath(std::u16string path) {
    if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\')
        path.erase(0, 1);
    return path;
}

platform::Window Owner() {
    return ShellOwner(MainWindowWidget);
}

} // namespace

void NewGame() {
    if (AskToClose())
        InstallGame(nullptr);
}

namespace {

// The part of Open after the file was chosen: the game list, then the game picked.
bool LoadChosenFile(const std::u16string& path) {
    auto partie = std::make_unique<Partie>();
    const ParseError result = LoadGame(*partie, Owner(), CleanPath(path), 0, 0);
    if (result == NoError) {
        NoteRecentFile(QtText(partie->path));
        InstallGame(std::move(partie));
        return true;
    }
    partie.reset();
    if (result != Cancelled)
        ShowLoadError(result, LoadCaption, Owner());
    return false;
}

} // namespace

void OpenGameFile() {
    std::optional<std::u16string> chosen = AskOpenFileName(MainWindowWidget);
    if (!chosen)
        return;
    (void)LoadChosenFile(*chosen);
}

bool OpenPath(const std::u16string& path) {
    if (!AskToClose())
        return false;
    return LoadChosenFile(path);
}

void LoadFromCurrentFile(std::uint64_t offset, std::int32_t count) {
    if (!CurrentPartie || !CurrentPartie->hasFile)
        return;
    const std::u16string path = CleanPath(CurrentPartie->path);
    auto partie = std::make_unique<Partie>();
    const ParseError result = LoadGame(*partie, Owner(), path, offset, count);
    switch (result) {
    case NoError:
        InstallGame(std::move(partie));
        return;
    case Cancelled:
        return;
    case NoGame:
        if (offset != 0)
            platform::CurrentShell().MessageBox(Owner(), u"No more games", LoadCaption,
                                                platform::Icon::None, platform::Buttons::Ok);
        else
            platform::CurrentShell().MessageBox(Owner(), u"No games", LoadCaption,
                                                platform::Icon::Stop, platform::Buttons::Ok);
        return;
    case OpenFailed:
    case BadStartPosition:
    case BadHeaders:
    case UnknownToken:
    case BadVariation:
    case IllegalMove:
    case IllegalVariationMove:
    case CommentTooLong:
        ShowLoadError(result, LoadCaption, Owner());
        return;
    }
}

void SaveCurrentGame() {
    if (CurrentPartie)
        (void)SaveCommand(*CurrentPartie, Owner());
}

void SaveCurrentGameAs() {
    if (CurrentPartie)
        (void)SaveAsCommand(*CurrentPartie, Owner());
}

void CloseMainWindow() {
    // The window asks ConfirmSave itself before it goes.
    if (MainWindowWidget)
        MainWindowWidget->close();
}
