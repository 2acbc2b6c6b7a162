#include "channel_cut.h"

#include <cstdlib>
#include <cstring>

namespace view {

int HalfRowBytes(int width, int bits_per_pixel) { return ((width / 2) * bits_per_pixel + 31) / 32 * 4; }

void CutQuarters(const uint8_t* source, size_t source_bytes, int width, int height, int bits_per_pixel,
                 uint8_t* const out[4], size_t out_bytes) {
  if (width <= 0 || bits_per_pixel <= 0) return;
  const size_t half = size_t(HalfRowBytes(width, bits_per_pixel));
  const int rows = std::abs(height) / 2;
  for (int r = 0; r < 2 * rows; ++r) {
    const size_t from = size_t(r) * 2 * half;
    const size_t to = size_t(r % rows) * half;
    if (from + 2 * half > source_bytes || to + half > out_bytes) break;
    const int top = r < rows ? 0 : 2;  // cameras 0 and 1, then 2 and 3
    std::memcpy(out[top] + to, source + from, half);
    std::memcpy(out[top + 1] + to, source + from + half, half);
  }
}

void PutQuarter(const uint8_t* quarter, size_t quarter_bytes, int camera, int width, int height,
                int bits_per_pixel, uint8_t* whole, size_t whole_bytes) {
  if (width <= 0 || bits_per_pixel <= 0 || camera < 0 || camera > 3) return;
  const size_t half = size_t(HalfRowBytes(width, bits_per_pixel));
  const int rows = std::abs(height) / 2;
  for (int r = 0; r < rows; ++r) {
    const size_t from = size_t(r) * half;
    const size_t to = (size_t(r + (camera / 2) * rows) * 2 + size_t(camera % 2)) * half;
    if (from + half > quarter_bytes || to + half > whole_bytes) break;
    std::memcpy(whole + to, quarter + from, half);
  }
}

}  // namespace view
