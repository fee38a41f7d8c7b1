// One QAction per command of the dispatch table (app/commands.h), owned by the main window.
//
// Each action is named "command-<id>", carries its identifier as data(), takes its text from the
// menu resources (the desktop commands have their own) and dispatches its identifier when
// triggered, whether from a popup menu, a tool button or a key. The move list's notifications
// (101) are no command a user gives and get no action.
#pragma once

#include <QString>

#include <map>

class QAction;
class QWidget;

class CommandActions {
public:
    // Makes the actions as children of `window` and adds them to it, so that their keys work
    // wherever the focus is inside the window.
    explicit CommandActions(QWidget* window);

    // The action of `command`, or null.
    QAction* For(int command) const;

    // Gives the actions the keys of accelerator table 113, then the desktop keys that the table
    // leaves free (arrows, Home, End, Page Up and Down, the platform's Save As, Quit, New, Copy
    // and Paste). False when the program has no table 113; the desktop keys are given anyway.
    bool InstallKeys();

private:
    std::map<int, QAction*> actions;
};

// "Move Forward (Ctrl+F, Right)": the command's name as its menu item says it, without mnemonic,
// shortcut text or ellipsis, then its keys.
[[nodiscard]] QString CommandToolTip(const QAction& action);
