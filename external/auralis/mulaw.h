// G.711 mu-law expansion to 16-bit linear samples.
#pragma once
#include <array>
#include <cstdint>

namespace auralis {

// The standard expansion: sign, 3-bit segment, 4-bit step, all bits sent inverted.
constexpr int16_t ExpandMuLaw(uint8_t code) {
  const int inverted = ~code & 0xFF;
  const int magnitude = (((inverted & 0x0F) << 3) + 0x84) << ((inverted & 0x70) >> 4);
  return static_cast<int16_t>(inverted & 0x80 ? 0x84 - magnitude : magnitude - 0x84);
}

constexpr std::array<int16_t, 256> MakeMuLawTable() {
  std::array<int16_t, 256> table{};
  for (int code = 0; code < 256; ++code) table[code] = ExpandMuLaw(static_cast<uint8_t>(code));
  return table;
}

inline constexpr std::array<int16_t, 256> kMuLawTable = MakeMuLawTable();

}  // namespace auralis
