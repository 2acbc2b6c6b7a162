#include "division_layout.h"

#include <cstdlib>

namespace view {

namespace {

struct CellPlace {
  uint8_t row, column, rows, columns;
};

DivisionLayout Grid(int n) {
  DivisionLayout layout;
  layout.rows = layout.columns = uint8_t(n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) layout.cells.push_back({uint8_t(r), uint8_t(c), 1, 1, 0, 0, 0, 0});
  return layout;
}

DivisionLayout Mixed(int n, std::initializer_list<CellPlace> cells) {
  DivisionLayout layout;
  layout.rows = layout.columns = uint8_t(n);
  for (const CellPlace& c : cells) layout.cells.push_back({c.row, c.column, c.rows, c.columns, 0, 0, 0, 0});
  return layout;
}

}  // namespace

Layouts BuildLayouts() {
  Layouts l;
  for (int n = 1; n <= 5; ++n) l[n] = Grid(n);
  l[6] = Mixed(3, {{0, 0, 2, 2}, {0, 2, 1, 1}, {1, 2, 1, 1}, {2, 0, 1, 1}, {2, 1, 1, 1}, {2, 2, 1, 1}});
  l[7] = Mixed(4, {{0, 0, 2, 2}, {0, 2, 2, 2}, {2, 0, 2, 2}, {2, 2, 1, 1}, {2, 3, 1, 1}, {3, 2, 1, 1},
                   {3, 3, 1, 1}});
  l[8] = Mixed(4, {{0, 0, 3, 3}, {0, 3, 1, 1}, {1, 3, 1, 1}, {2, 3, 1, 1}, {3, 0, 1, 1}, {3, 1, 1, 1},
                   {3, 2, 1, 1}, {3, 3, 1, 1}});
  l[9] = Mixed(4, {{0, 0, 2, 2}, {0, 2, 2, 2}, {2, 0, 1, 1}, {2, 1, 1, 1}, {2, 2, 1, 1}, {2, 3, 1, 1},
                   {3, 0, 1, 1}, {3, 1, 1, 1}, {3, 2, 1, 1}, {3, 3, 1, 1}});
  l[10] = Mixed(4, {{0, 0, 2, 2}, {0, 2, 1, 1}, {0, 3, 1, 1}, {1, 2, 1, 1}, {1, 3, 1, 1}, {2, 0, 1, 1},
                    {2, 1, 1, 1}, {2, 2, 2, 2}, {3, 0, 1, 1}, {3, 1, 1, 1}});
  return l;
}

void LayOut(Layouts& layouts, int width, int height) {
  for (DivisionLayout& layout : layouts) {
    if (layout.cells.empty()) continue;
    layout.cell_width = int16_t(width / layout.columns);
    layout.cell_height = int16_t(height / layout.rows);
    for (LayoutCell& c : layout.cells) {
      c.left = int16_t(layout.cell_width * c.column);
      c.right = int16_t(c.left + layout.cell_width * c.columns);
      c.top = int16_t(layout.cell_height * c.row);
      c.bottom = int16_t(c.top + layout.cell_height * c.rows);
    }
  }
}

int FramePenWidth(int layout, int) {
  switch (layout) {
    case 1: return 4;
    case 2: case 3: case 6: case 7: case 8: case 9: case 10: return 3;
    case 4: return 2;
    case 5: return 1;
    default: return 2;
  }
}

int CaptionPoints(int layout, int cell) {
  switch (layout) {
    case 1: return 16;
    case 2: return 12;
    case 3: return 10;
    case 4: return 8;
    case 5: return 7;
    case 6: return cell == 0 ? 12 : 10;
    case 7: return cell <= 2 ? 12 : 8;
    case 8: return cell == 0 ? 14 : 8;
    case 9: return cell <= 1 ? 12 : 8;
    case 10: return cell == 0 || cell == 7 ? 12 : 8;
    default: return 8;
  }
}

int WidthClass(int width) {
  if (width > 710) return 720;
  if (width > 700) return 704;
  if (width >= 356) return 360;
  if (width <= 300) return 160;
  return 320;
}

int HeightClass(int height) {
  height = std::abs(height);
  if (height > 260) return 288;
  if (height > 200) return 240;
  if (height <= 130) return 120;
  return 144;
}

SourceRect QuarterSource(int channel, int width, int height) {
  const int half_w = width / 2, half_h = std::abs(height) / 2;
  const bool right = channel == 1 || channel == 3, bottom = channel >= 2;
  const int x = right ? half_w : 4;
  const int x_end = right ? width - 4 : half_w;
  return {x, bottom ? half_h : 0, x_end - x, half_h};
}

SourceRect WholeSource(int width, int height) { return {4, 0, width - 8, std::abs(height)}; }

}  // namespace view
