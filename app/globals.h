// The program's global UI state: the one current game, the position shown, the board view, the
// move list, the layout computed for the window, and the drawing objects that every paint reuses.
//
// Everything here lives on the UI thread only. The main window sets it up when it is created and
// releases it when the program ends; the other views and the commands read it and call the few
// operations below to repaint. The dialogs never see it: they take values and return values.
//
// Ownership: the session (app/session.h) owns the current game and says which position is shown;
// `CurrentPartie` and `CurrentPosition` read them. `Board` and `MoveList` own their objects.
// `MainWindowWidget`, `AnnotationMenu` and `MenuBarMenu` are owned by Qt parenting (the main
// window).
#pragma once

#include "app/session.h"
#include "dialogs/echiquier.h"

#include <QFont>
#include <QImage>
#include <QRect>

#include <cstdint>
#include <memory>

class ListeCoups;
class QMenu;
class QWidget;

// A rectangle as the layout computes it: left, top, right, bottom in client coordinates, right
// and bottom exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The two views
extern std::unique_ptr<Echiquier> Board;
extern std::unique_ptr<ListeCoups> MoveList;

// The layout (ComputeLayout in app/layout.h). The board's top edge is always BoardTop.
inline constexpr int BoardTop = 3;
extern int SquareSize; // 19 for the standard board, 25 for the large one
extern int BoardLeft;
extern std::int16_t MenuBarHeight;
extern Rect MoveTextRect;
extern Rect SideToMoveRect;
extern Rect MoveListRect;
extern Rect CommentRect;

// Fonts: 8-point "Tahoma" (or the closest the system has), normal and bold.
extern QFont NormalFont;
extern QFont BoldFont;

// The evaluation glyphs (resource 106, eight cells of GlyphWidth x GlyphHeight side by side); a
// null image until the window exists. The piece strip and the brushes are the board view's
// (dialogs/echiquier.h).
inline constexpr int GlyphWidth = 15;
inline constexpr int GlyphHeight = 14;
extern QImage GlyphStrip;

// Menus: the "Annotations" popup (menu 103), and the popup that the menu bar's "Menu" button
// opens (popup 0 of menu 450: "&File", "&Line", "&View", "&Position", then the top-level items).
extern QMenu* AnnotationMenu;
extern QMenu* MenuBarMenu;

// The main window: owner of dialogs and message boxes, and the surface the board is drawn on.
// Null before the window exists and after it is gone.
extern QWidget* MainWindowWidget;

// Makes `partie` the current game (a new empty game when null), shows its start position and
// rebuilds the move list: the session's InstallGame. Never asks to save the game it replaces:
// callers ask ConfirmSave first.
void InstallGame(std::unique_ptr<pawnlet::Partie> partie);

// Recomputes the layout after the board size changed, resizes the board and moves the list.
void ApplyBoardSettings();

// Schedules a repaint of the whole main window, background included.
void InvalidateMainWindow();
