#include "dialogs/echiquier.h"

#include "chess/position.h"
#include "dialogs/settings_store.h"
#include "resources/bitmaps.h"

#include <QPainter>
#include <QWidget>

#include <cmath>

using namespace pawnlet;

QImage DefaultPieceStrip;
QBrush LightSquareBrush(Qt::white);
QBrush DarkSquareBrush;
QBrush SelectionBrush;
QPen DarkSquarePen;

void CreateColourObjects() {
    LightSquareBrush = QBrush(Qt::white);
    DarkSquareBrush = QBrush(ColorFromRef(BlackColor));
    DarkSquarePen = QPen(ColorFromRef(BlackColor), 0);
    SelectionBrush = QBrush(ColorFromRef(SelColor));
}

Echiquier::Echiquier(QWidget* owner, int squareSize, int left, int top, int stripId)
    : owner(owner), squareSize(squareSize), left(left), top(top) {
    LoadStrip(stripId);
}

Echiquier::~Echiquier() = default;

void Echiquier::Resize(int newSquareSize, int newLeft, int newStripId) {
    strip = QImage();
    squareSize = newSquareSize;
    left = newLeft;
    LoadStrip(newStripId);
}

void Echiquier::LoadStrip(int id) {
    stripId = id;
    deviceStrip = QImage();
    deviceCell = 0;
    // A strip that cannot be loaded stays null; drawing then falls back on DefaultPieceStrip.
    if (id != 0) {
        strip = LoadBitmap(id);
    }
}

