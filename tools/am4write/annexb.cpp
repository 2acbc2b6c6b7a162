#include "annexb.h"

namespace am4write {

std::vector<Bytes> SplitNalUnits(std::span<const uint8_t> s) {
  std::vector<Bytes> units;
  size_t start = SIZE_MAX;  // first byte of the current unit
  size_t i = 0;
  while (i + 3 <= s.size()) {
    if (s[i] == 0 && s[i + 1] == 0 && s[i + 2] == 1) {
      if (start != SIZE_MAX) {
        size_t end = i;
        while (end > start && s[end - 1] == 0) --end;  // zero byte of a 4-byte code, trailing zeros
        units.emplace_back(s.begin() + start, s.begin() + end);
      }
      i += 3;
      start = i;
    } else {
      ++i;
    }
  }
  if (start != SIZE_MAX && start < s.size()) units.emplace_back(s.begin() + start, s.end());
  return units;
}

ElementaryStream ParseElementaryStream(std::span<const uint8_t> stream) {
  ElementaryStream es;
  for (Bytes& nal : SplitNalUnits(stream)) {
    if (nal.empty()) continue;
    const int type = nal[0] & 0x1F;
    if (type == 7 && es.sps.empty()) es.sps = nal;
    if (type == 8 && es.pps.empty()) es.pps = nal;
    if (type != 1 && type != 5) continue;
    // first_mb_in_slice is the first Exp-Golomb number of the slice header; a
    // leading 1 bit means 0, the first slice of a new picture.
    const bool first_slice = nal.size() > 1 && (nal[1] & 0x80);
    if (first_slice || es.pictures.empty()) es.pictures.push_back({type == 5, {}});
    es.pictures.back().nals.push_back(std::move(nal));
  }
  return es;
}

}  // namespace am4write
