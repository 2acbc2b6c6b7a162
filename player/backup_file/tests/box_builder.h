// Builds boxes and header sectors byte by byte for tests.
#pragma once
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace backup::testing {

using Bytes = std::vector<uint8_t>;

inline void PutBE(Bytes& b, uint32_t v, int width) {
  for (int i = width - 1; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> 8 * i));
}

// NAL units in length-prefixed form.
inline Bytes Nals(std::initializer_list<Bytes> units) {
  Bytes out;
  for (const Bytes& u : units) {
    PutBE(out, static_cast<uint32_t>(u.size()), 4);
    out.insert(out.end(), u.begin(), u.end());
  }
  return out;
}

inline Bytes Box(uint16_t stream_type, const Bytes& payload, uint32_t sample_flags = 0, uint32_t timestamp = 0,
                 uint32_t flags = 1, const char* type = "qbox") {
  Bytes out;
  PutBE(out, static_cast<uint32_t>(24 + payload.size()), 4);
  out.insert(out.end(), type, type + 4);
  PutBE(out, flags, 4);
  PutBE(out, stream_type, 2);
  PutBE(out, 0, 2);
  PutBE(out, sample_flags, 4);
  PutBE(out, timestamp, 4);
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A header sector whose parameter area holds `area`.
inline Bytes HeaderSector(const Bytes& area, uint32_t data_sectors = 0, uint32_t payload_length = 0) {
  Bytes s(512, 0);
  std::memcpy(s.data(), "rvdx", 4);
  for (int i = 0; i < 4; ++i) {
    s[32 + i] = static_cast<uint8_t>(data_sectors >> 8 * i);
    s[36 + i] = static_cast<uint8_t>(payload_length >> 8 * i);
  }
  s[400] = static_cast<uint8_t>(area.size());
  if (!area.empty()) std::memcpy(s.data() + 512 - area.size(), area.data(), area.size());
  return s;
}

}  // namespace backup::testing
