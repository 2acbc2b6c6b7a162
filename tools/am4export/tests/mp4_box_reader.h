// Reads the boxes of an MP4 file for tests: finds a box by its path of
// types and reads its big-endian fields.
#pragma once
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace mp4test {

using Bytes = std::vector<uint8_t>;

inline uint64_t BE(const Bytes& b, size_t at, int width) {
  uint64_t v = 0;
  for (int i = 0; i < width; ++i) v = v << 8 | b[at + i];
  return v;
}

struct Found {
  size_t at, size;  // the whole box
  size_t body;      // after its size and type (and a large size)
};

inline bool IsContainer(const std::string& type) {
  return type == "moov" || type == "trak" || type == "mdia" || type == "minf" || type == "stbl" || type == "dinf";
}

// The box at the end of a path like "moov/trak/mdia/minf/stbl/stsz": each
// step takes the first box of its type, but the step "trak" the one
// numbered `trak` (from 0).
inline std::optional<Found> FindBox(const Bytes& file, const std::string& path, int trak = 0) {
  size_t from = 0, to = file.size();
  std::optional<Found> found;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    const std::string type = path.substr(start, slash - start);
    int skip = type == "trak" ? trak : 0;
    found.reset();
    for (size_t at = from; at + 8 <= to;) {
      uint64_t size = BE(file, at, 4);
      size_t body = at + 8;
      if (size == 1) size = BE(file, at + 8, 8), body += 8;
      if (size < 8 || at + size > to) return std::nullopt;
      if (std::memcmp(&file[at + 4], type.data(), 4) == 0 && skip-- == 0) {
        found = Found{at, static_cast<size_t>(size), body};
        break;
      }
      at += size;
    }
    if (!found) return std::nullopt;
    from = found->body;
    to = found->at + found->size;
    start = slash + 1;
  }
  return found;
}

// The 32-bit words of a full box after its version and flags.
inline std::vector<uint32_t> Words(const Bytes& file, const Found& box) {
  std::vector<uint32_t> words;
  for (size_t at = box.body + 4; at + 4 <= box.at + box.size; at += 4)
    words.push_back(static_cast<uint32_t>(BE(file, at, 4)));
  return words;
}

}  // namespace mp4test
