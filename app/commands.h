// The command dispatcher of the main window, and the navigation and line-editing commands.
//
// Every menu item, tool button and accelerator arrives as a command identifier (resources/menus.h
// names them), through the window's action for that command (app/command_actions.h).
// DispatchCommand looks the identifier up in one table of routes, so that adding a command is
// adding one row to that table (commands.cpp), and its action follows. Identifiers nobody
// handles are ignored.
#pragma once

#include <cstdint>
#include <span>
#include <string>

struct OptionsValues;

// The handler of a command: the identifier (useful for ranges) and the notification code.
using CommandHandler = void (*)(int id, int code);

struct CommandRoute {
    int first; // identifiers first..last, inclusive
    int last;
    CommandHandler handler;
};

// The table of routes, in the order they are tried.
std::span<const CommandRoute> CommandTable();

// Carries out command `id` with notification `code` (0 for menus, buttons and accelerators).
// Returns whether some route handled it.
bool DispatchCommand(int id, int code = 0);

// Asks ConfirmSave of the current game; false means the user wants to keep it as it is.
bool AskToClose();

// Navigation (commands_navigation.cpp). Each moves CurrentPosition, repaints and keeps the move
// list's selection in step; at the ends of the tree they do nothing.
void MoveBackward();
void MoveForward(); // asks "Choose" when the next move has alternatives
void GoToEnd();     // end of the main line, from anywhere
void ReturnFromLine();
// The desktop keys' moves: none asks "Choose".
void GoToStart();
void GoToLineEnd();             // follows the main continuation of the line shown to its end
void StepAlternative(int step); // -1: the previous alternative of the last move, 1: the next
void StepMoves(int count);      // back (negative) or forward along main continuations

// Line editing: both change the game.
void DeleteAfter();
void PromoteLine();

// Annotations: sets the move annotation of the move that led to CurrentPosition (nag 0..6), or
// the assessment of CurrentPosition (0 or 12..19).
void SetMoveAnnotation(int nag);
void SetPositionAssessment(int evaluation);
// Opens the "Annotations" popup at the current pointer position.
void ShowAnnotationPopup();

// Shows or hides the move list and retitles its menu item.
void ToggleMoveList();
// Shows the board from the other side.
void RevertBoard();

// Files (commands_file.cpp).
void NewGame();
void OpenGameFile();
void LoadFromCurrentFile(std::uint64_t offset, std::int32_t count);
void SaveCurrentGame();
void SaveCurrentGameAs();
void CloseMainWindow();
// Opens `path` as Open does once the file is chosen: the game list, then the game picked. Asks
// ConfirmSave first. False when no game was installed.
bool OpenPath(const std::u16string& path);

// Commands that run a dialog and apply what it returns (commands_dialogs.cpp).
void OptionsCommand(); // applies the four settings the Options dialog returns
// Makes `values` the four settings: new drawing objects, the move list rebuilt when the comment
// marks changed, the window laid out again when the board size changed, then a repaint.
void ApplyOptions(const OptionsValues& values);
void NewPositionCommand(); // asks ConfirmSave, then installs the game the setup dialog makes

// The clipboard (commands_clipboard.cpp).
void CopyFenCommand();  // the position shown, as FEN
void CopyGameCommand(); // the game as Save would write it
// A FEN makes a new game from that position; PGN text a new game from its first game. Asks
// ConfirmSave first; text that does not load is refused with the reason and nothing changes.
void PasteCommand();
