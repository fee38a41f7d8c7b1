#include "app/globals.h"

#include "app/liste_coups.h"

#include <QMenu>
#include <QWidget>

std::unique_ptr<Echiquier> Board;
std::unique_ptr<ListeCoups> MoveList;

int SquareSize = 19;
int BoardLeft = 3;
std::int16_t MenuBarHeight = 0;
Rect MoveTextRect;
Rect SideToMoveRect;
Rect MoveListRect;
Rect CommentRect;

QFont NormalFont;
QFont BoldFont;

QImage GlyphStrip;

QMenu* AnnotationMenu = nullptr;
QMenu* MenuBarMenu = nullptr;

QWidget* MainWindowWidget = nullptr;
