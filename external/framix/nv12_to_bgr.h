// NV12 (Y plane, then interleaved U V at half resolution) to 24-bit BGR,
// BT.601 limited range, each chroma sample covering its 2 x 2 pixels.
#pragma once
#include <cstdint>

namespace framix {

struct Nv12View {
  const uint8_t* y;
  const uint8_t* uv;
  int y_stride, uv_stride;  // bytes from one row to the next
  int width, height;
};

// Writes width x height pixels, rows top first, dst_stride bytes apart.
void Nv12ToBgr(const Nv12View& src, uint8_t* dst, int dst_stride);

}  // namespace framix
