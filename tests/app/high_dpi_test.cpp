// The window on a screen with two device pixels to a pixel: the board, the status line and the
// comment are drawn at the screen's resolution, not drawn at one pixel and enlarged (which leaves
// every aligned 2 x 2 block of device pixels one colour).
#include "tests/app/window_test_support.h"

#include "app/layout.h"
#include "dialogs/echiquier.h"

#include <QImage>

namespace {

// Set before the test program's QApplication exists, which is when Qt reads it.
const bool TwoDevicePixelsToAPixel = qputenv("QT_SCALE_FACTOR", "2");

// How many of the aligned 2 x 2 blocks of device pixels inside `area` (window pixels) hold more
// than one colour.
int MixedBlocks(const QImage& image, const QRect& area) {
    int mixed = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb corner = image.pixel(2 * x, 2 * y);
            mixed += image.pixel(2 * x + 1, 2 * y) != corner ||
                     image.pixel(2 * x, 2 * y + 1) != corner ||
                     image.pixel(2 * x + 1, 2 * y + 1) != corner;
        }
    return mixed;
}

using HighDpiWindow = WindowTest;

TEST_F(HighDpiWindow, BoardStatusLineAndCommentAreDrawnAtTheScreensResolution) {
    ASSERT_TRUE(TwoDevicePixelsToAPixel);
    window->setAttribute(Qt::WA_DontShowOnScreen);
    window->show();
    ASSERT_EQ(window->devicePixelRatio(), 2.0);
    const QString path = WriteFile("two.pgn", TwoGamesPgn);
    OpenThroughGameList(path, 0);
    DispatchCommand(Cmd::MoveForward);
    CurrentPosition->evaluation = 14; // a glyph beside the move
    CurrentPosition->SetComment(u"A comment long enough to wrap over two lines of the area");
    window->update();

    const QImage image = window->Render().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.width(), 2 * window->width());
    ASSERT_EQ(image.height(), 2 * window->height());
    const struct {
        const char* name;
        QRect area;
    } areas[] = {
        {"board", Board->BoardRect()},
        {"status line", MoveTextRect.ToQRect()},
        {"comment", CommentRect.ToQRect()},
    };
    for (const auto& area : areas) {
        SCOPED_TRACE(area.name);
        ASSERT_FALSE(area.area.isEmpty());
        // Piece outlines and letter edges fall inside blocks wherever they are drawn finely;
        // an enlarged drawing has none at all.
        EXPECT_GT(MixedBlocks(image, area.area), 20);
    }
}

} // namespace
