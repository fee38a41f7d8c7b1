// The program's global UI state: the one current game, the position shown, the board view, the
// move list, the layout computed for the window, and the drawing objects that every paint reuses.
//
// Everything here lives on the UI thread only. The main window sets it up when it is created and
// releases it when the program ends; the other views and the dialogs read it and call the few
// operations below to move along the game or to repaint.
//
// Ownership: `CurrentPartie`, `Board` and `MoveList` own their objects; `CurrentPosition` always
// points into `CurrentPartie`'s tree and never owns. `MainWindowWidget`, `AnnotationMenu` and
// `MenuBarMenu` are owned by Qt parenting (the main window).
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QRect>

#include <cstdint>
#include <memory>

class Partie;
class Position;
class Echiquier;
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

// Colours are kept as colour references 0x00BBGGRR, red in the low byte.
inline QColor ColorFromRef(std::uint32_t ref) {
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}
inline std::uint32_t RefFromColor(const QColor& color) {
    return std::uint32_t(color.red()) | (std::uint32_t(color.green()) << 8) |
           (std::uint32_t(color.blue()) << 16);
}

// The game and the position shown
extern std::unique_ptr<Partie> CurrentPartie; // never null once the main window exists
extern Position* CurrentPosition;             // a node of CurrentPartie's tree

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

// Bitmaps: the 19-pixel piece strip (resource 139) and the evaluation glyphs (resource 106,
// eight cells of GlyphWidth x GlyphHeight side by side). Null images until the window exists.
inline constexpr int GlyphWidth = 15;
inline constexpr int GlyphHeight = 14;
extern QImage DefaultPieceStrip;
extern QImage GlyphStrip;

// Drawing objects made from the settings colours (BlackColor, SelColor).
extern QBrush LightSquareBrush; // plain white
extern QBrush DarkSquareBrush;
extern QBrush SelectionBrush;
extern QPen DarkSquarePen; // width 0 (cosmetic), dark-square colour

// Menus: the "Annotations" popup (menu 103), and the popup that the menu bar's "Menu" button
// opens (popup 0 of menu 450: "&File", "&Line", "&View", "&Position", then the top-level items).
extern QMenu* AnnotationMenu;
extern QMenu* MenuBarMenu;

// The main window: owner of dialogs and message boxes, and the surface the board is drawn on.
// Null before the window exists and after it is gone.
extern QWidget* MainWindowWidget;

// Recreates the two brushes and the pen that follow the settings colours. Called when the window
// is created and by the Options dialog after it changed a colour.
void CreateColourObjects();

// Makes `partie` the current game (a new empty game when null), shows its start position and
// rebuilds the move list. Never asks to save the game it replaces: callers ask ConfirmSave first.
void InstallGame(std::unique_ptr<Partie> partie);

// After CurrentPosition moved along the tree: selects the row of the move that led to it and
// clears the board's selection. Does not repaint; callers call InvalidateMainWindow.
void OnPositionChanged();

// Recomputes the layout after the board size changed, resizes the board and moves the list.
void ApplyBoardSettings();

// Schedules a repaint of the whole main window. `erase` repaints the background first; both
// repaint everything here, the flag is kept so that callers say what they mean.
void InvalidateMainWindow(bool erase = false);
