// The main window's answer to a tap on its board.
#pragma once

// The tap at client point (x, y): select a piece of the side to move, deselect it, follow a move
// already in the tree, play a new move, or ask "New line" whether to add a variation or replace a
// move. Works on Board, the session's game and position, and MoveList.
void TapBoard(int x, int y);
