// The image edit dialog's four filters, applied in place to a whole picture:
// brightness and contrast by a step, sharpen and blur over the eight
// neighbours. Rows are taken as packed (width x bytes per pixel); the first
// three bytes of a pixel are colour values, results clamp to 0..255. Only 24
// and 32 bits per pixel are filtered; anything else, or a picture larger than
// its buffer, is left as it is. Portable.
#pragma once
#include <cstddef>
#include <cstdint>

namespace view {

struct FilterPicture {
  int width = 0;
  int height = 0;  // its sign tells the row order, which the filters ignore
  int bits_per_pixel = 0;
  uint8_t* pixels = nullptr;
  size_t bytes = 0;  // of the buffer at pixels
};

class CFilter {
 public:
  // v + step.
  void Brightness(const FilterPicture& p, int step) const;
  // v + step x (v - 128) / 128, the division truncating toward zero.
  void Contrast(const FilterPicture& p, int step) const;
  // Rows 1 to |height| - 3, in memory order and in place: 1.4 v - 0.05 x the
  // eight neighbours. Left and right neighbours are the adjacent bytes, so a
  // row's first and last pixel take them from the rows beside it; a
  // neighbour outside the picture takes the nearest pixel inside it.
  void Sharpen(const FilterPicture& p) const;
  // The same pixels: (4 centre + 3 x the four sides + the four diagonals) / 19.
  void Blur(const FilterPicture& p) const;
};

}  // namespace view
