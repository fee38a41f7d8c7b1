// The main window: its client area is the handheld's screen, the shell menu bar along its bottom
// edge. Above the bar lie the board, the status line (last move, evaluation glyph, side-to-move
// disc), the move list and the comment of the position shown.
//
// Creating the window makes every drawing object of app/globals.h, the menu bar, the board view,
// the move list control and an empty game; destroying it releases them all, so that the
// live-instance counters read zero afterwards. Only one main window exists at a time.
#pragma once

#include <QImage>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

class CommandActions;
class MenuBar;
class QMenu;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    // The client area of the default window, above the menu bar.
    static constexpr int ScreenWidth = 240;
    static constexpr int ScreenHeight = 268;

    MainWindow();
    ~MainWindow() override;

    MenuBar* Bar() const { return menuBar; }
    // The window's command actions (one per command, named "command-<id>").
    CommandActions& Actions() const { return *actions; }

    // Gives the command actions the keys of accelerator table 113 and the desktop keys; false
    // when the program has no such table.
    bool InstallAccelerators();

    // "classics.pgn — Morphy – Duke Karl", with the modified mark while the game has unsaved
    // changes; "Pawnlet" for a new game of no file. Follows the session by itself.
    void UpdateTitle();

    // The open-file message (1124): a plain notice, then the file's game list; the game chosen
    // replaces the current one once the user agreed to leave it.
    void OpenFileMessage(const std::optional<std::u16string>& path);

    // Brings the window to the front (a second start of the program asks for this).
    void BringForward();

    // Renders the whole window, menu bar included, as it would appear on screen.
    QImage Render();

    // Paints the client area above the menu bar into `surface` (an image the size of the window).
    void PaintClient(QImage& surface);

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // A .pgn file dropped on the window opens as Open opens a chosen one.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateDrawingObjects();
    void CreateMenus();
    void AddDesktopItems();
    void CreateFonts();
    void PaintStatusLine(QPainter& painter);
    void PaintComment(QPainter& painter);

    std::unique_ptr<CommandActions> actions;
    MenuBar* menuBar = nullptr;
    QMenu* recentMenu = nullptr;
    QImage surface; // reused by every paint while the size stays
};

// Releases everything the program's windows made, in the exit order: the bitmaps, menus and
// fonts, then CurrentPartie, MoveList and Board. Safe to call twice.
void ReleaseUiState();

// The seven live-instance counter lines written at exit, in order ("Coups       : 0\n", ...).
std::string ExitStatistics();
