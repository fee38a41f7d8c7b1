#include "resources/bitmaps.h"

#include <QFile>
#include <QPixmap>

namespace {

// The bitmaps are compiled in under ":/bitmaps/<number>.png" (resources/CMakeLists.txt).
QString BitmapPath(int id) {
    return QStringLiteral(":/bitmaps/%1.png").arg(id);
}

} // namespace

QImage LoadBitmap(int bitmapId) {
    QImage image(BitmapPath(bitmapId));
    if (image.isNull())
        return {};
    if (bitmapId == ToolStripBitmap)
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return image.convertToFormat(QImage::Format_RGB32);
}

QIcon LoadProgramIcon(int iconId) {
    if (iconId != ProgramIcon)
        return {};
    QImage image(BitmapPath(iconId));
    if (image.isNull())
        return {};
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
