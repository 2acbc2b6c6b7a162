#include "backup_walk.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace testsupport {
namespace {

uint64_t LE(const uint8_t* p, int width) {
  uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}
uint32_t BE(const uint8_t* p, int width) {
  uint32_t v = 0;
  for (int i = 0; i < width; ++i) v = v << 8 | p[i];
  return v;
}

std::vector<WalkedBox> Boxes(const uint8_t* p, size_t length) {
  std::vector<WalkedBox> boxes;
  while (length >= 24) {
    const uint32_t size = BE(p, 4);
    if (size < 24 || size > length || std::memcmp(p + 4, "qbox", 4) != 0) break;
    boxes.push_back({BE(p + 8, 4), static_cast<uint16_t>(BE(p + 12, 2)), BE(p + 16, 4), BE(p + 20, 4),
                     Bytes(p + 24, p + size)});
    p += size;
    length -= size;
  }
  return boxes;
}

}  // namespace

Bytes ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void PutLE32(Bytes& file, uint64_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<WalkedSegment> WalkSegments(const Bytes& file) {
  std::vector<WalkedSegment> segments;
  uint64_t at = 0;
  while (at + 512 <= file.size() && std::memcmp(&file[at], "rvdx", 4) != 0) at += 512;
  while (at + 512 <= file.size() && std::memcmp(&file[at], "rvdx", 4) == 0) {
    const uint8_t* h = &file[at];
    WalkedSegment s{};
    s.offset = at;
    s.previous = static_cast<uint32_t>(LE(h + 8, 4));
    s.own = static_cast<uint32_t>(LE(h + 16, 4));
    s.next = static_cast<uint32_t>(LE(h + 24, 4));
    s.data_sectors = static_cast<uint32_t>(LE(h + 32, 4));
    s.payload_length = static_cast<uint32_t>(LE(h + 36, 4));
    s.day = h[40], s.month = h[41], s.year = h[42] + 1996;
    s.second = h[44], s.minute = h[45], s.hour = h[46];
    s.format = static_cast<uint32_t>(LE(h + 48, 4));
    s.fps = static_cast<uint32_t>(LE(h + 52, 4));
    const size_t n = h[400];
    s.parameters = Boxes(h + 512 - n, n);
    const uint64_t end = at + 512 + uint64_t{s.data_sectors} * 512;
    if (end > file.size() || s.payload_length > s.data_sectors * 512u) break;
    s.boxes = Boxes(h + 512, s.payload_length);
    segments.push_back(std::move(s));
    at = end;
  }
  return segments;
}

Bytes ToAnnexB(const Bytes& in) {
  Bytes out;
  for (size_t i = 0; i + 4 <= in.size();) {
    const uint32_t length = BE(&in[i], 4);
    i += 4;
    if (length > in.size() - i) break;
    out.insert(out.end(), {0, 0, 0, 1});
    out.insert(out.end(), in.begin() + i, in.begin() + i + length);
    i += length;
  }
  return out;
}

Bytes VideoStream(const std::vector<WalkedSegment>& segments) {
  Bytes out;
  for (const WalkedSegment& s : segments) {
    for (const WalkedBox& b : s.boxes) {
      if (b.stream_type != 2 && b.stream_type != 5) continue;
      if (b.sample_flags & 4) {
        for (const WalkedBox& p : s.parameters) {
          const Bytes sets = ToAnnexB(p.payload);
          out.insert(out.end(), sets.begin(), sets.end());
        }
      }
      const Bytes frame = ToAnnexB(b.payload);
      out.insert(out.end(), frame.begin(), frame.end());
    }
  }
  return out;
}

}  // namespace testsupport
