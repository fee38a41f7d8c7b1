// Program entry.
//
//   pawnlet [--zoom PERCENT] [FILE]
//                           the program; FILE (the whole rest of the command line) is opened
//                           through its game list; --zoom (100, 150, 200 or 300) draws the window
//                           and its dialogs that large for this run instead of the saved zoom
//   pawnlet --screenshot OUT.png [--landscape] [--large-board] [--zoom PERCENT] [FILE]
//                           renders the window with FILE's first game at its end into OUT.png
//                           and exits; needs no display and touches no settings
//   pawnlet --help | --version
//                           print and exit, without a display
#include "app/command_line.h"
#include "app/commands.h"
#include "app/globals.h"
#include "app/liste_coups.h"
#include "app/main_window.h"
#include "app/menu_bar.h"
#include "app/qt_shell.h"
#include "app/recent_files.h"
#include "app/single_instance.h"
#include "app/zoom.h"
#include "dialogs/settings_store.h"
#include "pgn/partie.h"
#include "pgn/scan_games.h"
#include "platform/debug.h"
#include "platform/file.h"

#include "pawnlet_version.h"

#include <QApplication>
#include <QMenu>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

using namespace pawnlet;

namespace {

// The shell of screenshot mode: nobody is there to answer. The game list takes the file's first
// game, and every message goes to standard error.
class UnattendedShell final : public platform::Shell {
public:
    platform::Answer MessageBox(platform::Window, const std::u16string& text,
                                const std::u16string& caption, platform::Icon,
                                platform::Buttons buttons) override {
        platform::DebugOutput(caption);
        platform::DebugOutput(std::string_view(": "));
        platform::DebugOutput(text);
        platform::DebugOutput(std::string_view("\n"));
        return buttons == platform::Buttons::Ok ? platform::Answer::Ok : platform::Answer::Cancel;
    }
    int ChoosePromotionPiece() override { return 0; }
    int ShowGameList(platform::Window, platform::File& file, std::uint64_t& offset,
                     std::int32_t& gamesInFile) override {
        std::int32_t count = 0;
        std::optional<std::uint64_t> first;
        (void)ScanGames(file, count, [&](std::unique_ptr<GameListEntry> entry, std::uint64_t) {
            if (!first) {
                first = entry->startOffset;
            }
        });
        if (!first) {
            return platform::DialogCancel;
        }
        offset = *first;
        gamesInFile = count;
        return platform::DialogOk;
    }
    int EditProperties(platform::Window, Partie&) override { return platform::DialogCancel; }
    int EditOtherTags(platform::Window, Partie&) override { return platform::DialogCancel; }
    std::optional<std::u16string> SaveFileName(platform::Window, const std::u16string&,
                                               const std::vector<platform::FileFilter>&) override {
        return std::nullopt;
    }
};

// Loads the game the user picks from `path` (the game list decides); true when one was installed.
bool OpenStartFile(MainWindow& window, const QString& path) {
    auto partie = std::make_unique<Partie>();
    if (LoadGame(*partie, ShellOwner(&window), path.toStdU16String(), 0, 0).code !=
        ParseError::NoError) {
        return false;
    }
    InstallGame(std::move(partie));
    return true;
}

void PrintExitStatistics() {
    platform::DebugOutput(ExitStatistics());
}

int RunScreenshot(const StartOptions& options) {
    UnattendedShell shell;
    platform::SetShell(&shell);
    StandardBoard = options.largeBoard ? 0 : 1;
    MoveList = std::make_unique<ListeCoups>();
    int status = 0;
    {
        MainWindow window;
        // Shown without reaching the screen, so that resizing and layout run as they would.
        window.setAttribute(Qt::WA_DontShowOnScreen);
        window.show();
        if (options.landscape) {
            window.resize(320, 188 + MenuBarHeight);
        }
        if (!options.file.isEmpty()) {
            if (OpenStartFile(window, options.file)) {
                GoToEnd();
            } else {
                std::fprintf(stderr, "pawnlet: no game loaded from %s\n",
                             options.file.toLocal8Bit().constData());
            }
        }
        QCoreApplication::processEvents();
        const QImage image = window.Render();
        if (image.isNull() || !image.save(options.screenshotPath, "PNG")) {
            std::fprintf(stderr, "pawnlet: cannot write %s\n",
                         options.screenshotPath.toLocal8Bit().constData());
            status = 1;
        }
    }
    platform::SetShell(nullptr);
    PrintExitStatistics();
    return status;
}

} // namespace

int main(int argc, char* argv[]) {
    // --help and --version are answered before the application object, which needs a display.
    {
        QStringList words;
        for (int i = 0; i < argc; ++i) {
            words << QString::fromLocal8Bit(argv[i]);
        }
        const StartOptions early = ReadStartOptions(words);
        if (!early.printed.isEmpty()) {
            std::fputs(early.printed.toLocal8Bit().constData(), stdout);
            return 0;
        }
        // Qt's scale factor is read when the application starts: the zoom is applied before. The
        // screenshot mode takes only the command line's, as it touches no settings.
        if (early.error.isEmpty()) {
            ApplyZoom(early.zoom ? early.zoom : (early.screenshot ? 100 : SavedZoom()));
        }
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(PAWNLET_VERSION_TEXT));
    // The installed desktop entry (pawnlet.desktop), through which Wayland finds the icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("pawnlet"));
    // Read again without the options that Qt took for itself (-platform, -style, ...).
    const StartOptions options = ReadStartOptions(QApplication::arguments());
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "pawnlet: %s\n", options.error.toLocal8Bit().constData());
        return 2;
    }
    if (options.screenshot) {
        return RunScreenshot(options);
    }

    // A running program only comes forward; this one leaves at once, opening nothing.
    if (SingleInstance::RaiseRunning()) {
        return 0;
    }

    QtShell shell;
    platform::SetShell(&shell);
    (void)LoadSettings();
    MoveList = std::make_unique<ListeCoups>();

    auto* window = new (std::nothrow) MainWindow;
    if (!window) {
        shell.MessageBox(nullptr, u"Echec initialisation", u"Erreur", platform::Icon::None,
                         platform::Buttons::Ok);
        MoveList.reset();
        return 16;
    }
    if (QMenu* menu = window->Bar() ? window->Bar()->Menu() : nullptr) {
        AddZoomMenu(*menu, window);
    }
    window->show();
    if (!window->InstallAccelerators()) {
        shell.MessageBox(ShellOwner(window), u"Pas de raccourcis clavier", u"Erreur",
                         platform::Icon::None, platform::Buttons::Ok);
    }

    SingleInstance instance;
    QObject::connect(&instance, &SingleInstance::RaiseRequested, window, &MainWindow::BringForward);
    QObject::connect(&instance, &SingleInstance::OpenFileRequested, window,
                     [window](std::optional<QString> path) {
                         std::optional<std::u16string> text;
                         if (path) {
                             text = path->toStdU16String();
                         }
                         window->OpenFileMessage(text);
                     });
    if (!instance.Listen()) {
        platform::DebugOutput(std::string_view("Pawnlet: no single-instance socket\n"));
    }

    if (!options.file.isEmpty() && OpenStartFile(*window, options.file)) {
        NoteRecentFile(QString::fromStdU16String(CurrentPartie->path));
    }

    const int code = app.exec();
    (void)SaveSettings();
    delete window;
    platform::SetShell(nullptr);
    PrintExitStatistics();
    return code;
}
