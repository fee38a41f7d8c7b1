// The bitmaps have the sizes and the cell layout that the board's raster operations rely on: a
// piece is drawn by ANDing its mask with the square's colour, then ORing its image.
#include "resources/bitmaps.h"
#include "tests/gui_test_support.h"

#include <gtest/gtest.h>

#include <set>

namespace {

class Bitmaps : public ::testing::Test {
protected:
    void SetUp() override { GuiTestApp(); }
};

QImage Cell(const QImage& strip, int size, int cell) {
    return strip.copy(cell * size, 0, size, size);
}

int CountPixels(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return count;
}

// A piece drawn as the board draws it, on a square of `square` colour.
QImage DrawPiece(const QImage& strip, int size, int imageCell, QRgb square) {
    QImage out(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            QRgb pixel = square & strip.pixel((imageCell + 1) * size + x, y);
            pixel |= strip.pixel(imageCell * size + x, y);
            out.setPixel(x, y, pixel | 0xFF000000u);
        }
    return out;
}

constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Black = 0xFF000000;
constexpr QRgb Grey = 0xFFC0C0C0;

TEST_F(Bitmaps, EachBitmapHasItsSize) {
    struct Row {
        const char* name;
        int id;
        QSize size;
    };
    const Row rows[] = {
        {"standard pieces", StandardPieceStrip, {475, 19}},
        {"large pieces", LargePieceStrip, {625, 25}},
        {"glyphs", GlyphStripBitmap, {8 * 15, 14}},
        {"tools", ToolStripBitmap, {7 * 16, 16}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QImage image = LoadBitmap(row.id);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), row.size);
    }
    EXPECT_EQ(LoadBitmap(StandardPieceStrip).format(), QImage::Format_RGB32);
    EXPECT_TRUE(LoadBitmap(ToolStripBitmap).hasAlphaChannel());
    EXPECT_TRUE(LoadBitmap(999).isNull());
    EXPECT_FALSE(LoadProgramIcon(ProgramIcon).isNull());
    EXPECT_TRUE(LoadProgramIcon(129).isNull());
    EXPECT_EQ(PieceStripCellSize(StandardPieceStrip), 19);
    EXPECT_EQ(PieceStripCellSize(LargePieceStrip), 25);
    EXPECT_EQ(PieceStripCellSize(GlyphStripBitmap), 0);
}

TEST_F(Bitmaps, PieceStripsFollowTheCellLayout) {
    for (int id : {StandardPieceStrip, LargePieceStrip}) {
        SCOPED_TRACE(id);
        const QImage strip = LoadBitmap(id);
        const int size = PieceStripCellSize(id);
        const int area = size * size;
        // Cell 0 is plain white: an empty square keeps the square's colour.
        EXPECT_EQ(CountPixels(Cell(strip, size, 0), White), area);
        for (int t = 1; t <= 6; ++t) {
            SCOPED_TRACE("type " + std::to_string(t));
            for (int imageCell : {4 * t - 3, 4 * t - 1}) {
                // Every pixel is either the piece's own, whatever the square, or the square's.
                const QImage onLight = DrawPiece(strip, size, imageCell, White);
                const QImage onDark = DrawPiece(strip, size, imageCell, Grey);
                for (int y = 0; y < size; ++y) {
                    for (int x = 0; x < size; ++x) {
                        const bool piece = onLight.pixel(x, y) == onDark.pixel(x, y);
                        const bool square =
                            onLight.pixel(x, y) == White && onDark.pixel(x, y) == Grey;
                        ASSERT_TRUE(piece || square) << imageCell << " at " << x << "," << y;
                    }
                }
                const QImage image = Cell(strip, size, imageCell);
                const QImage mask = Cell(strip, size, imageCell + 1);
                // The piece has a shape, with the square round it.
                const int shape = CountPixels(mask, Black);
                EXPECT_GT(shape, area / 20);
                EXPECT_LT(CountPixels(mask, White) + CountPixels(image, White), 2 * area);
            }
            // The square shows round the piece in every corner.
            const QImage drawn = DrawPiece(strip, size, 4 * t - 3, Grey);
            EXPECT_EQ(drawn.pixel(0, 0), Grey);
            EXPECT_EQ(drawn.pixel(size - 1, 0), Grey);
        }
    }
}

TEST_F(Bitmaps, WhitePiecesAreLightAndBlackPiecesDark) {
    for (int id : {StandardPieceStrip, LargePieceStrip}) {
        const QImage strip = LoadBitmap(id);
        const int size = PieceStripCellSize(id);
        for (int t = 1; t <= 6; ++t) {
            SCOPED_TRACE(std::to_string(id) + " type " + std::to_string(t));
            const QImage white = DrawPiece(strip, size, 4 * t - 3, Grey);
            const QImage black = DrawPiece(strip, size, 4 * t - 1, Grey);
            EXPECT_GT(CountPixels(white, White), size * size / 12);
            EXPECT_GT(CountPixels(white, White), 3 * CountPixels(black, White));
            EXPECT_GT(CountPixels(black, Black), 3 * CountPixels(black, White));
            // The mask of a White piece is its outline, that of a Black piece its solid shape.
            EXPECT_LT(CountPixels(Cell(strip, size, 4 * t - 2), Black),
                      CountPixels(Cell(strip, size, 4 * t), Black));
        }
    }
}

TEST_F(Bitmaps, EveryPieceTypeLooksDifferent) {
    for (int id : {StandardPieceStrip, LargePieceStrip}) {
        const QImage strip = LoadBitmap(id);
        const int size = PieceStripCellSize(id);
        std::set<QByteArray> shapes;
        for (int cell = 1; cell <= 24; ++cell) {
            const QImage image = Cell(strip, size, cell);
            shapes.insert(
                QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
        }
        EXPECT_EQ(shapes.size(), 24u) << id;
    }
}

TEST_F(Bitmaps, GlyphsAndToolImagesAreDistinctAndNotEmpty) {
    const QImage glyphs = LoadBitmap(GlyphStripBitmap);
    std::set<QByteArray> seen;
    for (int cell = 0; cell < 8; ++cell) {
        const QImage glyph = glyphs.copy(cell * GlyphCellWidth, 0, GlyphCellWidth, GlyphCellHeight);
        // Black on white, so that the menu can AND it onto its colour.
        EXPECT_GT(CountPixels(glyph, Black), 6) << cell;
        EXPECT_EQ(CountPixels(glyph, Black) + CountPixels(glyph, White),
                  GlyphCellWidth * GlyphCellHeight)
            << cell;
        seen.insert(
            QByteArray(reinterpret_cast<const char*>(glyph.constBits()), glyph.sizeInBytes()));
    }
    EXPECT_EQ(seen.size(), 8u);

    const QImage tools = LoadBitmap(ToolStripBitmap);
    seen.clear();
    for (int cell = 0; cell < 7; ++cell) {
        const QImage tool = tools.copy(cell * ToolImageSize, 0, ToolImageSize, ToolImageSize);
        int painted = 0;
        for (int y = 0; y < ToolImageSize; ++y)
            for (int x = 0; x < ToolImageSize; ++x)
                painted += qAlpha(tool.pixel(x, y)) > 128;
        EXPECT_GT(painted, 10) << cell;
        seen.insert(
            QByteArray(reinterpret_cast<const char*>(tool.constBits()), tool.sizeInBytes()));
    }
    EXPECT_EQ(seen.size(), 7u);
}

} // namespace
