// The program's menus, accelerators and menu-bar description, as data.
//
// Menu 450 is the popup that the menu bar's "Menu" button opens (File, Line, View, Position and
// the top-level items); menu 103 is the annotation popup of the tool button 40114. Every item
// carries its command identifier; the main window dispatches the identifier whatever its source
// (menu item, tool button, accelerator).
#pragma once

#include <QKeySequence>

#include <functional>
#include <string_view>
#include <vector>

class QMenu;
class QWidget;
class QAction;

inline constexpr int MainMenuId = 450;
inline constexpr int AnnotationMenuId = 103;
inline constexpr int AcceleratorTableId = 113;
inline constexpr int MenuBarId = 450;

// Command identifiers.
namespace Cmd {
inline constexpr int MoveList = 101; // notifications of the move list control
inline constexpr int Exit = 103;
inline constexpr int MoveBackward = 32772;
inline constexpr int MoveForward = 32773;
inline constexpr int Properties = 32774;
inline constexpr int New = 32775;
inline constexpr int Open = 32776;
inline constexpr int Save = 32777;
inline constexpr int SaveAs = 32778;
inline constexpr int About = 32779;
inline constexpr int MenuButton = 401;
inline constexpr int NagNone = 40004; // 40004..40010: move annotations, NAG = command - 40004
inline constexpr int NagGood = 40005;
inline constexpr int NagBad = 40006;
inline constexpr int NagVeryGood = 40007;
inline constexpr int NagVeryBad = 40008;
inline constexpr int NagInteresting = 40009;
inline constexpr int NagDubious = 40010;
inline constexpr int DeleteAfter = 40012;
inline constexpr int RevertBoard = 40013;
inline constexpr int NewPosition = 40019;
inline constexpr int Promote = 40020;
inline constexpr int Comment = 40021;
inline constexpr int EvalNone = 40028; // 40029..40036: evaluations 12..19
inline constexpr int EvalFirst = 40029;
inline constexpr int EvalLast = 40036;
inline constexpr int GoToEnd = 40037;
inline constexpr int Reopen = 40038;
inline constexpr int MaterialBalance = 40107;
inline constexpr int Options = 40108;
inline constexpr int HideList = 40109;
inline constexpr int OpenNextGame = 40110;
inline constexpr int ReturnFromLine = 40113;
inline constexpr int AnnotationPopup = 40114;

// The desktop program's own commands, beside the ones above: they have no item in the menu
// resources (the main window adds them to its File menu) and no accelerator in table 113.
inline constexpr int GoToStart = 40200;
inline constexpr int GoToLineEnd = 40201;         // the end of the line shown, not the main line
inline constexpr int PreviousAlternative = 40202; // the alternative listed before the last move
inline constexpr int NextAlternative = 40203;
inline constexpr int TenBackward = 40204;
inline constexpr int TenForward = 40205; // along the main continuations, without asking
inline constexpr int CopyFen = 40206;
inline constexpr int CopyGame = 40207;
inline constexpr int Paste = 40208;
inline constexpr int RecentFirst = 40210; // 40210..40217: the recent files, newest first
inline constexpr int RecentLast = 40217;
inline constexpr int Undo = 40220; // the game's edits, back and forth
inline constexpr int Redo = 40221;
} // namespace Cmd

// One menu entry: a command item, a separator, or a popup with its own items.
struct MenuItem {
    enum class Kind { Command, Separator, Popup };
    Kind kind = Kind::Command;
    int command = 0;             // Command items only
    std::u16string_view text;    // "&Open\tCtrl-O": mnemonic '&', accelerator after a tab
    bool ownerDrawn = false;     // drawn from the glyph strip instead of the text (40029..40036)
    std::vector<MenuItem> items; // Popup items only
};

struct MenuResource {
    int id = 0;
    std::vector<MenuItem> popups; // top-level popups of the menu, index 0 first
};

// The menu with this number (103 or 450), or null.
[[nodiscard]] const MenuResource* FindMenu(int menuId);

// The program's action for a command, or null to let the menu make its own.
using CommandActionLookup = std::function<QAction*(int command)>;

// Builds popup `popupIndex` of menu `menuId` as a QMenu owned by `parent`, with one QAction per
// command item whose data() is the command identifier and whose object name is
// "command-<id>": the one `lookup` gives, else one the menu makes. The text after a tab becomes
// the shortcut text shown in the menu, not a live shortcut (the accelerator table is installed
// separately). Owner-drawn items get the glyph of their cell in bitmap 106 as their icon and no
// text. Null when there is no such popup.
[[nodiscard]] QMenu* BuildPopupMenu(int menuId, int popupIndex, QWidget* parent,
                                    const CommandActionLookup& lookup = {});

// The text of the menu item of `command` in any menu ("&Open\tCtrl-O"), or empty.
[[nodiscard]] std::u16string_view MenuItemText(int command);

// The action of `command` anywhere inside `menu` (sub-menus included), or null.
[[nodiscard]] QAction* FindMenuAction(QMenu* menu, int command);

// Accelerator table 113.
struct Accelerator {
    QKeySequence keys; // Ctrl+letter
    int command = 0;
};
// The accelerators of table `tableId`; empty when the program has no such table.
[[nodiscard]] std::vector<Accelerator> LoadAccelerators(int tableId);

// Menu-bar resource 450: one "Menu" drop-down button that opens popup 0 of menu 450.
struct MenuBarButton {
    int command = 0;           // 401
    int stringId = 0;          // 410
    std::u16string_view label; // "Menu"
    int menuId = 0;            // 450
    int popupIndex = 0;        // 0
};
struct MenuBarResource {
    int id = 0;
    std::vector<MenuBarButton> buttons;
};
[[nodiscard]] const MenuBarResource* FindMenuBar(int menuBarId);

// The seven tool buttons of the menu bar, in order: image index in bitmap 115 and command.
struct ToolButton {
    int image = 0;
    int command = 0;
};
const std::vector<ToolButton>& ToolButtons();

// String resources (410 "Menu"); empty when there is none.
[[nodiscard]] std::u16string_view LoadResourceString(int stringId);
