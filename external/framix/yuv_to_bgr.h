// 4:2:0 pictures (I420 or NV12) to 24-bit BGR, BT.601 limited range, each
// chroma sample covering its 2 x 2 pixels.
#pragma once
#include <cstdint>

namespace framix {

struct YuvView {
  const uint8_t* y;
  const uint8_t* u;
  const uint8_t* v;
  int y_stride, chroma_stride;  // bytes from one row to the next
  int chroma_step;              // 1: planes of their own (I420); 2: interleaved U V (NV12, v = u + 1)
  int width, height;
};

// Writes width x height pixels, rows top first, dst_stride bytes apart.
void YuvToBgr(const YuvView& src, uint8_t* dst, int dst_stride);

}  // namespace framix
