// Draws the program's bitmaps: the two piece strips, the evaluation glyphs, the tool-button
// images and the icon. The pieces come from the chess figures of DejaVu Sans; everything else is
// drawn here line by line. Output: <dir>/113.png, 139.png, 106.png, 115.png, 128.png, and for
// screens with several device pixels to a pixel piece-N.png (strips of N-pixel squares),
// 106@Nx.png and 115@Nx.png (the glyphs and tool images N times larger).
// With --icons ICON_DIR it also draws the icon at the desktop's sizes: ICON_DIR/pawnlet-N.png.
//
// Piece strip layout (25 cells of the square size): cell 0 white; for type t (1 pawn, 2 rook,
// 3 knight, 4 bishop, 5 queen, 6 king) cell 4t-3 the White image, 4t-2 the White mask, 4t-1 the
// Black image, 4t the Black mask. The board ANDs the mask with the square colour, then ORs the
// image: so an image is black wherever the square or the mask must show through, and a mask is
// white wherever the square must show.
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cstdio>
#include <vector>

namespace {

constexpr int Supersample = 8;

// The square sizes of the piece strips drawn for screens with more than one device pixel to a
// pixel: the 19- and 25-pixel squares times 1.5, 2, 3 and 4, rounded.
constexpr int HighResolutionCells[] = {29, 38, 50, 57, 75, 76, 100};

// A piece drawn at high resolution, reduced to coverage per output pixel.
struct Coverage {
    int size = 0;
    std::vector<double> ink;    // the figure's own ink
    std::vector<double> inside; // the whole shape: ink and everything it encloses
};

QPainterPath FigurePath(const QFont& font, char16_t figure) {
    QPainterPath path;
    path.addText(0, 0, font, QString(QChar(figure)));
    return path;
}

// Renders `path` (already placed) at size * Supersample and reduces it to coverage per pixel.
Coverage Rasterise(const QPainterPath& path, int size) {
    const int big = size * Supersample;
    QImage image(big, big, QImage::Format_Grayscale8);
    image.fill(255);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.scale(Supersample, Supersample);
        painter.fillPath(path, Qt::black);
    }
    // Everything the outside cannot reach through unpainted pixels is inside the figure.
    std::vector<char> outside(std::size_t(big) * big, 0);
    std::vector<int> stack;
    auto push = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= big || y >= big)
            return;
        const std::size_t at = std::size_t(y) * big + x;
        if (outside[at] || image.constScanLine(y)[x] < 128)
            return;
        outside[at] = 1;
        stack.push_back(int(at));
    };
    for (int i = 0; i < big; ++i) {
        push(i, 0);
        push(i, big - 1);
        push(0, i);
        push(big - 1, i);
    }
    while (!stack.empty()) {
        const int at = stack.back();
        stack.pop_back();
        const int x = at % big, y = at / big;
        push(x + 1, y);
        push(x - 1, y);
        push(x, y + 1);
        push(x, y - 1);
    }
    Coverage result;
    result.size = size;
    result.ink.assign(std::size_t(size) * size, 0.0);
    result.inside.assign(std::size_t(size) * size, 0.0);
    const double samples = Supersample * Supersample;
    for (int y = 0; y < big; ++y)
        for (int x = 0; x < big; ++x) {
            const std::size_t cell = std::size_t(y / Supersample) * size + x / Supersample;
            if (image.constScanLine(y)[x] < 128)
                result.ink[cell] += 1.0 / samples;
            if (!outside[std::size_t(y) * big + x])
                result.inside[cell] += 1.0 / samples;
        }
    return result;
}

