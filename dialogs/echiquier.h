// The board view: draws a chessboard with its pieces from a piece strip, maps a tap to a square,
// keeps one selected square and knows whether the board is shown from Black's side.
//
// The main window owns one instance (Board); the Options and setup dialogs make their own and use
// the same drawing operations, which is why the board view lives beside the dialogs rather than
// with the main window. A piece strip is a row of 25 square cells: cell 0 plain white, and
// for each piece type t (1 pawn .. 6 king) cell 4t-3 the White image, 4t-2 the White mask, 4t-1
// the Black image, 4t the Black mask (resources/bitmaps.h). A square is drawn as on the handheld:
// the mask is ANDed with the square's brush (MERGECOPY), then the image is ORed in (SRCPAINT).
#pragma once

#include "platform/live_count.h"

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPen>
#include <QRect>

#include <cstdint>

namespace pawnlet {
class Position;
} // namespace pawnlet
class QPainter;
class QWidget;

// Colours are kept as colour references 0x00BBGGRR, red in the low byte.
inline QColor ColorFromRef(std::uint32_t ref) {
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

// The drawing objects every board shares: the 19-pixel piece strip (resource 139, a null image
// until the main window exists) and the brushes and pen made from the settings colours
// (BlackColor, SelColor).
extern QImage DefaultPieceStrip;
extern QBrush LightSquareBrush; // plain white
extern QBrush DarkSquareBrush;
extern QBrush SelectionBrush;
extern QPen DarkSquarePen; // width 0 (cosmetic), dark-square colour

// Recreates the two brushes and the pen that follow the settings colours. Called when the window
// is created and after the Options dialog changed a colour.
void CreateColourObjects();

class Echiquier {
public:
    // `owner` is the widget the board is drawn on (RedrawSelection repaints there; may be null).
    // `stripId` 0 leaves the strip null: drawing then uses DefaultPieceStrip.
    Echiquier(QWidget* owner, int squareSize, int left, int top, int stripId);
    virtual ~Echiquier();

    Echiquier(const Echiquier&) = delete;
    Echiquier& operator=(const Echiquier&) = delete;

    // New square size, left edge and strip (the top edge stays).
    void Resize(int squareSize, int left, int stripId);

    // The square under the client point (x, y). Coordinates are taken as the handheld took them
    // (16-bit unsigned, division truncating toward zero), so a tap less than one square left of
    // or above the board still counts for the first column or the top row.
    [[nodiscard]] bool HitTest(int x, int y, std::uint8_t& file, std::uint8_t& rank) const;

    // --- Selection

    void SetSelection(std::uint8_t file, std::uint8_t rank);
    void ClearSelection();
    bool HasSelection() const { return selectedFile < 8 && selectedRank < 8; }
    std::uint8_t SelectedFile() const { return selectedFile; }
    std::uint8_t SelectedRank() const { return selectedRank; }
    // Redraws the selected square on the owner: in the selection colour while it is selected,
    // otherwise (after ClearSelection) in its own colour. Nothing else of the owner is repainted.
    void RedrawSelection();

    // --- Drawing

    // Draws the square (file, rank) of `position` with the brush currently set on `surface`.
    // `surface` must paint on a QImage (the raster operations need one).
    void DrawSquare(QPainter& surface, const pawnlet::Position& position, int file, int rank) const;
    // The whole board, with the frame around it when asked; any painter will do. On a surface
    // with more than one device pixel to a pixel the squares are drawn at the device's own
    // resolution, from a strip made for that square size.
    void PaintBoard(QPainter& surface, const pawnlet::Position& position, bool withFrame) const;

    // The pixels of square (file, rank) in the owner's client coordinates.
    QRect SquareRect(int file, int rank) const;
    // The board's eight by eight squares.
    QRect BoardRect() const { return QRect(left, top, 8 * squareSize, 8 * squareSize); }

    int SquareSize() const { return squareSize; }
    int Left() const { return left; }
    int Top() const { return top; }
    // The strip the board draws from: its own, or DefaultPieceStrip when it has none.
    const QImage& Strip() const;
    bool HasOwnStrip() const { return !strip.isNull(); }

    // 0: White at the bottom; non-zero: Black at the bottom. The "Revert board" command toggles it.
    int flipped = 0;

private:
    void LoadStrip(int stripId);
    // The strip for squares of `cell` device pixels.
    const QImage& DeviceStrip(int cell) const;

    QWidget* owner;
    int squareSize;
    int left;
    int top;
    std::uint8_t selectedFile = 255;
    std::uint8_t selectedRank = 255;
    QImage strip;
    int stripId = 0;
    // The squares are drawn here first (raster operations), then copied to the surface.
    mutable QImage boardImage;
    mutable QImage deviceStrip; // for deviceCell-pixel squares
    mutable int deviceCell = 0;
    pawnlet::LiveCount<Echiquier> counter;
};
