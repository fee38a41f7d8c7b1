// The game list: a full-screen list of every game of a PGN file, to pick the one to load.
//
// The file is scanned with ScanGameBytes; each complete game becomes one row with up to eight
// columns (White, Black, Result, ECO, Event, Round, Date, Start). Check boxes show or hide five
// of the columns, a tap on a header sorts by that column (a second tap on the same column
// reverses the order; the sort state lasts for the program's run), and a tap on a row picks it.
// A filter field above the list narrows the rows, as the user types, to the games that contain its
// text; the title then counts "N of M games". The field is empty each time the list opens.
// The rows live in a model that the list view only reads (dialogs/game_list_model.h), so a file
// of a hundred thousand games stays responsive; a progress window shows how far a long scan has
// gone.
#pragma once

#include "dialogs/game_list_model.h"

#include <cstdint>

class QWidget;
namespace pawnlet::platform {
class File;
}

// Runs the game list over `file` (open for reading, at any position).
// 1: a game was chosen; `offset` is its start offset and `gamesInFile` the number of games found.
// 2: cancelled; the outputs are untouched. -1: the dialog could not be shown (a message box
// "Unable to display dialog box" has said so); the outputs are untouched.
[[nodiscard]] int ShowGameListDialog(QWidget* parent, pawnlet::platform::File& file,
                                     std::uint64_t& offset, std::int32_t& gamesInFile);

// The program-long sort state: the last sorted column (-1 none) and its direction (0 or 1).
struct GameListSortState {
    int column = -1;
    int direction = 0;
};
GameListSortState& GameListSort();