// The four cells of one piece type, side by side, at `x` in `strip`.
void DrawPieceCells(QImage& strip, int x, const QFont& font, char16_t whiteFigure,
                    char16_t blackFigure) {
    const int size = strip.height();
    QPainterPath white = FigurePath(font, whiteFigure);
    QPainterPath black = FigurePath(font, blackFigure);
    // One placement for both colours: scaled to leave a pixel of square round the piece, sitting
    // on the bottom margin, centred across.
    const QRectF box = white.boundingRect().united(black.boundingRect());
    const double room = size - 2.0;
    const double scale = std::min(room / box.width(), room / box.height());
    QTransform place;
    place.translate(size / 2.0, size - 1.0);
    place.scale(scale, scale);
    place.translate(-box.center().x(), -box.bottom());
    const Coverage outline = Rasterise(place.map(white), size);
    const Coverage solid = Rasterise(place.map(black), size);

    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            const std::size_t at = std::size_t(py) * size + px;
            // Outlines are thin at 19 pixels: a third of a pixel of ink is enough to keep them.
            const bool ink = outline.ink[at] >= 0.33;
            const bool inside = ink || outline.inside[at] >= 0.5 || solid.ink[at] >= 0.5;
            const bool blackDetail =
                inside && !ink && solid.ink[at] < 0.35 && outline.inside[at] >= 0.5;
            const QRgb black = qRgb(0, 0, 0), paper = qRgb(255, 255, 255);
            // White: the figure's body in white on black; the mask keeps only its outline black,
            // so that a White piece shows as an outline where it is drawn on white alone.
            strip.setPixel(x + px, py, inside && !ink ? paper : black);
            strip.setPixel(x + size + px, py, ink ? black : paper);
            // Black: the body stays black but for the figure's inner lines; the mask is solid.
            strip.setPixel(x + 2 * size + px, py, blackDetail ? paper : black);
            strip.setPixel(x + 3 * size + px, py, inside ? black : paper);
        }
}

QImage PieceStrip(int size, const QFont& baseFont) {
    QImage strip(25 * size, size, QImage::Format_RGB32);
    strip.fill(Qt::white);
    QFont font = baseFont;
    font.setPixelSize(200);
    // Type order of the strip: pawn, rook, knight, bishop, queen, king.
    const std::array<char16_t, 6> whites = {u'\u2659', u'\u2656', u'\u2658',
                                            u'\u2657', u'\u2655', u'\u2654'};
    const std::array<char16_t, 6> blacks = {u'\u265F', u'\u265C', u'\u265E',
                                            u'\u265D', u'\u265B', u'\u265A'};
    for (int t = 1; t <= 6; ++t)
        DrawPieceCells(strip, (4 * t - 3) * size, font, whites[t - 1], blacks[t - 1]);
    return strip;
}

// Evaluation glyphs, black on white, 15 x 14 each: "=", unclear, the four advantages and the two
// decisive ones. `scale` draws them that many times larger, strokes included, for screens with
// more than one device pixel to a pixel.
QImage GlyphStrip(int scale = 1) {
    constexpr int W = 15, H = 14;
    QImage strip(8 * W * scale, H * scale, QImage::Format_RGB32);
    strip.fill(Qt::white);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing, scale > 1);
    if (scale > 1) {
        // Strokes centred on the middle of their pixels, as the one-pixel lines of the small
        // strip fall.
        p.scale(scale, scale);
        p.translate(0.5, 0.5);
    }
    p.setPen(QPen(Qt::black, 1));
    auto hline = [&](int cell, int x0, int x1, int y) {
        p.drawLine(cell * W + x0, y, cell * W + x1, y);
    };
    auto vline = [&](int cell, int x, int y0, int y1) {
        p.drawLine(cell * W + x, y0, cell * W + x, y1);
    };
    auto plus = [&](int cell, int cx, int cy, int arm) {
        hline(cell, cx - arm, cx + arm, cy);
        vline(cell, cx, cy - arm, cy + arm);
    };
    auto equals = [&](int cell, int x0, int x1, int y) {
        hline(cell, x0, x1, y);
        hline(cell, x0, x1, y + 3);
    };
    // 0 "=": two bars.
    equals(0, 3, 11, 5);
    equals(0, 3, 11, 6);
    // 1 unclear: a lying eight.
    p.drawEllipse(QRect(1 * W + 1, 4, 6, 6));
    p.drawEllipse(QRect(1 * W + 7, 4, 6, 6));
    // 2 White better: plus over equals; 3 Black better: equals over plus.
    plus(2, 7, 3, 2);
    equals(2, 3, 11, 8);
    equals(3, 3, 11, 2);
    plus(3, 7, 10, 2);
    // 4 White better2: plus over minus; 5 Black better2: minus over plus.
    plus(4, 7, 4, 3);
    hline(4, 3, 11, 10);
    hline(5, 3, 11, 3);
    plus(5, 7, 9, 3);
    // 6 White wins "+-"; 7 Black wins "-+".
    plus(6, 4, 7, 3);
    hline(6, 9, 13, 7);
    hline(7, 1, 5, 7);
    plus(7, 10, 7, 3);
    // Thicken every stroke by one pixel to the right so that the glyphs read at menu size.
    p.end();
    QImage bold = strip.copy();
    for (int y = 0; y < H * scale; ++y)
        for (int x = 0; x + 1 < 8 * W * scale; ++x)
            for (int step = 1; step <= scale; ++step)
                if (x + step < 8 * W * scale && (x + step) % (W * scale) >= step &&
                    qGray(strip.pixel(x, y)) < 128)
                    bold.setPixel(x + step, y,
                                  qMin(bold.pixel(x + step, y), strip.pixel(x, y)) | 0xFF000000u);
    return bold;
}

