// The game list: a full-screen list of every game of a PGN file, to pick the one to load.
//
// The file is scanned with ScanGames; each complete game becomes one row with up to eight
// columns (White, Black, Result, ECO, Event, Round, Date, Start). Check boxes show or hide five
// of the columns, a tap on a header sorts by that column (a second tap on the same column
// reverses the order; the sort state lasts for the program's run), and a tap on a row picks it.
// The rows live in a model, so a file of a hundred thousand games stays responsive.
#pragma once

#include <cstdint>

class QWidget;
namespace platform {
class File;
}

// Runs the game list over `file` (open for reading, at any position).
// 1: a game was chosen; `offset` is its start offset and `gamesInFile` the number of games found.
// 2: cancelled; the outputs are untouched. -1: the dialog could not be shown (a message box
// "Unable to display dialog box" has said so); the outputs are untouched.
[[nodiscard]] int ShowGameListDialog(QWidget* parent, platform::File& file, std::uint32_t& offset,
                                     std::int32_t& gamesInFile);

// The program-long sort state: the last sorted column (-1 none) and its direction (0 or 1).
struct GameListSortState {
    int column = -1;
    int direction = 0;
};
GameListSortState& GameListSort();
