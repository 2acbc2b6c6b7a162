#include "tone.h"

#include <algorithm>
#include <cmath>

namespace testsupport {

std::vector<int16_t> ExpandMuLaw(std::span<const uint8_t> bytes) {
  std::vector<int16_t> out;
  out.reserve(bytes.size());
  for (uint8_t b : bytes) {
    const int u = ~b & 0xFF;
    const int magnitude = ((u & 0x0F) << 3 | 0x84) << (u >> 4 & 7);
    out.push_back(static_cast<int16_t>(u & 0x80 ? 0x84 - magnitude : magnitude - 0x84));
  }
  return out;
}

double ToneFrequency(std::span<const int16_t> s, int rate) {
  // Hysteresis keeps noise near zero from counting as crossings.
  constexpr int kBand = 256;
  long first = -1, last = -1, crossings = 0;
  bool below = false;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] < -kBand) below = true;
    if (below && s[i] > kBand) {
      below = false;
      if (first < 0) first = static_cast<long>(i);
      else ++crossings;
      last = static_cast<long>(i);
    }
  }
  return crossings ? static_cast<double>(crossings) * rate / (last - first) : 0.0;
}

double MedianToneFrequency(std::span<const int16_t> s, int rate, size_t window) {
  std::vector<double> found;
  for (size_t at = 0; at + window <= s.size(); at += window) found.push_back(ToneFrequency(s.subspan(at, window), rate));
  if (found.empty()) return 0.0;
  std::nth_element(found.begin(), found.begin() + found.size() / 2, found.end());
  return found[found.size() / 2];
}

double Level(std::span<const int16_t> s) {
  double sum = 0;
  for (int16_t v : s) sum += static_cast<double>(v) * v;
  return s.empty() ? 0 : std::sqrt(sum / s.size());
}

}  // namespace testsupport