// The seven tool-button images: save, properties, backward, return from line, forward,
// annotations, comment. Transparent background, dark strokes.
QImage ToolStrip(const QFont& baseFont, int scale = 1) {
    constexpr int S = 16;
    QImage strip(7 * S * scale, S * scale, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(scale, scale);
    const QColor ink(0x20, 0x20, 0x20);
    const QColor blue(0x20, 0x50, 0xB0);
    const QColor green(0x10, 0x80, 0x30);
    const QColor paper(0xFF, 0xFF, 0xF0);

    // 0 save: a disk with its label and shutter.
    p.setPen(QPen(ink, 1));
    p.setBrush(blue);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(paper);
    p.drawRect(QRectF(3.5, 1.5, 9, 6));
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    p.drawRect(QRectF(4.5, 10.5, 7, 4));

    // 1 properties: a sheet with text lines.
    p.translate(S, 0);
    p.setBrush(paper);
    p.drawRect(QRectF(2.5, 1.5, 11, 13));
    for (int y = 4; y <= 11; y += 2.5)
        p.drawLine(QPointF(4.5, y + 0.5), QPointF(11.5, y + 0.5));

    // 2 backward, 4 forward: solid triangles with a bar.
    p.translate(S, 0);
    p.setBrush(green);
    p.setPen(QPen(green.darker(), 1));
    p.drawPolygon(QPolygonF({QPointF(12.5, 2.5), QPointF(12.5, 13.5), QPointF(3.5, 8)}));

    // 3 return from line: an arrow going up and back to the left.
    p.translate(S, 0);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(green.darker(), 2));
    QPainterPath back;
    back.moveTo(13, 14);
    back.lineTo(13, 7);
    back.lineTo(5, 7);
    p.drawPath(back);
    p.setPen(QPen(green.darker(), 1));
    p.setBrush(green);
    p.drawPolygon(QPolygonF({QPointF(6.5, 2.5), QPointF(6.5, 11.5), QPointF(1.5, 7)}));

    p.translate(S, 0);
    p.drawPolygon(QPolygonF({QPointF(3.5, 2.5), QPointF(3.5, 13.5), QPointF(12.5, 8)}));

    // 5 annotations: "!?".
    p.translate(S, 0);
    QFont font = baseFont;
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRect(0, 0, S, S), Qt::AlignCenter, QStringLiteral("!?"));

    // 6 comment: a speech bubble with two lines.
    p.translate(S, 0);
    p.setPen(QPen(ink, 1));
    p.setBrush(paper);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(1.5, 1.5, 13, 9), 2, 2);
    bubble.moveTo(4, 10.5);
    bubble.lineTo(3.5, 14.5);
    bubble.lineTo(8, 10.5);
    p.drawPath(bubble.simplified());
    p.drawLine(QPointF(4, 4.5), QPointF(12, 4.5));
    p.drawLine(QPointF(4, 7.5), QPointF(10, 7.5));
    return strip;
}

// The icon: a Black knight on a corner of the board. Drawn on a 32-pixel grid and scaled to `size`.
QImage Icon(const QFont& baseFont, int size = 32) {
    constexpr int S = 32;
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(double(size) / S, double(size) / S);
    p.fillRect(0, 0, 16, 16, QColor(0xC0, 0xC0, 0xC0));
    p.fillRect(16, 16, 16, 16, QColor(0xC0, 0xC0, 0xC0));
    p.fillRect(16, 0, 16, 16, Qt::white);
    p.fillRect(0, 16, 16, 16, Qt::white);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 31, 31));
    QFont font = baseFont;
    font.setPixelSize(200);
    QPainterPath knight = FigurePath(font, u'\u265E');
    const QRectF box = knight.boundingRect();
    const double scale = 28.0 / std::max(box.width(), box.height());
    QTransform place;
    place.translate(16, 30);
    place.scale(scale, scale);
    place.translate(-box.center().x(), -box.bottom());
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(Qt::black);
    p.drawPath(place.map(knight));
    return icon;
}

