#include "yuv_to_bgr.h"

#include <emmintrin.h>

namespace framix {
namespace {

// Fixed point with 6 fraction bits: luma = Y * 255/219 from (Y * 19077) >> 8,
// less 16 * 255/219 and plus a half for rounding; chroma factors
// 2.017 (B from U), 0.392 and 0.813 (G), 1.596 (R from V), times 64.
constexpr int kLumaFactor = 19077, kLumaOffset = 1192 - 32;
constexpr int kBU = 129, kGU = 25, kGV = 52, kRV = 102;

// One SSE2 step takes 16 pixels and stores 4 x 16 bytes, each running 4
// bytes past the 12 it owns: it needs 2 more pixels of room in the row.
constexpr int kStep = 16, kStepRoom = kStep + 2;

inline uint8_t Clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : static_cast<uint8_t>(v); }

inline void PutPixel(uint8_t* p, int y, int u, int v) {
  const int luma = ((y * kLumaFactor) >> 8) - kLumaOffset;
  p[0] = Clamp((luma + kBU * u) >> 6);
  p[1] = Clamp((luma - kGU * u - kGV * v) >> 6);
  p[2] = Clamp((luma + kRV * v) >> 6);
}

// Four pixels B G R 0 in each 32-bit lane to 12 bytes B G R at the start.
inline __m128i Pack12(__m128i bgr0) {
  const __m128i low3 = _mm_set1_epi64x(0x0000000000FFFFFF), high3 = _mm_set1_epi64x(0x0000FFFFFF000000);
  // Each 64-bit lane: pixel 0 in bytes 0-2, pixel 1 moved to bytes 3-5.
  const __m128i six = _mm_or_si128(_mm_and_si128(bgr0, low3), _mm_and_si128(_mm_srli_epi64(bgr0, 8), high3));
  const __m128i lane0 = _mm_and_si128(six, _mm_set_epi64x(0, 0x0000FFFFFFFFFFFF));
  const __m128i lane1 = _mm_srli_si128(_mm_and_si128(six, _mm_set_epi64x(0x0000FFFFFFFFFFFF, 0)), 2);
  return _mm_or_si128(lane0, lane1);
}

// Luma of 8 + 8 pixels plus one chroma term per pixel pair, to 16 bytes.
inline __m128i Channel(__m128i luma_lo, __m128i luma_hi, __m128i chroma) {
  const __m128i lo = _mm_srai_epi16(_mm_adds_epi16(luma_lo, _mm_unpacklo_epi16(chroma, chroma)), 6);
  const __m128i hi = _mm_srai_epi16(_mm_adds_epi16(luma_hi, _mm_unpackhi_epi16(chroma, chroma)), 6);
  return _mm_packus_epi16(lo, hi);
}

// Pixels [0, x) of one row, 16 at a time; returns x.
template <int kChromaStep>
int RowSse2(const uint8_t* y, const uint8_t* u_row, const uint8_t* v_row, uint8_t* out, int width) {
  const __m128i zero = _mm_setzero_si128(), offset = _mm_set1_epi16(kLumaOffset), half = _mm_set1_epi16(128);
  const __m128i luma_factor = _mm_set1_epi16(static_cast<short>(kLumaFactor));
  int x = 0;
  for (; x + kStepRoom <= width; x += kStep) {
    const __m128i ys = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + x));
    // Y << 8 in 16 bits, times the factor, high half: (Y * factor) >> 8.
    const __m128i luma_lo = _mm_sub_epi16(_mm_mulhi_epu16(_mm_unpacklo_epi8(zero, ys), luma_factor), offset);
    const __m128i luma_hi = _mm_sub_epi16(_mm_mulhi_epu16(_mm_unpackhi_epi8(zero, ys), luma_factor), offset);
    __m128i u, v;  // the 8 chroma samples of these pixels, less 128, in 16 bits
    if constexpr (kChromaStep == 2) {
      const __m128i uv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u_row + x));
      u = _mm_sub_epi16(_mm_and_si128(uv, _mm_set1_epi16(0xFF)), half);
      v = _mm_sub_epi16(_mm_srli_epi16(uv, 8), half);
    } else {
      u = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(u_row + x / 2)), zero), half);
      v = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(v_row + x / 2)), zero), half);
    }
    const __m128i b = Channel(luma_lo, luma_hi, _mm_mullo_epi16(u, _mm_set1_epi16(kBU)));
    const __m128i g = Channel(luma_lo, luma_hi,
                              _mm_add_epi16(_mm_mullo_epi16(u, _mm_set1_epi16(-kGU)),
                                            _mm_mullo_epi16(v, _mm_set1_epi16(-kGV))));
    const __m128i r = Channel(luma_lo, luma_hi, _mm_mullo_epi16(v, _mm_set1_epi16(kRV)));

    const __m128i bg_lo = _mm_unpacklo_epi8(b, g), bg_hi = _mm_unpackhi_epi8(b, g);
    const __m128i r0_lo = _mm_unpacklo_epi8(r, zero), r0_hi = _mm_unpackhi_epi8(r, zero);
    uint8_t* dst = out + x * 3;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), Pack12(_mm_unpacklo_epi16(bg_lo, r0_lo)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 12), Pack12(_mm_unpackhi_epi16(bg_lo, r0_lo)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 24), Pack12(_mm_unpacklo_epi16(bg_hi, r0_hi)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 36), Pack12(_mm_unpackhi_epi16(bg_hi, r0_hi)));
  }
  return x;
}

}  // namespace

void YuvToBgr(const YuvView& src, uint8_t* dst, int dst_stride) {
  const int step = src.chroma_step;
  for (int row = 0; row < src.height; ++row) {
    const uint8_t* y = src.y + row * src.y_stride;
    const uint8_t* u = src.u + (row / 2) * src.chroma_stride;
    const uint8_t* v = src.v + (row / 2) * src.chroma_stride;
    uint8_t* out = dst + row * dst_stride;
    int x = step == 2 ? RowSse2<2>(y, u, v, out, src.width) : RowSse2<1>(y, u, v, out, src.width);
    for (; x < src.width; ++x) PutPixel(out + x * 3, y[x], u[x / 2 * step] - 128, v[x / 2 * step] - 128);
  }
}

}  // namespace framix
