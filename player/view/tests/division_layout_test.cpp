#include "division_layout.h"

#include <gtest/gtest.h>

namespace view {
namespace {

TEST(DivisionLayout, CellCountsAndSpansFollowTheTable) {
  const Layouts l = BuildLayouts();
  const int counts[kLayouts] = {0, 1, 4, 9, 16, 25, 6, 7, 8, 10, 10};
  for (int i = 0; i < kLayouts; ++i) EXPECT_EQ(int(l[i].cells.size()), counts[i]) << "layout " << i;
  EXPECT_EQ(l[8].cells[0].rows, 3);
  EXPECT_EQ(l[10].cells[7].row, 2);
  EXPECT_EQ(l[10].cells[7].column, 2);
  EXPECT_EQ(l[10].cells[7].columns, 2);
}

TEST(DivisionLayout, LayingOutUsesWholeCellsAndLeavesTheRemainderOut) {
  Layouts l = BuildLayouts();
  LayOut(l, 703, 528);
  EXPECT_EQ(l[3].cell_width, 234);
  EXPECT_EQ(l[3].cells[2].right, 702);  // column 702 belongs to no cell
  const LayoutCell big = l[7].cells[1];  // row 0, column 2, 2 x 2 of a 4 x 4 grid
  EXPECT_EQ(big.left, 350);
  EXPECT_EQ(big.right, 700);
  EXPECT_EQ(big.top, 0);
  EXPECT_EQ(big.bottom, 264);
  const LayoutCell quarter = l[2].cells[3];
  EXPECT_EQ(quarter.left, 351);
  EXPECT_EQ(quarter.top, 264);
  EXPECT_EQ(quarter.bottom, 528);
}

TEST(DivisionLayout, PenAndCaptionSizesByLayoutAndCell) {
  struct Case {
    int layout, cell, pen, points;
  } cases[] = {{1, 0, 4, 16}, {2, 3, 3, 12}, {3, 8, 3, 10}, {4, 0, 2, 8},  {5, 24, 1, 7}, {6, 0, 3, 12},
               {6, 1, 3, 10}, {7, 2, 3, 12}, {7, 3, 3, 8},  {8, 0, 3, 14}, {8, 1, 3, 8},  {9, 1, 3, 12},
               {9, 2, 3, 8},  {10, 7, 3, 12}, {10, 6, 3, 8}, {0, 0, 2, 8},  {11, 0, 2, 8}};
  for (const Case& c : cases) {
    EXPECT_EQ(FramePenWidth(c.layout, c.cell), c.pen) << c.layout << "/" << c.cell;
    EXPECT_EQ(CaptionPoints(c.layout, c.cell), c.points) << c.layout << "/" << c.cell;
  }
}

TEST(DivisionLayout, ResolutionClasses) {
  const int widths[][2] = {{720, 720}, {711, 720}, {710, 704}, {701, 704}, {700, 360}, {360, 360},
                           {356, 360}, {355, 320}, {301, 320}, {300, 160}, {176, 160}};
  for (auto [w, cls] : widths) EXPECT_EQ(WidthClass(w), cls) << w;
  const int heights[][2] = {{288, 288}, {-288, 288}, {261, 288}, {260, 240}, {240, 240},
                            {201, 240}, {200, 144}, {131, 144}, {130, 120}, {-120, 120}};
  for (auto [h, cls] : heights) EXPECT_EQ(HeightClass(h), cls) << h;
}

TEST(DivisionLayout, SourcesLeaveTheMosaicsOuterEdgesOut) {
  struct Case {
    int channel, x, y, width, height;
  } cases[] = {{0, 4, 0, 356, 288}, {1, 360, 0, 356, 288}, {2, 4, 288, 356, 288}, {3, 360, 288, 356, 288}};
  for (const Case& c : cases) {
    const SourceRect s = QuarterSource(c.channel, 720, -576);
    EXPECT_EQ(s.x, c.x) << c.channel;
    EXPECT_EQ(s.y, c.y) << c.channel;
    EXPECT_EQ(s.width, c.width) << c.channel;
    EXPECT_EQ(s.height, c.height) << c.channel;
  }
  const SourceRect whole = WholeSource(720, -480);
  EXPECT_EQ(whole.x, 4);
  EXPECT_EQ(whole.width, 712);
  EXPECT_EQ(whole.height, 480);
}

}  // namespace
}  // namespace view
