#include "app/material_dialog.h"

#include "app/globals.h"
#include "app/layout.h"
#include "chess/position.h"
#include "resources/bitmaps.h"
#include "resources/dialog_builder.h"

#include <QPainter>

#include <cmath>

using namespace pawnlet;

namespace {

// First slot of each type, by type - 1 (pawn, rook, knight, bishop, queen, king).
constexpr std::array<int, 6> FirstSlot{8, 2, 6, 4, 1, 0};
// The drawing order of the types.
constexpr std::array<int, 6> DrawingOrder{King, Queen, Rook, Bishop, Knight, Pawn};

// Copies the mask cell of each piece onto the white background. The handheld copied it with
// MERGECOPY and the dialog's white brush, which is a plain copy: a piece drawn later in the same
// slot replaces the earlier one whole.
void DrawPieces(QPainter& painter, const std::array<int, 6>& counts, int colourOffset, int x,
                int y) {
    if (DefaultPieceStrip.isNull()) {
        return;
    }
    const int size = MaterialSlotSize;
    // A screen with more device pixels than pixels gets the pieces drawn for its resolution.
    const qreal ratio = painter.device()->devicePixelRatio();
    const int cell = ratio > 1.0 ? int(std::lround(size * ratio)) : size;
    const QImage strip =
        cell == size ? DefaultPieceStrip : LoadPieceStrip(StandardPieceStrip, cell);
    for (const MaterialSlot& piece : MaterialSlots(counts)) {
        const int maskCell = 4 * piece.type - 2 + colourOffset;
        const QPoint at(x + size * (piece.slot % 8), y + size * (piece.slot / 8));
        painter.drawImage(QRect(at, QSize(size, size)), strip,
                          QRect(maskCell * cell, 0, cell, cell));
    }
}

void PaintMaterial(TemplateDialog& dialog, QPainter& painter, const MaterialCount& count) {
    painter.fillRect(dialog.Client()->rect(), Qt::white);
    const QFont font = dialog.Client()->font();
    const int t = LineHeight(font);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(3, 3, 200, t), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("White"));
    DrawPieces(painter, count.white, 0, 3, t + 6);
    painter.drawText(QRect(3, t + 53, 200, t), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Black"));
    DrawPieces(painter, count.black, 2, 3, 2 * t + 56);
}

} // namespace

MaterialCount CountMaterial(const Position& position) {
    MaterialCount count;
    for (int square = 0; square < 64; ++square) {
        const PieceCode code = position.PieceAt(Square(square));
        const int type = TypeOf(code);
        if (code == Empty || type < Pawn || type > King) {
            continue;
        }
        (ColourOf(code) == White ? count.white : count.black)[type - 1] += 1;
    }
    return count;
}

std::vector<MaterialSlot> MaterialSlots(const std::array<int, 6>& counts) {
    std::vector<MaterialSlot> placed;
    for (int type : DrawingOrder) {
        for (int i = 0; i < counts[type - 1]; ++i) {
            placed.push_back({type, FirstSlot[type - 1] + i});
        }
    }
    return placed;
}

int ShowMaterialBalance(QWidget* owner, const Position& position) {
    const MaterialCount count = CountMaterial(position);
    DialogProcedure procedure;
    procedure.onInit = [](TemplateDialog& dialog) {
        dialog.SetCaption(QStringLiteral("Still on board"));
    };
    procedure.onPaint = [&count](TemplateDialog& dialog, QPainter& painter, const QRect&) {
        PaintMaterial(dialog, painter, count);
    };
    // Done, and any other command, ends it.
    procedure.onCommand = [](TemplateDialog& dialog, int, int) {
        dialog.End(2);
        return true;
    };
    return RunDialog(MaterialTemplate, owner, std::move(procedure));
}
