// tone_check FILE RATE HZ MIN_SECONDS: checks that a raw 16-bit mono
// recording holds a tone of HZ (within 1 %) lasting at least MIN_SECONDS.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "tone.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: tone_check FILE RATE HZ MIN_SECONDS\n");
    return 2;
  }
  const int rate = std::atoi(argv[2]);
  const double hz = std::atof(argv[3]), min_seconds = std::atof(argv[4]);
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<int16_t> s;
  int16_t v;
  while (in.read(reinterpret_cast<char*>(&v), 2)) s.push_back(v);

  // The sounding part: from the first to the last sample above the noise.
  size_t first = 0, last = s.size();
  while (first < s.size() && std::abs(s[first]) < 1000) ++first;
  while (last > first && std::abs(s[last - 1]) < 1000) --last;
  const double seconds = static_cast<double>(last - first) / rate;
  const std::span<const int16_t> sounding(s.data() + first, last - first);
  const double found = testsupport::MedianToneFrequency(sounding, rate, rate / 20);  // 50 ms windows
  const double level = testsupport::Level(sounding);
  std::printf("tone_check: %.1f Hz, level %.0f, %.2f s of %.2f s recorded\n", found, level, seconds,
              static_cast<double>(s.size()) / rate);
  return std::fabs(found - hz) <= hz / 100 && seconds >= min_seconds && level > 1000 ? 0 : 1;
}