bool Save(const QImage& image, const QString& path) {
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// A sheet for looking at the result: each strip as it is, then every piece drawn on a light and a
// dark square the way the board draws it (AND with the mask, OR with the image), four times size.
QImage Preview(const QString& dir) {
    const QImage glyphs(dir + QStringLiteral("/106.png"));
    const QImage tools(dir + QStringLiteral("/115.png"));
    const QImage icon(dir + QStringLiteral("/128.png"));
    QImage sheet(640, 200, QImage::Format_RGB32);
    sheet.fill(qRgb(0x80, 0xA0, 0x80));
    int y = 2;
    QPainter p(&sheet);
    for (int id : {139, 113}) {
        const QImage strip =
            QImage(dir + QStringLiteral("/%1.png").arg(id)).convertToFormat(QImage::Format_RGB32);
        const int s = strip.height();
        p.drawImage(2, y, strip);
        y += s + 2;
        QImage board(24 * s, s, QImage::Format_RGB32);
        for (int k = 0; k < 24; ++k) {
            const int t = k / 4 + 1;
            const bool isBlack = (k / 2) % 2;
            const bool dark = k % 2;
            const int image = isBlack ? 4 * t - 1 : 4 * t - 3;
            for (int py = 0; py < s; ++py)
                for (int px = 0; px < s; ++px) {
                    QRgb square = dark ? qRgb(0xC0, 0xC0, 0xC0) : qRgb(255, 255, 255);
                    square &= strip.pixel((image + 1) * s + px, py);
                    square |= strip.pixel(image * s + px, py);
                    board.setPixel(k * s + px, py, square | 0xFF000000u);
                }
        }
        p.drawImage(2, y, board);
        y += s + 4;
    }
    p.drawImage(2, y, glyphs);
    p.drawImage(130, y, tools);
    p.drawImage(250, y, icon);
    p.end();
    return sheet.scaled(sheet.width() * 3, sheet.height() * 3);
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--preview")
        return Save(Preview(QString::fromLocal8Bit(argv[2])), QString::fromLocal8Bit(argv[3])) ? 0
                                                                                               : 1;
    const bool icons = argc == 4 && QByteArray(argv[2]) == "--icons";
    if (argc != 2 && !icons) {
        std::fprintf(stderr, "usage: make_bitmaps OUTPUT_DIR [--icons ICON_DIR]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const int fontId = QFontDatabase::addApplicationFont(
        QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    if (fontId < 0) {
        std::fprintf(stderr, "DejaVu Sans not found (install fonts-dejavu-core)\n");
        return 1;
    }
    const QFont font(QFontDatabase::applicationFontFamilies(fontId).value(0));
    bool ok = true;
    ok &= Save(PieceStrip(19, font), dir + QStringLiteral("/139.png"));
    ok &= Save(PieceStrip(25, font), dir + QStringLiteral("/113.png"));
    ok &= Save(GlyphStrip(), dir + QStringLiteral("/106.png"));
    ok &= Save(ToolStrip(font), dir + QStringLiteral("/115.png"));
    ok &= Save(Icon(font), dir + QStringLiteral("/128.png"));
    // The same strips for screens with 1.5, 2, 3 and 4 device pixels to a pixel: drawn from the
    // figures at the size they are shown, never enlarged from the small ones.
    for (int cell : HighResolutionCells)
        ok &= Save(PieceStrip(cell, font), dir + QStringLiteral("/piece-%1.png").arg(cell));
    for (int scale : {2, 3, 4})
        ok &= Save(GlyphStrip(scale), dir + QStringLiteral("/106@%1x.png").arg(scale));
    for (int scale : {2, 3, 4})
        ok &= Save(ToolStrip(font, scale), dir + QStringLiteral("/115@%1x.png").arg(scale));
    if (icons) {
        const QString iconDir = QString::fromLocal8Bit(argv[3]);
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            ok &= Save(Icon(font, size), iconDir + QStringLiteral("/pawnlet-%1.png").arg(size));
    }
    return ok ? 0 : 1;
}
