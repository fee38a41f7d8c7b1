#include "app/layout.h"

#include "app/globals.h"
#include "app/liste_coups.h"
#include "dialogs/settings_store.h"

#include <QFontMetrics>
#include <QWidget>

#include <algorithm>

LayoutResult ComputeLayoutFor(const LayoutInput& in) {
    LayoutResult out;
    const int L = in.client.left;
    const int W = in.client.right;
    const int H = in.client.bottom - in.menuBarHeight;
    const int t = in.lineHeight;

    int s = 19;
    int x0 = 3;
    if (!in.standardBoard) {
        s = 25;
        x0 = (W - L - 200) / 2; // the large board is centred horizontally
    }
    out.squareSize = s;
    out.boardLeft = x0;
    const int boardEnd = 8 * s;

    out.moveText = Rect{x0, boardEnd + 6, 0, boardEnd + 6 + t};

    const bool landscape = W >= H;
    if (!landscape && !in.standardBoard) {
        // Large board in portrait: the list is a narrow column under the board at the right, the
        // status line runs left of it, and the side-to-move disc moves into the left margin
        // beside the board's bottom row.
        out.moveList = Rect{W - 90, boardEnd + 6, W, H};
        out.moveText = Rect{3, boardEnd + 6, W - 91 - t, boardEnd + 6 + t};
        out.comment = Rect{3, boardEnd + 9 + t, in.listVisible ? W - 93 : W, H};
        const int d = std::min(t, x0 - 2);
        out.sideToMove.left = (x0 - d) / 2;
        out.sideToMove.right = out.sideToMove.left + d;
        out.sideToMove.top = 7 * s + (s - d) / 2 + 3;
        out.sideToMove.bottom = out.sideToMove.top + d;
        return out;
    }

    if (landscape) {
        // The list and the comment area share the column right of the board: side by side
        // when the comment area keeps a usable width, else the list above the comment area.
        // The large board gives up its centring before the column gets too narrow.
        constexpr int ListWidth = 100;
        constexpr int MinCommentWidth = 40;
        if (!in.standardBoard) {
            x0 = std::max(3, std::min(x0, W - boardEnd - 6 - ListWidth - MinCommentWidth));
            out.boardLeft = x0;
            out.moveText = Rect{x0, boardEnd + 6, 0, boardEnd + 6 + t};
        }
        const int column = x0 + boardEnd + 3;
        if (W - column - ListWidth - 3 >= MinCommentWidth) {
            out.moveList = Rect{column, 3, column + ListWidth, H};
            out.comment = Rect{column + ListWidth + 3, 3, W, H};
        } else {
            const int middle = std::max(3, (H + 3) / 2);
            out.moveList = Rect{column, 3, std::max(column, W), middle};
            out.comment = Rect{column, middle + 3, std::max(column, W), std::max(middle + 3, H)};
        }
    } else {
        out.moveList = Rect{x0 + boardEnd + 3, 3, W, H};
        out.comment = Rect{x0, boardEnd + 9 + t, x0 + boardEnd, H};
    }
    // The disc sits in the status line, centred under the board's last column.
    out.sideToMove.left = x0 + 7 * s + (s - t) / 2;
    out.sideToMove.right = out.sideToMove.left + t;
    out.sideToMove.top = boardEnd + 6;
    out.sideToMove.bottom = boardEnd + 6 + t;
    out.moveText.right = out.sideToMove.left - 1;
    return out;
}

int LineHeight(const QFont& font) {
    // The height of the text "I" is the font's full line height, ascent plus descent.
    return QFontMetrics(font).size(Qt::TextSingleLine, QStringLiteral("I")).height();
}

void ComputeLayout() {
    if (!MainWindowWidget) {
        return;
    }
    QWidget* window = MainWindowWidget;
    LayoutInput in;
    const QRect client = window->rect();
    in.client = Rect{client.left(), client.top(), client.left() + client.width(),
                     client.top() + client.height()};
    in.menuBarHeight = MenuBarHeight;
    in.lineHeight = LineHeight(window->font());
    in.standardBoard = StandardBoard != 0;
    in.listVisible = !MoveList || MoveList->IsVisible();
    const LayoutResult out = ComputeLayoutFor(in);
    SquareSize = out.squareSize;
    BoardLeft = out.boardLeft;
    MoveTextRect = out.moveText;
    SideToMoveRect = out.sideToMove;
    MoveListRect = out.moveList;
    CommentRect = out.comment;
}
