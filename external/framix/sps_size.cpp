#include "sps_size.h"

namespace framix {
namespace {

// Reads the bits of one NAL unit's payload, dropping emulation-prevention
// bytes (00 00 03). Reading past the end sets `overrun`.
class BitReader {
 public:
  BitReader(const uint8_t* data, size_t length) : data_(data), length_(length) {}

  uint32_t Bit() {
    if (bit_ == 0) {
      if (pos_ >= length_) {
        overrun = true;
        return 0;
      }
      // A 03 after two zero bytes was put there to break a start code.
      if (zeros_ >= 2 && data_[pos_] == 3) {
        zeros_ = 0;
        if (++pos_ >= length_) {
          overrun = true;
          return 0;
        }
      }
      zeros_ = data_[pos_] == 0 ? zeros_ + 1 : 0;
      byte_ = data_[pos_++];
      bit_ = 8;
    }
    return (byte_ >> --bit_) & 1;
  }
  uint32_t Bits(int n) {
    uint32_t v = 0;
    while (n-- > 0) v = v << 1 | Bit();
    return v;
  }
  // Exp-Golomb codes.
  uint32_t Ue() {
    int zeros = 0;
    while (Bit() == 0 && !overrun) {
      if (++zeros > 31) {
        overrun = true;
        return 0;
      }
    }
    return ((1u << zeros) - 1) + Bits(zeros);
  }
  int32_t Se() {
    const uint32_t k = Ue();
    return k & 1 ? static_cast<int32_t>((k + 1) / 2) : -static_cast<int32_t>(k / 2);
  }

  bool overrun = false;

 private:
  const uint8_t* data_;
  size_t length_, pos_ = 0;
  int zeros_ = 0, bit_ = 0;
  uint8_t byte_ = 0;
};

void SkipScalingList(BitReader& r, int size) {
  int last = 8, next = 8;
  for (int j = 0; j < size && !r.overrun; ++j) {
    if (next != 0) next = (last + r.Se() + 256) % 256;
    last = next == 0 ? last : next;
  }
}

bool HasChromaFormat(uint32_t profile) {
  for (uint32_t p : {100, 110, 122, 244, 44, 83, 86, 118, 128, 138, 139, 134, 135}) {
    if (profile == p) return true;
  }
  return false;
}

std::optional<PictureSize> ParseSps(const uint8_t* data, size_t length) {
  BitReader r(data, length);
  const uint32_t profile = r.Bits(8);
  r.Bits(16);  // constraint flags, level
  r.Ue();      // parameter set id
  uint32_t chroma_format = 1;
  bool separate_planes = false;
  if (HasChromaFormat(profile)) {
    chroma_format = r.Ue();
    if (chroma_format == 3) separate_planes = r.Bit();
    r.Ue();  // luma bit depth
    r.Ue();  // chroma bit depth
    r.Bit();
    if (r.Bit()) {  // scaling matrices
      for (int i = 0; i < (chroma_format != 3 ? 8 : 12) && !r.overrun; ++i) {
        if (r.Bit()) SkipScalingList(r, i < 6 ? 16 : 64);
      }
    }
  }
  r.Ue();  // frame number bits
  const uint32_t order_type = r.Ue();
  if (order_type == 0) {
    r.Ue();
  } else if (order_type == 1) {
    r.Bit();
    r.Se();
    r.Se();
    const uint32_t cycle = r.Ue();
    for (uint32_t i = 0; i < cycle && !r.overrun; ++i) r.Se();
  }
  r.Ue();  // reference frames
  r.Bit();
  const uint32_t width_mbs = r.Ue() + 1, height_units = r.Ue() + 1;
  const uint32_t frames_only = r.Bit();
  if (!frames_only) r.Bit();
  r.Bit();
  uint32_t crop[4] = {};  // left, right, top, bottom
  if (r.Bit()) {
    for (uint32_t& c : crop) c = r.Ue();
  }
  if (r.overrun || width_mbs > 1024 || height_units > 1024 || chroma_format > 3) return std::nullopt;

  const bool chroma = chroma_format != 0 && !separate_planes;
  const uint32_t unit_x = chroma && chroma_format != 3 ? 2 : 1;
  const uint32_t unit_y = (chroma && chroma_format == 1 ? 2 : 1) * (2 - frames_only);
  const int width = static_cast<int>(width_mbs * 16) - static_cast<int>(unit_x * (crop[0] + crop[1]));
  const int height =
      static_cast<int>((2 - frames_only) * height_units * 16) - static_cast<int>(unit_y * (crop[2] + crop[3]));
  if (width <= 0 || height <= 0) return std::nullopt;
  return PictureSize{width, height};
}

}  // namespace

std::optional<PictureSize> SequenceSize(const uint8_t* data, size_t length) {
  // NAL units start after 00 00 01; each runs to the next start code.
  size_t i = 0;
  auto next_unit = [&]() -> size_t {
    for (; i + 3 <= length; ++i) {
      if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) return i += 3;
    }
    return i = length;
  };
  for (size_t start = next_unit(); start < length;) {
    const size_t following = next_unit();
    const int type = data[start] & 0x1F;
    if (type == 1 || type == 5) return std::nullopt;
    if (type == 7) {
      const size_t end = following < length ? following - 3 : length;
      return ParseSps(data + start + 1, end > start + 1 ? end - start - 1 : 0);
    }
    start = following;
  }
  return std::nullopt;
}

}  // namespace framix
