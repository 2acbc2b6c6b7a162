#include "nv12_to_bgr.h"

namespace framix {
namespace {

// Fixed point, 8 fractional bits: 298 = 255/219, 409 = 1.402 * 255/224 and so on.
constexpr int kY = 298, kRV = 409, kGU = 100, kGV = 208, kBU = 516;

inline uint8_t Clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : static_cast<uint8_t>(v); }

inline void Put(uint8_t* p, int y, int r, int g, int b) {
  const int luma = kY * (y - 16) + 128;
  p[0] = Clamp((luma + b) >> 8);
  p[1] = Clamp((luma + g) >> 8);
  p[2] = Clamp((luma + r) >> 8);
}

}  // namespace

void Nv12ToBgr(const Nv12View& src, uint8_t* dst, int dst_stride) {
  for (int row = 0; row < src.height; ++row) {
    const uint8_t* y = src.y + row * src.y_stride;
    const uint8_t* uv = src.uv + (row / 2) * src.uv_stride;
    uint8_t* out = dst + row * dst_stride;
    for (int x = 0; x < src.width; x += 2, uv += 2, out += 6) {
      const int u = uv[0] - 128, v = uv[1] - 128;
      const int r = kRV * v, g = -kGU * u - kGV * v, b = kBU * u;
      Put(out, y[x], r, g, b);
      if (x + 1 < src.width) Put(out + 3, y[x + 1], r, g, b);
    }
  }
}

}  // namespace framix
