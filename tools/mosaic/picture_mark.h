// The machine-readable mark that every camera quarter of a test picture
// carries: 24 cells of one bit (picture number, camera number, check nibble)
// laid out as 8 columns by 3 rows. Cell places are fractions of the quarter,
// so the mark can be read from a scaled picture too.
#pragma once
#include <cstdint>
#include <optional>

namespace mark {

struct Mark {
  int camera = 0;   // 1 to 4
  int picture = 0;  // 0 to 65535
  bool operator==(const Mark&) const = default;
};

constexpr int kBits = 24;
constexpr int kColumns = 8;

// 24-bit code: picture in bits 0-15, camera in 16-19, check nibble in 20-23.
uint32_t Encode(Mark m);
// The mark a code carries, or nothing when its check nibble or camera is wrong.
std::optional<Mark> Decode(uint32_t code);

struct Rect {
  int left, top, right, bottom;  // right and bottom exclusive
};

// Place of bit `bit` inside a quarter of quarter_width x quarter_height pixels.
Rect CellRect(int bit, int quarter_width, int quarter_height);

// Top-left corner of camera `camera`'s quarter (1 top left, 2 top right,
// 3 bottom left, 4 bottom right) in a picture of width x height.
void QuarterOrigin(int camera, int width, int height, int& x, int& y);

}  // namespace mark
