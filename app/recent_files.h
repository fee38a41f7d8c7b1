// The files opened last, newest first, for File -> Recent files.
//
// The list lives in the settings store under a group of its own ("RecentFiles"), so that the four
// settings values keep their names and defaults. A file that no longer exists is dropped from the
// list when the list is read.
#pragma once

#include <QStringList>

class QMenu;

inline constexpr int MaxRecentFiles = 8;

// The recent files that still exist, newest first (at most MaxRecentFiles).
[[nodiscard]] QStringList RecentFiles();
// Puts `path` first (once) and drops the oldest beyond MaxRecentFiles.
void NoteRecentFile(const QString& path);

// Shows the list in `menu` through its actions of commands RecentFirst..RecentLast, hiding those
// beyond the list's end; disables the menu when the list is empty.
void FillRecentMenu(QMenu* menu);

// The recent-file command: opens entry `index` of the list as Open does (ConfirmSave, then the
// file's game list).
void OpenRecentFile(int index);
