#include "app/globals.h"

#include "app/echiquier.h"
#include "app/liste_coups.h"
#include "dialogs/settings_store.h"
#include "pgn/partie.h"

#include <QMenu>
#include <QWidget>

std::unique_ptr<Partie> CurrentPartie;
Position* CurrentPosition = nullptr;

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

QImage DefaultPieceStrip;
QImage GlyphStrip;

QBrush LightSquareBrush(Qt::white);
QBrush DarkSquareBrush;
QBrush SelectionBrush;
QPen DarkSquarePen;

QMenu* AnnotationMenu = nullptr;
QMenu* MenuBarMenu = nullptr;

QWidget* MainWindowWidget = nullptr;

void CreateColourObjects() {
    LightSquareBrush = QBrush(Qt::white);
    DarkSquareBrush = QBrush(ColorFromRef(BlackColor));
    DarkSquarePen = QPen(ColorFromRef(BlackColor), 0);
    SelectionBrush = QBrush(ColorFromRef(SelColor));
}
