// Screen divisions of the video area: the eleven layouts, their cells laid
// out in a window, the frame pen and caption sizes by cell, and the parts of
// the 2 x 2 camera mosaic that a division shows. Portable.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace view {

constexpr int kLayouts = 11;
constexpr int kChannels = 25;
constexpr uint8_t kNone = 255;  // empty cell, or channel not shown

// The player's two divisions and the layouts that show them.
constexpr int kOneCameraLayout = 1;
constexpr int kFourCameraLayout = 2;
constexpr int kInitialLayout = 4;

struct LayoutCell {
  uint8_t row, column, rows, columns;  // position and cells covered
  int16_t left, right, top, bottom;    // pixels in the display window
};

struct DivisionLayout {
  int16_t cell_width = 0, cell_height = 0;
  uint8_t rows = 0, columns = 0;
  std::vector<LayoutCell> cells;  // in cell-number order
};

using Layouts = std::array<DivisionLayout, kLayouts>;

// The table of layouts, not yet laid out (pixel fields 0).
Layouts BuildLayouts();
// Cell sizes and rectangles for a window of width x height.
void LayOut(Layouts& layouts, int width, int height);

int FramePenWidth(int layout, int cell);
int CaptionPoints(int layout, int cell);

// Size classes of the resolution text ("%03d*%03d").
int WidthClass(int width);
int HeightClass(int height);  // of |height|

struct SourceRect {
  int x, y, width, height;
};
// The part of a W x H mosaic that is stretched onto the window: one camera's
// quarter in single view, the whole picture in the four division, each less
// 4 pixels at the mosaic's outer left and right edges.
SourceRect QuarterSource(int channel, int width, int height);
SourceRect WholeSource(int width, int height);

}  // namespace view