const QImage& Echiquier::DeviceStrip(int cell) const {
    if (deviceCell == cell && !deviceStrip.isNull()) {
        return deviceStrip;
    }
    // The board's own strip, or the one DefaultPieceStrip is made from for this square size,
    // drawn again for the device's squares.
    int id = HasOwnStrip() ? stripId : 0;
    if (id == 0) {
        id = squareSize == PieceStripCellSize(LargePieceStrip) ? LargePieceStrip
                                                               : StandardPieceStrip;
    }
    deviceStrip = LoadPieceStrip(id, cell);
    if (deviceStrip.isNull()) {
        deviceStrip =
            Strip().scaled(25 * cell, cell, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    deviceCell = cell;
    return deviceStrip;
}

const QImage& Echiquier::Strip() const {
    return strip.isNull() ? DefaultPieceStrip : strip;
}

// --- Geometry

QRect Echiquier::SquareRect(int file, int rank) const {
    const int column = flipped ? 7 - file : file;
    const int row = flipped ? rank : 7 - rank;
    return QRect(left + squareSize * column, top + squareSize * row, squareSize, squareSize);
}

bool Echiquier::HitTest(int x, int y, std::uint8_t& file, std::uint8_t& rank) const {
    file = 0;
    rank = 0;
    if (squareSize <= 0) {
        return false;
    }
    // Taps arrive as 16-bit unsigned client coordinates; the division truncates toward zero and
    // the results are kept in 8 bits, so anything far off the board wraps to 8 or more.
    const int ux = std::uint16_t(x);
    const int uy = std::uint16_t(y);
    auto f = std::uint8_t((ux - left) / squareSize);
    auto r = std::uint8_t((uy - top) / squareSize);
    if (flipped) {
        f = std::uint8_t(7 - f);
    } else {
        r = std::uint8_t(7 - r);
    }
    if (f >= 8 || r >= 8) {
        return false;
    }
    file = f;
    rank = r;
    return true;
}

// --- Selection

void Echiquier::SetSelection(std::uint8_t file, std::uint8_t rank) {
    selectedFile = file;
    selectedRank = rank;
}

void Echiquier::ClearSelection() {
    selectedFile = 255;
    selectedRank = 255;
}

void Echiquier::RedrawSelection() {
    if (!owner || !HasSelection()) {
        return;
    }
    // The owner paints from the board's state, so the square comes out highlighted exactly when
    // it is still selected at paint time; callers clear the selection right after asking for the
    // plain square. Only that square is invalidated.
    owner->update(SquareRect(selectedFile, selectedRank));
}

// --- Drawing

namespace {

// MERGECOPY: the square becomes the brush ANDed with the strip cell.
void MergeCopy(QPainter& surface, const QRect& target, const QImage& strip, int cell) {
    surface.fillRect(target, surface.brush());
    surface.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    surface.drawImage(target.topLeft(), strip,
                      QRect(cell * target.width(), 0, target.width(), target.height()));
    surface.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// SRCPAINT: the strip cell is ORed into the square.
void SrcPaint(QPainter& surface, const QRect& target, const QImage& strip, int cell) {
    surface.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    surface.drawImage(target.topLeft(), strip,
                      QRect(cell * target.width(), 0, target.width(), target.height()));
    surface.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

bool IsDark(int file, int rank) {
    return file % 2 == rank % 2;
}

// One square at `target`, its cells taken from `cells` at the target's size.
void DrawPiece(QPainter& surface, const QRect& target, const QImage& cells, PieceCode piece) {
    const int type = TypeOf(piece);
    if (type < Pawn || type > King) {
        // Empty, or a code without a piece type (nothing the strip could show).
        MergeCopy(surface, target, cells, 0);
        return;
    }
    const int image = ColourOf(piece) == Black ? 4 * type - 1 : 4 * type - 3;
    MergeCopy(surface, target, cells, image + 1);
    SrcPaint(surface, target, cells, image);
}

} // namespace

void Echiquier::DrawSquare(QPainter& surface, const Position& position, int file, int rank) const {
    DrawPiece(surface, SquareRect(file, rank), Strip(), position.PieceAtFileRank(file, rank));
}

void Echiquier::PaintBoard(QPainter& surface, const Position& position, bool withFrame) const {
    if (squareSize <= 0) {
        return;
    }
    if (withFrame) {
        surface.save();
        surface.setPen(DarkSquarePen);
        surface.setBrush(Qt::NoBrush);
        // A one-pixel frame just outside the squares.
        surface.drawRect(QRect(left - 1, top - 1, 8 * squareSize + 1, 8 * squareSize + 1));
        surface.restore();
    }
    // The raster operations need an image to work on: the squares are drawn into one kept
    // with the board, then copied to the surface whatever it is. A surface with more device
    // pixels than pixels gets squares of its own resolution, from a strip drawn for them.
    const qreal ratio = surface.device() ? surface.device()->devicePixelRatio() : 1.0;
    const int cell = ratio > 1.0 ? int(std::lround(squareSize * ratio)) : squareSize;
    const QImage& cells = cell == squareSize ? Strip() : DeviceStrip(cell);
    const QSize size(8 * cell, 8 * cell);
    if (boardImage.size() != size) {
        boardImage = QImage(size, QImage::Format_RGB32);
    }
    boardImage.setDevicePixelRatio(1.0);
    {
        QPainter squares(&boardImage);
        squares.setPen(Qt::NoPen);
        for (int rank = 7; rank >= 0; --rank) {
            for (int file = 0; file < 8; ++file) {
                if (file == selectedFile && rank == selectedRank) {
                    squares.setBrush(SelectionBrush);
                } else {
                    squares.setBrush(IsDark(file, rank) ? DarkSquareBrush : LightSquareBrush);
                }
                const QRect square = SquareRect(file, rank);
                const QRect target((square.left() - left) / squareSize * cell,
                                   (square.top() - top) / squareSize * cell, cell, cell);
                DrawPiece(squares, target, cells, position.PieceAtFileRank(file, rank));
            }
        }
    }
    boardImage.setDevicePixelRatio(qreal(cell) / squareSize);
    surface.drawImage(QRectF(left, top, 8 * squareSize, 8 * squareSize), boardImage);
}
