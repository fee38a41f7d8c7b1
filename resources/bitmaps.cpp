#include "resources/bitmaps.h"

#include <QFile>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// The bitmaps are compiled in under ":/bitmaps/<number>.png" (resources/CMakeLists.txt).
QString BitmapPath(int id) {
    return QStringLiteral(":/bitmaps/%1.png").arg(id);
}

// The square sizes of the strips drawn from the figures, smallest first.
constexpr int StripCells[] = {19, 25, 29, 38, 50, 57, 75, 76, 100};

QImage StripOfCell(int cell) {
    const QString path = cell == 19   ? BitmapPath(StandardPieceStrip)
                         : cell == 25 ? BitmapPath(LargePieceStrip)
                                      : QStringLiteral(":/bitmaps/piece-%1.png").arg(cell);
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

} // namespace

QImage LoadPieceStrip(int bitmapId, int cellSize) {
    if (PieceStripCellSize(bitmapId) == 0 || cellSize <= 0) {
        return {};
    }
    int source = StripCells[std::size(StripCells) - 1];
    for (int cell : StripCells) {
        if (cell >= cellSize) {
            source = cell;
            break;
        }
    }
    QImage strip = StripOfCell(source);
    if (strip.isNull() || source == cellSize) {
        return strip;
    }
    // Nearest pixels keep the two colours; the whole strip scales evenly, so each square maps
    // onto one square.
    return strip.scaled(25 * cellSize, cellSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QImage LoadBitmapForRatio(int bitmapId, qreal ratio) {
    if (bitmapId != GlyphStripBitmap && bitmapId != ToolStripBitmap) {
        return {};
    }
    if (ratio <= 1.0) {
        return LoadBitmap(bitmapId);
    }
    const int scale = std::min(4, int(std::ceil(ratio - 0.001)));
    QImage image(QStringLiteral(":/bitmaps/%1@%2x.png").arg(bitmapId).arg(scale));
    if (image.isNull()) {
        return LoadBitmap(bitmapId);
    }
    image = image.convertToFormat(bitmapId == ToolStripBitmap ? QImage::Format_ARGB32_Premultiplied
                                                              : QImage::Format_RGB32);
    if (std::abs(ratio - scale) > 0.001) {
        const QImage small = LoadBitmap(bitmapId);
        image = image.scaled(int(std::lround(small.width() * ratio)),
                             int(std::lround(small.height() * ratio)), Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
        image.setDevicePixelRatio(qreal(image.height()) / small.height());
        return image;
    }
    image.setDevicePixelRatio(scale);
    return image;
}

QImage LoadBitmap(int bitmapId) {
    QImage image(BitmapPath(bitmapId));
    if (image.isNull()) {
        return {};
    }
    if (bitmapId == ToolStripBitmap) {
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

QIcon StripCellIcon(int bitmapId, const QRect& cell, bool whiteIsTransparent) {
    QIcon icon;
    for (int scale = 1; scale <= 4; ++scale) {
        const QImage strip = LoadBitmapForRatio(bitmapId, scale);
        if (strip.isNull() || std::abs(strip.devicePixelRatio() - scale) > 0.001) {
            continue;
        }
        QImage image = strip
                           .copy(cell.x() * scale, cell.y() * scale, cell.width() * scale,
                                 cell.height() * scale)
                           .convertToFormat(QImage::Format_ARGB32);
        if (whiteIsTransparent) {
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x) {
                    if ((line[x] & 0xFFFFFF) == 0xFFFFFF) {
                        line[x] = qRgba(255, 255, 255, 0);
                    }
                }
            }
        }
        image.setDevicePixelRatio(scale);
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QIcon LoadProgramIcon(int iconId) {
    if (iconId != ProgramIcon) {
        return {};
    }
    QImage image(BitmapPath(iconId));
    if (image.isNull()) {
        return {};
    }
    return QIcon(QPixmap::fromImage(image));
}

int PieceStripCellSize(int bitmapId) {
    switch (bitmapId) {
    case StandardPieceStrip:
        return 19;
    case LargePieceStrip:
        return 25;
    default:
        return 0;
    }
}
