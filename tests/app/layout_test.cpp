// Layout of the main window for both board sizes and both orientations.
#include "app/layout.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>

void PrintTo(const Rect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

struct LayoutCase {
    std::string name;
    int width;
    int height; // above the menu bar
    bool standardBoard;
    bool listVisible;
    int squareSize;
    int boardLeft;
    Rect moveText;
    Rect sideToMove;
    Rect moveList;
    Rect comment;
};

class LayoutTable : public testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTable, RectanglesComeOutAsDesigned) {
    const LayoutCase& c = GetParam();
    const int menuBar = 26;
    LayoutInput in;
    in.client = Rect{0, 0, c.width, c.height + menuBar};
    in.menuBarHeight = menuBar;
    in.lineHeight = 13;
    in.standardBoard = c.standardBoard;
    in.listVisible = c.listVisible;
    const LayoutResult out = ComputeLayoutFor(in);
    EXPECT_EQ(out.squareSize, c.squareSize);
    EXPECT_EQ(out.boardLeft, c.boardLeft);
    EXPECT_EQ(out.moveText, c.moveText);
    EXPECT_EQ(out.sideToMove, c.sideToMove);
    EXPECT_EQ(out.moveList, c.moveList);
    EXPECT_EQ(out.comment, c.comment);
    // Whatever the rectangles, each area is non-empty and inside the window above the bar.
    const std::pair<const char*, Rect> areas[] = {{"status line", out.moveText},
                                                  {"side to move", out.sideToMove},
                                                  {"move list", out.moveList},
                                                  {"comment", out.comment}};
    for (const auto& [area, r] : areas) {
        SCOPED_TRACE(area);
        EXPECT_LT(r.left, r.right);
        EXPECT_LT(r.top, r.bottom);
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, c.width);
        EXPECT_LE(r.bottom, c.height);
    }
    EXPECT_GE(out.boardLeft, 0);
    EXPECT_LE(out.boardLeft + 8 * out.squareSize, c.width);
    EXPECT_LE(8 * out.squareSize + 6 + 13, c.height);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Layout, LayoutTable,
    testing::Values(
        LayoutCase{"PortraitStandard", 240, 268, true, true, 19, 3, {3, 158, 138, 171},
                   {139, 158, 152, 171}, {158, 3, 240, 268}, {3, 174, 155, 268}},
        LayoutCase{"PortraitLargeListShown", 240, 268, false, true, 25, 20, {3, 206, 136, 219},
                   {3, 184, 16, 197}, {150, 206, 240, 268}, {3, 222, 147, 268}},
        LayoutCase{"LandscapeStandard", 320, 188, true, true, 19, 3, {3, 158, 138, 171},
                   {139, 158, 152, 171}, {158, 3, 258, 188}, {261, 3, 320, 188}},
        // Hiding the list lets the comment area of the large board run to the right edge.
        LayoutCase{"PortraitLargeListHidden", 240, 268, false, false, 25, 20, {3, 206, 136, 219},
                   {3, 184, 16, 197}, {150, 206, 240, 268}, {3, 222, 240, 268}},
        // The standard board ignores whether the list is shown: its area just stays blank.
        LayoutCase{"PortraitStandardListHidden", 240, 268, true, false, 19, 3, {3, 158, 138, 171},
                   {139, 158, 152, 171}, {158, 3, 240, 268}, {3, 174, 155, 268}},
        // A square window counts as landscape; the large board leaves its centre so that the
        // list and the comment area still fit beside it.
        LayoutCase{"SquareLarge", 400, 400, false, true, 25, 54, {54, 206, 234, 219},
                   {235, 206, 248, 219}, {257, 3, 357, 400}, {360, 3, 400, 400}},
        // The handheld's landscape screen, grown to hold the large board and its status line:
        // the list stands above the comment area right of the board.
        LayoutCase{"LandscapeLarge", 320, 222, false, true, 25, 3, {3, 206, 183, 219},
                   {184, 206, 197, 219}, {206, 3, 320, 112}, {206, 115, 320, 222}}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });
// clang-format on

TEST(Layout, LargeBoardDiscShrinksToTheLeftMargin) {
    // A narrow portrait window leaves less than one text line beside the large board: the disc
    // takes the margin's width less 2 pixels.
    LayoutInput in;
    in.client = Rect{0, 0, 226, 300};
    in.menuBarHeight = 26;
    in.lineHeight = 13;
    in.standardBoard = false;
    const LayoutResult out = ComputeLayoutFor(in);
    EXPECT_EQ(out.boardLeft, 13);
    EXPECT_EQ(out.sideToMove.Width(), 11);
    EXPECT_EQ(out.sideToMove.Height(), 11);
    EXPECT_EQ(out.sideToMove.left, 1);
}

TEST(Layout, ClientLeftOffsetOnlyMovesTheLargeBoard) {
    LayoutInput in;
    in.client = Rect{10, 0, 250, 294};
    in.menuBarHeight = 26;
    in.lineHeight = 13;
    in.standardBoard = false;
    EXPECT_EQ(ComputeLayoutFor(in).boardLeft, 20);
    in.standardBoard = true;
    EXPECT_EQ(ComputeLayoutFor(in).boardLeft, 3);
}

} // namespace
