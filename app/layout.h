// The layout of the main window: where the board, the status line, the move list and the comment
// area go, for both board sizes and both orientations.
//
// The window's client area is the handheld's screen with the menu bar along its bottom edge; the
// areas are laid out in the part above the menu bar. Landscape is any client area at least as
// wide as it is tall.
#pragma once

#include "app/globals.h"

struct LayoutInput {
    Rect client;           // the whole client rectangle, menu bar included
    int menuBarHeight = 0; // height of the menu bar along the bottom
    int lineHeight = 0;    // height of one line of text in the window's default font
    bool standardBoard = true;
    bool listVisible = true; // only the large board in portrait looks at it
};

struct LayoutResult {
    int squareSize = 0;
    int boardLeft = 0;
    Rect moveText;
    Rect sideToMove;
    Rect moveList;
    Rect comment;
};

// The rectangles for `input`. All divisions truncate toward zero.
LayoutResult ComputeLayoutFor(const LayoutInput& input);

// Lays out the main window: measures the client area, the menu bar and the default font, and sets
// SquareSize, BoardLeft and the four rectangles of app/globals.h.
void ComputeLayout();

// Height of one line of text in `font`, measured on the letter "I".
int LineHeight(const QFont& font);
